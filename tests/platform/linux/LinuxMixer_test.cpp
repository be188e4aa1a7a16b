#include "platform/os/linux/LinuxMixer.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

namespace kavoro::os {
namespace {

bool MachineHasSoundCard() {
  int card = -1;
  return snd_card_next(&card) == 0 && card >= 0;
}

TEST(LinuxMixer, WithoutASoundCardThereIsNoMixerDevice) {
  if (MachineHasSoundCard()) GTEST_SKIP() << "this machine has a sound card";
  LinuxMixer mixer;
  EXPECT_EQ(mixer.GetNumDevs(), 0u);
  MMRESULT r = MMSYSERR_NOERROR;
  EXPECT_EQ(mixer.Open(0, &r), nullptr);
  EXPECT_EQ(r, MMSYSERR_BADDEVICEID);
}

TEST(LinuxMixer, DeviceCountAgreesWithOpenAndOnlyDeviceZeroExists) {
  LinuxMixer mixer;
  MMRESULT r = MMSYSERR_ERROR;
  const auto device = mixer.Open(0, &r);
  EXPECT_EQ(device != nullptr, mixer.GetNumDevs() == 1u);
  EXPECT_EQ(r == MMSYSERR_NOERROR, device != nullptr);
  EXPECT_EQ(mixer.Open(1, &r), nullptr);
  EXPECT_EQ(r, MMSYSERR_BADDEVICEID);
}

}  // namespace
}  // namespace kavoro::os
