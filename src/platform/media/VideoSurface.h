#pragma once
// What a video renderer presents: the last picture it took with the overlays due at its time
// blended over it (when the renderer has overlay inputs), colour-converted and scaled from the
// source rectangle to the size it is shown at (the destination size, or the keyed picture's
// drawing size), so that painting it is a plain copy. Shared between the renderer (streaming
// thread: Present) and its window (GUI thread: paints Image()); the window pointer is touched
// on the GUI thread only.
#include <QImage>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/IMediaSample.h"
#include "platform/media/OverlayCompositor.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class KeyedOverlay;
class VideoRendererWindow;

class VideoSurface {
 public:
  // Before the first picture (application thread): the overlays to blend over each picture.
  void SetOverlays(std::shared_ptr<OverlayCompositor> overlays);

  // Any thread. Takes the picture (holding the sample) and converts it. False when the
  // picture cannot be converted.
  bool Present(IMediaSample* sample, const PictureFormat& format);
  // Any thread. Takes `sample` in place of the held picture, in the held picture's format;
  // false when none is held or the sample is too small for it.
  bool ReplacePicture(IMediaSample* sample);
  // Blends and converts the held picture again (after a geometry or overlay change). Any
  // thread.
  void Refresh();
  void Clear();

  // Geometry, any thread. The source rectangle is in picture pixels; an empty one means the
  // whole picture. The destination size 0x0 means the source rectangle's own size.
  void SetSource(const RECT& source);
  void SetDestinationSize(LONG width, LONG height);
  // Any thread. The size the keyed picture is drawn at, which then takes the destination
  // size's place; 0x0 gives the destination size back. Takes effect with the next conversion
  // (Present, Refresh).
  void SetDrawSize(LONG width, LONG height);

  bool HasPicture() const;
  PictureFormat Format() const;
  // The presented image (null image when none). Any thread. A shallow copy: the surface
  // converts the next picture into a buffer of its own while the caller still holds it.
  QImage Image() const;
  // The held picture whole, unscaled, as 0xFFRRGGBB rows top-down; false when none.
  bool WholePicture(QImage* image) const;

  // GUI thread only.
  VideoRendererWindow* window = nullptr;
  KeyedOverlay* keyed = nullptr;  // shows the picture instead of the window when set
  // Set when a repaint request is on its way to the GUI thread, so requests do not pile up.
  std::atomic<bool> repaintQueued{false};

 private:
  // lock_ held.
  bool MixLocked();
  bool ConvertLocked();
  const BYTE* PictureLocked() const;

  mutable std::mutex lock_;
  // guarded by lock_
  ComPtr<IMediaSample> sample_;
  std::optional<REFERENCE_TIME> time_;  // the held picture's start
  std::vector<BYTE> mixed_;  // the held picture with overlays; empty when none are shown
  std::shared_ptr<OverlayCompositor> overlays_;
  PictureFormat format_;
  RECT source_{};
  LONG destWidth_ = 0, destHeight_ = 0;
  LONG drawWidth_ = 0, drawHeight_ = 0;
  QImage image_;
  SwsPtr scaler_;
};

}  // namespace kavoro::media
