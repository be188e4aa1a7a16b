#include "ButtonFaces.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kavoro::skinmaker {
namespace {

constexpr qreal kHalfPixel = 0.5;
constexpr qreal kGlowWidth = 2.0;
constexpr int kGlowAlpha = 110;
// The glyph sinks by this much while pressed.
constexpr qreal kPressShift = 1.0;

QPainterPath PlatePath(const QRectF& rect, const TFaceStyle& style) {
  QPainterPath path;
  if (style.Shape == TPlateShape::Round) {
    const qreal side = std::min(rect.width(), rect.height());
    path.addEllipse(QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side));
  } else {
    path.addRoundedRect(rect, style.Radius, style.Radius);
  }
  return path;
}

}  // namespace

QImage PaintFace(const QImage& backdrop, TGlyph glyph, const TFaceStyle& style, TFaceState state) {
  QImage face = backdrop.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const TFacePalette& palette = style.States[state];
  QPainter painter(&face);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF outer = QRectF(face.rect()).adjusted(kHalfPixel, kHalfPixel, -kHalfPixel, -kHalfPixel);
  const QRectF plate = palette.Glow.isValid() ? outer.adjusted(1, 1, -1, -1) : outer;
  if (palette.Glow.isValid()) {
    QColor glow = palette.Glow;
    glow.setAlpha(kGlowAlpha);
    painter.strokePath(PlatePath(outer, style), QPen(glow, kGlowWidth));
  }
  if (palette.Top.isValid()) {
    QLinearGradient shade(plate.topLeft(), plate.bottomLeft());
    shade.setColorAt(0, palette.Top);
    shade.setColorAt(1, palette.Bottom);
    const QPainterPath path = PlatePath(plate, style);
    painter.fillPath(path, shade);
    if (palette.Shine.isValid()) {
      QLinearGradient shine(plate.topLeft(), plate.bottomLeft());
      shine.setColorAt(0, palette.Shine);
      QColor fade = palette.Shine;
      fade.setAlpha(0);
      shine.setColorAt(0.5, fade);
      painter.strokePath(PlatePath(plate.adjusted(1, 1, -1, -1), style), QPen(QBrush(shine), 1));
    }
    if (palette.Border.isValid()) painter.strokePath(path, QPen(palette.Border, 1));
  }
  const qreal side = std::min(face.width(), face.height()) * style.GlyphFraction;
  QRectF box(0, 0, side, side);
  box.moveCenter(QRectF(face.rect()).center());
  if (state == fsDown) box.translate(0, kPressShift);
  if (style.GlyphShadow.isValid())
    DrawGlyph(painter, glyph, box.translated(style.ShadowOffset), style.GlyphShadow);
  DrawGlyph(painter, glyph, box, palette.Glyph);
  painter.end();
  return Opaque(face);
}

void MakeButton(TSkinArt& skin, TButtonId id, const QRect& place, TGlyph glyph,
                const TFaceStyle& style) {
  TButtonArt& button = skin.Buttons[id];
  button.Place = place;
  const QImage backdrop = skin.Main.copy(place);
  for (int state = 0; state < kFaceStates; ++state)
    button.Faces[state] = PaintFace(backdrop, glyph, style, static_cast<TFaceState>(state));
}

void PackSheet(TSkinArt& skin, QColor background) {
  int cellWidth = 0;
  int height = 0;
  for (const TButtonArt& button : skin.Buttons) {
    cellWidth = std::max(cellWidth, button.Place.width());
    height += button.Place.height();
  }
  skin.Sheet = QImage(cellWidth * kFaceStates, height, QImage::Format_RGB32);
  skin.Sheet.fill(background);
  QPainter painter(&skin.Sheet);
  int top = 0;
  for (TButtonArt& button : skin.Buttons) {
    for (int state = 0; state < kFaceStates; ++state) {
      button.SheetRects[state] = QRect(QPoint(cellWidth * state, top), button.Place.size());
      painter.drawImage(button.SheetRects[state].topLeft(), button.Faces[state]);
    }
    top += button.Place.height();
  }
}

}  // namespace kavoro::skinmaker
