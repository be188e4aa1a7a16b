#include "WavWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kavoro::soundmaker {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBytesPerSample = kBitsPerSample / 8;
constexpr std::uint32_t kFormatChunkSize = 16;
// "WAVE" + the format chunk with its header + the data chunk's header.
constexpr std::uint32_t kHeaderBytesInRiff = 4 + (8 + kFormatChunkSize) + 8;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples,
                                    std::uint32_t sampleRate) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
  std::vector<std::uint8_t> out;
  out.reserve(8 + kHeaderBytesInRiff + dataBytes);
  PutTag(out, "RIFF");
  Put32(out, kHeaderBytesInRiff + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, kFormatChunkSize);
  Put16(out, kFormatPcm);
  Put16(out, kChannels);
  Put32(out, sampleRate);
  Put32(out, sampleRate * kChannels * kBytesPerSample);
  Put16(out, kChannels * kBytesPerSample);
  Put16(out, kBitsPerSample);
  PutTag(out, "data");
  Put32(out, dataBytes);
  for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
  return out;
}

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples,
              std::uint32_t sampleRate) {
  const std::vector<std::uint8_t> bytes = EncodeWav(samples, sampleRate);
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "kavoro-sound-maker: cannot write %s\n", temp.c_str());
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::fprintf(stderr, "kavoro-sound-maker: cannot write %s: %s\n", path.c_str(),
                 ec.message().c_str());
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace kavoro::soundmaker
