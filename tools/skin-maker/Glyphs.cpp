#include "Glyphs.h"

#include "util/PathShapes.h"

#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace kavoro::skinmaker {
namespace {

using util::Line;
using util::Polygon;
using util::Rounded;

// Glyphs are drawn on a grid of this many units; a stroke width is given in the same units.
constexpr qreal kGrid = 24.0;
constexpr qreal kStroke = 2.2;
constexpr qreal kThinStroke = 1.8;
constexpr int kGearTeeth = 8;

struct TShape {
  QPainterPath Fill;
  QPainterPath Stroke;
  qreal StrokeWidth = kStroke;
};

QPainterPath Speaker() {
  QPainterPath body = Rounded(3, 9, 5, 6, 1);
  body.addPath(Polygon({{7, 9}, {12.5, 4.5}, {12.5, 19.5}, {7, 15}}));
  return body.simplified();
}

QPainterPath Gear() {
  return util::Gear({{12, 12}, 6.6, QRectF(-1.9, -10.2, 3.8, 5), 0.8, 2.8, kGearTeeth});
}

TShape Shape(TGlyph glyph) {
  TShape s;
  switch (glyph) {
    case TGlyph::Play:
      s.Fill = Polygon({{7.5, 4.5}, {19.5, 12}, {7.5, 19.5}});
      s.Stroke = s.Fill;
      s.StrokeWidth = 1.4;  // rounds the corners
      break;
    case TGlyph::Pause:
      s.Fill = Rounded(6, 5, 4, 14, 1);
      s.Fill.addPath(Rounded(14, 5, 4, 14, 1));
      break;
    case TGlyph::Stop:
      s.Fill = Rounded(6, 6, 12, 12, 1.6);
      break;
    case TGlyph::Previous:
      s.Fill = Rounded(5, 6, 2.6, 12, 0.8);
      s.Fill.addPath(Polygon({{19, 6}, {19, 18}, {8.6, 12}}));
      break;
    case TGlyph::Next:
      s.Fill = Rounded(16.4, 6, 2.6, 12, 0.8);
      s.Fill.addPath(Polygon({{5, 6}, {5, 18}, {15.4, 12}}));
      break;
    case TGlyph::Forward:
      s.Fill = Polygon({{3, 6.5}, {12, 12}, {3, 17.5}});
      s.Fill.addPath(Polygon({{12, 6.5}, {21, 12}, {12, 17.5}}));
      break;
    case TGlyph::Rewind:
      s.Fill = Polygon({{21, 6.5}, {12, 12}, {21, 17.5}});
      s.Fill.addPath(Polygon({{12, 6.5}, {3, 12}, {12, 17.5}}));
      break;
    case TGlyph::Eject:
      s.Fill = Polygon({{12, 4.5}, {19.5, 13}, {4.5, 13}});
      s.Fill.addPath(Rounded(4.5, 15.5, 15, 3, 0.8));
      break;
    case TGlyph::SoundOn:
      s.Fill = Speaker();
      s.Stroke.arcMoveTo(QRectF(9, 8, 8, 8), -45);
      s.Stroke.arcTo(QRectF(9, 8, 8, 8), -45, 90);
      s.Stroke.arcMoveTo(QRectF(8, 4.5, 15, 15), -50);
      s.Stroke.arcTo(QRectF(8, 4.5, 15, 15), -50, 100);
      s.StrokeWidth = kThinStroke;
      break;
    case TGlyph::SoundOff:
      s.Fill = Speaker();
      s.Stroke = Line({15.5, 9}, {21, 15});
      s.Stroke.addPath(Line({21, 9}, {15.5, 15}));
      break;
    case TGlyph::ShowVideo:
      s.Stroke = Rounded(3, 5, 18, 13, 2);
      s.StrokeWidth = kThinStroke;
      s.Fill = Polygon({{10, 8.5}, {15.5, 11.5}, {10, 14.5}});
      s.Fill.addPath(Rounded(8, 19.5, 8, 1.8, 0.9));
      break;
    case TGlyph::Fullscreen:
      s.Stroke.moveTo(4, 9);   s.Stroke.lineTo(4, 4);   s.Stroke.lineTo(9, 4);
      s.Stroke.moveTo(15, 4);  s.Stroke.lineTo(20, 4);  s.Stroke.lineTo(20, 9);
      s.Stroke.moveTo(20, 15); s.Stroke.lineTo(20, 20); s.Stroke.lineTo(15, 20);
      s.Stroke.moveTo(9, 20);  s.Stroke.lineTo(4, 20);  s.Stroke.lineTo(4, 15);
      break;
    case TGlyph::Wallpaper:
      s.Stroke = Rounded(3, 4, 18, 13, 1.6);
      s.StrokeWidth = kThinStroke;
      s.Fill = Polygon({{5.5, 15}, {10, 9.5}, {13, 13}, {15, 11}, {18.5, 15}});
      s.Fill.addEllipse(QPointF(16, 7.8), 1.5, 1.5);
      s.Fill.addPath(Rounded(7, 19, 10, 1.8, 0.9));
      break;
    case TGlyph::PlayList:
      s.Fill = Rounded(4, 5, 11, 2.2, 1.1);
      s.Fill.addPath(Rounded(4, 10.5, 11, 2.2, 1.1));
      s.Fill.addPath(Rounded(4, 16, 7, 2.2, 1.1));
      s.Fill.addPath(Polygon({{14, 13.5}, {21, 17.25}, {14, 21}}));
      break;
    case TGlyph::Disc: {
      QPainterPath disc;
      disc.addEllipse(QPointF(12, 12), 9, 9);
      QPainterPath hole;
      hole.addEllipse(QPointF(12, 12), 2.6, 2.6);
      QPainterPath groove;
      groove.addEllipse(QPointF(12, 12), 5.4, 5.4);
      QPainterPath inner;
      inner.addEllipse(QPointF(12, 12), 4.2, 4.2);
      s.Fill = disc.subtracted(groove).united(inner).subtracted(hole);
      break;
    }
    case TGlyph::Color: {
      s.Stroke.addEllipse(QPointF(12, 12), 8, 8);
      s.StrokeWidth = kThinStroke;
      s.Fill.moveTo(12, 4);
      s.Fill.arcTo(QRectF(4, 4, 16, 16), 90, 180);
      s.Fill.closeSubpath();
      break;
    }
    case TGlyph::Gear:
      s.Fill = Gear();
      break;
    case TGlyph::About:
      s.Stroke.addEllipse(QPointF(12, 12), 9, 9);
      s.StrokeWidth = kThinStroke;
      s.Fill.addEllipse(QPointF(12, 7.6), 1.4, 1.4);
      s.Fill.addPath(Rounded(10.8, 10.2, 2.4, 7.4, 1.0));
      break;
    case TGlyph::Menu:
      s.Fill = Rounded(4, 5.5, 16, 2.4, 1.2);
      s.Fill.addPath(Rounded(4, 10.8, 16, 2.4, 1.2));
      s.Fill.addPath(Rounded(4, 16.1, 16, 2.4, 1.2));
      break;
    case TGlyph::Minimize:
      s.Fill = Rounded(5, 15, 14, 2.4, 1.2);
      break;
    case TGlyph::Close:
      s.Stroke = Line({6, 6}, {18, 18});
      s.Stroke.addPath(Line({18, 6}, {6, 18}));
      break;
  }
  return s;
}

}  // namespace

void DrawGlyph(QPainter& painter, TGlyph glyph, const QRectF& box, const QColor& color) {
  const TShape shape = Shape(glyph);
  const qreal side = std::min(box.width(), box.height());
  const qreal scale = side / kGrid;
  QTransform place;
  place.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  place.scale(scale, scale);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (!shape.Fill.isEmpty()) painter.fillPath(place.map(shape.Fill), color);
  if (!shape.Stroke.isEmpty()) {
    QPen pen(color, shape.StrokeWidth * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.strokePath(place.map(shape.Stroke), pen);
  }
  painter.restore();
}

}  // namespace kavoro::skinmaker
