#include "app/Label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace kavoro::app {

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
  setMargin(0);
  setIndent(0);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The skin shows through around the text.
  setAutoFillBackground(false);
}

void TLabel::SetCaption(const QString& value) {
  FEllipsisText.clear();
  setText(value);
  if (FAutoSize) FitToCaption();
  update();
}

void TLabel::SetAutoSize(bool value) {
  FAutoSize = value;
  if (FAutoSize) FitToCaption();
}

void TLabel::SetFontSize(int points) {
  QFont f = font();
  f.setPointSize(points);
  setFont(f);  // changeEvent fits the size
}

QColor TLabel::FontColor() const { return palette().color(QPalette::WindowText); }

void TLabel::SetFontColor(const QColor& value) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, value);
  setPalette(p);
  update();
}

void TLabel::SetEllipsisText(const QString& value) {
  FEllipsisText = value;
  update();
}

QString TLabel::EndEllipsis(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const QString mark = QString::fromLatin1(Ellipsis);
  // The widths of the beginnings grow with their length: the longest that fits is found by
  // halving.
  qsizetype fits = 0, tooWide = text.size();
  while (tooWide - fits > 1) {
    const qsizetype mid = (fits + tooWide) / 2;
    if (metrics.horizontalAdvance(text.left(mid) + mark) <= width) fits = mid;
    else tooWide = mid;
  }
  // Never end on the first half of a surrogate pair.
  if (fits > 0 && text.at(fits - 1).isHighSurrogate()) --fits;
  return text.left(fits) + mark;
}

void TLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (FEllipsisText.isEmpty() || !text().isEmpty()) return;
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(FontColor());
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   EndEllipsis(FEllipsisText, fontMetrics(), width()));
}

void TLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange && FAutoSize) FitToCaption();
}

void TLabel::FitToCaption() {
  const QFontMetrics metrics(font());
  resize(metrics.horizontalAdvance(text()), metrics.height());
}

}  // namespace kavoro::app
