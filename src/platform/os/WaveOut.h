#pragma once
// The player's wave-output volume: one 16-bit level per channel, packed as the platform does
// (low word left, high word right). Our audio renderer scales every sample it writes by it,
// and the level is kept in the platform configuration so that the next start reads the last
// one.
#include <cstddef>
#include <cstdint>

namespace kavoro::os {

using MMRESULT = std::uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

constexpr std::uint32_t kWaveOutDevice0 = 0;
constexpr std::uint32_t kFullVolume = 0xFFFFFFFFu;

constexpr std::uint16_t LeftChannel(std::uint32_t volume) { return volume & 0xFFFFu; }
constexpr std::uint16_t RightChannel(std::uint32_t volume) { return volume >> 16; }
constexpr std::uint32_t PackVolume(std::uint16_t left, std::uint16_t right) {
  return static_cast<std::uint32_t>(left) | (static_cast<std::uint32_t>(right) << 16);
}

// Scales interleaved signed 16-bit samples in place by a packed level. With two or more
// channels, channel 0 takes the left level, channel 1 the right and any further channel
// (centre, LFE, surrounds) the louder of the two; a mono stream takes the louder of the two,
// so that it is heard as loud as the louder speaker whatever the balance. A channel level of
// 0xFFFF leaves samples unchanged and 0 silences them; in between every sample becomes
// sample * level / 0xFFFF truncated toward zero, so no sample grows and nothing clips.
// `samples` holds frames * channels values; does nothing when channels < 1.
// Any thread; touches only `samples`.
void ApplyVolume(std::uint32_t volume, std::int16_t* samples, std::size_t frames, int channels);

// Any thread. Only device 0 exists; it exists with or without a sound card, because the
// level is applied in software.
class IWaveOut {
 public:
  virtual ~IWaveOut() = default;
  virtual MMRESULT GetVolume(std::uint32_t device, std::uint32_t* volume) = 0;
  virtual MMRESULT SetVolume(std::uint32_t device, std::uint32_t volume) = 0;
};

}  // namespace kavoro::os
