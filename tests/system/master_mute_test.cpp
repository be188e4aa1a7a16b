#include <gtest/gtest.h>

#include "platform/os/Application.h"
#include "platform/os/sim/SimPlatform.h"
#include "system/MasterMute.h"

namespace kavoro {
namespace {
using os::Sim;

class MasterMuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sim().Reset();
    os::SetApplicationTitle("Kavoro Player V2.14");
  }
  static std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& box : Sim().Dialogs().MessageBoxes()) {
      EXPECT_EQ(box.caption, "Kavoro Player V2.14");
      EXPECT_EQ(box.flags, os::MB_OK);
      texts.push_back(box.text);
    }
    return texts;
  }
};

TEST_F(MasterMuteTest, TogglingTwiceReturnsEachLineToItsFirstState) {
  for (int line : {mlSpeakers, mlMicrophone, mlWaveOut, mlSynthesizer}) {
    const bool first = GetLineMute(line);
    SetLineMute(line, !first);
    EXPECT_EQ(GetLineMute(line), !first) << line;
    SetLineMute(line, !GetLineMute(line));
    EXPECT_EQ(GetLineMute(line), first) << line;
  }
  EXPECT_TRUE(Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->muted == false);
  SetLineMute(mlSpeakers, true);
  EXPECT_TRUE(Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->muted);
  EXPECT_FALSE(Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT)->muted)
      << "each selector acts on its own line";
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MasterMuteTest, NoMixerReportsMutedAndIgnoresSettingsSilently) {
  for (bool absent : {true, false}) {
    Sim().Reset();
    if (absent) Sim().Mixer().SetPresent(false);
    else Sim().Mixer().SetOpenFails(true);
    EXPECT_TRUE(GetLineMute(mlSpeakers));
    SetLineMute(mlSpeakers, false);
    EXPECT_TRUE(GetLineMute(mlSpeakers));
    EXPECT_TRUE(Messages().empty());
  }
  Sim().Reset();
  Sim().Mixer().RemoveLine(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  EXPECT_TRUE(GetLineMute(mlSpeakers));
  SetLineMute(mlSpeakers, false);
  EXPECT_TRUE(Messages().empty()) << "a missing line is silent";
}

TEST_F(MasterMuteTest, ALineWithoutASwitchOrAFailingSwitchShowsItsMessage) {
  auto* speakers = Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  ASSERT_NE(speakers, nullptr);
  speakers->hasMute = false;
  EXPECT_TRUE(GetLineMute(mlSpeakers));
  SetLineMute(mlSpeakers, false);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"GetLineInfo Error", "GetLineInfo Error"}));

  Sim().Reset();
  speakers = Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  speakers->failReads = true;
  speakers->failWrites = true;
  EXPECT_TRUE(GetLineMute(mlSpeakers)) << "an unreadable switch reports muted";
  SetLineMute(mlSpeakers, true);
  EXPECT_FALSE(speakers->muted);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"SetControlDetails Error", "SetControlDetails Error"}));
}

}  // namespace
}  // namespace kavoro
