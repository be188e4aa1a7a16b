#include "controls/VeskoHintWindow.h"

#include "controls/VeskoHint.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace kavoro::controls {

TVeskoHintWindow::TVeskoHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  TakeSettings();
}

int TVeskoHintWindow::QuadrantOf(const QPoint& point, const QSize& screen) {
  const int halfWidth = screen.width() / 2;
  const int halfHeight = screen.height() / 2;
  const bool left = point.x() >= 0 && point.x() < halfWidth;
  const bool right = point.x() >= halfWidth && point.x() < screen.width();
  const bool top = point.y() >= 0 && point.y() < halfHeight;
  const bool bottom = point.y() >= halfHeight && point.y() < screen.height();
  if (left && top) return 1;
  if (right && top) return 0;
  if (left && bottom) return 3;
  return 2;
}

void TVeskoHintWindow::TakeSettings() {
  FHint = TVeskoHint::ApplicationHint();
  if (FHint) {
    FHintFont = FHint->Font();
    FTextColor = FHint->FontColor();
    FColorBackground = FHint->ColorBackground();
    FColorBorder = FHint->ColorBorder();
    FColorArrowBackground = FHint->ColorArrowBackground();
    FColorArrow = FHint->ColorArrow();
    FMaxHintWidth = FHint->MaxHintWidth();
    return;
  }
  FHintFont = font();
  FTextColor = QColor::fromRgb(TVeskoHint::DefaultFontColor);
  FColorBackground = QColor::fromRgb(TVeskoHint::DefaultColorBackground);
  FColorBorder = QColor::fromRgb(TVeskoHint::DefaultColorBorder);
  FColorArrowBackground = QColor::fromRgb(TVeskoHint::DefaultColorArrowBackground);
  FColorArrow = QColor::fromRgb(TVeskoHint::DefaultColorArrow);
  FMaxHintWidth = TVeskoHint::DefaultMaxHintWidth;
}

int TVeskoHintWindow::LayoutWidth() const {
  return std::max(1, FMaxHintWidth - WidthMargin);
}

QSize TVeskoHintWindow::LayoutText(QTextLayout& layout) const {
  QString text = FText;
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  layout.setText(text);
  layout.setFont(FHintFont);
  QTextOption option(Qt::AlignLeft);
  // Words wrap at their boundaries; a word wider than the hint is broken where it must be.
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  const int width = LayoutWidth();
  qreal y = 0;
  qreal widest = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    y += line.height();
    widest = std::max(widest, line.naturalTextWidth());
  }
  layout.endLayout();
  return {static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(y))};
}

QSize TVeskoHintWindow::HintSize(const QString& text) const {
  auto* self = const_cast<TVeskoHintWindow*>(this);
  const QString kept = FText;
  self->FText = text;
  QTextLayout layout;
  const QSize extent = LayoutText(layout);
  self->FText = kept;
  return {extent.width() + WidthMargin, extent.height() + HeightMargin};
}

void TVeskoHintWindow::PlaceAndShowHint(const QRect& rectangle, const QString& text) {
  PlaceAndShowHintAt(rectangle, text, QCursor::pos());
}

void TVeskoHintWindow::PlaceAndShowHintAt(const QRect&, const QString& text,
                                          const QPoint& cursor) {
  FText = text;
  TakeSettings();
  const QSize size = HintSize(text);
  const int w = size.width();
  const int h = size.height();

  QScreen* screen = QGuiApplication::screenAt(cursor);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->geometry() : QRect(QPoint(), QSize(1, 1));
  FQuadrant = QuadrantOf(cursor - screenRect.topLeft(), screenRect.size());
  const int gap = FQuadrant == 1 ? GapUpperLeft : Gap;

  QPoint topLeft;
  switch (FQuadrant) {
    case 0:
      topLeft = QPoint(cursor.x() - w - gap, cursor.y() + gap);
      break;
    case 1:
      topLeft = QPoint(cursor.x() + gap, cursor.y() + gap);
      break;
    case 2:
      topLeft = QPoint(cursor.x() - w - gap, cursor.y() - h - gap);
      break;
    default:
      topLeft = QPoint(cursor.x() + gap, cursor.y() - h - gap);
      break;
  }
  setGeometry(QRect(topLeft, QSize(w, h)));
  show();
  raise();
  update();
}

void TVeskoHintWindow::paintEvent(QPaintEvent*) {
  const int w = width();
  const int h = height();
  const bool stripOnLeft = FQuadrant == 1 || FQuadrant == 3;
  // Rectangles as left, top, right and bottom with the right and bottom edges excluded.
  const QRect strip = stripOnLeft ? QRect(QPoint(StripStart, 1), QPoint(StripEnd - 1, h - 2))
                                  : QRect(QPoint(w - StripEnd, 1), QPoint(w - 2, h - 2));
  const QRect textArea = stripOnLeft ? QRect(QPoint(StripEnd, 1), QPoint(w - 2, h - 2))
                                     : QRect(QPoint(1, 1), QPoint(w - StripEnd - 1, h - 2));

  QPainter canvas(this);
  canvas.fillRect(strip, FColorArrowBackground);
  canvas.fillRect(textArea, FColorBackground);
  canvas.setPen(QPen(FColorBorder, 0));
  canvas.setBrush(Qt::NoBrush);
  canvas.drawRect(QRect(0, 0, w - 1, h - 1));

  // The anchor is the strip's corner nearest the pointer, moved inside it.
  const int stripRight = strip.left() + strip.width();
  const int stripBottom = strip.top() + strip.height();
  const bool anchorRight = FQuadrant == 0 || FQuadrant == 2;
  const bool anchorBottom = FQuadrant == 2 || FQuadrant == 3;
  const QPoint anchor(anchorRight ? stripRight - AnchorInsetFar : strip.left() + AnchorInsetNear,
                      anchorBottom ? stripBottom - AnchorInsetFar
                                   : strip.top() + AnchorInsetNear);
  const int signX = FQuadrant == 1 || FQuadrant == 3 ? -1 : 1;
  const int signY = FQuadrant == 2 || FQuadrant == 3 ? -1 : 1;
  QPoint arrow[ArrowPointCount];
  for (int i = 0; i < ArrowPointCount; ++i) {
    arrow[i] = anchor + QPoint(signX * ArrowOffsets[i].x(), signY * ArrowOffsets[i].y());
  }
  canvas.setPen(QPen(FColorArrow, 0));
  canvas.drawPolyline(arrow, ArrowPointCount);

  const QRect textRect = textArea.adjusted(TextInsetX, TextInsetY, -TextInsetX, -TextInsetY);
  QTextLayout layout;
  LayoutText(layout);
  canvas.setClipRect(textRect);
  canvas.setPen(FTextColor);
  layout.draw(&canvas, textRect.topLeft());
}

}  // namespace kavoro::controls
