#include "platform/os/common/WavFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "WavBuilder.h"

namespace kavoro::os {
namespace {

using test::Bytes;
using test::ExtensibleFmtBody;
using test::FmtBody;
using test::kTagExtensible;
using test::kTagFloat;
using test::kTagPcm;
using test::PcmWav;
using test::RiffFile;
using test::WavChunk;

// A test name from a case description.
std::string CaseName(const char* what) {
  std::string name;
  for (const char* p = what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
}

const Bytes kFourBytes = {1, 2, 3, 4};
const Bytes kFmtStereo16 = FmtBody(kTagPcm, 2, 44100, 16);

struct GoodCase {
  const char* what;
  Bytes file;
  std::uint16_t channels;
  std::uint32_t rate;
  std::uint16_t bits;
  Bytes samples;  // the bytes the parser must hand back
};

class WavFileGood : public testing::TestWithParam<GoodCase> {};

TEST_P(WavFileGood, GivesFormatAndExactlyTheWholeFrames) {
  const GoodCase& c = GetParam();
  const auto wav = ParseWav(c.file);
  ASSERT_TRUE(wav.has_value()) << c.what;
  EXPECT_EQ(wav->format.channels, c.channels);
  EXPECT_EQ(wav->format.sampleRate, c.rate);
  EXPECT_EQ(wav->format.bitsPerSample, c.bits);
  EXPECT_EQ(Bytes(wav->samples.begin(), wav->samples.end()), c.samples);
  EXPECT_EQ(wav->frames, c.samples.size() / wav->format.BytesPerFrame());
  // The samples are a view of the input, not a copy.
  if (!c.samples.empty()) {
    EXPECT_GE(wav->samples.data(), c.file.data());
    EXPECT_LE(wav->samples.data() + wav->samples.size(), c.file.data() + c.file.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WavFileGood,
    testing::Values(
        GoodCase{"mono 8-bit", PcmWav(1, 8000, 8, {0x80, 0x00, 0xFF}), 1, 8000, 8,
                 {0x80, 0x00, 0xFF}},
        GoodCase{"stereo 16-bit", PcmWav(2, 44100, 16, {1, 2, 3, 4, 5, 6, 7, 8}), 2, 44100, 16,
                 {1, 2, 3, 4, 5, 6, 7, 8}},
        GoodCase{"odd rate", PcmWav(1, 11025, 16, {9, 8}), 1, 11025, 16, {9, 8}},
        GoodCase{"extensible PCM",
                 RiffFile({{"fmt ", ExtensibleFmtBody(2, 48000, 16, true)}, {"data", kFourBytes}}),
                 2, 48000, 16, kFourBytes},
        GoodCase{"unknown odd-sized chunk with pad skipped",
                 RiffFile({{"LIST", {1, 2, 3}}, {"fmt ", kFmtStereo16}, {"data", kFourBytes}}),
                 2, 44100, 16, kFourBytes},
        GoodCase{"data before fmt",
                 RiffFile({{"data", kFourBytes}, {"fmt ", kFmtStereo16}}), 2, 44100, 16,
                 kFourBytes},
        GoodCase{"last chunk odd without its pad byte",
                 RiffFile({{"fmt ", FmtBody(kTagPcm, 1, 8000, 8)},
                           {"data", {1, 2, 3}, std::nullopt, false}}),
                 1, 8000, 8, {1, 2, 3}},
        GoodCase{"trailing partial frame left out",
                 PcmWav(2, 44100, 16, {1, 2, 3, 4, 5, 6}), 2, 44100, 16, kFourBytes},
        GoodCase{"empty data", PcmWav(1, 8000, 16, {}), 1, 8000, 16, {}},
        GoodCase{"second data chunk ignored",
                 RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes}, {"data", {7, 7, 7, 7}}}),
                 2, 44100, 16, kFourBytes},
        GoodCase{"fmt longer than 16 bytes",
                 RiffFile({{"fmt ", [] {
                              Bytes b = FmtBody(kTagPcm, 2, 44100, 16);
                              b.insert(b.end(), {0, 0});
                              return b;
                            }()},
                           {"data", kFourBytes}}),
                 2, 44100, 16, kFourBytes},
        GoodCase{"bytes after the declared RIFF size ignored",
                 [] {
                   Bytes f = PcmWav(2, 44100, 16, kFourBytes);
                   test::PutId(f, "junkjunk");
                   return f;
                 }(),
                 2, 44100, 16, kFourBytes},
        GoodCase{"RIFF size beyond the end, chunks complete",
                 RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes}}, 0x7FFFFFFF), 2, 44100,
                 16, kFourBytes}),
    [](const testing::TestParamInfo<GoodCase>& info) { return CaseName(info.param.what); });

struct BadCase {
  const char* what;
  Bytes file;
};

class WavFileBad : public testing::TestWithParam<BadCase> {};

TEST_P(WavFileBad, IsRefused) {
  EXPECT_FALSE(ParseWav(GetParam().file).has_value()) << GetParam().what;
}

Bytes WithFmt(Bytes fmt) { return RiffFile({{"fmt ", std::move(fmt)}, {"data", kFourBytes}}); }

INSTANTIATE_TEST_SUITE_P(
    Table, WavFileBad,
    testing::Values(
        BadCase{"empty", {}},
        BadCase{"header cut short", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}},
        BadCase{"big-endian RIFX", RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes}}, {},
                                            "RIFX")},
        BadCase{"not a WAVE form", RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes}}, {},
                                            "RIFF", "AVI ")},
        BadCase{"text file", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'}},
        BadCase{"RIFF size below the form id", RiffFile({{"fmt ", kFmtStereo16}}, 2)},
        BadCase{"no fmt chunk", RiffFile({{"data", kFourBytes}})},
        BadCase{"no data chunk", RiffFile({{"fmt ", kFmtStereo16}})},
        BadCase{"fmt body of 14 bytes", WithFmt(Bytes(kFmtStereo16.begin(), kFmtStereo16.end() - 2))},
        BadCase{"float samples", WithFmt(FmtBody(kTagFloat, 2, 44100, 32))},
        BadCase{"compressed tag", WithFmt(FmtBody(0x55, 2, 44100, 16))},
        BadCase{"extensible float", WithFmt(ExtensibleFmtBody(2, 44100, 16, false))},
        BadCase{"extensible cut to 18 bytes", WithFmt([] {
                  Bytes b = FmtBody(kTagExtensible, 2, 44100, 16);
                  b.insert(b.end(), {22, 0});
                  return b;
                }())},
        BadCase{"no channels", WithFmt(FmtBody(kTagPcm, 0, 44100, 16, 4))},
        BadCase{"three channels", WithFmt(FmtBody(kTagPcm, 3, 44100, 16))},
        BadCase{"24-bit", WithFmt(FmtBody(kTagPcm, 2, 44100, 24))},
        BadCase{"12-bit", WithFmt(FmtBody(kTagPcm, 1, 44100, 12, 2))},
        BadCase{"rate 0", WithFmt(FmtBody(kTagPcm, 2, 0, 16))},
        BadCase{"block alignment mismatch", WithFmt(FmtBody(kTagPcm, 2, 44100, 16, 2))},
        BadCase{"data runs past the end",
                RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes, 5000}})},
        BadCase{"data size 0xFFFFFFFF",
                RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes, 0xFFFFFFFFu}})},
        BadCase{"fmt runs past the end", RiffFile({{"fmt ", kFmtStereo16, 0xFFFFFFF0u}})},
        BadCase{"data outside the declared RIFF size",
                RiffFile({{"fmt ", kFmtStereo16}, {"data", kFourBytes}}, 4 + 8 + 16 + 8 + 2)},
        BadCase{"skipped chunk whose size hides the data",
                RiffFile({{"fmt ", kFmtStereo16}, {"LIST", {}, 0xFFFFFFFFu}, {"data", kFourBytes}})}),
    [](const testing::TestParamInfo<BadCase>& info) { return CaseName(info.param.what); });

// Every cut of a good file, and every single-byte change of its headers, is either refused
// or yields samples inside the input (checked for out-of-bounds reads under the sanitizers).
TEST(WavFile, CutsAndFlippedHeaderBytesNeverReachOutsideTheInput) {
  const Bytes good = PcmWav(2, 22050, 16, Bytes(64, 0x11));
  constexpr std::size_t kHeaderBytes = 44;
  for (std::size_t size = 0; size < good.size(); ++size) {
    // Trimmed copies on the heap, so a read past the end is a read past the allocation.
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ParseWav(cut).has_value()) << "cut to " << size;
  }
  for (std::size_t at = 0; at < kHeaderBytes; ++at) {
    for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
      Bytes changed = good;
      changed[at] = value;
      const auto wav = ParseWav(changed);
      if (!wav) continue;
      EXPECT_GE(wav->samples.data(), changed.data());
      EXPECT_LE(wav->samples.data() + wav->samples.size(), changed.data() + changed.size());
      EXPECT_EQ(wav->samples.size(), wav->frames * wav->format.BytesPerFrame());
    }
  }
}

}  // namespace
}  // namespace kavoro::os
