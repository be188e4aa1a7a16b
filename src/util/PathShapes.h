#pragma once
// The painter paths that drawn glyphs are made of, shared by the skin maker's button glyphs and
// the menus' pictures, so both speak the same icon language. Any thread (no widget involved).
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <initializer_list>

namespace kavoro::util {

// A closed polygon through the points.
inline QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  return path;
}

inline QPainterPath Rounded(qreal x, qreal y, qreal w, qreal h, qreal r) {
  QPainterPath path;
  path.addRoundedRect(QRectF(x, y, w, h), r, r);
  return path;
}

inline QPainterPath Circle(QPointF centre, qreal radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

// An open path from a to b, for stroking.
inline QPainterPath Line(QPointF a, QPointF b) {
  QPainterPath path;
  path.moveTo(a);
  path.lineTo(b);
  return path;
}

// The proportions of a gear: its body, each tooth (a rounded rectangle pointing up from the
// centre, before it is turned into place) and the hole.
struct TGearShape {
  QPointF Centre;
  qreal BodyRadius;
  QRectF Tooth;  // relative to the centre, tooth pointing up
  qreal ToothRadius;
  qreal HoleRadius;
  int Teeth;
};

// A gear: the body with its teeth spread evenly round it, the hole cut out.
inline QPainterPath Gear(const TGearShape& g) {
  QPainterPath gear = Circle(g.Centre, g.BodyRadius);
  for (int i = 0; i < g.Teeth; ++i) {
    QTransform turn;
    turn.translate(g.Centre.x(), g.Centre.y());
    turn.rotate(360.0 * i / g.Teeth);
    gear = gear.united(turn.map(Rounded(g.Tooth.x(), g.Tooth.y(), g.Tooth.width(),
                                        g.Tooth.height(), g.ToothRadius)));
  }
  return gear.subtracted(Circle(g.Centre, g.HoleRadius));
}

}  // namespace kavoro::util
