#pragma once
// Writes 16-bit mono PCM samples as a RIFF/WAVE file.
#include <cstdint>
#include <string>
#include <vector>

namespace kavoro::soundmaker {

// The bytes of a canonical 44-byte-header WAV file holding `samples`. Any thread.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples,
                                    std::uint32_t sampleRate);

// Writes the file through a temporary file beside it and a rename, so an interrupted build
// never leaves half a sound. False, with a message on standard error, when it cannot.
// Any thread.
bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples,
              std::uint32_t sampleRate);

}  // namespace kavoro::soundmaker
