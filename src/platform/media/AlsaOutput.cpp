#include "platform/media/AlsaOutput.h"

#include <cerrno>
#include <cstdlib>

namespace kavoro::media {
namespace {

constexpr unsigned kLatencyMicroseconds = 100'000;
constexpr int kAllowResampling = 1;
constexpr int kWaitMilliseconds = 10;
constexpr int kSilentRecovery = 1;

// The library prints its own complaints to standard error; the player reports through
// results instead.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

std::string AlsaOutput::DeviceName() {
  const char* env = std::getenv("KAVORO_AUDIO_DEVICE");
  return env && *env ? std::string(env) : std::string("default");
}

bool AlsaOutput::Open(const std::string& device, int channels, int sampleRate) {
  Close();
  if (device == "none") return false;
  snd_lib_error_set_handler(Quiet);
  snd_pcm_t* raw = nullptr;
  if (snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
    return false;
  PcmPtr pcm(raw);
  if (snd_pcm_type(pcm.get()) == SND_PCM_TYPE_NULL) return false;
  if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                         static_cast<unsigned>(channels), static_cast<unsigned>(sampleRate),
                         kAllowResampling, kLatencyMicroseconds) < 0)
    return false;
  pcm_ = std::move(pcm);
  channels_ = channels;
  return true;
}

void AlsaOutput::Close() { pcm_.reset(); }

bool AlsaOutput::Write(const std::int16_t* samples, std::size_t frames) {
  while (frames > 0) {
    if (abort_ || !pcm_) return false;
    snd_pcm_sframes_t n = snd_pcm_writei(pcm_.get(), samples, frames);
    if (n == -EAGAIN) {
      snd_pcm_wait(pcm_.get(), kWaitMilliseconds);
      continue;
    }
    if (n < 0) {
      if (snd_pcm_recover(pcm_.get(), static_cast<int>(n), kSilentRecovery) < 0) return false;
      continue;
    }
    samples += static_cast<std::size_t>(n) * static_cast<std::size_t>(channels_);
    frames -= static_cast<std::size_t>(n);
  }
  return true;
}

std::int64_t AlsaOutput::Delay() {
  snd_pcm_sframes_t d = 0;
  if (!pcm_ || snd_pcm_delay(pcm_.get(), &d) < 0) return 0;
  return d;
}

void AlsaOutput::Drop() {
  if (pcm_) {
    snd_pcm_drop(pcm_.get());
    snd_pcm_prepare(pcm_.get());
  }
}

}  // namespace kavoro::media
