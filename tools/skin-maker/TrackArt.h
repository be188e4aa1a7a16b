#pragma once
// Track-bar pictures. The bar picture is a groove over a flat well colour in three equal pieces
// (the middle one is stretched); the slider is an opaque knob that carries the same groove
// behind it, so it sits on the bar without a seam. The main picture paints the well around
// each bar in the same flat colour.
#include "SkinArt.h"

namespace kavoro::skinmaker {

struct TTrackStyle {
  QColor Well;
  QColor GrooveTop, GrooveBottom, GrooveEdge;
  qreal Groove = 0;     // the groove's thickness
  int Thickness = 0;    // of the bar and the slider
  int Cap = 0;          // width of each of the three pieces of the bar picture
  int KnobLength = 0;   // the slider's extent along the bar
  bool RoundKnob = true;
  QColor KnobTop, KnobBottom, KnobBorder, KnobMark;
};

QImage PaintBar(const TTrackStyle& style);
// The slider for a horizontal or a vertical bar.
QImage PaintSlider(const TTrackStyle& style, bool horizontal);

// Fills skin.Tracks[id] and paints the well around the bar into the main picture's body.
void MakeTrack(TSkinArt& skin, QImage& body, TTrackId id, QPoint place, bool horizontal,
               int length, const TTrackStyle& style, QColor wellShade, QColor wellLight);

}  // namespace kavoro::skinmaker
