#pragma once
// The timing of a standard MIDI file: its tempo map and length, read with every length and
// count checked against the data, so a damaged file is refused instead of read past its end.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/MediaTypes.h"

namespace kavoro::media {

class MidiFile {
 public:
  // nullopt when the bytes are not a standard MIDI file (or one this parser cannot follow).
  static std::optional<MidiFile> Parse(const std::vector<std::uint8_t>& bytes);
  // True when the bytes start like a MIDI file ("MThd", or a RIFF RMID wrapper).
  static bool LooksLikeMidi(const std::uint8_t* head, std::size_t size);

  // Time of the last event.
  REFERENCE_TIME Length() const { return TickToTime(lastTick_); }
  REFERENCE_TIME TickToTime(std::int64_t tick) const;
  std::int64_t TimeToTick(REFERENCE_TIME time) const;

 private:
  struct Tempo {
    std::int64_t tick;
    std::int64_t usPerQuarter;
  };
  std::int64_t ticksPerQuarter_ = 0;  // 0: SMPTE timing
  std::int64_t ticksPerSecond_ = 0;   // SMPTE timing only
  std::vector<Tempo> tempi_;          // sorted by tick, first at tick 0
  std::int64_t lastTick_ = 0;
};

}  // namespace kavoro::media
