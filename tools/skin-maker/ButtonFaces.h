#pragma once
// Button faces: a plate (rounded, round, or none until the pointer comes) with a glyph, painted
// over the part of the main picture the button covers, so the opaque button blends in; and the
// button sheet that holds every face.
#include "Glyphs.h"
#include "SkinArt.h"

#include <array>

namespace kavoro::skinmaker {

struct TFacePalette {
  QColor Top, Bottom;  // the plate's gradient; invalid: no plate
  QColor Border;       // invalid: no border
  QColor Shine;        // the plate's inner top edge; invalid: none
  QColor Glyph;
  QColor Glow;         // a soft ring around the plate; invalid: none
};

enum class TPlateShape { Rounded, Round };

struct TFaceStyle {
  TPlateShape Shape = TPlateShape::Rounded;
  qreal Radius = 0;          // of a rounded plate
  qreal GlyphFraction = 0;   // the glyph's side as a part of the shorter side of the button
  std::array<TFacePalette, kFaceStates> States;
  QColor GlyphShadow;        // under the glyph; invalid: none
  QPointF ShadowOffset{0, 1};
};

// One face of a button of style at state, over backdrop (the main picture under the button).
QImage PaintFace(const QImage& backdrop, TGlyph glyph, const TFaceStyle& style, TFaceState state);

// Paints the three faces of button id at place over the main picture.
void MakeButton(TSkinArt& skin, TButtonId id, const QRect& place, TGlyph glyph,
                const TFaceStyle& style);

// Lays every button's faces out on one sheet, a column per state and a row per button, and
// records where each face lies.
void PackSheet(TSkinArt& skin, QColor background);

}  // namespace kavoro::skinmaker
