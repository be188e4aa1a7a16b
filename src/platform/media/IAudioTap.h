#pragma once
// A tap on an audio renderer's output: every block of samples the renderer writes, after the
// output volume was applied, exactly as the device (or, without one, the clock) takes it.
#include <cstdint>
#include <functional>

#include "platform/media/MediaTypes.h"

namespace kavoro {

// Called on the renderer's streaming thread with interleaved signed 16-bit samples.
using AudioTapFn = std::function<void(const std::int16_t* samples, std::size_t frames,
                                      int channels, int sampleRate)>;

struct IAudioTap : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A003, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0x03);
  using Base = IUnknown;
  // Application thread, while stopped. Replaces the tap (empty: none).
  virtual HRESULT SetTap(AudioTapFn tap) = 0;
  // S_OK when the renderer writes to a sound device, S_FALSE when it runs without one and
  // keeps time by the system clock.
  virtual HRESULT HasDevice() = 0;
};

}  // namespace kavoro
