#pragma once
// Soft chimes: a few sine notes, each with a gentle bell-like overtone, a smooth attack and an
// exponential decay, summed and faded to silence at the end.
#include <cstdint>
#include <vector>

namespace kavoro::soundmaker {

struct TNote {
  double Frequency = 0;  // Hz
  double Start = 0;      // seconds from the start of the chime
  double Decay = 0;      // seconds for the note to fall to 1/e of its level
  double Weight = 1;     // loudness relative to the other notes
};

struct TChime {
  std::vector<TNote> Notes;
  double Length = 0;  // seconds, the whole sound
};

// 16-bit mono samples of `chime` at `sampleRate`, scaled so the loudest sample is `peak`
// (a fraction of full scale, above 0 and at most 1). The first and last samples are 0: every
// note begins at a zero crossing under a rising attack, and the sum fades out at the end.
// A pure function: any thread.
std::vector<std::int16_t> RenderChime(const TChime& chime, std::uint32_t sampleRate, double peak);

}  // namespace kavoro::soundmaker
