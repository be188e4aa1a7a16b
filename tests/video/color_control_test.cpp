// The colour settings of a real video control bound to a real graph component, with a fake
// overlay mixer pin: validation, writes and reads while the overlay is live or not, the
// hardware record kept and put back, and which pin of which mixer is used.
#include <functional>
#include <string>

#include "ColorFakes.h"
#include "platform/media/MediaClasses.h"
#include "video/ColorControl.h"

namespace kavoro::test {
namespace {

using video::ERangeError;
using video::TColorControl;
using Values = std::vector<LONG>;

const Values kBuiltInDefaults{750, 10000, 0, 10000, 5, 1, 1};

// The seven values as the settings hold them (read while not live, so nothing is refreshed).
Values StoredValues(TColorControl& c) {
  return {c.Brightness(), c.Contrast(), c.Hue(),          c.Saturation(),
          c.Sharpness(),  c.Gamma(),    c.ColorEnable() ? 1 : 0};
}

struct RangeCase {
  const char* property;
  std::function<void(TColorControl&, int)> set;
  std::function<int(TColorControl&)> get;
  int refused;
  const char* message;
};

const RangeCase kRangeCases[] = {
    {"Brightness", &TColorControl::SetBrightness, &TColorControl::Brightness, -1,
     "Value -1 out of range. Value must bee between 0 -> 10.000"},
    {"Brightness", &TColorControl::SetBrightness, &TColorControl::Brightness, 10001,
     "Value 10001 out of range. Value must bee between 0 -> 10.000"},
    {"Contrast", &TColorControl::SetContrast, &TColorControl::Contrast, 20001,
     "Value 20001 out of range. Value must bee between 0 -> 20.000"},
    {"Contrast", &TColorControl::SetContrast, &TColorControl::Contrast, -5,
     "Value -5 out of range. Value must bee between 0 -> 20.000"},
    {"Hue", &TColorControl::SetHue, &TColorControl::Hue, 181,
     "Value 181 out of range. Value must bee between -180 -> 180"},
    {"Hue", &TColorControl::SetHue, &TColorControl::Hue, -181,
     "Value -181 out of range. Value must bee between -180 -> 180"},
    {"Saturation", &TColorControl::SetSaturation, &TColorControl::Saturation, 20001,
     "Value 20001 out of range. Value must bee between 0 -> 20.000"},
    {"Saturation", &TColorControl::SetSaturation, &TColorControl::Saturation, -1,
     "Value -1 out of range. Value must bee between 0 -> 20.000"},
    {"Sharpness", &TColorControl::SetSharpness, &TColorControl::Sharpness, 11,
     "Value 11 out of range. Value must bee between 0 -> 10"},
    {"Sharpness", &TColorControl::SetSharpness, &TColorControl::Sharpness, -1,
     "Value -1 out of range. Value must bee between 0 -> 10"},
    {"Gamma", &TColorControl::SetGamma, &TColorControl::Gamma, 0,
     "Value 0 out of range. Value must bee between 1 -> 500"},
    {"Gamma", &TColorControl::SetGamma, &TColorControl::Gamma, 501,
     "Value 501 out of range. Value must bee between 1 -> 500"},
};

TEST_F(ColorTest, OutOfRangeValuesRaiseTheirMessageAndKeepTheOldValueAndTheSurface) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  TColorControl& colors = *video->ColorControl();
  for (const RangeCase& c : kRangeCases) {
    SCOPED_TRACE(std::string(c.property) + " := " + std::to_string(c.refused));
    const int before = c.get(colors);
    pin->writes.clear();
    try {
      c.set(colors, c.refused);
      ADD_FAILURE() << "accepted";
    } catch (const ERangeError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_TRUE(pin->writes.empty()) << "a refused value is not written";
    EXPECT_EQ(c.get(colors), before);
  }
}

TEST_F(ColorTest, BothEndsOfEachRangeAreAccepted) {
  TColorControl& colors = *video->ColorControl();
  struct End {
    const char* property;
    std::function<void(TColorControl&, int)> set;
    std::function<int(TColorControl&)> get;
    int low, high;
  };
  const End ends[] = {
      {"Brightness", &TColorControl::SetBrightness, &TColorControl::Brightness, 0, 10000},
      {"Contrast", &TColorControl::SetContrast, &TColorControl::Contrast, 0, 20000},
      {"Hue", &TColorControl::SetHue, &TColorControl::Hue, -180, 180},
      {"Saturation", &TColorControl::SetSaturation, &TColorControl::Saturation, 0, 20000},
      {"Sharpness", &TColorControl::SetSharpness, &TColorControl::Sharpness, 0, 10},
      {"Gamma", &TColorControl::SetGamma, &TColorControl::Gamma, 1, 500},
  };
  for (const End& e : ends) {
    SCOPED_TRACE(e.property);
    for (int v : {e.low, e.high}) {
      EXPECT_NO_THROW(e.set(colors, v));
      EXPECT_EQ(e.get(colors), v);
    }
  }
}

TEST_F(ColorTest, WritesWhileLiveReachThePinAtOnceWithAllSevenValues) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  TColorControl& colors = *video->ColorControl();

  colors.SetBrightness(10000);
  ASSERT_EQ(pin->writes.size(), 1u);
  const DDCOLORCONTROL& w = pin->writes.back();
  EXPECT_EQ(w.dwSize, 40u);
  EXPECT_EQ(w.dwFlags, 0x7Fu);
  EXPECT_EQ(w.dwReserved1, 0u);
  EXPECT_EQ(ValuesOf(w), (Values{10000, 10000, 0, 10000, 5, 1, 1}));
  EXPECT_EQ(pin->record.lBrightness, 10000);

  // The same value again is written again.
  colors.SetBrightness(10000);
  EXPECT_EQ(pin->writes.size(), 2u);

  colors.SetColorEnable(false);
  ASSERT_EQ(pin->writes.size(), 3u);
  EXPECT_EQ(pin->writes.back().lColorEnable, 0);
  colors.SetGamma(220);
  EXPECT_EQ(ValuesOf(pin->writes.back()), (Values{10000, 10000, 0, 10000, 5, 220, 0}));
}

TEST_F(ColorTest, ReadsWhileLiveComeFromTheSurface) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  TColorControl& colors = *video->ColorControl();
  pin->record.lContrast = 12345;
  pin->record.lColorEnable = 0;
  EXPECT_EQ(colors.Contrast(), 12345);
  EXPECT_FALSE(colors.ColorEnable());
  EXPECT_GT(pin->reads, 0);

  // What was read stays after the overlay has gone.
  graph->SetActive(false);
  EXPECT_EQ(colors.Contrast(), 12345);
}

TEST_F(ColorTest, WithoutALiveOverlayValuesAreOnlyStored) {
  TColorControl& colors = *video->ColorControl();
  // Graph inactive.
  colors.SetBrightness(10000);
  EXPECT_EQ(colors.Brightness(), 10000);

  // Active graph, but no mixer in it yet: stored only, nothing read or written.
  Activate();
  colors.SetHue(-90);
  EXPECT_EQ(colors.Hue(), -90);

  // Once a mixer is there, the stored values are what gets written.
  FakeColorPin* pin = AddMixer(CLSID_OverlayMixer);
  colors.ApplyToOverlay();
  ASSERT_EQ(pin->writes.size(), 1u);
  EXPECT_EQ(ValuesOf(pin->writes.back()), (Values{10000, 10000, -90, 10000, 5, 1, 1}));
}

TEST_F(ColorTest, ARefusedReadWhileLiveSetsAllSevenToTheBuiltInDefaults) {
  TColorControl& colors = *video->ColorControl();
  colors.SetBrightness(3000);
  colors.SetContrast(5000);
  colors.SetHue(45);
  colors.SetSaturation(7000);
  colors.SetSharpness(9);
  colors.SetGamma(300);
  colors.SetColorEnable(false);

  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  pin->getResult = E_FAIL;
  EXPECT_EQ(colors.Contrast(), 10000);

  graph->SetActive(false);
  EXPECT_EQ(StoredValues(colors), kBuiltInDefaults);
}

TEST_F(ColorTest, ResetBeforeAnyOverlayGivesTheBuiltInDefaults) {
  TColorControl& colors = *video->ColorControl();
  const DDCOLORCONTROL& hw = colors.HardwareSettings();
  EXPECT_EQ(hw.dwSize, 40u);
  EXPECT_EQ(hw.dwFlags, 0x7Fu);
  EXPECT_EQ(ValuesOf(hw), kBuiltInDefaults);

  colors.SetBrightness(1);
  colors.SetHue(-180);
  colors.SetSharpness(0);
  colors.SetColorEnable(false);
  colors.ResetToDefaults();
  EXPECT_EQ(StoredValues(colors), kBuiltInDefaults);
}

TEST_F(ColorTest, HardwareRecordIsReadAppliedOverAndPutBackAsFound) {
  TColorControl& colors = *video->ColorControl();
  colors.SetBrightness(9000);
  colors.SetSaturation(15000);

  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer2);
  DDCOLORCONTROL found;
  found.dwFlags = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE | DDCOLOR_SATURATION;
  found.lBrightness = 6000;
  found.lContrast = 11000;
  found.lHue = 20;
  found.lSaturation = 8000;
  found.lSharpness = 4;
  found.lGamma = 2;
  found.lColorEnable = 1;
  pin->record = found;

  colors.ReadHardwareSettings();
  EXPECT_EQ(colors.HardwareSettings().dwFlags, found.dwFlags);
  EXPECT_EQ(ValuesOf(colors.HardwareSettings()), ValuesOf(found));

  colors.ApplyToOverlay();
  EXPECT_EQ(ValuesOf(pin->record), (Values{9000, 10000, 0, 15000, 5, 1, 1}));
  colors.SetHue(-120);
  colors.SetColorEnable(false);

  // A failed read of the hardware keeps the record read before.
  pin->getResult = E_FAIL;
  colors.ReadHardwareSettings();
  EXPECT_EQ(ValuesOf(colors.HardwareSettings()), ValuesOf(found));
  pin->getResult = S_OK;

  colors.ResetToDefaults();
  EXPECT_EQ(ValuesOf(pin->record), ValuesOf(found));
  graph->SetActive(false);
  EXPECT_EQ(StoredValues(colors), ValuesOf(found));
}

TEST_F(ColorTest, ARefusedWriteIsIgnoredAndTheValueStaysStored) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  TColorControl& colors = *video->ColorControl();
  pin->setResult = E_FAIL;
  EXPECT_NO_THROW(colors.SetSaturation(123));
  EXPECT_EQ(pin->writes.size(), 1u);
  EXPECT_EQ(pin->record.lSaturation, 10000) << "the surface is left as it was";
  graph->SetActive(false);
  EXPECT_EQ(colors.Saturation(), 123);
}

// Which pin the settings use: the first input pin of the last mixer in the graph.
TEST_F(ColorTest, TheFirstInputPinOfTheLastMixerIsUsed) {
  Activate();
  FakeColorPin* first = AddMixer(CLSID_OverlayMixer);
  FakeColorPin* last = AddMixer(CLSID_OverlayMixer2);
  // A filter of another class after the mixers is passed over.
  manager->AddFilter(MakeMixer(CLSID_VideoRenderer).filter.Get(), "not a mixer");
  video->ColorControl()->SetHue(33);
  EXPECT_TRUE(first->writes.empty());
  ASSERT_EQ(last->writes.size(), 1u);
  EXPECT_EQ(last->writes.back().lHue, 33);
  // Only the first input pin; the second one has the interface too but is not asked.
  EXPECT_TRUE(mixers.back().second->writes.empty());
}

struct PinLayoutCase {
  const char* name;
  // Pins of the mixer in order: direction, has the interface, direction query fails.
  struct Pin {
    PIN_DIRECTION direction;
    bool config;
    bool directionFails;
  };
  std::vector<Pin> pins;
  int used;  // index of the pin that gets the write, or -1
};

TEST_F(ColorTest, PinSearchStopsAtTheFirstInputPinOrAtAFailure) {
  const PinLayoutCase cases[] = {
      {"output pin first", {{PINDIR_OUTPUT, true, false}, {PINDIR_INPUT, true, false}}, 1},
      {"first input without the interface",
       {{PINDIR_INPUT, false, false}, {PINDIR_INPUT, true, false}},
       -1},
      {"direction query fails",
       {{PINDIR_OUTPUT, false, true}, {PINDIR_INPUT, true, false}},
       -1},
      {"no input pin", {{PINDIR_OUTPUT, true, false}}, -1},
  };
  for (const PinLayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    graph->SetActive(false);
    Activate();
    std::vector<ComPtr<FakeColorPin>> pins;
    for (const auto& p : c.pins) {
      pins.push_back(MakeCom<FakeColorPin>(p.direction, p.config));
      if (p.directionFails) pins.back()->directionResult = E_FAIL;
    }
    auto mixer = MakeCom<FakeColorFilter>(CLSID_OverlayMixer, pins);
    manager->AddFilter(mixer.Get(), "Overlay Mixer");

    video->ColorControl()->SetContrast(4321);
    for (int i = 0; i < static_cast<int>(pins.size()); ++i) {
      EXPECT_EQ(pins[i]->writes.size(), i == c.used ? 1u : 0u) << "pin " << i;
    }
  }
}

}  // namespace
}  // namespace kavoro::test
