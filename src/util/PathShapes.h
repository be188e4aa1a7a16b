#pragma once
// The painter paths that drawn glyphs are made of, shared by the skin maker's button glyphs and
// the menus' pictures, so both speak the same icon language. Any thread (no widget involved).
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

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

}  // namespace kavoro::util
