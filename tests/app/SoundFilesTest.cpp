// The two sounds the build puts into the program folder: PCM WAV files the platform's parser
// and sound player accept, short, at a moderate level, starting and ending in silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/Sound.h"
#include "platform/os/common/WavFile.h"
#include "platform/os/linux/LinuxSound.h"

namespace kavoro::os {
namespace {

constexpr double kFullScale = 32768.0;
constexpr double kShortestSeconds = 0.1;
constexpr double kLongestSeconds = 1.0;
// Heard at all, and well below full scale.
constexpr double kQuietestPeak = 0.05;
constexpr double kLoudestPeak = 0.5;
// The very first and last samples: silence but for rounding.
constexpr double kEdgeLevel = 0.001;
// The sound rises gently and has died away before it ends.
constexpr double kOnsetSeconds = 0.0005;
constexpr double kOnsetLevel = 0.02;
constexpr double kTailSeconds = 0.01;
constexpr double kTailLevel = 0.01;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Interleaved samples scaled to -1..1.
std::vector<double> Samples(const WavFile& wav) {
  std::vector<double> out;
  for (std::size_t i = 0; i + 1 < wav.samples.size(); i += 2) {
    const auto raw = static_cast<std::int16_t>(wav.samples[i] | (wav.samples[i + 1] << 8));
    out.push_back(raw / kFullScale);
  }
  return out;
}

double Peak(std::vector<double>::const_iterator first, std::vector<double>::const_iterator last) {
  double peak = 0;
  for (auto it = first; it != last; ++it) peak = std::max(peak, std::abs(*it));
  return peak;
}

TEST(SoundFiles, AreShortSoftCuesThePlayerAccepts) {
  for (const char* name : {"ShowM.wav", "ShowF.wav"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(KAVORO_PROGRAM_FOLDER) + "/" + name;
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing: " << path;
    const auto wav = ParseWav(bytes);
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->format.bitsPerSample, 16);
    EXPECT_TRUE(wav->format.sampleRate == 44100 || wav->format.sampleRate == 48000);
    EXPECT_TRUE(wav->format.channels == 1 || wav->format.channels == 2);

    const double seconds = static_cast<double>(wav->frames) / wav->format.sampleRate;
    EXPECT_GT(seconds, kShortestSeconds);
    EXPECT_LT(seconds, kLongestSeconds);

    const std::vector<double> s = Samples(*wav);
    ASSERT_FALSE(s.empty());
    const double peak = Peak(s.begin(), s.end());
    EXPECT_GT(peak, kQuietestPeak);
    EXPECT_LT(peak, kLoudestPeak);

    const auto samplesIn = [&](double t) {
      return static_cast<std::ptrdiff_t>(t * wav->format.sampleRate * wav->format.channels);
    };
    EXPECT_LE(std::abs(s.front()), kEdgeLevel);
    EXPECT_LE(std::abs(s.back()), kEdgeLevel);
    EXPECT_LT(Peak(s.begin(), s.begin() + samplesIn(kOnsetSeconds)), kOnsetLevel);
    EXPECT_LT(Peak(s.end() - samplesIn(kTailSeconds), s.end()), kTailLevel);

    // The player's own sound service takes the file (without a card it plays nothing).
    LinuxSound sound;
    EXPECT_TRUE(sound.PlaySound(path, SND_ASYNC));
    sound.StopSound();
  }
}

}  // namespace
}  // namespace kavoro::os
