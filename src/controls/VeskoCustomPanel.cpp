#include "controls/VeskoCustomPanel.h"

#include "controls/CopyParentBackground.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kavoro::controls {

TVeskoCustomPanel::TVeskoCustomPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  FColor = palette().color(QPalette::Window);
  FPicture.OnChange = [this] { PictureChanged(); };
  update();
}

TVeskoCustomPanel::~TVeskoCustomPanel() {
  FPicture.OnChange = nullptr;
  if (FWatchedParent) FWatchedParent->removeEventFilter(this);
}

void TVeskoCustomPanel::SetPicture(const QImage& picture) {
  FPicture.Assign(picture);
  PaintBackground();
  update();
}

void TVeskoCustomPanel::SetDrawStyle(TVeskoDrawStyle value) {
  FDrawStyle = value;
  PaintBackground();
  update();
}

void TVeskoCustomPanel::SetTransparent(bool value) {
  FTransparent = value;
  if (FPicture.HasGraphic()) SyncTransparency();
  update();
}

void TVeskoCustomPanel::SetAutoSize(bool value) {
  FAutoSize = value;
  if (FPicture.HasGraphic()) SizeToPicture();
}

void TVeskoCustomPanel::SetAlignment(TAlignment value) {
  FAlignment = value;
  update();
}

void TVeskoCustomPanel::SetCaption(const QString& value) {
  FCaption = value;
  TextChanged();
  update();
}

void TVeskoCustomPanel::SetColor(const QColor& value) {
  FColor = value;
  update();
}

void TVeskoCustomPanel::PaintBackground() {
  update();
}

void TVeskoCustomPanel::PictureChanged() {
  if (FPicture.HasGraphic()) {
    if (FAutoSize) SizeToPicture();
    SyncTransparency();
  }
  PaintBackground();
  update();
}

void TVeskoCustomPanel::SizeToPicture() {
  if (!FAutoSize) return;
  const bool keepsWidth =
      FAlign == TAlign::alTop || FAlign == TAlign::alBottom || FAlign == TAlign::alClient;
  const bool keepsHeight =
      FAlign == TAlign::alLeft || FAlign == TAlign::alRight || FAlign == TAlign::alClient;
  resize(keepsWidth ? width() : FPicture.Width(), keepsHeight ? height() : FPicture.Height());
  ApplyAlign();
}

void TVeskoCustomPanel::SyncTransparency() {
  if (FPicture.Transparent() != FTransparent) FPicture.SetTransparent(FTransparent);
}

void TVeskoCustomPanel::SetAlign(TAlign value) {
  FAlign = value;
  WatchParent();
  ApplyAlign();
}

void TVeskoCustomPanel::WatchParent() {
  if (FWatchedParent == parentWidget()) return;
  if (FWatchedParent) FWatchedParent->removeEventFilter(this);
  FWatchedParent = parentWidget();
  if (FWatchedParent) FWatchedParent->installEventFilter(this);
}

void TVeskoCustomPanel::ApplyAlign() {
  QWidget* parent = parentWidget();
  if (FAlign == TAlign::alNone || !parent) return;
  const QRect client = parent->rect();
  QRect place = geometry();
  switch (FAlign) {
    case TAlign::alTop:
      place = QRect(0, 0, client.width(), height());
      break;
    case TAlign::alBottom:
      place = QRect(0, client.height() - height(), client.width(), height());
      break;
    case TAlign::alLeft:
      place = QRect(0, 0, width(), client.height());
      break;
    case TAlign::alRight:
      place = QRect(client.width() - width(), 0, width(), client.height());
      break;
    case TAlign::alClient:
      place = client;
      break;
    case TAlign::alNone:
      break;
  }
  if (place != geometry()) setGeometry(place);
}

bool TVeskoCustomPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FWatchedParent && event->type() == QEvent::Resize) ApplyAlign();
  return QWidget::eventFilter(watched, event);
}

void TVeskoCustomPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ParentChange && FAlign != TAlign::alNone) {
    WatchParent();
    ApplyAlign();
  }
}

void TVeskoCustomPanel::DrawPictureByStyle(QPainter& canvas) {
  const int pictureWidth = FPicture.Width();
  const int pictureHeight = FPicture.Height();
  switch (FDrawStyle) {
    case TVeskoDrawStyle::VeskoStretch:
      FPicture.StretchDraw(canvas, rect());
      break;
    case TVeskoDrawStyle::VeskoTile:
      // A graphic is at least 1 x 1, so both steps advance.
      for (int x = 0; x < pictureWidth + width(); x += pictureWidth) {
        for (int y = 0; y < pictureHeight + height(); y += pictureHeight) {
          FPicture.Draw(canvas, QPoint(x, y));
        }
      }
      break;
    case TVeskoDrawStyle::VeskoNormal:
      FPicture.Draw(canvas, QPoint(0, 0));
      break;
  }
}

void TVeskoCustomPanel::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  const qreal ratio = devicePixelRatioF();
  QImage work(size() * ratio, QImage::Format_RGB32);
  work.setDevicePixelRatio(ratio);
  {
    QPainter canvas(&work);
    // Colour first: it shows wherever neither the parent nor the picture reaches.
    canvas.fillRect(rect(), FColor);
    if (FTransparent) CopyParentBackground(canvas, *this);
    if (FPicture.HasGraphic()) DrawPictureByStyle(canvas);
    if (!FCaption.trimmed().isEmpty()) {
      int horizontal = Qt::AlignHCenter;
      if (FAlignment == TAlignment::taLeftJustify) horizontal = Qt::AlignLeft;
      if (FAlignment == TAlignment::taRightJustify) horizontal = Qt::AlignRight;
      canvas.setFont(font());
      canvas.setPen(palette().color(foregroundRole()));
      canvas.drawText(rect(), horizontal | Qt::AlignVCenter | Qt::TextSingleLine, FCaption);
    }
  }
  QPainter screen(this);
  screen.drawImage(0, 0, work);
}

void TVeskoCustomPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplyAlign();
  update();
  if (OnResize) OnResize(this);
}

void TVeskoCustomPanel::mousePressEvent(QMouseEvent* event) {
  FClickPending = event->button() == Qt::LeftButton;
  const QPoint at = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TVeskoCustomPanel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->buttons(), event->modifiers(), at.x(), at.y());
}

void TVeskoCustomPanel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool click = FClickPending && event->button() == Qt::LeftButton && rect().contains(at);
  FClickPending = false;
  const QPointer<TVeskoCustomPanel> alive(this);
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
  if (alive && click && OnClick) OnClick(this);
}

void TVeskoCustomPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (OnDblClick) OnDblClick(this);
  QWidget::mouseDoubleClickEvent(event);
}

}  // namespace kavoro::controls
