// Files that are not what they claim: each ends in a result code or an event, never in a
// crash or a hang, and the graph can be emptied and used again.
#include <random>

#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

std::string Damaged(const std::string& name) {
  std::string bytes = ReadFile(Fixture("colors.mpg"));
  if (name == "truncated.mpg") return bytes.substr(0, bytes.size() * 2 / 5);
  std::mt19937 random(7);
  for (std::size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; ++i)
    bytes[i] = static_cast<char>(random());
  return bytes;
}

std::string Noise() {
  std::mt19937 random(11);
  std::string bytes(4096, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// An MPEG-2 stream whose sequence display extension names colour matrix 65, a number the
// decoding library passes on though it lists no such matrix.
std::string UnknownColourMatrix() {
  std::string bytes = ReadFile(Fixture("colourspace.mpg"));
  constexpr std::size_t kMatrixOffset = 7;  // start code, extension id byte, primaries, transfer
  for (std::size_t at = bytes.find("\x00\x00\x01\xB5", 0, 4); at != std::string::npos;
       at = bytes.find("\x00\x00\x01\xB5", at + 4, 4)) {
    const auto id = static_cast<unsigned char>(bytes[at + 4]);
    // Extension 2 (sequence display) with its colour description present.
    if ((id >> 4) == 2 && (id & 1) && at + kMatrixOffset < bytes.size())
      bytes[at + kMatrixOffset] = 65;
  }
  return bytes;
}

struct Case {
  const char* what;
  std::string (*path)();
  HRESULT expected;  // S_OK: whatever it gives, a success must play to an end
  bool exact;
};

const Case kCases[] = {
    {"missing file", [] { return Fixture("") + "/no-such-file.mpg"; }, VFW_E_NOT_FOUND, true},
    {"zero-length", [] { return WriteFile("empty.mpg", ""); }, VFW_E_FILE_TOO_SHORT, true},
    {"plain text", [] { return WriteFile("notes.txt", "Shopping list\nmilk\nbread\n"); },
     VFW_E_UNKNOWN_FILE_TYPE, true},
    {"damaged MIDI", [] { return WriteFile("damaged.mid", std::string("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\x40\0\x90", 24)); },
     VFW_E_INVALID_FILE_FORMAT, true},
    {"random bytes", [] { return WriteFile("noise.avi", Noise()); }, S_OK, false},
    {"truncated", [] { return WriteFile("truncated.mpg", Damaged("truncated.mpg")); }, S_OK, false},
    {"corrupt middle", [] { return WriteFile("corrupt.mpg", Damaged("corrupt.mpg")); }, S_OK, false},
    {"unknown codec", [] { return Fixture("unknown.avi"); }, VFW_S_VIDEO_NOT_RENDERED, true},
    {"audio only", [] { return Fixture("tone.wav"); }, S_OK, true},
    {"video only", [] { return Fixture("split.avi"); }, S_OK, true},
    {"unknown colour matrix", [] { return WriteFile("matrix65.mpg", UnknownColourMatrix()); }, S_OK,
     true},
};

class BadInputTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { os::Sim().Reset(); }
};

TEST_P(BadInputTest, EndsInAResultOrAnEventAndTheGraphStaysUsable) {
  const Case& c = GetParam();
  Graph g = MakeGraph();
  const HRESULT hr = g.builder->RenderFile(c.path(), {});
  if (c.exact) {
    EXPECT_EQ(hr, c.expected) << HResultToString(hr);
  }
  if (FAILED(hr)) {
    EXPECT_TRUE(FiltersOf(g.builder.Get()).empty()) << "a failed render leaves nothing behind";
  } else {
    std::vector<LONG> seen;
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    // The end of what could be read, or an error: either way something comes.
    WaitForEvent(g.events.Get(), EC_COMPLETE, 10000, &seen);
    const bool ended = std::find(seen.begin(), seen.end(), EC_COMPLETE) != seen.end() ||
                       std::find(seen.begin(), seen.end(), EC_ERRORABORT) != seen.end();
    EXPECT_TRUE(ended) << HResultToString(hr);
    EXPECT_EQ(g.control->Stop(), S_OK);
  }
  if (std::string(c.what) == "unknown codec") {
    auto source = FiltersOfClass(g.builder.Get(), CLSID_KavoroFileSource).front();
    for (auto& pin : media::PinsOf(source.Get())) {
      std::string id;
      pin->QueryId(&id);
      EXPECT_EQ(!media::PeerOf(pin.Get()), id == "Video") << id;
    }
  }
  ClearGraph(g.builder.Get());
  ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  PauseAndWait(g);
  g.control->Stop();
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string n = info.param.what;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
}  // namespace kavoro::testing
