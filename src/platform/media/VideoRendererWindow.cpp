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

void VideoRendererWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), border_);
  if (!showsPicture_) return;
  const QImage image = surface_->Image();
  if (image.isNull()) return;
  const QRect target = destination_.isEmpty() ? rect() : destination_;
  if (target.size() == image.size()) p.drawImage(target.topLeft(), image);
  else p.drawImage(target, image);
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
