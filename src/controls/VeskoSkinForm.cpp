#include "controls/VeskoSkinForm.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <vector>

namespace kavoro::controls {

TVeskoSkinForm::TVeskoSkinForm(QWidget* parent)
    : TGraphicControl(parent), FTransparentColor(QColor::fromRgb(DefaultTransparentColor)) {
  if (parent && parent->isWindow()) FForm = parent;
  resize(InitialWidth, InitialHeight);
  if (!FForm) return;
  // No caption and no frame of the window system: the picture is the whole window.
  const bool wasVisible = FForm->isVisible();
  FForm->setWindowFlag(Qt::FramelessWindowHint, true);
  FForm->resize(InitialWidth, InitialHeight);
  if (wasVisible) FForm->show();
}

void TVeskoSkinForm::SetGlyph(const QImage& picture) {
  FGlyph.Assign(picture);
  ApplyGlyph();
  update();
}

void TVeskoSkinForm::SetTransparentColor(const QColor& value) {
  FTransparentColor = value;
  ApplyGlyph();
  update();
}

QRegion TVeskoSkinForm::BuildRegion(const QImage& bitmap, const QColor& transparent) {
  if (bitmap.isNull()) return {};
  const QImage pixels = bitmap.format() == QImage::Format_RGB32 ||
                                bitmap.format() == QImage::Format_ARGB32
                            ? bitmap
                            : bitmap.convertToFormat(QImage::Format_RGB32);
  const QRgb key = transparent.rgb() & RGB_MASK;
  const int width = pixels.width();

  // Runs of the current band (left, right exclusive) and of the row being read. A band is a
  // stack of rows with the same runs; it becomes one rectangle per run.
  std::vector<QRect> rects;
  std::vector<std::pair<int, int>> band;
  std::vector<std::pair<int, int>> row;
  int bandTop = 0;
  auto closeBand = [&](int bottom) {
    for (const auto& [left, right] : band) {
      rects.emplace_back(left, bandTop, right - left, bottom - bandTop);
    }
  };
  for (int y = 0; y < pixels.height(); ++y) {
    row.clear();
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    int x = 0;
    while (x < width) {
      while (x < width && (line[x] & RGB_MASK) == key) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && (line[x] & RGB_MASK) != key) ++x;
      row.emplace_back(start, x);
    }
    if (row != band) {
      closeBand(y);
      band.swap(row);
      bandTop = y;
    }
  }
  closeBand(pixels.height());

  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

void TVeskoSkinForm::ApplyGlyph() {
  if (!FForm || !FGlyph.HasGraphic()) return;
  FForm->setMask(BuildRegion(FGlyph.Graphic(), FTransparentColor));
  resize(FGlyph.Width(), FGlyph.Height());
  move(0, 0);
  FForm->resize(width(), height());
  if (OnRegionChanged) OnRegionChanged(this);
}

void TVeskoSkinForm::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  if (FGlyph.HasGraphic()) {
    FGlyph.Draw(canvas, QPoint(0, 0));
    return;
  }
  canvas.setPen(Qt::black);
  canvas.setBrush(Qt::NoBrush);
  canvas.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TVeskoSkinForm::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoSkinForm> alive(this);
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
  if (!alive || !FForm || event->button() != Qt::LeftButton) return;
  // Only the left button drags a caption; a right press leads to the context menu instead.
  FClickPending = true;
  FFormPosAtPress = FForm->pos();
  QWindow* window = FForm->windowHandle();
  if (window && window->startSystemMove()) return;
  FMovingByHand = true;
  FGrabOffset = event->globalPosition().toPoint() - FForm->pos();
}

void TVeskoSkinForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoSkinForm> alive(this);
  if (OnMouseMove) OnMouseMove(this, event->buttons(), event->modifiers(), at.x(), at.y());
  if (!alive || !FMovingByHand || !FForm) return;
  if (!(event->buttons() & Qt::LeftButton)) {
    FMovingByHand = false;
    return;
  }
  FForm->move(event->globalPosition().toPoint() - FGrabOffset);
}

void TVeskoSkinForm::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool click = FClickPending && event->button() == Qt::LeftButton &&
                     rect().contains(at) && FForm && FForm->pos() == FFormPosAtPress;
  if (event->button() == Qt::LeftButton) {
    FMovingByHand = false;
    FClickPending = false;
  }
  const QPointer<TVeskoSkinForm> alive(this);
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
  if (alive && click && OnClick) OnClick(this);
}

void TVeskoSkinForm::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPointer<TVeskoSkinForm> alive(this);
  if (OnDblClick) OnDblClick(this);
  if (alive) mousePressEvent(event);
}

void TVeskoSkinForm::contextMenuEvent(QContextMenuEvent* event) {
  if (FPopupMenu) FPopupMenu->popup(event->globalPos());
}

}  // namespace kavoro::controls
