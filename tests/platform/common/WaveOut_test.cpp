#include "platform/os/WaveOut.h"

#include <gtest/gtest.h>

#include <vector>

namespace kavoro::os {
namespace {

struct VolumeCase {
  const char* what;
  std::uint32_t volume;
  int channels;
  std::vector<std::int16_t> in;
  std::vector<std::int16_t> out;
};

class ApplyVolumeTable : public testing::TestWithParam<VolumeCase> {};

// Expected values are worked out by hand: sample * level / 0xFFFF, truncated toward zero.
TEST_P(ApplyVolumeTable, ScalesEachChannelByItsLevel) {
  const VolumeCase& c = GetParam();
  std::vector<std::int16_t> samples = c.in;
  const std::size_t frames = samples.size() / static_cast<std::size_t>(c.channels);
  ApplyVolume(c.volume, samples.data(), frames, c.channels);
  EXPECT_EQ(samples, c.out) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ApplyVolumeTable,
    testing::Values(
        VolumeCase{"unity keeps the extremes", kFullVolume, 2,
                   {-32768, 32767, -1, 1}, {-32768, 32767, -1, 1}},
        VolumeCase{"zero silences", 0, 2, {-32768, 32767, 1000, -1000}, {0, 0, 0, 0}},
        VolumeCase{"half level truncates toward zero", PackVolume(0x8000, 0x8000), 2,
                   {32767, -32768, 1, -1}, {16383, -16384, 0, 0}},
        // 0x7777 / 0xFFFF is exactly 7/15, the level the balance bar gives at mid volume.
        VolumeCase{"seven fifteenths", PackVolume(0x7777, 0x7777), 2,
                   {30000, -30000, 15, 14}, {14000, -14000, 7, 6}},
        VolumeCase{"left only", PackVolume(0xFFFF, 0), 2, {1234, 1234, -5, -5}, {1234, 0, -5, 0}},
        VolumeCase{"right only", PackVolume(0, 0xFFFF), 2, {1234, 1234, -5, -5}, {0, 1234, 0, -5}},
        VolumeCase{"channels scaled independently", PackVolume(0x8000, 0x4000), 2,
                   {32767, 32767}, {16383, 8191}},
        VolumeCase{"mono takes the louder level", PackVolume(0x1111, 0x8000), 1,
                   {1000, -32768}, {500, -16384}},
        VolumeCase{"mono heard with the balance fully left", PackVolume(0xFFFF, 0), 1,
                   {1000, -1000}, {1000, -1000}},
        VolumeCase{"third channel takes the louder level", PackVolume(0, 0x8000), 3,
                   {1000, 1000, 1000}, {0, 500, 500}}),
    [](const testing::TestParamInfo<VolumeCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += *p == ' ' ? '_' : *p;
      return name;
    });

TEST(ApplyVolume, TouchesOnlyTheGivenFramesAndNothingWithoutChannels) {
  std::vector<std::int16_t> samples = {1000, 1000, 1000, 1000};
  ApplyVolume(0, samples.data(), 1, 2);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{0, 0, 1000, 1000}));

  ApplyVolume(0, samples.data(), 2, 0);
  EXPECT_EQ(samples, (std::vector<std::int16_t>{0, 0, 1000, 1000}));
}

}  // namespace
}  // namespace kavoro::os
