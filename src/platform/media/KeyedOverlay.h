#pragma once
// The keyed picture of a video renderer fed by an overlay mixer, presented the way display
// hardware shows an overlay: a layer over the owner window's destination rectangle that shows
// what the owner and its children paint there, except where they paint the colour key, where
// it shows the video (fitted by the mixer's aspect-ratio mode, black around it). So whatever
// the application draws over the picture in another colour stays visible. The layer lets the
// mouse through to the windows under it and follows their painting: a paint of any of them
// makes it look again at what they show. It tells the surface the size it draws the picture
// at, so each frame is scaled once, on the streaming thread, and painted 1:1; a new frame
// repaints the picture's rectangle only, and the layer paints every pixel of it, so nothing
// under it is painted again. GUI thread only.
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <memory>

#include "platform/com/ComPtr.h"
#include "platform/media/IOverlayKeying.h"
#include "platform/media/VideoSurface.h"

namespace kavoro::media {

class KeyedOverlay final : public QWidget {
  Q_OBJECT
 public:
  // `owner`: the window whose painting is keyed (becomes the parent); `hidden`: the
  // renderer's own window, under the control, left out of what is looked at.
  KeyedOverlay(std::shared_ptr<VideoSurface> surface, ComPtr<IOverlayKeying> keying,
               QWidget* owner, QWidget* hidden);
  ~KeyedOverlay() override;

  // The renderer window's rectangle in the owner, used when the mixer has no destination.
  void SetWindowRect(const QRect& rect);
  // A new picture is up, or the mixer's settings may have changed: repaints the picture's
  // rectangle, or the whole layer when its place or the picture's changed.
  void Refresh();
  // The owner changed what it paints under the layer: looks at it again.
  void OwnerPainted() { ScheduleLookAgain(); }
  // Where the picture is drawn, layer coordinates (may reach past the layer when cropped).
  QRect PictureRect() const { return picture_; }

  // Where the video lies inside a destination of `size` (client coordinates).
  static QRect FitPicture(const QSize& size, const OverlayKeying& keying);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Follows the mixer's settings and destination; true when the layer or the picture moved
  // or changed size (the layer has then been repainted whole).
  bool Place();
  // Tells the surface the size the picture is drawn at and converts the held one again.
  void SetPictureRect(const QRect& rect);
  // The layer paints all of itself once it knows what lies under it.
  void UpdateOpaque();
  void ScheduleLookAgain();
  // Renders what the owner and its other children show under the layer and finds the key.
  void LookAgain();
  bool Watches(QObject* o) const;

  std::shared_ptr<VideoSurface> surface_;
  ComPtr<IOverlayKeying> keying_;
  QPointer<QWidget> owner_;
  QPointer<QWidget> hidden_;
  QRect windowRect_;
  OverlayKeying settings_;
  QImage underlay_;   // what lies under the layer, RGB32
  QRegion keyed_;     // where it shows the key, layer coordinates
  QRect picture_;     // where the picture is drawn, layer coordinates
  bool looking_ = false;    // inside LookAgain: paints seen are its own
  bool scheduled_ = false;  // a LookAgain is queued
};

}  // namespace kavoro::media
