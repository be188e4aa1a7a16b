#include "platform/os/common/WavFile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kavoro::os {
namespace {

constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeaderSize = 8;  // id, size
constexpr std::size_t kRiffSizeOffset = 4;
constexpr std::size_t kFormOffset = 8;

constexpr std::size_t kPcmFormatSize = 16;
constexpr std::size_t kExtensibleFormatSize = 40;
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kChannelsOffset = 2;
constexpr std::size_t kRateOffset = 4;
constexpr std::size_t kBlockAlignOffset = 12;
constexpr std::size_t kBitsOffset = 14;
constexpr std::size_t kSubFormatOffset = 24;
// The PCM sub-format GUID as stored in the file.
constexpr std::array<std::uint8_t, 16> kPcmSubFormat = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                        0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                        0x00, 0x38, 0x9B, 0x71};

constexpr std::uint16_t kMaxChannels = 2;
constexpr std::uint16_t kBits8 = 8;
constexpr std::uint16_t kBits16 = 16;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool IdIs(std::span<const std::uint8_t> b, std::size_t at, const char (&id)[5]) {
  return std::memcmp(b.data() + at, id, 4) == 0;
}

std::optional<WavFormat> ReadFormat(std::span<const std::uint8_t> body) {
  if (body.size() < kPcmFormatSize) return std::nullopt;
  const std::uint16_t tag = U16(body, 0);
  if (tag == kFormatExtensible) {
    if (body.size() < kExtensibleFormatSize) return std::nullopt;
    if (!std::equal(kPcmSubFormat.begin(), kPcmSubFormat.end(),
                    body.begin() + kSubFormatOffset)) {
      return std::nullopt;
    }
  } else if (tag != kFormatPcm) {
    return std::nullopt;
  }
  WavFormat f;
  f.channels = U16(body, kChannelsOffset);
  f.sampleRate = U32(body, kRateOffset);
  f.bitsPerSample = U16(body, kBitsOffset);
  const std::uint16_t blockAlign = U16(body, kBlockAlignOffset);
  if (f.channels < 1 || f.channels > kMaxChannels) return std::nullopt;
  if (f.bitsPerSample != kBits8 && f.bitsPerSample != kBits16) return std::nullopt;
  if (f.sampleRate == 0) return std::nullopt;
  if (blockAlign != f.BytesPerFrame()) return std::nullopt;
  return f;
}

}  // namespace

std::optional<WavFile> ParseWav(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kRiffHeaderSize) return std::nullopt;
  if (!IdIs(bytes, 0, "RIFF") || !IdIs(bytes, kFormOffset, "WAVE")) return std::nullopt;
  // The walk stays inside both the file and the RIFF chunk; 64-bit arithmetic keeps
  // 8 + size from wrapping.
  const std::uint64_t declaredEnd = std::uint64_t{kChunkHeaderSize} + U32(bytes, kRiffSizeOffset);
  const std::size_t end =
      static_cast<std::size_t>(std::min<std::uint64_t>(declaredEnd, bytes.size()));
  if (end < kRiffHeaderSize) return std::nullopt;

  std::optional<WavFormat> format;
  std::optional<std::span<const std::uint8_t>> data;
  std::size_t at = kRiffHeaderSize;
  while (end - at >= kChunkHeaderSize && !(format && data)) {
    const std::size_t bodyAt = at + kChunkHeaderSize;
    const std::uint32_t size = U32(bytes, at + 4);
    if (size > end - bodyAt) return std::nullopt;
    const auto body = bytes.subspan(bodyAt, size);
    if (IdIs(bytes, at, "fmt ") && !format) {
      format = ReadFormat(body);
      if (!format) return std::nullopt;
    } else if (IdIs(bytes, at, "data") && !data) {
      data = body;
    }
    // Chunk bodies are padded to an even length; the pad of the last chunk may be missing.
    const std::size_t next = std::size_t{size} + (size & 1u);
    if (next >= end - bodyAt) break;
    at = bodyAt + next;
  }
  if (!format || !data) return std::nullopt;

  WavFile wav;
  wav.format = *format;
  wav.frames = data->size() / format->BytesPerFrame();
  wav.samples = data->first(wav.frames * format->BytesPerFrame());
  return wav;
}

}  // namespace kavoro::os
