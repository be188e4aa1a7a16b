#pragma once
// Short sounds played in the background, like the platform's sndPlaySound: a new sound stops
// the one playing. Without a sound card nothing is heard and nothing waits.
#include <cstdint>
#include <string_view>

namespace kavoro::os {

constexpr std::uint32_t SND_SYNC = 0x0000;
constexpr std::uint32_t SND_ASYNC = 0x0001;
constexpr std::uint32_t SND_NODEFAULT = 0x0002;

// GUI thread only.
class ISound {
 public:
  virtual ~ISound() = default;
  // Plays a WAV file (PCM, 8 or 16 bit). With SND_ASYNC returns at once. False when the file
  // cannot be read as a WAV file; no card is not an error.
  virtual bool PlaySound(std::string_view path, std::uint32_t flags) = 0;
  // Stops a sound in progress, if any.
  virtual void StopSound() = 0;
};

}  // namespace kavoro::os
