#include "ClockArt.h"

#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <array>

namespace kavoro::skinmaker {
namespace {

constexpr int kDigits = 10;
constexpr int kCells = 6;
// Segments a (top), b (top right), c (bottom right), d (bottom), e (bottom left), f (top left),
// g (middle); a bit per segment for each digit 0 to 9.
enum : int { sA = 1, sB = 2, sC = 4, sD = 8, sE = 16, sF = 32, sG = 64 };
constexpr std::array<int, kDigits> kSegments = {
    sA | sB | sC | sD | sE | sF,      sB | sC,
    sA | sB | sG | sE | sD,           sA | sB | sG | sC | sD,
    sF | sG | sB | sC,                sA | sF | sG | sC | sD,
    sA | sF | sG | sE | sD | sC,      sA | sB | sC,
    sA | sB | sC | sD | sE | sF | sG, sA | sB | sC | sD | sF | sG};
// The gap between two segments that meet.
constexpr qreal kJoinGap = 0.7;
constexpr qreal kGlowWidth = 1.6;
constexpr int kGlowAlpha = 70;
// The positions of the digits in the eight-character time text.
constexpr std::array<int, kCells> kTextDigits = {0, 1, 3, 4, 6, 7};
constexpr qreal kColonDot = 0.11;  // the colon dots' side, as a part of the digit height
// The heights of the two colon dots, as parts of the digit height.
constexpr std::array<qreal, 2> kColonDots = {0.32, 0.72};

QPainterPath Horizontal(qreal x1, qreal x2, qreal y, qreal t) {
  QPainterPath path;
  path.moveTo(x1, y);
  path.lineTo(x1 + t / 2, y - t / 2);
  path.lineTo(x2 - t / 2, y - t / 2);
  path.lineTo(x2, y);
  path.lineTo(x2 - t / 2, y + t / 2);
  path.lineTo(x1 + t / 2, y + t / 2);
  path.closeSubpath();
  return path;
}

QPainterPath Vertical(qreal x, qreal y1, qreal y2, qreal t) {
  QPainterPath path;
  path.moveTo(x, y1);
  path.lineTo(x + t / 2, y1 + t / 2);
  path.lineTo(x + t / 2, y2 - t / 2);
  path.lineTo(x, y2);
  path.lineTo(x - t / 2, y2 - t / 2);
  path.lineTo(x - t / 2, y1 + t / 2);
  path.closeSubpath();
  return path;
}

// The seven segments of a digit in a box of width x height, upright; slanted by the caller.
std::array<QPainterPath, 7> SegmentPaths(qreal width, qreal height, qreal t) {
  const qreal left = t / 2, right = width - t / 2;
  const qreal top = t / 2, middle = height / 2, bottom = height - t / 2;
  const qreal g = kJoinGap;
  return {Horizontal(left + g, right - g, top, t),
          Vertical(right, top + g, middle - g, t),
          Vertical(right, middle + g, bottom - g, t),
          Horizontal(left + g, right - g, bottom, t),
          Vertical(left, middle + g, bottom - g, t),
          Vertical(left, top + g, middle - g, t),
          Horizontal(left + g, right - g, middle, t)};
}

void PaintDigit(QPainter& painter, int digit, const QRectF& cell, const TClockStyle& style) {
  const qreal lean = style.Slant * cell.height();
  QTransform place;
  place.translate(cell.left() + 1, cell.top());
  // Lean the top to the right: x grows as y falls.
  place.shear(-style.Slant, 0);
  place.translate(lean, 0);
  const auto segments = SegmentPaths(cell.width() - lean - 2, cell.height(), style.Segment);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const bool lit = (kSegments[digit] >> i) & 1;
    const QPainterPath path = place.map(segments[i]);
    if (lit && style.Glow.isValid()) {
      QColor glow = style.Glow;
      glow.setAlpha(kGlowAlpha);
      painter.strokePath(path, QPen(glow, kGlowWidth));
    }
    painter.fillPath(path, lit ? style.Lit : style.Unlit);
  }
}

}  // namespace

void MakeClock(TSkinArt& skin, QPoint place, const TClockStyle& style, const QImage& body) {
  TClockArt& clock = skin.Clock;
  clock.DigitWidth = style.DigitWidth;
  // Cells: pairs of digits with a colon between the pairs, all at one height.
  int x = style.Margin;
  for (int cell = 0; cell < kCells; ++cell) {
    clock.Cells[cell] = QPoint(x, style.Margin);
    x += style.DigitWidth + (cell % 2 == 0 ? style.PairGap : style.ColonWidth);
  }
  x += style.Margin - style.ColonWidth;
  const QSize size(x, style.DigitHeight + 2 * style.Margin);

  // Each digit's background is the row of the body behind the cells, so the shading of the
  // display runs on through the digits.
  QImage strip = Canvas(QSize(style.DigitWidth * kDigits, style.DigitHeight), style.Panel);
  if (!body.isNull()) {
    const QPoint first = place + clock.Cells[0];
    for (int y = 0; y < strip.height(); ++y)
      for (int sx = 0; sx < strip.width(); ++sx) strip.setPixel(sx, y, body.pixel(first.x(), first.y() + y));
  }
  {
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int d = 0; d < kDigits; ++d)
      PaintDigit(painter, d, QRectF(d * style.DigitWidth, 0, style.DigitWidth, style.DigitHeight),
                 style);
  }
  clock.DigitStrip = Opaque(strip);

  QImage panel = body.isNull() ? Canvas(size, style.Panel) : body.copy(QRect(place, size));
  {
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal dot = style.DigitHeight * kColonDot;
    for (int pair = 1; pair < kCells / 2; ++pair) {
      const qreal cx = clock.Cells[pair * 2].x() - style.ColonWidth / 2.0;
      for (qreal at : kColonDots) {
        const QRectF square(cx - dot / 2, style.Margin + style.DigitHeight * at - dot / 2, dot, dot);
        if (style.Glow.isValid()) {
          QColor glow = style.Glow;
          glow.setAlpha(kGlowAlpha);
          painter.setBrush(glow);
          painter.drawRoundedRect(square.adjusted(-1, -1, 1, 1), dot / 2, dot / 2);
        }
        painter.setBrush(style.Lit);
        painter.drawRoundedRect(square, dot / 4, dot / 4);
      }
    }
  }
  clock.Panel = Opaque(panel);
  clock.PanelPlace = place;
  // Until the first load draws the digits, the panel shows "00:00:00".
  clock.Panel = ShowClock(clock, QStringLiteral("00:00:00"));
}

QImage ShowClock(const TClockArt& clock, const QString& text) {
  QImage panel = clock.Panel.copy();
  QPainter painter(&panel);
  const int height = clock.DigitStrip.height();
  for (int cell = 0; cell < kCells; ++cell) {
    const int digit = text.at(kTextDigits[cell]).digitValue();
    painter.drawImage(QRect(clock.Cells[cell], QSize(clock.DigitWidth, height)), clock.DigitStrip,
                      QRect(clock.DigitWidth * digit, 0, clock.DigitWidth, height));
  }
  return panel;
}

}  // namespace kavoro::skinmaker
