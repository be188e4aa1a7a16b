#include "platform/os/WaveOut.h"

#include <algorithm>

namespace kavoro::os {
namespace {

constexpr std::int32_t kUnityLevel = 0xFFFF;

// The product of the extreme sample and the unity level fits in 32 bits.
static_assert(static_cast<std::int64_t>(INT16_MIN) * kUnityLevel >= INT32_MIN);

std::int16_t Scale(std::int16_t sample, std::int32_t level) {
  // Integer division truncates toward zero, so |result| <= |sample|.
  return static_cast<std::int16_t>(static_cast<std::int32_t>(sample) * level / kUnityLevel);
}

}  // namespace

void ApplyVolume(std::uint32_t volume, std::int16_t* samples, std::size_t frames, int channels) {
  if (channels < 1 || samples == nullptr) return;
  const std::int32_t left = LeftChannel(volume);
  const std::int32_t right = RightChannel(volume);
  const std::int32_t louder = std::max(left, right);
  if (left == kUnityLevel && right == kUnityLevel) return;

  const auto perFrame = static_cast<std::size_t>(channels);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    std::int16_t* s = samples + frame * perFrame;
    if (perFrame == 1) {
      s[0] = Scale(s[0], louder);
      continue;
    }
    s[0] = Scale(s[0], left);
    s[1] = Scale(s[1], right);
    for (std::size_t c = 2; c < perFrame; ++c) s[c] = Scale(s[c], louder);
  }
}

}  // namespace kavoro::os
