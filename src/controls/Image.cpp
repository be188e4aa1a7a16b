#include "controls/Image.h"

#include <QPainter>

namespace kavoro::controls {

TImage::TImage(QWidget* parent) : TGraphicControl(parent) {
  FPicture.OnChange = [this] { update(); };
}

void TImage::SetStretch(bool value) {
  if (FStretch == value) return;
  FStretch = value;
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  if (!FPicture.HasGraphic()) return;
  QPainter painter(this);
  if (FStretch)
    FPicture.StretchDraw(painter, rect());
  else
    FPicture.Draw(painter, QPoint(0, 0));
}

}  // namespace kavoro::controls
