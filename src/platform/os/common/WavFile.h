#pragma once
// Reading a RIFF/WAVE file held in memory: the sample format and the span of its sample
// bytes. Only uncompressed PCM is accepted (format tag 1, or the extensible tag with the PCM
// sub-format), 8-bit unsigned or 16-bit signed little-endian samples, one or two channels,
// any non-zero rate.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kavoro::os {

struct WavFormat {
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint16_t bitsPerSample = 0;
  std::size_t BytesPerFrame() const { return std::size_t{channels} * (bitsPerSample / 8u); }
};

struct WavFile {
  WavFormat format;
  // Whole frames only: a trailing partial frame of the data chunk is left out. Points into
  // the bytes given to ParseWav, so it lives as long as they do.
  std::span<const std::uint8_t> samples;
  std::size_t frames = 0;
};

// Walks the chunks of `bytes` and returns the format of the first "fmt " chunk and the sample
// bytes of the first "data" chunk. nullopt for anything that is not such a file or is damaged:
// a wrong header, a chunk that runs past the end of the file (or past the size the RIFF header
// declares, when that is smaller), no format or no data chunk, a format outside the accepted
// set, or a block alignment that does not match channels and sample size. Unknown chunks are
// skipped; bytes after the declared RIFF size are ignored. Never reads outside `bytes`.
// A pure function: any thread.
std::optional<WavFile> ParseWav(std::span<const std::uint8_t> bytes);

}  // namespace kavoro::os
