#pragma once
// A playback device of the sound library, written from one thread (the audio renderer's
// streaming thread). Opening fails, and the renderer runs without a device, when there is no
// sound card or the device is the library's null device (which takes data without pacing).
#include <alsa/asoundlib.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace kavoro::media {

struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmPtr = std::unique_ptr<snd_pcm_t, PcmCloser>;

class AlsaOutput {
 public:
  // The device the player writes to: KAVORO_AUDIO_DEVICE, or "default"; "none" means no device.
  static std::string DeviceName();

  // False (and no device) when it cannot be opened, or is a null device.
  bool Open(const std::string& device, int channels, int sampleRate);
  void Close();
  bool IsOpen() const { return pcm_ != nullptr; }
  // Writes every frame, waiting while the device is full; returns early (false) when Abort
  // was called meanwhile or the device failed. Streaming thread.
  bool Write(const std::int16_t* samples, std::size_t frames);
  // Frames written but not yet heard.
  std::int64_t Delay();
  // Drops what is buffered. Streaming thread.
  void Drop();
  // Any thread: makes a Write under way return.
  void Abort() { abort_ = true; }
  void ClearAbort() { abort_ = false; }
  bool Aborted() const { return abort_; }

 private:
  PcmPtr pcm_;
  int channels_ = 0;
  std::atomic<bool> abort_{false};
};

}  // namespace kavoro::media
