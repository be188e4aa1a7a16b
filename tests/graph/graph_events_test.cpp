// Every row of the graph event table: which component event a platform event raises, with
// which arguments, after the listeners and OnDSEvent have heard it.
#include <cstdio>

#include "GraphTestSupport.h"
#include "media/DSUtil.h"
#include "platform/media/EventCodes.h"

namespace kavoro::test {
namespace {

using Lines = std::vector<std::string>;

std::string Hex(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

std::string Join(std::initializer_list<std::string> parts) {
  std::string s;
  for (const auto& p : parts) s += (s.empty() ? "" : " ") + p;
  return s;
}

template <class... A>
std::string Text(const char* name, A... args) {
  std::string s = name;
  ((s += " " + std::string(args)), ...);
  return s;
}

std::string N(long long v) { return std::to_string(v); }
std::string B(bool v) { return v ? "true" : "false"; }

// Binds every component event of `g` to a handler that records its name and arguments.
void BindAll(TFilterGraph& g, Lines& got) {
  auto add = [&got](std::string s) { got.push_back(std::move(s)); };
  auto plain = [add](const char* name) { return [add, name](TFilterGraph*) { add(name); }; };
  auto result = [add](const char* name) {
    return [add, name](TFilterGraph*, HRESULT hr) { add(Text(name, HResultToString(hr))); };
  };
  auto ints = [add](const char* name) {
    return [add, name](TFilterGraph*, auto a, auto b) { add(Text(name, N(a), N(b))); };
  };
  auto one = [add](const char* name) {
    return [add, name](TFilterGraph*, auto a) { add(Text(name, N(a))); };
  };
  auto flag = [add](const char* name) {
    return [add, name](TFilterGraph*, bool f) { add(Text(name, B(f))); };
  };
  auto stream = [add](const char* name) {
    return [add, name](TFilterGraph*, int s, LCID lcid, const std::string& lang) {
      add(Text(name, N(s), N(lcid), "'" + lang + "'"));
    };
  };

  g.OnDSEvent = [add](TFilterGraph*, LONG code, LONG_PTR p1, LONG_PTR p2) {
    add(Text("OnDSEvent", N(code), N(p1), N(p2)));
  };
  g.OnGraphComplete = [add](TFilterGraph*, HRESULT hr, IBaseFilter* r) {
    add(Text("OnGraphComplete", HResultToString(hr), Hex(r)));
  };
  g.OnGraphUserAbort = plain("OnGraphUserAbort");
  g.OnGraphPaletteChanged = plain("OnGraphPaletteChanged");
  g.OnGraphQualityChange = plain("OnGraphQualityChange");
  g.OnGraphClockChanged = plain("OnGraphClockChanged");
  g.OnGraphStepComplete = plain("OnGraphStepComplete");
  g.OnGraphChanged = plain("OnGraphChanged");
  g.OnGraphClockUnset = plain("OnGraphClockUnset");
  g.OnGraphErrorAbort = result("OnGraphErrorAbort");
  g.OnGraphErrorStillPlaying = result("OnGraphErrorStillPlaying");
  g.OnGraphPaused = result("OnGraphPaused");
  g.OnGraphStreamErrorStopped = [add](TFilterGraph*, HRESULT op, LONG v) {
    add(Text("OnGraphStreamErrorStopped", HResultToString(op), N(v)));
  };
  g.OnGraphStreamErrorStillPlaying = [add](TFilterGraph*, HRESULT op, LONG v) {
    add(Text("OnGraphStreamErrorStillPlaying", HResultToString(op), N(v)));
  };
  g.OnGraphVideoSizeChanged = ints("OnGraphVideoSizeChanged");
  g.OnGraphOpeningFile = flag("OnGraphOpeningFile");
  g.OnGraphBufferingData = flag("OnGraphBufferingData");
  g.OnGraphFullscreenLost = [add](TFilterGraph*, IBaseFilter* r) {
    add(Text("OnGraphFullscreenLost", Hex(r)));
  };
  g.OnGraphOleEvent = [add](TFilterGraph*, const std::string& a, const std::string& b) {
    add(Text("OnGraphOleEvent", "'" + a + "'", "'" + b + "'"));
  };
  g.OnGraphStreamControlStopped = [add](TFilterGraph*, IPin* pin, LONG cookie) {
    add(Text("OnGraphStreamControlStopped", Hex(pin), N(cookie)));
  };
  g.OnGraphStreamControlStarted = [add](TFilterGraph*, IPin* pin, LONG cookie) {
    add(Text("OnGraphStreamControlStarted", Hex(pin), N(cookie)));
  };
  g.OnGraphEndOfSegment = ints("OnGraphEndOfSegment");
  g.OnGraphDeviceLost = [add](TFilterGraph*, IUnknown* device, bool removed) {
    add(Text("OnGraphDeviceLost", Hex(device), B(removed)));
  };
  g.OnGraphTimeCodeAvailable = [add](TFilterGraph*, IBaseFilter* from, LONG id) {
    add(Text("OnGraphTimeCodeAvailable", Hex(from), N(id)));
  };
  g.OnGraphEXTDeviceModeChange = ints("OnGraphEXTDeviceModeChange");
  g.OnGraphVMRRenderDevice = one("OnGraphVMRRenderDevice");
  g.OnGraphSNDDevInError = ints("OnGraphSNDDevInError");
  g.OnGraphSNDDevOutError = ints("OnGraphSNDDevOutError");

  g.OnDVDDomainFirstPlay = plain("OnDVDDomainFirstPlay");
  g.OnDVDDomainVideoManagerMenu = plain("OnDVDDomainVideoManagerMenu");
  g.OnDVDDomainVideoTitleSetMenu = plain("OnDVDDomainVideoTitleSetMenu");
  g.OnDVDDomainTitle = plain("OnDVDDomainTitle");
  g.OnDVDDomainStop = plain("OnDVDDomainStop");
  g.OnDVDTitleChange = one("OnDVDTitleChange");
  g.OnDVDChapterStart = one("OnDVDChapterStart");
  g.OnDVDAudioStreamChange = stream("OnDVDAudioStreamChange");
  g.OnDVDSubpictureStreamChange = stream("OnDVDSubpictureStreamChange");
  g.OnDVDAngleChange = ints("OnDVDAngleChange");
  g.OnDVDButtonChange = ints("OnDVDButtonChange");
  g.OnDVDValidUOPSChange = one("OnDVDValidUOPSChange");
  g.OnDVDStillOn = [add](TFilterGraph*, bool noButton, int seconds) {
    add(Text("OnDVDStillOn", B(noButton), N(seconds)));
  };
  g.OnDVDStillOff = plain("OnDVDStillOff");
  g.OnDVDCurrentTime = [add](TFilterGraph*, int h, int m, int s, int f, int rate) {
    add(Text("OnDVDCurrentTime", N(h), N(m), N(s), N(f), N(rate)));
  };
  g.OnDVDErrorUnexpected = plain("OnDVDErrorUnexpected");
  g.OnDVDErrorCopyProtectFail = plain("OnDVDErrorCopyProtectFail");
  g.OnDVDErrorInvalidDVD1_0Disc = plain("OnDVDErrorInvalidDVD1_0Disc");
  g.OnDVDErrorInvalidDiscRegion = plain("OnDVDErrorInvalidDiscRegion");
  g.OnDVDErrorLowParentalLevel = plain("OnDVDErrorLowParentalLevel");
  g.OnDVDErrorMacrovisionFail = plain("OnDVDErrorMacrovisionFail");
  g.OnDVDErrorIncompatibleSystemAndDecoderRegions = plain("OnDVDErrorIncompatibleSystemAndDecoderRegions");
  g.OnDVDErrorIncompatibleDiscAndDecoderRegions = plain("OnDVDErrorIncompatibleDiscAndDecoderRegions");
  g.OnDVDWarningInvalidDVD1_0Disc = plain("OnDVDWarningInvalidDVD1_0Disc");
  g.OnDVDWarningFormatNotSupported = plain("OnDVDWarningFormatNotSupported");
  g.OnDVDWarningIllegalNavCommand = plain("OnDVDWarningIllegalNavCommand");
  g.OnDVDWarningOpen = plain("OnDVDWarningOpen");
  g.OnDVDWarningSeek = plain("OnDVDWarningSeek");
  g.OnDVDWarningRead = plain("OnDVDWarningRead");
  g.OnDVDChapterAutoStop = plain("OnDVDChapterAutoStop");
  g.OnDVDNoFP_PGC = plain("OnDVDNoFP_PGC");
  g.OnDVDPlaybackRateChange = [add](TFilterGraph*, float rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", rate);
    add(Text("OnDVDPlaybackRateChange", text));
  };
  g.OnDVDParentalLevelChange = one("OnDVDParentalLevelChange");
  g.OnDVDPlaybackStopped = plain("OnDVDPlaybackStopped");
  g.OnDVDAnglesAvailable = flag("OnDVDAnglesAvailable");
  g.OnDVDPlayPeriodAutoStop = plain("OnDVDPlayPeriodAutoStop");
  g.OnDVDButtonAutoActivated = one("OnDVDButtonAutoActivated");
  g.OnDVDCMDStart = one("OnDVDCMDStart");
  g.OnDVDCMDEnd = one("OnDVDCMDEnd");
  g.OnDVDDiscEjected = plain("OnDVDDiscEjected");
  g.OnDVDDiscInserted = plain("OnDVDDiscInserted");
  g.OnDVDCurrentHMSFTime = [add](TFilterGraph*, const TDVD_HMSF_TIMECODE& t, const TDVD_TimeCode& c) {
    add(Text("OnDVDCurrentHMSFTime", N(t.bHours), N(t.bMinutes), N(t.bSeconds), N(t.bFrames),
             "/", N(c.Hours10), N(c.Hours1), N(c.Minutes10), N(c.Minutes1), N(c.Seconds10),
             N(c.Seconds1), N(c.Frames10), N(c.Frames1), N(c.FrameRateCode)));
  };
  g.OnDVDKaraokeMode = flag("OnDVDKaraokeMode");
}

// A packed time code in the platform's layout, from the least significant bits up.
constexpr std::uint32_t PackedTime(int h, int m, int s, int f, int rateCode) {
  return std::uint32_t(h % 10) | std::uint32_t(h / 10) << 4 | std::uint32_t(m % 10) << 8 |
         std::uint32_t(m / 10) << 12 | std::uint32_t(s % 10) << 16 | std::uint32_t(s / 10) << 20 |
         std::uint32_t(f % 10) << 24 | std::uint32_t(f / 10) << 28 | std::uint32_t(rateCode) << 30;
}

struct Row {
  LONG code;
  LONG_PTR p1, p2;
  std::string raised;  // empty: only OnDSEvent
};

class GraphEventTableTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    graph->SetMode(gmDVD);
    graph->SetActive(true);
    auto& nav = *dvd->navigator;
    nav.audio = {{1, 0x0407}, {2, 0}, {3, 0x0234}};
    nav.subpicture = {{0, 0x040C}, {5, 0x0809}};
    BindAll(*graph, got);
  }
  // Queues the event, lets the GUI thread take it and returns what was raised after OnDSEvent.
  Lines Raise(LONG code, LONG_PTR p1, LONG_PTR p2) {
    got.clear();
    dvd->graph->QueueEvent(code, p1, p2);
    Pump();
    EXPECT_FALSE(got.empty());
    if (got.empty()) return {};
    EXPECT_EQ(got[0], Text("OnDSEvent", N(code), N(p1), N(p2)));
    return Lines(got.begin() + 1, got.end());
  }
  Lines got;
};

TEST_F(GraphEventTableTest, EveryCodeRaisesItsEventWithItsArguments) {
  auto renderer = MakeCom<FakeFilter>("renderer", 1);
  IBaseFilter* r = renderer.Get();
  ComPtr<IPin> pin{TPinList(r)[0]};
  REFERENCE_TIME segmentTime = 123456789012LL;
  static const char kOle1[] = "first text";
  static const char kOle2[] = "second text";
  auto lp = [](const void* p) { return reinterpret_cast<LONG_PTR>(p); };
  const HRESULT fail = E_FAIL;

  const std::vector<Row> rows = {
      {EC_COMPLETE, S_OK, lp(r), Text("OnGraphComplete", HResultToString(S_OK), Hex(r))},
      {EC_USERABORT, 0, 0, "OnGraphUserAbort"},
      {EC_PALETTE_CHANGED, 0, 0, "OnGraphPaletteChanged"},
      {EC_QUALITY_CHANGE, 0, 0, "OnGraphQualityChange"},
      {EC_CLOCK_CHANGED, 0, 0, "OnGraphClockChanged"},
      {EC_STEP_COMPLETE, 0, 0, "OnGraphStepComplete"},
      {EC_GRAPH_CHANGED, 0, 0, "OnGraphChanged"},
      {EC_CLOCK_UNSET, 0, 0, "OnGraphClockUnset"},
      {EC_ERRORABORT, fail, 0, Text("OnGraphErrorAbort", HResultToString(fail))},
      {EC_ERROR_STILLPLAYING, fail, 0, Text("OnGraphErrorStillPlaying", HResultToString(fail))},
      {EC_PAUSED, S_OK, 0, Text("OnGraphPaused", HResultToString(S_OK))},
      {EC_STREAM_ERROR_STOPPED, fail, 7, Text("OnGraphStreamErrorStopped", HResultToString(fail), "7")},
      {EC_STREAM_ERROR_STILLPLAYING, fail, 8, Text("OnGraphStreamErrorStillPlaying", HResultToString(fail), "8")},
      {EC_VIDEO_SIZE_CHANGED, (576 << 16) | 720, 0, "OnGraphVideoSizeChanged 720 576"},
      {EC_OPENING_FILE, 1, 0, "OnGraphOpeningFile true"},
      {EC_OPENING_FILE, 0, 0, "OnGraphOpeningFile false"},
      {EC_BUFFERING_DATA, 1, 0, "OnGraphBufferingData true"},
      {EC_BUFFERING_DATA, 2, 0, "OnGraphBufferingData false"},
      {EC_FULLSCREEN_LOST, 0, lp(r), Text("OnGraphFullscreenLost", Hex(r))},
      {EC_OLE_EVENT, lp(kOle1), lp(kOle2), "OnGraphOleEvent 'first text' 'second text'"},
      {EC_STREAM_CONTROL_STOPPED, lp(pin.Get()), 11, Text("OnGraphStreamControlStopped", Hex(pin.Get()), "11")},
      {EC_STREAM_CONTROL_STARTED, lp(pin.Get()), 12, Text("OnGraphStreamControlStarted", Hex(pin.Get()), "12")},
      {EC_END_OF_SEGMENT, lp(&segmentTime), 3, "OnGraphEndOfSegment 123456789012 3"},
      {EC_END_OF_SEGMENT, 0, 4, "OnGraphEndOfSegment 0 4"},
      {EC_DEVICE_LOST, lp(static_cast<IUnknown*>(r)), 1, Text("OnGraphDeviceLost", Hex(static_cast<IUnknown*>(r)), "true")},
      {EC_DEVICE_LOST, lp(static_cast<IUnknown*>(r)), 0, Text("OnGraphDeviceLost", Hex(static_cast<IUnknown*>(r)), "false")},
      {EC_TIMECODE_AVAILABLE, lp(r), 5, Text("OnGraphTimeCodeAvailable", Hex(r), "5")},
      {EC_EXTDEVICE_MODE_CHANGE, 2, 6, "OnGraphEXTDeviceModeChange 2 6"},
      {EC_VMR_RENDERDEVICE_SET, 2, 0, "OnGraphVMRRenderDevice 2"},
      {EC_SNDDEV_IN_ERROR, 1, 9, "OnGraphSNDDevInError 1 9"},
      {EC_SNDDEV_OUT_ERROR, 2, 10, "OnGraphSNDDevOutError 2 10"},

      {EC_DVD_DOMAIN_CHANGE, 1, 0, "OnDVDDomainFirstPlay"},
      {EC_DVD_DOMAIN_CHANGE, 2, 0, "OnDVDDomainVideoManagerMenu"},
      {EC_DVD_DOMAIN_CHANGE, 3, 0, "OnDVDDomainVideoTitleSetMenu"},
      {EC_DVD_DOMAIN_CHANGE, 4, 0, "OnDVDDomainTitle"},
      {EC_DVD_DOMAIN_CHANGE, 5, 0, "OnDVDDomainStop"},
      {EC_DVD_DOMAIN_CHANGE, 6, 0, ""},
      {EC_DVD_TITLE_CHANGE, 3, 0, "OnDVDTitleChange 3"},
      {EC_DVD_CHAPTER_START, 12, 0, "OnDVDChapterStart 12"},
      {EC_DVD_AUDIO_STREAM_CHANGE, 1, 0, "OnDVDAudioStreamChange 1 1031 'German'"},
      {EC_DVD_AUDIO_STREAM_CHANGE, 2, 0, "OnDVDAudioStreamChange 2 0 ''"},
      {EC_DVD_AUDIO_STREAM_CHANGE, 3, 0, "OnDVDAudioStreamChange 3 564 ''"},
      {EC_DVD_SUBPICTURE_STREAM_CHANGE, 0, 0, "OnDVDSubpictureStreamChange 0 1036 'French'"},
      {EC_DVD_SUBPICTURE_STREAM_CHANGE, 5, 0, "OnDVDSubpictureStreamChange 5 2057 'English'"},
      {EC_DVD_ANGLE_CHANGE, 3, 2, "OnDVDAngleChange 3 2"},
      {EC_DVD_BUTTON_CHANGE, 4, 1, "OnDVDButtonChange 4 1"},
      {EC_DVD_VALID_UOPS_CHANGE, 0x1F, 0, "OnDVDValidUOPSChange 31"},
      {EC_DVD_STILL_ON, 1, 10, "OnDVDStillOn true 10"},
      {EC_DVD_STILL_ON, 0, -1, "OnDVDStillOn false -1"},
      {EC_DVD_STILL_OFF, 0, 0, "OnDVDStillOff"},
      {EC_DVD_CURRENT_TIME, PackedTime(1, 23, 45, 12, 1), 0, "OnDVDCurrentTime 1 23 45 12 25"},
      {EC_DVD_CURRENT_TIME, PackedTime(0, 5, 9, 29, 3), 0, "OnDVDCurrentTime 0 5 9 29 30"},
      {EC_DVD_CURRENT_TIME, PackedTime(0, 0, 1, 0, 2), 0, "OnDVDCurrentTime 0 0 1 0 0"},
      {EC_DVD_ERROR, 1, 0, "OnDVDErrorUnexpected"},
      {EC_DVD_ERROR, 2, 0, "OnDVDErrorCopyProtectFail"},
      {EC_DVD_ERROR, 3, 0, "OnDVDErrorInvalidDVD1_0Disc"},
      {EC_DVD_ERROR, 4, 0, "OnDVDErrorInvalidDiscRegion"},
      {EC_DVD_ERROR, 5, 0, "OnDVDErrorLowParentalLevel"},
      {EC_DVD_ERROR, 6, 0, "OnDVDErrorMacrovisionFail"},
      {EC_DVD_ERROR, 7, 0, "OnDVDErrorIncompatibleSystemAndDecoderRegions"},
      {EC_DVD_ERROR, 8, 0, "OnDVDErrorIncompatibleDiscAndDecoderRegions"},
      {EC_DVD_ERROR, 9, 0, ""},
      {EC_DVD_WARNING, 1, 0, "OnDVDWarningInvalidDVD1_0Disc"},
      {EC_DVD_WARNING, 2, 0, "OnDVDWarningFormatNotSupported"},
      {EC_DVD_WARNING, 3, 0, "OnDVDWarningIllegalNavCommand"},
      {EC_DVD_WARNING, 4, 0, "OnDVDWarningOpen"},
      {EC_DVD_WARNING, 5, 0, "OnDVDWarningSeek"},
      {EC_DVD_WARNING, 6, 0, "OnDVDWarningRead"},
      {EC_DVD_WARNING, 0, 0, ""},
      {EC_DVD_CHAPTER_AUTOSTOP, 0, 0, "OnDVDChapterAutoStop"},
      {EC_DVD_NO_FP_PGC, 0, 0, "OnDVDNoFP_PGC"},
      {EC_DVD_PLAYBACK_RATE_CHANGE, 5000, 0, "OnDVDPlaybackRateChange 0.5"},
      {EC_DVD_PLAYBACK_RATE_CHANGE, -80000, 0, "OnDVDPlaybackRateChange -8"},
      {EC_DVD_PARENTAL_LEVEL_CHANGE, 6, 0, "OnDVDParentalLevelChange 6"},
      {EC_DVD_PLAYBACK_STOPPED, 0, 0, "OnDVDPlaybackStopped"},
      {EC_DVD_ANGLES_AVAILABLE, 1, 0, "OnDVDAnglesAvailable true"},
      {EC_DVD_ANGLES_AVAILABLE, 0, 0, "OnDVDAnglesAvailable false"},
      {EC_DVD_PLAYPERIOD_AUTOSTOP, 0, 0, "OnDVDPlayPeriodAutoStop"},
      {EC_DVD_BUTTON_AUTO_ACTIVATED, 2, 0, "OnDVDButtonAutoActivated 2"},
      {EC_DVD_CMD_START, 77, 0, "OnDVDCMDStart 77"},
      {EC_DVD_CMD_END, 78, 0, "OnDVDCMDEnd 78"},
      {EC_DVD_DISC_EJECTED, 0, 0, "OnDVDDiscEjected"},
      {EC_DVD_DISC_INSERTED, 0, 0, "OnDVDDiscInserted"},
      {EC_DVD_CURRENT_HMSF_TIME, 0x18253A01, PackedTime(12, 34, 56, 27, 3),
       "OnDVDCurrentHMSFTime 1 58 37 24 / 1 2 3 4 5 6 2 7 3"},
      {EC_DVD_KARAOKE_MODE, 1, 0, "OnDVDKaraokeMode true"},
      {EC_DVD_KARAOKE_MODE, 2, 0, "OnDVDKaraokeMode true"},
      {EC_DVD_KARAOKE_MODE, 0, 0, "OnDVDKaraokeMode false"},
      // Codes outside the table reach the listeners and OnDSEvent only.
      {EC_TIME, 1, 2, ""},
      {EC_REPAINT, 0, 0, ""},
      {EC_USER + 5, 1, 1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Join({"code", N(row.code), "p1", N(row.p1), "p2", N(row.p2)}));
    Lines expected;
    if (!row.raised.empty()) expected.push_back(row.raised);
    EXPECT_EQ(Raise(row.code, row.p1, row.p2), expected);
  }
}

TEST_F(GraphEventTableTest, ListenersHearEveryEventFirst) {
  auto bar = MakeCom<FakeListener>("bar");
  graph->AttachListener(bar.Get());
  graph->OnDSEvent = [](TFilterGraph*, LONG code, LONG_PTR, LONG_PTR) { Log("OnDSEvent"); };
  graph->OnDVDTitleChange = [](TFilterGraph*, int) { Log("OnDVDTitleChange"); };
  CallLog().clear();
  dvd->graph->QueueEvent(EC_DVD_TITLE_CHANGE, 2, 0);
  dvd->graph->QueueEvent(EC_TIME, 5, 6);
  Pump();
  EXPECT_EQ(CallLog(), (Lines{"bar event 0x102 2 0", "OnDSEvent", "OnDVDTitleChange",
                              "FreeEventParams 0x102", "bar event 0x4 5 6", "OnDSEvent",
                              "FreeEventParams 0x4"}));
}

TEST_F(GraphEventTableTest, StreamChangeWithoutDvdInformationRaisesNothing) {
  graph->SetActive(false);
  dvdScript.navigator = false;
  graph->SetActive(true);
  CallLog().clear();
  EXPECT_EQ(Raise(EC_DVD_AUDIO_STREAM_CHANGE, 1, 0), Lines{});
  EXPECT_EQ(Raise(EC_DVD_SUBPICTURE_STREAM_CHANGE, 0, 0), Lines{});
}

TEST_F(GraphEventTableTest, LanguageIsLookedUpOnlyForABoundHandler) {
  graph->OnDVDAudioStreamChange = nullptr;
  CallLog().clear();
  EXPECT_EQ(Raise(EC_DVD_AUDIO_STREAM_CHANGE, 1, 0), Lines{});
  EXPECT_TRUE(LogLines("GetAudioLanguage").empty());
  EXPECT_EQ(Raise(EC_DVD_SUBPICTURE_STREAM_CHANGE, 5, 0),
            Lines{"OnDVDSubpictureStreamChange 5 2057 'English'"});
  EXPECT_EQ(LogLines("GetSubpictureLanguage"), Lines{"GetSubpictureLanguage 5"});
}

TEST(TimeCodeTest, ParametersUnpackIntoTheirRecords) {
  EXPECT_EQ(HmsfTimeCodeFromParam(0x04030201), (TDVD_HMSF_TIMECODE{1, 2, 3, 4}));
  EXPECT_EQ(TimeCodeFromParam(PackedTime(23, 59, 58, 29, 3)),
            (TDVD_TimeCode{3, 2, 9, 5, 8, 5, 9, 2, 3}));
}

}  // namespace
}  // namespace kavoro::test
