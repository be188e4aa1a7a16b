#include "platform/os/sim/SimWaveOut.h"

#include <gtest/gtest.h>

namespace kavoro::os {
namespace {

constexpr std::uint32_t kUntouched = 0x12345678;

TEST(SimWaveOut, KeepsTheLevelOfDeviceZeroFromFullVolume) {
  SimWaveOut out;
  std::uint32_t v = 0;
  ASSERT_EQ(out.GetVolume(0, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, kFullVolume);

  ASSERT_EQ(out.SetVolume(0, PackVolume(0x1111, 0)), MMSYSERR_NOERROR);
  ASSERT_EQ(out.GetVolume(0, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0x1111u);

  EXPECT_EQ(out.SetVolume(1, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(out.GetVolume(1, &v), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(out.GetVolume(0, nullptr), MMSYSERR_INVALPARAM);
}

TEST(SimWaveOut, FailingCallsKeepTheLevelAndResetClearsEverything) {
  SimWaveOut out;
  ASSERT_EQ(out.SetVolume(0, 0x00FF00FF), MMSYSERR_NOERROR);
  out.SetFailing(true);
  EXPECT_EQ(out.SetVolume(0, 0), MMSYSERR_NODRIVER);
  std::uint32_t v = kUntouched;
  EXPECT_EQ(out.GetVolume(0, &v), MMSYSERR_NODRIVER);
  EXPECT_EQ(v, kUntouched);

  out.SetFailing(false);
  ASSERT_EQ(out.GetVolume(0, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0x00FF00FFu);

  out.SetFailing(true);
  out.Reset();
  ASSERT_EQ(out.GetVolume(0, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, kFullVolume);
}

}  // namespace
}  // namespace kavoro::os
