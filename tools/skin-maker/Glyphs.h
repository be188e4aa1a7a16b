#pragma once
// The icon language both skins share: every button's symbol, drawn as filled shapes and round-
// capped strokes on a 24-unit grid and scaled into the box it is given.
#include <QColor>
#include <QPainter>
#include <QRectF>

namespace kavoro::skinmaker {

enum class TGlyph {
  Play, Pause, Stop, Previous, Next, Forward, Rewind, Eject, SoundOn, SoundOff, ShowVideo,
  Fullscreen, Wallpaper, PlayList, Disc, Color, Gear, About, Menu, Minimize, Close
};

// Draws the glyph centred in box (a square is best), anti-aliased, in one colour.
void DrawGlyph(QPainter& painter, TGlyph glyph, const QRectF& box, const QColor& color);

}  // namespace kavoro::skinmaker
