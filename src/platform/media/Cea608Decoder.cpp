#include "platform/media/Cea608Decoder.h"

#include <algorithm>
#include <bit>

namespace kavoro::media {
namespace {

constexpr std::uint8_t kParityBit = 0x80;
constexpr std::uint8_t kChannelTwoBit = 0x08;
constexpr std::uint8_t kFirstControl = 0x10, kLastControl = 0x1F;
constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr char32_t kSolidBlock = U'\u25A0';
constexpr std::uint8_t kUnderlineBit = 0x01;
constexpr int kLastColumn = kCaptionColumns - 1;
constexpr int kIndentStep = 4;

// First bytes (channel bit cleared) of the control groups of CC1.
constexpr std::uint8_t kMiscGroup = 0x14;
constexpr std::uint8_t kMidRowGroup = 0x11;
constexpr std::uint8_t kTabGroup = 0x17;
constexpr std::uint8_t kFirstPreambleSecond = 0x40;
constexpr std::uint8_t kPreambleLowerRowBit = 0x20;
constexpr std::uint8_t kFirstMidRow = 0x20, kLastMidRow = 0x2F;
constexpr std::uint8_t kFirstSpecial = 0x30, kLastSpecial = 0x3F;
constexpr std::uint8_t kFirstTab = 0x21, kLastTab = 0x23;
constexpr std::uint8_t kFirstCommand = 0x20, kLastCommand = 0x2F;
constexpr std::uint8_t kTransparentSpace = 0x39;
// Mid-row and preamble attribute values after the colours.
constexpr int kItalicAttribute = 7;
constexpr int kFirstIndentAttribute = 8;

// Miscellaneous control commands (second byte after kMiscGroup).
enum : std::uint8_t {
  kResumeCaptionLoading = 0x20,
  kBackspace = 0x21,
  kDeleteToEndOfRow = 0x24,
  kRollUp2 = 0x25,
  kRollUp3 = 0x26,
  kRollUp4 = 0x27,
  kResumeDirectCaptioning = 0x29,
  kTextRestart = 0x2A,
  kResumeTextDisplay = 0x2B,
  kEraseDisplayedMemory = 0x2C,
  kCarriageReturn = 0x2D,
  kEraseNonDisplayedMemory = 0x2E,
  kEndOfCaption = 0x2F,
};

bool OddParity(std::uint8_t b) { return (std::popcount(b) & 1) == 1; }

// The basic set is ASCII but for these cells.
char32_t BasicCharacter(std::uint8_t c) {
  switch (c) {
    case 0x2A: return U'\u00E1';
    case 0x5C: return U'\u00E9';
    case 0x5E: return U'\u00ED';
    case 0x5F: return U'\u00F3';
    case 0x60: return U'\u00FA';
    case 0x7B: return U'\u00E7';
    case 0x7C: return U'\u00F7';
    case 0x7D: return U'\u00D1';
    case 0x7E: return U'\u00F1';
    case 0x7F: return kSolidBlock;
    default: return c;
  }
}

constexpr char32_t kSpecialCharacters[] = {
    U'\u00AE', U'\u00B0', U'\u00BD', U'\u00BF', U'\u2122', U'\u00A2', U'\u00A3', U'\u266A',
    U'\u00E0', U' ',      U'\u00E8', U'\u00E2', U'\u00EA', U'\u00EE', U'\u00F4', U'\u00FB'};

// The extended sets after the two first bytes that select them (channel bit cleared), second
// bytes 0x20..0x3F: Spanish, French and miscellaneous; Portuguese, German and Danish.
constexpr std::uint8_t kExtendedGroupA = 0x12, kExtendedGroupB = 0x13;
constexpr std::uint8_t kFirstExtended = 0x20, kLastExtended = 0x3F;
constexpr char32_t kExtendedA[] = {
    U'\u00C1', U'\u00C9', U'\u00D3', U'\u00DA', U'\u00DC', U'\u00FC', U'\u2018', U'\u00A1',
    U'*',      U'\u2019', U'\u2014', U'\u00A9', U'\u2120', U'\u2022', U'\u201C', U'\u201D',
    U'\u00C0', U'\u00C2', U'\u00C7', U'\u00C8', U'\u00CA', U'\u00CB', U'\u00EB', U'\u00CE',
    U'\u00CF', U'\u00EF', U'\u00D4', U'\u00D9', U'\u00F9', U'\u00DB', U'\u00AB', U'\u00BB'};
constexpr char32_t kExtendedB[] = {
    U'\u00C3', U'\u00E3', U'\u00CD', U'\u00CC', U'\u00EC', U'\u00D2', U'\u00F2', U'\u00D5',
    U'\u00F5', U'{',      U'}',      U'\\',     U'^',      U'_',      U'|',      U'~',
    U'\u00C4', U'\u00E4', U'\u00D6', U'\u00F6', U'\u00DF', U'\u00A5', U'\u00A4', U'\u00A6',
    U'\u00C5', U'\u00E5', U'\u00D8', U'\u00F8', U'\u250C', U'\u2510', U'\u2514', U'\u2518'};

// Rows (0-based) addressed by a preamble's first byte (channel bit cleared), upper and lower
// halves of its second byte; -1 where none.
int PreambleRow(std::uint8_t first, bool lower) {
  switch (first) {
    case 0x11: return lower ? 1 : 0;
    case 0x12: return lower ? 3 : 2;
    case 0x15: return lower ? 5 : 4;
    case 0x16: return lower ? 7 : 6;
    case 0x17: return lower ? 9 : 8;
    case 0x10: return lower ? -1 : 10;
    case 0x13: return lower ? 12 : 11;
    case 0x14: return lower ? 14 : 13;
    default: return -1;
  }
}

}  // namespace

void Cea608Decoder::Reset() { *this = Cea608Decoder(); }

bool Cea608Decoder::Blank() const {
  for (const CaptionRow& r : displayed_)
    for (const CaptionCell& c : r)
      if (c.ch) return false;
  return true;
}

bool Cea608Decoder::Decode(std::uint8_t first, std::uint8_t second) {
  changed_ = false;
  const bool goodFirst = OddParity(first), goodSecond = OddParity(second);
  const std::uint8_t c1 = first & ~kParityBit, c2 = second & ~kParityBit;
  if (c1 >= kFirstControl && c1 <= kLastControl) {
    if (!goodFirst || !goodSecond) {
      lastControl_ = 0;
      return false;
    }
    const auto pair = static_cast<std::uint16_t>(c1 << 8 | c2);
    if (pair == lastControl_) {  // the repeat of the pair just taken
      lastControl_ = 0;
      return false;
    }
    lastControl_ = pair;
    Control(c1, c2);
    return changed_;
  }
  if (c1 < kFirstPrintable && goodFirst) return false;  // padding or another service
  lastControl_ = 0;
  if (!channelOne_ || !captionMode_) return false;
  Put(goodFirst ? BasicCharacter(c1) : kSolidBlock);
  if (!goodSecond) Put(kSolidBlock);
  else if (c2 >= kFirstPrintable) Put(BasicCharacter(c2));
  return changed_;
}

void Cea608Decoder::Control(std::uint8_t first, std::uint8_t second) {
  channelOne_ = (first & kChannelTwoBit) == 0;
  if (!channelOne_) return;
  const std::uint8_t group = first;
  if (group == kMiscGroup && second >= kFirstCommand && second <= kLastCommand) {
    Command(second);
    return;
  }
  if (!captionMode_) return;
  if (second >= kFirstPreambleSecond) {
    Preamble(group, second);
  } else if (group == kTabGroup && second >= kFirstTab && second <= kLastTab) {
    column_ = std::min(column_ + (second - kFirstTab + 1), kLastColumn);
  } else if (group == kMidRowGroup && second >= kFirstMidRow && second <= kLastMidRow) {
    MidRow(second);
  } else if (group == kMidRowGroup && second >= kFirstSpecial && second <= kLastSpecial) {
    if (second == kTransparentSpace) {
      // Moves on without a box behind the cell.
      Target()[row_][column_] = CaptionCell{};
      Touch();
      column_ = std::min(column_ + 1, kLastColumn);
    } else {
      Put(kSpecialCharacters[second - kFirstSpecial]);
    }
  } else if ((group == kExtendedGroupA || group == kExtendedGroupB) && second >= kFirstExtended &&
             second <= kLastExtended) {
    // Sent after a basic character that stands for it where the set is unknown: it takes
    // that character's cell.
    const char32_t* set = group == kExtendedGroupA ? kExtendedA : kExtendedB;
    if (column_ > 0) --column_;
    Put(set[second - kFirstExtended]);
  }
  // Background attributes are not drawn.
}

void Cea608Decoder::Command(std::uint8_t code) {
  switch (code) {
    case kResumeCaptionLoading:
      captionMode_ = true;
      style_ = Style::kPopOn;
      return;
    case kResumeDirectCaptioning:
      captionMode_ = true;
      style_ = Style::kPaintOn;
      return;
    case kRollUp2:
    case kRollUp3:
    case kRollUp4:
      captionMode_ = true;
      SetRollUp(code - kRollUp2 + 2);
      return;
    case kTextRestart:
    case kResumeTextDisplay:
      captionMode_ = false;
      return;
    default: break;
  }
  if (!captionMode_) return;
  switch (code) {
    case kBackspace: Backspace(); break;
    case kDeleteToEndOfRow:
      for (int c = column_; c < kCaptionColumns; ++c) Target()[row_][c] = CaptionCell{};
      Touch();
      break;
    case kEraseDisplayedMemory: EraseDisplayed(); break;
    case kEraseNonDisplayedMemory: loading_ = CaptionScreen{}; break;
    case kCarriageReturn:
      if (style_ == Style::kRollUp) CarriageReturn();
      break;
    case kEndOfCaption:
      std::swap(displayed_, loading_);
      style_ = Style::kPopOn;
      changed_ = true;
      break;
    default: break;  // flash on, alarms: nothing to draw
  }
}

void Cea608Decoder::Preamble(std::uint8_t first, std::uint8_t second) {
  const int row = PreambleRow(first, (second & kPreambleLowerRowBit) != 0);
  if (row < 0) return;
  const int attribute = (second & 0x1E) >> 1;
  underline_ = (second & kUnderlineBit) != 0;
  italic_ = attribute == kItalicAttribute;
  color_ = attribute < kItalicAttribute ? static_cast<CaptionColor>(attribute) : CaptionColor::kWhite;
  column_ = attribute >= kFirstIndentAttribute ? (attribute - kFirstIndentAttribute) * kIndentStep : 0;
  if (style_ != Style::kRollUp) {
    row_ = row;
    return;
  }
  // Roll-up: the row is the window's new base; the rows on screen move with it.
  const int base = std::max(row, rollRows_ - 1);
  if (base == row_) return;
  CaptionScreen moved{};
  for (int i = 0; i < rollRows_; ++i) {
    const int from = row_ - i, to = base - i;
    if (from >= 0 && to >= 0) moved[to] = displayed_[from];
  }
  displayed_ = moved;
  row_ = base;
  changed_ = true;
}

void Cea608Decoder::MidRow(std::uint8_t code) {
  const int attribute = (code & 0x0E) >> 1;
  underline_ = (code & kUnderlineBit) != 0;
  if (attribute == kItalicAttribute) {
    italic_ = true;
  } else {
    italic_ = false;
    color_ = static_cast<CaptionColor>(attribute);
  }
  Put(U' ');
}

void Cea608Decoder::Put(char32_t ch) {
  Target()[row_][column_] = CaptionCell{ch, color_, italic_, underline_};
  Touch();
  column_ = std::min(column_ + 1, kLastColumn);
}

void Cea608Decoder::Backspace() {
  if (column_ == 0) return;
  --column_;
  Target()[row_][column_] = CaptionCell{};
  Touch();
}

void Cea608Decoder::CarriageReturn() {
  const int top = std::max(0, row_ - rollRows_ + 1);
  for (int r = top; r < row_; ++r) displayed_[r] = displayed_[r + 1];
  displayed_[row_] = CaptionRow{};
  column_ = 0;
  changed_ = true;
}

void Cea608Decoder::EraseDisplayed() {
  if (!Blank()) changed_ = true;
  displayed_ = CaptionScreen{};
}

void Cea608Decoder::SetRollUp(int rows) {
  if (style_ != Style::kRollUp) {
    EraseDisplayed();
    loading_ = CaptionScreen{};
    style_ = Style::kRollUp;
    row_ = kCaptionRows - 1;
    column_ = 0;
  }
  rollRows_ = rows;
  // Rows above a window that got smaller leave the screen.
  for (int r = 0; r <= row_ - rollRows_; ++r) {
    if (displayed_[r] != CaptionRow{}) changed_ = true;
    displayed_[r] = CaptionRow{};
  }
  row_ = std::max(row_, rollRows_ - 1);
}

}  // namespace kavoro::media
