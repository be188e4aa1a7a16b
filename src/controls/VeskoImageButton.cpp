#include "controls/VeskoImageButton.h"

#include <QPainter>

namespace kavoro::controls {

TVeskoImageButton::TVeskoImageButton(QWidget* parent) : TVeskoCustomButton(parent) {}

void TVeskoImageButton::SetPicture(TPicture& target, const QImage& picture) {
  target.Assign(picture);
  AdjustToPicture();
  update();
}

void TVeskoImageButton::SetPicNormal(const QImage& picture) { SetPicture(FPicNormal, picture); }
void TVeskoImageButton::SetPicMouseOn(const QImage& picture) { SetPicture(FPicMouseOn, picture); }
void TVeskoImageButton::SetPicMouseDown(const QImage& picture) {
  SetPicture(FPicMouseDown, picture);
}
void TVeskoImageButton::SetPicDisabled(const QImage& picture) {
  SetPicture(FPicDisabled, picture);
}

void TVeskoImageButton::AdjustToPicture() {
  if (!parentWidget()) return;
  StoreAutoSize(true);
  if (FPicNormal.HasGraphic()) {
    resize(width(), FPicNormal.Height());
    resize(FPicNormal.Width(), height());
  }
}

void TVeskoImageButton::DrawGlyph(QPainter& canvas, const QImage& picture) {
  if (!picture.isNull()) canvas.drawImage(0, 0, picture);
}

const QImage& TVeskoImageButton::OrNormal(const TPicture& picture) const {
  return picture.HasGraphic() ? picture.Graphic() : FPicNormal.Graphic();
}

void TVeskoImageButton::GetNormalPicture(QImage& bitmap) { bitmap = FPicNormal.Graphic(); }
void TVeskoImageButton::GetMouseOnPicture(QImage& bitmap) { bitmap = OrNormal(FPicMouseOn); }
void TVeskoImageButton::GetMouseDownPicture(QImage& bitmap) { bitmap = OrNormal(FPicMouseDown); }
void TVeskoImageButton::GetDisabledPicture(QImage& bitmap) { bitmap = OrNormal(FPicDisabled); }

}  // namespace kavoro::controls
