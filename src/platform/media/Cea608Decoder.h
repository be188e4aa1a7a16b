#pragma once
// Line 21 caption decoding: the byte pairs of field 1, caption channel 1 (CC1), into the
// captions on screen. Pop-on (loaded off screen, shown by end-of-caption), roll-up (2 to 4
// rows scrolling up at each carriage return) and paint-on (written straight onto the screen)
// styles; the basic, special and extended character sets; preamble address codes (row, indent, colour,
// italics, underline) and mid-row codes; backspace, tab offsets, delete to end of row and the
// erase and end-of-caption commands. Every byte carries odd parity: a control pair with a bad
// byte is dropped, a character with a bad byte shows as a solid block. Control pairs come twice
// in a row; the repeat is ignored. Channel 2 and the text service are skipped.
// Not thread-safe: one streaming thread uses it.
#include <array>
#include <cstdint>

namespace kavoro::media {

constexpr int kCaptionRows = 15;
constexpr int kCaptionColumns = 32;

enum class CaptionColor : std::uint8_t { kWhite, kGreen, kBlue, kCyan, kRed, kYellow, kMagenta };

struct CaptionCell {
  char32_t ch = 0;  // 0: nothing shown in the cell
  CaptionColor color = CaptionColor::kWhite;
  bool italic = false;
  bool underline = false;
  bool operator==(const CaptionCell&) const = default;
};
using CaptionRow = std::array<CaptionCell, kCaptionColumns>;
using CaptionScreen = std::array<CaptionRow, kCaptionRows>;

class Cea608Decoder {
 public:
  enum class Style { kPopOn, kRollUp, kPaintOn };

  // One byte pair as transmitted, parity bits included. True when the captions on screen
  // changed.
  bool Decode(std::uint8_t first, std::uint8_t second);
  // Back to the state at start: nothing on screen or loaded, pop-on style.
  void Reset();

  const CaptionScreen& Displayed() const { return displayed_; }
  bool Blank() const;
  Style CurrentStyle() const { return style_; }

 private:
  void Control(std::uint8_t first, std::uint8_t second);
  void Command(std::uint8_t code);
  void Preamble(std::uint8_t first, std::uint8_t second);
  void MidRow(std::uint8_t code);
  void Put(char32_t ch);
  void Backspace();
  void CarriageReturn();
  void EraseDisplayed();
  void SetRollUp(int rows);
  CaptionScreen& Target() { return style_ == Style::kPopOn ? loading_ : displayed_; }
  void Touch() {
    if (style_ != Style::kPopOn) changed_ = true;
  }

  CaptionScreen displayed_{};
  CaptionScreen loading_{};  // the pop-on caption being built off screen
  Style style_ = Style::kPopOn;
  bool captionMode_ = true;  // false while the text service is selected
  bool channelOne_ = true;   // the data that follows belongs to CC1
  int row_ = kCaptionRows - 1, column_ = 0;
  int rollRows_ = 2;
  CaptionColor color_ = CaptionColor::kWhite;
  bool italic_ = false, underline_ = false;
  // The last control pair, for ignoring its repeat.
  std::uint16_t lastControl_ = 0;
  bool changed_ = false;
};

}  // namespace kavoro::media
