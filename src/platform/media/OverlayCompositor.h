#pragma once
// Overlay pictures blended over video pictures: what the overlay mixer and the mixing renderer
// share. Each overlay input has a slot holding the ARGB32 pictures it received with their
// times; for a video picture of stream time t the slot shows its newest picture that starts
// at or before t and has not ended. Slots are drawn in z-order (a higher value over a lower
// one, equal values in slot order), each scaled into its place on the picture.
// Thread-safe: overlay inputs write from their streaming threads, the video input blends on its
// own, configuration comes from the application thread.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/IMediaSample.h"
#include "platform/media/IPin.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class BasePin;

// Overlay inputs per filter beyond the video input: enough for subpictures and captions with
// room to spare.
constexpr std::size_t kMaxOverlayInputs = 15;
// Positions of an overlay on the output, in this many parts of its width and height.
constexpr DWORD kRelativePositionScale = 10000;
constexpr DWORD kOpaqueBlend = 255;

// The overlay type inputs take: MEDIATYPE_Video / MEDIASUBTYPE_ARGB32 / FORMAT_VideoInfo,
// rows bottom-up for a positive height and top-down for a negative one, 4 bytes a pixel.
bool ReadOverlayType(const AM_MEDIA_TYPE& type, LONG* width, LONG* height, bool* topDown);
AM_MEDIA_TYPE MakeOverlayType(LONG width, LONG height);

// How many of a filter's overlay input pins (in order) it lists: those up to the last
// connected one and one free one after it, so that a new input appears as one gets connected
// and the free ones go away again as they are disconnected.
template <class Pins>
std::size_t ListedOverlayInputs(const Pins& pins) {
  std::size_t shown = pins.empty() ? 0 : 1;
  for (std::size_t i = 0; i < pins.size(); ++i)
    if (pins[i]->IsConnected()) shown = std::min(i + 2, pins.size());
  return shown;
}
// EnumPins and FindPin over the pins such a filter lists (application thread).
HRESULT EnumListedPins(const std::vector<BasePin*>& pins, IEnumPins** out);
HRESULT FindListedPin(const std::vector<BasePin*>& pins, const std::string& id, IPin** out);

class OverlayCompositor {
 public:
  explicit OverlayCompositor(std::size_t slots);

  // Overlay streaming thread. Takes the picture of `sample` (connected with `type`); a
  // picture that is wholly transparent erases the slot from its time on. True when the
  // picture already applies to the last picture blended, so a still picture should be
  // blended again to show it.
  bool Receive(std::size_t slot, IMediaSample* sample, const AM_MEDIA_TYPE& type);
  // Drops the slot's pictures (flush, disconnection, stop).
  void Clear(std::size_t slot);
  void ClearAll();

  // Configuration (application thread, any time).
  void SetZOrder(std::size_t slot, DWORD z);
  DWORD ZOrder(std::size_t slot) const;
  // 0 (invisible) .. kOpaqueBlend (the overlay's own alpha).
  void SetBlend(std::size_t slot, DWORD blend);
  DWORD Blend(std::size_t slot) const;
  // Place on the output in kRelativePositionScale parts; the whole output by default.
  void SetPlace(std::size_t slot, const RECT& place);
  RECT Place(std::size_t slot) const;

  // Video streaming thread. Blends what is shown at `time` (untimed pictures: the newest of
  // each slot) into the I420 picture; a null picture only tells the time of the picture shown.
  // False when nothing shows. Pictures superseded by then are let go.
  bool BlendInto(std::uint8_t* i420, const PictureFormat& format,
                 std::optional<REFERENCE_TIME> time);
  // Whether any slot holds a picture that may show (any thread).
  bool HasPictures() const;

 private:
  struct Picture {
    std::optional<REFERENCE_TIME> start, end;
    LONG width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB rows top-down; empty when transparent
    RECT opaque{};                      // bounding box of the pixels that show
  };
  struct Slot {
    std::deque<Picture> queue;  // in arrival order
    DWORD z = 0;
    DWORD blend = kOpaqueBlend;
    RECT place{0, 0, static_cast<LONG>(kRelativePositionScale),
               static_cast<LONG>(kRelativePositionScale)};
  };

  // lock_ held. The picture the slot shows at `time`, after dropping superseded ones.
  const Picture* Current(Slot& slot, std::optional<REFERENCE_TIME> time);
  static bool Applies(const Picture& p, std::optional<REFERENCE_TIME> time);
  static void Draw(const Picture& p, DWORD blend, const RECT& place, std::uint8_t* i420,
                   const PictureFormat& f);

  mutable std::mutex lock_;
  // guarded by lock_
  std::vector<Slot> slots_;
  std::optional<REFERENCE_TIME> lastTime_;
  bool lastBlended_ = false;  // a picture was blended since the last clear
};

}  // namespace kavoro::media
