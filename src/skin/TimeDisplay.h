#pragma once
// The main window's picture clock and play name. The clock copies six digits from the skin's
// digit strip into TimePanel's own picture; the play name shows in a label of fixed width and
// is cut with an end ellipsis when it does not fit.
#include <string>
#include <string_view>

namespace kavoro::app {
class TFrm_Main;
}

namespace kavoro::skin {

// What the clock shows for a time it cannot show, such as 100 hours or more.
constexpr const char* kClockOverflowText = "99:59:59";

// True for a text of eight characters with a decimal digit at positions 1, 2, 4, 5, 7 and 8
// (the separators between them are not looked at). Any thread.
bool IsClockText(std::string_view text);

// Draws the six digits of `text` ("hh:mm:ss") into TimePanel's picture: digit d of cell n is
// the strip's columns DigitWidth*d to DigitWidth*(d+1)-1, copied one to one to DigitCells[n].
// A text IsClockText refuses shows kClockOverflowText instead. Without a picture, a strip or a
// digit width nothing is drawn. GUI thread only.
void ShowTime(app::TFrm_Main& main, std::string_view text);

// Shows `text` (UTF-8) in Label_PlayName: as its caption when the text fits the label's width in
// its font; otherwise the caption is emptied and the label draws the text itself, cut with an
// end ellipsis. GUI thread only.
void ShowPlayName(app::TFrm_Main& main, const std::string& text);

}  // namespace kavoro::skin
