#include "platform/os/linux/LinuxSound.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

namespace kavoro::os {
namespace {

constexpr const char* kPlaybackDevice = "default";
// Buffer length asked of ALSA; also bounds how long a stopped sound is still heard.
constexpr unsigned kLatencyMicroseconds = 100'000;
constexpr int kAllowResampling = 1;
constexpr std::uint16_t kUnsignedSampleBits = 8;  // 8-bit WAV samples are unsigned
constexpr int kSilentRecovery = 1;
// How long the thread sleeps between checks for a stop while the device is full or draining.
constexpr int kWaitMilliseconds = 20;
constexpr auto kPollInterval = std::chrono::milliseconds(kWaitMilliseconds);
// A device that stops consuming is given up after the sound's own length plus this margin,
// so a synchronous call cannot hang on it.
constexpr auto kStallMargin = std::chrono::seconds(2);

struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > LinuxSound::kMaxFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) return std::nullopt;
  return bytes;
}

}  // namespace

LinuxSound::LinuxSound() { thread_ = std::thread([this] { Run(); }); }

LinuxSound::~LinuxSound() {
  {
    std::lock_guard lock(lock_);
    quit_ = true;
    wanted_ = 0;
  }
  wake_.notify_all();
  thread_.join();
}

bool LinuxSound::PlaySound(std::string_view path, std::uint32_t flags) {
  std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(std::string(path));
  if (!bytes) return false;
  const std::optional<WavFile> wav = ParseWav(*bytes);
  if (!wav) return false;

  const std::uint64_t id = ++lastId_;
  {
    std::lock_guard lock(lock_);
    pending_ = Request{id, std::move(*bytes), *wav};
    wanted_ = id;
  }
  wake_.notify_one();

  if ((flags & SND_ASYNC) == 0) {
    std::unique_lock lock(lock_);
    finished_.wait(lock, [&] { return finishedId_ >= id; });
  }
  return true;
}

void LinuxSound::StopSound() {
  std::lock_guard lock(lock_);
  wanted_ = 0;
  pending_.reset();
}

void LinuxSound::Run() {
  std::unique_lock lock(lock_);
  for (;;) {
    wake_.wait(lock, [&] { return quit_ || pending_.has_value(); });
    if (quit_) return;
    const Request request = std::move(*pending_);
    pending_.reset();
    lock.unlock();
    if (StillWanted(request.id)) Play(request);
    lock.lock();
    finishedId_ = request.id;
    finished_.notify_all();
  }
}

void LinuxSound::Play(const Request& request) {
  const WavFile& wav = request.wav;
  if (wav.frames == 0) return;

  // Non-blocking, so that neither a busy device nor a full buffer can keep this thread from
  // seeing a stop.
  snd_pcm_t* raw = nullptr;
  if (snd_pcm_open(&raw, kPlaybackDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0 ||
      raw == nullptr) {
    return;
  }
  const PcmHandle pcm(raw);
  const snd_pcm_format_t format =
      wav.format.bitsPerSample == kUnsignedSampleBits ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(pcm.get(), format, SND_PCM_ACCESS_RW_INTERLEAVED, wav.format.channels,
                         wav.format.sampleRate, kAllowResampling, kLatencyMicroseconds) < 0) {
    return;
  }

  const auto length = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(static_cast<double>(wav.frames) / wav.format.sampleRate));
  const auto deadline = std::chrono::steady_clock::now() + length + kStallMargin;
  const auto timedOut = [&] { return std::chrono::steady_clock::now() > deadline; };

  const std::size_t frameBytes = wav.format.BytesPerFrame();
  std::size_t written = 0;
  while (written < wav.frames) {
    if (!StillWanted(request.id) || timedOut()) {
      snd_pcm_drop(pcm.get());
      return;
    }
    const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm.get());
    if (avail < 0) {
      if (snd_pcm_recover(pcm.get(), static_cast<int>(avail), kSilentRecovery) < 0) return;
      continue;
    }
    if (avail == 0) {
      const int waited = snd_pcm_wait(pcm.get(), kWaitMilliseconds);
      if (waited < 0 && snd_pcm_recover(pcm.get(), waited, kSilentRecovery) < 0) return;
      continue;
    }
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(avail), wav.frames - written);
    const snd_pcm_sframes_t done =
        snd_pcm_writei(pcm.get(), wav.samples.data() + written * frameBytes, count);
    if (done == -EAGAIN) {
      snd_pcm_wait(pcm.get(), kWaitMilliseconds);
      continue;
    }
    if (done < 0) {
      if (snd_pcm_recover(pcm.get(), static_cast<int>(done), kSilentRecovery) < 0) return;
      continue;
    }
    written += static_cast<std::size_t>(done);
  }

  // Draining, unlike waiting for an underrun, stops the device exactly at the last frame, so
  // nothing stale in the buffer is heard. In non-blocking mode it returns at once (-EAGAIN)
  // and the device drains by itself; a stop meanwhile drops the rest.
  const int drained = snd_pcm_drain(pcm.get());
  if (drained < 0 && drained != -EAGAIN) {
    snd_pcm_drop(pcm.get());
    return;
  }
  while (StillWanted(request.id) && !timedOut()) {
    const snd_pcm_state_t state = snd_pcm_state(pcm.get());
    if (state != SND_PCM_STATE_DRAINING && state != SND_PCM_STATE_RUNNING) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  snd_pcm_drop(pcm.get());
}

}  // namespace kavoro::os
