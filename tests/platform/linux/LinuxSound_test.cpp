#include "platform/os/linux/LinuxSound.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../common/WavBuilder.h"

namespace kavoro::os {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::PcmWav;
using Clock = std::chrono::steady_clock;

// Far below the length of the sounds the tests play, so a call that played them would fail.
constexpr auto kPrompt = std::chrono::milliseconds(500);
constexpr std::uint32_t kRate = 8000;

// Two seconds of 16-bit stereo samples with a pattern that shows reordering or loss.
Bytes LongSamples() {
  constexpr std::size_t kBytes = 2 * kRate * 4;
  Bytes b(kBytes);
  for (std::size_t i = 0; i < kBytes; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return b;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path MakeTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "kavoro-sound-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

bool DefaultPlaybackOpens() {
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return false;
  snd_pcm_close(pcm);
  return true;
}

class LinuxSoundTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    good_ = folder_ / "long.wav";
    WriteFile(good_, PcmWav(2, kRate, 16, LongSamples()));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  fs::path folder_;
  fs::path good_;
};

TEST_F(LinuxSoundTest, WithoutADeviceGoodFilesReturnAtOnceEvenWhenSynchronous) {
  if (DefaultPlaybackOpens()) GTEST_SKIP() << "this machine has a playback device";
  const auto start = Clock::now();
  {
    LinuxSound sound;
    EXPECT_TRUE(sound.PlaySound(good_.string(), SND_SYNC));
    EXPECT_TRUE(sound.PlaySound(good_.string(), SND_ASYNC));
    EXPECT_TRUE(sound.PlaySound(good_.string(), SND_SYNC | SND_NODEFAULT));
  }
  EXPECT_LT(Clock::now() - start, kPrompt);
}

// Holds on any machine: a sound still playing is cut off by a new one, by StopSound and by
// destruction, and none of them waits for the sound to end.
TEST_F(LinuxSoundTest, StoppingAndDestroyingDoNotWaitForTheSound) {
  const auto start = Clock::now();
  {
    LinuxSound sound;
    ASSERT_TRUE(sound.PlaySound(good_.string(), SND_ASYNC));
    ASSERT_TRUE(sound.PlaySound(good_.string(), SND_ASYNC));
    sound.StopSound();
    ASSERT_TRUE(sound.PlaySound(good_.string(), SND_ASYNC));
  }
  EXPECT_LT(Clock::now() - start, kPrompt);
}

TEST_F(LinuxSoundTest, FilesThatAreNotPcmWavAreRefused) {
  const Bytes wav = PcmWav(1, kRate, 8, Bytes(100, 0x80));
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty.wav", {}},
      {"text.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e', ' ', 'f', 'i', 'l', 'e'}},
      {"truncated.wav", Bytes(wav.begin(), wav.end() - 10)},
      {"float.wav", test::RiffFile({{"fmt ", test::FmtBody(test::kTagFloat, 1, kRate, 32)},
                                    {"data", Bytes(8, 0)}})},
  };
  LinuxSound sound;
  for (const Case& c : cases) {
    WriteFile(folder_ / c.name, c.bytes);
    EXPECT_FALSE(sound.PlaySound((folder_ / c.name).string(), SND_SYNC)) << c.name;
  }
  EXPECT_FALSE(sound.PlaySound((folder_ / "missing.wav").string(), SND_ASYNC));
  EXPECT_FALSE(sound.PlaySound(folder_.string(), SND_ASYNC)) << "a folder";
}

// Plays `wav` synchronously through an ALSA "default" device that writes the raw stream to a
// file, then compares the file with `samples`. Runs in a fresh process (see below) because
// ALSA reads its configuration once per process. Returns the exit code for that process.
int PlayThroughFileDevice(const Bytes& wav, const Bytes& samples) {
  const fs::path folder = MakeTempFolder();
  if (folder.empty()) return 2;
  const fs::path config = folder / "asound.conf";
  const fs::path output = folder / "out.raw";
  const fs::path input = folder / "in.wav";
  std::ofstream(config) << "pcm.!default { type file slave.pcm \"null\" file \"" << output.string()
                        << "\" format \"raw\" }\npcm.null { type null }\n";
  WriteFile(input, wav);
  setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
  bool played = false;
  {
    LinuxSound sound;
    played = sound.PlaySound(input.string(), SND_SYNC);
  }
  const Bytes written = ReadFile(output);
  std::error_code ec;
  fs::remove_all(folder, ec);
  if (!played) {
    std::fprintf(stderr, "PlaySound refused the file\n");
    return 3;
  }
  if (written != samples) {
    std::fprintf(stderr, "device got %zu bytes, expected %zu\n", written.size(), samples.size());
    return 4;
  }
  return 0;
}

TEST(LinuxSoundDevice, EverySampleReachesTheDeviceInOrder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Bytes stereo16 = LongSamples();
  EXPECT_EXIT(std::exit(PlayThroughFileDevice(PcmWav(2, kRate, 16, stereo16), stereo16)),
              testing::ExitedWithCode(0), "")
      << "16-bit stereo";
  // An odd rate and a trailing partial frame that must not be sent.
  Bytes mono8(12345);
  for (std::size_t i = 0; i < mono8.size(); ++i) mono8[i] = static_cast<std::uint8_t>(i % 253);
  Bytes withPartial = stereo16;
  withPartial.push_back(0x55);
  EXPECT_EXIT(std::exit(PlayThroughFileDevice(PcmWav(1, 11025, 8, mono8), mono8)),
              testing::ExitedWithCode(0), "")
      << "8-bit mono";
  EXPECT_EXIT(std::exit(PlayThroughFileDevice(PcmWav(2, 22050, 16, withPartial), stereo16)),
              testing::ExitedWithCode(0), "")
      << "partial last frame";
  // Far shorter than the device buffer, so the device is never started by filling it.
  const Bytes twoFrames = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EXIT(std::exit(PlayThroughFileDevice(PcmWav(2, kRate, 16, twoFrames), twoFrames)),
              testing::ExitedWithCode(0), "")
      << "two frames";
}

}  // namespace
}  // namespace kavoro::os
