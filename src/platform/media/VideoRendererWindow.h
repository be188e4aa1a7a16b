#pragma once
// The video renderer's own window: paints the surface's image into the destination
// rectangle (1:1: the surface converts at the destination size) and the border colour around
// it, hides the cursor on request and passes mouse and keys on to the message-drain widget.
// GUI thread only.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/media/VideoSurface.h"

namespace kavoro::media {

class VideoRendererWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit VideoRendererWindow(std::shared_ptr<VideoSurface> surface);
  ~VideoRendererWindow() override;

  // Where the image goes, in client coordinates; an empty rectangle fills the client area.
  void SetDestination(const QRect& rect);
  void SetBorderColor(QColor color);
  void SetDrain(QWidget* drain);
  // false while the picture is shown keyed elsewhere: the window shows its border colour.
  void SetShowsPicture(bool shows);
  // A new picture is up: repaints the destination rectangle only.
  void PictureChanged();
  // Called after each resize with the new client size.
  std::function<void(int width, int height)> onResize;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Where the picture goes: the destination, or the whole client area.
  QRect Target() const;
  std::shared_ptr<VideoSurface> surface_;
  QRect destination_;
  QColor border_ = Qt::black;
  bool showsPicture_ = true;
  QPointer<QWidget> drain_;
};

}  // namespace kavoro::media
