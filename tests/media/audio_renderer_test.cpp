// The audio renderer's output: what it writes carries the player's output volume per
// channel. The tap sees exactly the blocks the renderer hands to the device.
#include <algorithm>
#include <cstdlib>

#include "MediaTestSupport.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

// Peaks may differ from the exact product by the rounding of one sample.
constexpr double kPeakSlack = 2.0;

struct Captured {
  int channels = 0;
  int rate = 0;
  std::size_t frames = 0;
  int peak[2] = {0, 0};
};

class AudioRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { os::Sim().Reset(); }

  Captured Play(std::uint32_t volume, bool scheduled) {
    os::Sim().WaveOut().SetVolume(os::kWaveOutDevice0, volume);
    Graph g = MakeGraph();
    EXPECT_EQ(g.builder->RenderFile(Fixture("tone.wav"), {}), S_OK);
    auto renderer = FiltersOfClass(g.builder.Get(), CLSID_AudioRender).front();
    EXPECT_EQ(renderer.As<IAudioTap>()->HasDevice(), S_FALSE);
    Captured c;
    renderer.As<IAudioTap>()->SetTap([&](const std::int16_t* s, std::size_t frames, int channels,
                                         int rate) {
      c.channels = channels;
      c.rate = rate;
      c.frames += frames;
      for (std::size_t i = 0; i < frames; ++i)
        for (int ch = 0; ch < std::min(channels, 2); ++ch)
          c.peak[ch] = std::max(c.peak[ch], std::abs(static_cast<int>(s[i * channels + ch])));
    });
    renderer.As<IRendererScheduling>()->SetClockScheduling(scheduled);
    EXPECT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
    g.control->Stop();
    renderer.As<IAudioTap>()->SetTap({});
    return c;
  }
};

TEST_F(AudioRendererTest, OutputVolumeReachesEachChannel) {
  struct Case {
    std::uint16_t left, right;
  };
  const Captured full = Play(os::kFullVolume, false);
  ASSERT_EQ(full.channels, 2);
  EXPECT_EQ(full.rate, 48000);
  EXPECT_NEAR(static_cast<double>(full.frames), 48000.0, 48.0);
  ASSERT_GT(full.peak[0], 8000);
  ASSERT_EQ(full.peak[0], full.peak[1]);
  for (const Case& v : {Case{0xFFFF, 0}, Case{0x4000, 0xFFFF}, Case{0, 0x8000}}) {
    const Captured c = Play(os::PackVolume(v.left, v.right), false);
    EXPECT_EQ(c.frames, full.frames);
    EXPECT_NEAR(c.peak[0], full.peak[0] * v.left / 0xFFFF, kPeakSlack) << v.left;
    EXPECT_NEAR(c.peak[1], full.peak[1] * v.right / 0xFFFF, kPeakSlack) << v.right;
  }
}

TEST_F(AudioRendererTest, WithoutADeviceTheClockPacesTheSound) {
  const auto start = std::chrono::steady_clock::now();
  const Captured c = Play(os::kFullVolume, true);
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_NEAR(static_cast<double>(c.frames), 48000.0, 48.0);
  EXPECT_GE(took, 0.9);
}

}  // namespace
}  // namespace kavoro::testing
