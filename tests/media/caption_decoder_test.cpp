// Line 21 caption decoding from byte pairs: the three caption styles, addressing, attributes,
// editing commands, parity and repeated control pairs.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "platform/media/Cea608Decoder.h"

namespace kavoro::testing {
namespace {

using media::CaptionColor;
using media::Cea608Decoder;

// Adds the odd parity bit the way the pairs are transmitted.
std::uint8_t P(std::uint8_t b) { return (std::popcount(b) & 1) ? b : static_cast<std::uint8_t>(b | 0x80); }

struct Pair {
  std::uint8_t a, b;
};
// Control pairs of CC1 (sent twice, as encoders do).
const Pair kRcl{0x14, 0x20}, kEoc{0x14, 0x2F}, kEdm{0x14, 0x2C}, kEnm{0x14, 0x2E}, kCr{0x14, 0x2D},
    kRu2{0x14, 0x25}, kRu3{0x14, 0x26}, kRdc{0x14, 0x29}, kBs{0x14, 0x21}, kDer{0x14, 0x24},
    kTr{0x14, 0x2A};

class Feeder {
 public:
  // Returns whether the screen changed with the last pair.
  bool Control(Pair p, bool twice = true) {
    bool changed = d.Decode(P(p.a), P(p.b));
    if (twice) changed |= d.Decode(P(p.a), P(p.b));
    return changed;
  }
  bool Text(const std::string& s) {
    bool changed = false;
    for (std::size_t i = 0; i < s.size(); i += 2) {
      const std::uint8_t b = i + 1 < s.size() ? static_cast<std::uint8_t>(s[i + 1]) : 0;
      changed |= d.Decode(P(static_cast<std::uint8_t>(s[i])), P(b));
    }
    return changed;
  }
  std::string Row(int row) const {
    std::string out;
    for (const auto& c : d.Displayed()[row]) out += c.ch ? (c.ch < 0x80 ? static_cast<char>(c.ch) : '?') : '.';
    while (!out.empty() && out.back() == '.') out.pop_back();
    return out;
  }
  Cea608Decoder d;
};

TEST(Cea608Decoder, PopOnShowsAtEndOfCaptionAndGoesOnErase) {
  Feeder f;
  EXPECT_FALSE(f.Control(kRcl));
  EXPECT_FALSE(f.Control({0x14, 0x70}));  // row 15, column 0
  EXPECT_FALSE(f.Text("HELLO"));          // loaded off screen
  EXPECT_TRUE(f.d.Blank());
  EXPECT_TRUE(f.Control(kEoc));
  EXPECT_EQ(f.Row(14), "HELLO");
  // The next caption is built while this one shows, then replaces it.
  f.Control(kRcl);
  f.Control({0x11, 0x40});  // row 1
  f.Text("NEXT");
  EXPECT_EQ(f.Row(14), "HELLO");
  EXPECT_TRUE(f.Control(kEoc));
  EXPECT_EQ(f.Row(0), "NEXT");
  EXPECT_EQ(f.Row(14), "");
  EXPECT_TRUE(f.Control(kEdm));
  EXPECT_TRUE(f.d.Blank());
  // Erasing what is loaded: the end of caption then shows nothing.
  f.Control(kRcl);
  f.Text("GONE");
  f.Control(kEnm);
  f.Control(kEoc);
  EXPECT_TRUE(f.d.Blank());
}

TEST(Cea608Decoder, RollUpScrollsInsideItsWindow) {
  Feeder f;
  f.Control(kRu2);
  EXPECT_EQ(f.d.CurrentStyle(), Cea608Decoder::Style::kRollUp);
  EXPECT_TRUE(f.Text("ONE"));  // straight onto the screen, on the base row 15
  EXPECT_EQ(f.Row(14), "ONE");
  EXPECT_TRUE(f.Control(kCr));
  f.Text("TWO");
  EXPECT_EQ(f.Row(13), "ONE");
  EXPECT_EQ(f.Row(14), "TWO");
  f.Control(kCr);
  f.Text("SIX");
  EXPECT_EQ(f.Row(12), "");  // two rows: ONE scrolled away
  EXPECT_EQ(f.Row(13), "TWO");
  EXPECT_EQ(f.Row(14), "SIX");
  // A preamble moves the base row, and the rows with it.
  f.Control(kRu3);
  f.Control({0x13, 0x40});  // row 12
  EXPECT_EQ(f.Row(10), "TWO");
  EXPECT_EQ(f.Row(11), "SIX");
  EXPECT_EQ(f.Row(14), "");
}

TEST(Cea608Decoder, PaintOnEditsTheScreen) {
  Feeder f;
  f.Control(kRdc);
  f.Control({0x15, 0x40});  // row 5
  EXPECT_TRUE(f.Text("ABCDE"));
  EXPECT_EQ(f.Row(4), "ABCDE");
  EXPECT_TRUE(f.Control(kBs));
  EXPECT_EQ(f.Row(4), "ABCD");
  f.Control({0x15, 0x40});
  f.Control({0x17, 0x22});  // tab offset 2: column 2
  EXPECT_TRUE(f.Control(kDer));
  EXPECT_EQ(f.Row(4), "AB");
  // Switching to roll-up from another style clears the screen.
  EXPECT_TRUE(f.Control(kRu2));
  EXPECT_TRUE(f.d.Blank());
}

TEST(Cea608Decoder, PreamblesAndMidRowCodesSetPlaceAndLook) {
  struct Case {
    Pair pac;
    int row, column;
    CaptionColor color;
    bool italic, underline;
  } cases[] = {
      {{0x11, 0x40}, 0, 0, CaptionColor::kWhite, false, false},
      {{0x11, 0x63}, 1, 0, CaptionColor::kGreen, false, true},
      {{0x12, 0x48}, 2, 0, CaptionColor::kRed, false, false},
      {{0x10, 0x4A}, 10, 0, CaptionColor::kYellow, false, false},
      {{0x14, 0x6E}, 14, 0, CaptionColor::kWhite, true, false},
      {{0x17, 0x54}, 8, 8, CaptionColor::kWhite, false, false},    // indent 8
      {{0x16, 0x7F}, 7, 28, CaptionColor::kWhite, false, true},    // indent 28, underlined
  };
  for (const Case& c : cases) {
    Feeder f;
    f.Control(kRdc);
    f.Control(c.pac);
    f.Text("X");
    const auto& cell = f.d.Displayed()[c.row][c.column];
    EXPECT_EQ(cell.ch, U'X') << int(c.pac.a) << "," << int(c.pac.b);
    EXPECT_EQ(cell.color, c.color) << int(c.pac.b);
    EXPECT_EQ(cell.italic, c.italic) << int(c.pac.b);
    EXPECT_EQ(cell.underline, c.underline) << int(c.pac.b);
  }
  // Mid-row: a space, then text in the new colour; italics keep the colour.
  Feeder f;
  f.Control(kRdc);
  f.Control({0x11, 0x40});
  f.Text("A");
  f.Control({0x11, 0x28});  // red
  f.Text("B");
  f.Control({0x11, 0x2E});  // italics
  f.Text("C");
  const auto& row = f.d.Displayed()[0];
  EXPECT_EQ(f.Row(0), "A B C");
  EXPECT_EQ(row[2].color, CaptionColor::kRed);
  EXPECT_FALSE(row[2].italic);
  EXPECT_EQ(row[4].color, CaptionColor::kRed);
  EXPECT_TRUE(row[4].italic);
}

TEST(Cea608Decoder, CharacterSetsParityRepeatsAndOtherChannels) {
  Feeder f;
  f.Control(kRdc);
  f.Control({0x11, 0x40});
  // The basic set's own letters and a special character (a control pair, sent twice).
  f.Text("*\\~");
  f.Control({0x11, 0x37});  // musical note
  const auto& row = f.d.Displayed()[0];
  EXPECT_EQ(row[0].ch, U'\u00E1');
  EXPECT_EQ(row[1].ch, U'\u00E9');
  EXPECT_EQ(row[2].ch, U'\u00F1');
  EXPECT_EQ(row[3].ch, U'\u266A');
  EXPECT_EQ(row[4].ch, 0u);  // the repeat was not taken as a second note
  // A character with a parity error shows as a block; a control pair with one is dropped.
  f.d.Decode(static_cast<std::uint8_t>(P('A') ^ 0x80), P('B'));
  EXPECT_EQ(row[4].ch, U'\u25A0');
  EXPECT_EQ(row[5].ch, U'B');
  EXPECT_FALSE(f.d.Decode(P(0x14), static_cast<std::uint8_t>(P(0x2C) ^ 0x80)));
  EXPECT_FALSE(f.d.Blank());
  // Padding changes nothing.
  EXPECT_FALSE(f.d.Decode(0x80, 0x80));
  // A control pair sent three times: the third counts again (two backspaces).
  f.Control(kBs, false);
  f.Control(kBs, false);
  f.Control(kBs, false);
  EXPECT_EQ(row[5].ch, 0u);
  EXPECT_EQ(row[4].ch, 0u);
  EXPECT_EQ(row[3].ch, U'\u266A');
  // Channel 2 and the text service are not shown.
  f.Control({0x1C, 0x2C});  // CC2 erase: not ours
  EXPECT_FALSE(f.d.Blank());
  f.Control({0x1C, 0x29});
  EXPECT_FALSE(f.Text("ZZ"));
  f.Control(kRdc);  // back on CC1
  f.Control(kTr);
  EXPECT_FALSE(f.Text("TEXT"));
  f.Control(kRdc);
  EXPECT_TRUE(f.Text("Q"));
  f.Control(kEnm);
  EXPECT_FALSE(f.d.Blank());
  f.Control(kEdm);
  EXPECT_TRUE(f.d.Blank());

  // An extended character takes the cell of the basic one sent before it.
  Feeder e;
  e.Control(kRdc);
  e.Control({0x11, 0x40});
  e.Text("AO");
  e.Control({0x12, 0x30});  // À over the O
  e.Text("U");
  e.Control({0x13, 0x31});  // ä over the U
  const auto& ext = e.d.Displayed()[0];
  EXPECT_EQ(ext[0].ch, U'A');
  EXPECT_EQ(ext[1].ch, U'\u00C0');
  EXPECT_EQ(ext[2].ch, U'\u00E4');
  EXPECT_EQ(ext[3].ch, 0u);
}

}  // namespace
}  // namespace kavoro::testing
