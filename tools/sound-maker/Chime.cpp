#include "Chime.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kavoro::soundmaker {
namespace {

// A raised-cosine attack this long removes the click a sudden start would make.
constexpr double kAttackSeconds = 0.008;
// The tail is faded over this long, so the sound ends at exactly zero.
constexpr double kFadeOutSeconds = 0.04;

// Overtones that make a sine sound like a small bell; higher ones die away faster.
struct TPartial {
  double Multiple;
  double Level;
  double DecayShare;
};
constexpr TPartial kPartials[] = {
    {1.0, 1.0, 1.0},
    {2.0, 0.18, 0.5},
    {3.0, 0.05, 0.3},
};

constexpr double kFullScale = 32767.0;

// 0 to 1 over `length` seconds along half a cosine wave.
double RaisedCosine(double t, double length) {
  if (t >= length) return 1.0;
  return 0.5 * (1.0 - std::cos(std::numbers::pi * t / length));
}

}  // namespace

std::vector<std::int16_t> RenderChime(const TChime& chime, std::uint32_t sampleRate, double peak) {
  const auto frames = static_cast<std::size_t>(std::lround(chime.Length * sampleRate));
  std::vector<double> mix(frames, 0.0);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    double sum = 0;
    for (const TNote& note : chime.Notes) {
      const double local = t - note.Start;
      if (local < 0) continue;
      const double attack = RaisedCosine(local, kAttackSeconds);
      for (const TPartial& p : kPartials) {
        const double decay = std::exp(-local / (note.Decay * p.DecayShare));
        sum += note.Weight * p.Level * attack * decay *
               std::sin(2.0 * std::numbers::pi * note.Frequency * p.Multiple * local);
      }
    }
    const double remaining = chime.Length - t - 1.0 / sampleRate;
    mix[i] = sum * RaisedCosine(std::max(remaining, 0.0), kFadeOutSeconds);
  }

  double loudest = 0;
  for (double v : mix) loudest = std::max(loudest, std::abs(v));
  const double scale = loudest > 0 ? peak * kFullScale / loudest : 0;
  std::vector<std::int16_t> samples(frames);
  for (std::size_t i = 0; i < frames; ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
  return samples;
}

}  // namespace kavoro::soundmaker
