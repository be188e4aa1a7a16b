#include "platform/os/sim/SimMixer.h"

#include <gtest/gtest.h>

namespace kavoro::os {
namespace {

constexpr std::uint32_t kUntouched = 0xABCD;

class SimMixerTest : public testing::Test {
 protected:
  std::unique_ptr<IMixerDevice> OpenDevice() {
    MMRESULT r = MMSYSERR_ERROR;
    auto device = mixer_.Open(0, &r);
    EXPECT_EQ(r, MMSYSERR_NOERROR);
    return device;
  }

  // The speakers line's mute control, found the way callers find it.
  MixerControl SpeakersMute(IMixerDevice& device) {
    MixerLine line;
    EXPECT_EQ(device.GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, &line),
              MMSYSERR_NOERROR);
    MixerControl control;
    EXPECT_EQ(device.GetLineControlByType(line, MIXERCONTROL_CONTROLTYPE_MUTE, &control),
              MMSYSERR_NOERROR);
    return control;
  }

  SimMixer mixer_;
};

TEST_F(SimMixerTest, StartsWithTheUsualLinesAndMuteSwitchesThatToggle) {
  EXPECT_EQ(mixer_.GetNumDevs(), 1u);
  auto device = OpenDevice();
  ASSERT_NE(device, nullptr);
  for (std::uint32_t type :
       {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE,
        MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER}) {
    MixerLine line;
    EXPECT_EQ(device->GetLineInfoByComponentType(type, &line), MMSYSERR_NOERROR) << type;
    EXPECT_EQ(line.componentType, type);
  }

  const MixerControl mute = SpeakersMute(*device);
  std::uint32_t value = kUntouched;
  ASSERT_EQ(device->GetControlValue(mute, &value), MMSYSERR_NOERROR);
  EXPECT_EQ(value, 0u);
  for (std::uint32_t expected : {1u, 0u}) {
    ASSERT_EQ(device->SetControlValue(mute, value == 0 ? 1 : 0), MMSYSERR_NOERROR);
    ASSERT_EQ(device->GetControlValue(mute, &value), MMSYSERR_NOERROR);
    EXPECT_EQ(value, expected);
  }
  mixer_.Line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->muted = true;
  ASSERT_EQ(device->GetControlValue(mute, &value), MMSYSERR_NOERROR);
  EXPECT_EQ(value, 1u);
}

TEST_F(SimMixerTest, AbsentOrUnopenableMixerGivesNoDevice) {
  MMRESULT r = MMSYSERR_NOERROR;
  EXPECT_EQ(mixer_.Open(1, &r), nullptr);
  EXPECT_EQ(r, MMSYSERR_BADDEVICEID);

  mixer_.SetOpenFails(true);
  EXPECT_EQ(mixer_.GetNumDevs(), 1u);
  EXPECT_EQ(mixer_.Open(0, &r), nullptr);
  EXPECT_EQ(r, MMSYSERR_NODRIVER);

  mixer_.SetPresent(false);
  EXPECT_EQ(mixer_.GetNumDevs(), 0u);
  EXPECT_EQ(mixer_.Open(0, &r), nullptr);
  EXPECT_EQ(r, MMSYSERR_BADDEVICEID);
}

TEST_F(SimMixerTest, MissingLinesAndSwitchesAreReportedAsSuch) {
  mixer_.RemoveLine(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER);
  mixer_.SetLine(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, {.name = "Master", .hasMute = false});
  auto device = OpenDevice();
  ASSERT_NE(device, nullptr);

  MixerLine line;
  EXPECT_EQ(device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, &line),
            MIXERR_INVALLINE);
  ASSERT_EQ(device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, &line),
            MMSYSERR_NOERROR);
  MixerControl control;
  EXPECT_EQ(device->GetLineControlByType(line, MIXERCONTROL_CONTROLTYPE_MUTE, &control),
            MIXERR_INVALCONTROL);

  ASSERT_EQ(device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, &line),
            MMSYSERR_NOERROR);
  constexpr std::uint32_t kVolumeControlType = 0x50030001;
  EXPECT_EQ(device->GetLineControlByType(line, kVolumeControlType, &control), MIXERR_INVALCONTROL);
  // A line that went away after it was found.
  mixer_.RemoveLine(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
  EXPECT_EQ(device->GetLineControlByType(line, MIXERCONTROL_CONTROLTYPE_MUTE, &control),
            MIXERR_INVALLINE);
}

TEST_F(SimMixerTest, FailingReadsAndWritesChangeNothing) {
  auto device = OpenDevice();
  ASSERT_NE(device, nullptr);
  const MixerControl mute = SpeakersMute(*device);
  SimMixerLine* speakers = mixer_.Line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);

  speakers->failReads = true;
  std::uint32_t value = kUntouched;
  EXPECT_EQ(device->GetControlValue(mute, &value), MMSYSERR_ERROR);
  EXPECT_EQ(value, kUntouched);

  speakers->failReads = false;
  speakers->failWrites = true;
  EXPECT_EQ(device->SetControlValue(mute, 1), MMSYSERR_ERROR);
  EXPECT_FALSE(speakers->muted);
}

TEST_F(SimMixerTest, ResetRestoresTheUsualMixerForDevicesAlreadyOpen) {
  auto device = OpenDevice();
  ASSERT_NE(device, nullptr);
  const MixerControl mute = SpeakersMute(*device);
  ASSERT_EQ(device->SetControlValue(mute, 1), MMSYSERR_NOERROR);
  mixer_.RemoveLine(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  mixer_.SetPresent(false);

  mixer_.Reset();
  EXPECT_EQ(mixer_.GetNumDevs(), 1u);
  EXPECT_NE(mixer_.Line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE), nullptr);
  std::uint32_t value = kUntouched;
  ASSERT_EQ(device->GetControlValue(SpeakersMute(*device), &value), MMSYSERR_NOERROR);
  EXPECT_EQ(value, 0u);
}

}  // namespace
}  // namespace kavoro::os
