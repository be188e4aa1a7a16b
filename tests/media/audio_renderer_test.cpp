// The audio renderer's output: what it writes carries the player's output volume per
// channel. The tap sees exactly the blocks the renderer hands to the device. The device path
// itself runs on the tests' own sound configuration (alsa-test.conf): a device that writes to
// a file, and the same device on /dev/full for one that fails.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "MediaTestSupport.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IReferenceClock.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/ReferenceClock.h"
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


// The file device of alsa-test.conf, chosen for one test and given back afterwards.
constexpr char kCaptureDevice[] = "kavoro_capture";
constexpr int kBytesPerStereoFrame = 4;
constexpr REFERENCE_TIME kHalfSecond = 5'000'000;

class AudioDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    ASSERT_NE(std::getenv("ALSA_CONFIG_PATH"), nullptr) << "runs under the tests' sound configuration";
    output_ = std::filesystem::path(Fixture("tone.wav")).parent_path() / "device-output.raw";
    std::filesystem::remove(output_);
    setenv("KAVORO_AUDIO_DEVICE", kCaptureDevice, 1);
    UseFile(output_.string());
  }
  void TearDown() override {
    setenv("KAVORO_AUDIO_DEVICE", "none", 1);
    unsetenv("KAVORO_TEST_PCM_FILE");
  }
  static void UseFile(const std::string& path) { setenv("KAVORO_TEST_PCM_FILE", path.c_str(), 1); }

  // The tone graph with its renderer's clock as the graph's.
  struct ToneGraph {
    Graph g;
    ComPtr<IBaseFilter> renderer;
  };
  ToneGraph MakeToneGraph() {
    ToneGraph t{MakeGraph(), {}};
    EXPECT_EQ(t.g.builder->RenderFile(Fixture("tone.wav"), {}), S_OK);
    t.renderer = FiltersOfClass(t.g.builder.Get(), CLSID_AudioRender).front();
    return t;
  }
  // The frames the device wrote to the file, and the peak of each channel.
  Captured Written() const {
    const std::string bytes = ReadFile(output_.string());
    Captured c;
    c.channels = 2;
    c.frames = bytes.size() / kBytesPerStereoFrame;
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (std::size_t i = 0; i < c.frames * 2; ++i)
      c.peak[i % 2] = std::max(c.peak[i % 2], std::abs(static_cast<int>(s[i])));
    return c;
  }

  std::filesystem::path output_;
};

// What reaches the device is the whole tone with the output volume on each channel, and the
// clock is steered toward the device's position: this device takes each block at once, so the
// position runs ahead of the machine's clock and the clock follows it forward.
TEST_F(AudioDeviceTest, TheDeviceGetsTheSoundAndTheClockFollowsIt) {
  os::Sim().WaveOut().SetVolume(os::kWaveOutDevice0, os::PackVolume(0xFFFF, 0x4000));
  ToneGraph t = MakeToneGraph();
  ComPtr<IReferenceClock> clock = t.renderer.As<IReferenceClock>();
  ASSERT_TRUE(clock);
  REFERENCE_TIME before = 0;
  clock->GetTime(&before);
  const REFERENCE_TIME aheadBefore = before - media::MonotonicNow();
  ASSERT_TRUE(SUCCEEDED(t.g.control->Run()));
  EXPECT_EQ(t.renderer.As<IAudioTap>()->HasDevice(), S_OK);
  ASSERT_TRUE(WaitForEvent(t.g.events.Get(), EC_COMPLETE, 10000));
  REFERENCE_TIME after = 0;
  clock->GetTime(&after);
  const REFERENCE_TIME aheadAfter = after - media::MonotonicNow();
  t.g.control->Stop();
  EXPECT_EQ(t.renderer.As<IAudioTap>()->HasDevice(), S_FALSE);

  const Captured c = Written();
  EXPECT_NEAR(static_cast<double>(c.frames), 48000.0, 48.0);
  ASSERT_GT(c.peak[0], 8000);
  EXPECT_NEAR(c.peak[1], c.peak[0] * 0x4000 / 0xFFFF, kPeakSlack);
  EXPECT_GT(aheadAfter - aheadBefore, 10 * kUnitsPerMillisecond);
}

// A seek while paused flushes the open device (before any block reached it) and the device
// then plays only the sound from the new position.
TEST_F(AudioDeviceTest, ASeekWhilePausedStartsTheDeviceAtTheNewPosition) {
  ToneGraph t = MakeToneGraph();
  ASSERT_TRUE(SUCCEEDED(t.g.control->Pause()));
  OAFilterState state = State_Stopped;
  ASSERT_EQ(t.g.control->GetState(5000, &state), S_OK);
  REFERENCE_TIME target = kHalfSecond;
  ASSERT_EQ(t.g.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning),
            S_OK);
  ASSERT_TRUE(SUCCEEDED(t.g.control->Run()));
  ASSERT_TRUE(WaitForEvent(t.g.events.Get(), EC_COMPLETE, 10000));
  t.g.control->Stop();
  EXPECT_NEAR(static_cast<double>(Written().frames), 24000.0, 480.0);
}

// A device that fails while playing is reported once and closed; the sound goes on by the
// clock to its end instead of stalling.
TEST_F(AudioDeviceTest, AFailingDeviceIsReportedAndPlaybackGoesOnByTheClock) {
  UseFile("/dev/full");
  ToneGraph t = MakeToneGraph();
  std::size_t tapped = 0;
  t.renderer.As<IAudioTap>()->SetTap(
      [&](const std::int16_t*, std::size_t frames, int, int) { tapped += frames; });
  ASSERT_TRUE(SUCCEEDED(t.g.control->Run()));
  std::vector<LONG> seen;
  ASSERT_TRUE(WaitForEvent(t.g.events.Get(), EC_COMPLETE, 10000, &seen));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), EC_SNDDEV_OUT_ERROR), 1);
  EXPECT_EQ(t.renderer.As<IAudioTap>()->HasDevice(), S_FALSE);
  t.g.control->Stop();
  t.renderer.As<IAudioTap>()->SetTap({});
  EXPECT_NEAR(static_cast<double>(tapped), 48000.0, 48.0);
}

}  // namespace
}  // namespace kavoro::testing
