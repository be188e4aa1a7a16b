#pragma once
// Builds RIFF/WAVE files byte by byte for tests, including damaged ones: any chunk can claim
// a size other than its body's, and the RIFF header any total size.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavoro::os::test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;

inline void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void PutId(Bytes& b, std::string_view id) { b.insert(b.end(), id.begin(), id.end()); }

struct WavChunk {
  WavChunk(std::string chunkId, Bytes chunkBody, std::optional<std::uint32_t> size = {},
           bool padOdd = true)
      : id(std::move(chunkId)), body(std::move(chunkBody)), declaredSize(size), pad(padOdd) {}

  std::string id;
  Bytes body;
  std::optional<std::uint32_t> declaredSize;  // the body's size when unset
  bool pad;                                   // pad odd bodies to an even length
};

// A format chunk body. The block alignment is channels * bits / 8 unless given.
inline Bytes FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                     std::uint16_t bits, std::optional<std::uint16_t> blockAlign = {}) {
  const auto align = blockAlign.value_or(static_cast<std::uint16_t>(channels * bits / 8));
  Bytes b;
  Put16(b, tag);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * align);
  Put16(b, align);
  Put16(b, bits);
  return b;
}

// An extensible format chunk body (40 bytes); `pcm` picks the PCM sub-format, else float.
inline Bytes ExtensibleFmtBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                               bool pcm) {
  constexpr std::uint16_t kExtraSize = 22;
  constexpr std::uint32_t kFrontLeftRight = 3;
  Bytes b = FmtBody(kTagExtensible, channels, rate, bits);
  Put16(b, kExtraSize);
  Put16(b, bits);
  Put32(b, kFrontLeftRight);
  Put16(b, pcm ? kTagPcm : kTagFloat);
  const Bytes guidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                          0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  b.insert(b.end(), guidTail.begin(), guidTail.end());
  return b;
}

inline Bytes RiffFile(const std::vector<WavChunk>& chunks,
                      std::optional<std::uint32_t> riffSize = {}, std::string_view riff = "RIFF",
                      std::string_view form = "WAVE") {
  Bytes body;
  PutId(body, form);
  for (const WavChunk& c : chunks) {
    PutId(body, c.id);
    Put32(body, c.declaredSize.value_or(static_cast<std::uint32_t>(c.body.size())));
    body.insert(body.end(), c.body.begin(), c.body.end());
    if (c.pad && c.body.size() % 2 == 1) body.push_back(0);
  }
  Bytes file;
  PutId(file, riff);
  Put32(file, riffSize.value_or(static_cast<std::uint32_t>(body.size())));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

inline Bytes PcmWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    const Bytes& samples) {
  return RiffFile({{"fmt ", FmtBody(kTagPcm, channels, rate, bits)}, {"data", samples}});
}

}  // namespace kavoro::os::test
