#pragma once
// The picture clock: a strip of ten seven-segment digits, with the unlit segments faintly
// showing as on a real display, and the panel with the colons between the digit pairs.
#include "SkinArt.h"

namespace kavoro::skinmaker {

struct TClockStyle {
  QColor Panel, Lit, Unlit, Glow;  // Glow invalid: none
  int DigitWidth = 0, DigitHeight = 0;
  qreal Segment = 0;  // thickness of a segment
  qreal Slant = 0;    // how far the top leans right, as a part of the height
  int PairGap = 0;    // between the two digits of a pair
  int ColonWidth = 0;
  int Margin = 0;     // around the digits inside the panel
};

// Fills skin.Clock: the strip, the panel and the six cells, the panel at place. With a body,
// the panel's background is the body under it and the digits' background the body's rows
// behind the cells (the body must not change from left to right there); without one, the
// panel colour.
void MakeClock(TSkinArt& skin, QPoint place, const TClockStyle& style, const QImage& body = {});

// The panel as the clock shows text ("01:23:45"): each digit cut from the strip into its cell.
QImage ShowClock(const TClockArt& clock, const QString& text);

}  // namespace kavoro::skinmaker
