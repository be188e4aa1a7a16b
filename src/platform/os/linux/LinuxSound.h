#pragma once
// The Linux short-sound player: WAV files played on a thread of their own through ALSA's
// "default" playback device. A new sound stops the one playing. When the device cannot be
// opened (no card) the sound is dropped silently and a synchronous call returns at once.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/os/Sound.h"
#include "platform/os/common/WavFile.h"

namespace kavoro::os {

class LinuxSound : public ISound {
 public:
  // Starts the sound thread; it sleeps until there is something to play.
  LinuxSound();
  // Stops the sound playing, if any, and joins the sound thread.
  ~LinuxSound() override;
  LinuxSound(const LinuxSound&) = delete;
  LinuxSound& operator=(const LinuxSound&) = delete;

  // GUI thread only. `path` is a native path. Reads the whole file (at most kMaxFileBytes)
  // and checks it is a PCM WAV file before anything else; false when it is not, and the
  // sound playing then goes on. Otherwise the sound playing stops and this one starts; with
  // SND_ASYNC the call returns at once, without it when the sound has ended (or at once when
  // the device cannot be opened). SND_NODEFAULT changes nothing: there is no default sound.
  bool PlaySound(std::string_view path, std::uint32_t flags) override;
  // GUI thread only. Stops the sound playing, if any; the device is released within a
  // fraction of a second.
  void StopSound() override;

  // Files above this size are refused rather than read into memory.
  static constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

 private:
  struct Request {
    std::uint64_t id = 0;
    // `wav` points into `bytes`; moving the vector keeps its buffer, so the pair moves as one.
    std::vector<std::uint8_t> bytes;
    WavFile wav;
  };

  // sound thread
  void Run();
  void Play(const Request& request);
  bool StillWanted(std::uint64_t id) const { return wanted_.load() == id; }

  // GUI thread only
  std::uint64_t lastId_ = 0;

  // any thread: the id of the sound that should be playing, 0 for none. The sound thread
  // checks it between writes and stops as soon as it changes.
  std::atomic<std::uint64_t> wanted_{0};

  // guarded by lock_
  std::mutex lock_;
  std::condition_variable wake_;      // a request or quit_ for the sound thread
  std::condition_variable finished_;  // finishedId_ moved on
  std::optional<Request> pending_;
  std::uint64_t finishedId_ = 0;  // the last request the sound thread is done with
  bool quit_ = false;

  // Started last, in the constructor body, when everything it touches exists.
  std::thread thread_;
};

}  // namespace kavoro::os
