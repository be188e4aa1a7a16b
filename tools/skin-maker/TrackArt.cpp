#include "TrackArt.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace kavoro::skinmaker {
namespace {

// The well reaches this far around the bar in the main picture.
constexpr int kWellMargin = 3;
constexpr qreal kKnobInset = 0.5;
constexpr qreal kMarkFraction = 0.28;
// Left cap, middle, right cap.
constexpr int kBarPieces = 3;

void Groove(QPainter& painter, const QRectF& along, const TTrackStyle& style, bool horizontal) {
  QLinearGradient shade(along.topLeft(), horizontal ? along.bottomLeft() : along.topRight());
  shade.setColorAt(0, style.GrooveTop);
  shade.setColorAt(1, style.GrooveBottom);
  const qreal r = style.Groove / 2;
  QPainterPath path;
  path.addRoundedRect(along, r, r);
  painter.fillPath(path, shade);
  painter.strokePath(path, QPen(style.GrooveEdge, 1));
}

}  // namespace

QImage PaintBar(const TTrackStyle& style) {
  const int width = style.Cap * kBarPieces;
  QImage bar = Canvas(QSize(width, style.Thickness), style.Well);
  QPainter painter(&bar);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal y = (style.Thickness - style.Groove) / 2;
  Groove(painter, QRectF(1.5, y, width - 3, style.Groove), style, true);
  painter.end();
  return Opaque(bar);
}

QImage PaintSlider(const TTrackStyle& style, bool horizontal) {
  const QSize size = horizontal ? QSize(style.KnobLength, style.Thickness)
                                : QSize(style.Thickness, style.KnobLength);
  QImage slider = Canvas(size, style.Well);
  QPainter painter(&slider);
  painter.setRenderHint(QPainter::Antialiasing);
  // The groove runs on under the knob, past both ends.
  const qreal across = (style.Thickness - style.Groove) / 2;
  if (horizontal)
    Groove(painter, QRectF(-style.Groove, across, size.width() + 2 * style.Groove, style.Groove),
           style, true);
  else
    Groove(painter, QRectF(across, -style.Groove, style.Groove, size.height() + 2 * style.Groove),
           style, false);
  const QRectF knob = QRectF(slider.rect()).adjusted(kKnobInset, kKnobInset, -kKnobInset, -kKnobInset);
  QPainterPath path;
  if (style.RoundKnob) {
    const qreal side = std::min(knob.width(), knob.height());
    path.addEllipse(QRectF(knob.center().x() - side / 2, knob.center().y() - side / 2, side, side));
  } else {
    const qreal r = std::min(knob.width(), knob.height()) / 2;
    path.addRoundedRect(knob, r, r);
  }
  QLinearGradient shade(knob.topLeft(), knob.bottomLeft());
  shade.setColorAt(0, style.KnobTop);
  shade.setColorAt(1, style.KnobBottom);
  painter.fillPath(path, shade);
  painter.strokePath(path, QPen(style.KnobBorder, 1));
  // A small mark in the middle: a dot on a round knob, a grip line on a long one.
  const QPointF centre = knob.center();
  const qreal mark = std::min(knob.width(), knob.height()) * kMarkFraction;
  painter.setPen(Qt::NoPen);
  painter.setBrush(style.KnobMark);
  if (style.RoundKnob) {
    painter.drawEllipse(centre, mark / 2, mark / 2);
  } else if (horizontal) {
    painter.drawRoundedRect(QRectF(centre.x() - 1, centre.y() - mark, 2, 2 * mark), 1, 1);
  } else {
    painter.drawRoundedRect(QRectF(centre.x() - mark, centre.y() - 1, 2 * mark, 2), 1, 1);
  }
  painter.end();
  return Opaque(slider);
}

void MakeTrack(TSkinArt& skin, QImage& body, TTrackId id, QPoint place, bool horizontal,
               int length, const TTrackStyle& style, QColor wellShade, QColor wellLight) {
  TTrackArt& track = skin.Tracks[id];
  track.Place = place;
  track.Horizontal = horizontal;
  track.Length = length;
  track.Bar = PaintBar(style);
  track.Slider = PaintSlider(style, horizontal);
  const QSize size = horizontal ? QSize(length, style.Thickness) : QSize(style.Thickness, length);
  QPainter painter(&body);
  const QRectF well = QRectF(QRect(place, size)).adjusted(-kWellMargin, -kWellMargin, kWellMargin, kWellMargin);
  SunkenWell(painter, well, (style.Thickness + 2 * kWellMargin) / 2.0, style.Well, wellShade,
             wellLight);
}

}  // namespace kavoro::skinmaker
