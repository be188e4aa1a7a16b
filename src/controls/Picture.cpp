#include "controls/Picture.h"

#include <QPainter>

namespace kavoro::controls {

void TPicture::Assign(const QImage& image) {
  FGraphic = image;
  PrepareKeyed();
  if (OnChange) OnChange();
}

void TPicture::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  PrepareKeyed();
  if (OnChange) OnChange();
}

void TPicture::PrepareKeyed() {
  FKeyed = QImage();
  if (!FTransparent || FGraphic.isNull()) return;
  FKeyed = FGraphic.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = FKeyed.pixel(0, FKeyed.height() - 1) & RGB_MASK;
  for (int y = 0; y < FKeyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(FKeyed.scanLine(y));
    for (int x = 0; x < FKeyed.width(); ++x) {
      if ((line[x] & RGB_MASK) == key) line[x] = 0;
    }
  }
}

void TPicture::Draw(QPainter& painter, QPoint at) const {
  if (FGraphic.isNull()) return;
  painter.drawImage(at, Drawable());
}

void TPicture::StretchDraw(QPainter& painter, const QRect& target) const {
  if (FGraphic.isNull()) return;
  painter.drawImage(target, Drawable());
}

}  // namespace kavoro::controls
