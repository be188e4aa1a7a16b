#pragma once
// The sim backend's sounds: nothing is heard; every sound played is recorded with its flags,
// and an asynchronous one counts as playing until it is stopped or replaced. Paths that tests
// mark unplayable are refused as unreadable WAV files would be.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/os/Sound.h"

namespace kavoro::os {

struct SimSoundPlay {
  std::string path;
  std::uint32_t flags = 0;
  bool operator==(const SimSoundPlay&) const = default;
};

class SimSound : public ISound {
 public:
  // GUI thread only. False, recording nothing and leaving the playing sound alone, for an
  // unplayable path. Otherwise records the play; with SND_ASYNC the sound is playing
  // afterwards, without it the sound has already ended.
  bool PlaySound(std::string_view path, std::uint32_t flags) override;
  // GUI thread only.
  void StopSound() override;

  // Test setup and inspection, GUI thread only.
  void SetUnplayable(std::string_view path);
  // Every accepted play, oldest first.
  const std::vector<SimSoundPlay>& Played() const { return played_; }
  // The path of the asynchronous sound still playing.
  const std::optional<std::string>& Playing() const { return playing_; }
  int StopCount() const { return stops_; }
  // Nothing played, nothing unplayable.
  void Reset();

 private:
  // GUI thread only.
  std::vector<SimSoundPlay> played_;
  std::optional<std::string> playing_;
  std::set<std::string, std::less<>> unplayable_;
  int stops_ = 0;
};

}  // namespace kavoro::os
