#include "platform/media/VideoRendererWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/media/IVideoWindow.h"

namespace kavoro::media {

VideoRendererWindow::VideoRendererWindow(std::shared_ptr<VideoSurface> surface)
    : surface_(std::move(surface)) {
  setProperty("windowClass", QString::fromLatin1(kVideoRendererWindowClass));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  resize(320, 240);
}

VideoRendererWindow::~VideoRendererWindow() {
  if (surface_->window == this) surface_->window = nullptr;
}

void VideoRendererWindow::SetDestination(const QRect& rect) {
  destination_ = rect;
  update();
}

void VideoRendererWindow::SetBorderColor(QColor color) {
  border_ = color;
  update();
}

void VideoRendererWindow::SetDrain(QWidget* drain) { drain_ = drain; }

void VideoRendererWindow::SetShowsPicture(bool shows) {
  if (shows == showsPicture_) return;
  showsPicture_ = shows;
  update();
}

void VideoRendererWindow::PictureChanged() {
  if (showsPicture_) update(Target() & rect());
}

QRect VideoRendererWindow::Target() const { return destination_.isEmpty() ? rect() : destination_; }

void VideoRendererWindow::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QImage image = showsPicture_ ? surface_->Image() : QImage();
  const QRect target = Target();
  const QRegion covered = image.isNull() ? QRegion() : event->region() & target;
  for (const QRect& r : event->region() - covered) p.fillRect(r, border_);
  if (covered.isEmpty()) return;
  if (target.size() == image.size()) {
    for (const QRect& r : covered) p.drawImage(r.topLeft(), image, r.translated(-target.topLeft()));
  } else {
    // Converted before the destination changed: scaled here until the next picture.
    p.setClipRegion(covered);
    p.drawImage(target, image);
  }
}

void VideoRendererWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (onResize) onResize(width(), height());
}

bool VideoRendererWindow::event(QEvent* e) {
  if (drain_) {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        QMouseEvent copy(m->type(), drain_->mapFromGlobal(m->globalPosition()), m->globalPosition(),
                         m->button(), m->buttons(), m->modifiers());
        QCoreApplication::sendEvent(drain_, &copy);
        return true;
      }
      case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(e);
        QWheelEvent copy(drain_->mapFromGlobal(w->globalPosition()), w->globalPosition(),
                         w->pixelDelta(), w->angleDelta(), w->buttons(), w->modifiers(),
                         w->phase(), w->inverted());
        QCoreApplication::sendEvent(drain_, &copy);
        return true;
      }
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        QKeyEvent copy(k->type(), k->key(), k->modifiers(), k->text(), k->isAutoRepeat(),
                       static_cast<ushort>(k->count()));
        QCoreApplication::sendEvent(drain_, &copy);
        return true;
      }
      default: break;
    }
  }
  return QWidget::event(e);
}

}  // namespace kavoro::media
