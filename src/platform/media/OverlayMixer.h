#pragma once
// The overlay mixer: takes the decoded video on "Input0" and overlay pictures with alpha
// (captions, subpictures) on "Input1", "Input2", ..., applies the colour controls to the video
// in software, blends the overlays due at each picture's time over it and passes the result on
// "Output" to a video renderer. The pins listed are Input0, the overlay inputs up to the last
// connected one and one free one after it (a new one appears as one gets connected, up to
// kMaxOverlayInputs), then Output. Each input answers IMixerPinConfig2 (colour key,
// aspect-ratio mode, z-order, blending, relative position, colour controls; Input0's relative
// position is kept but the video always fills the output, and its aspect-ratio mode is how
// the keyed picture is fitted to the destination); the filter answers
// IDDrawExclModeVideo and tells the registered callback, on the GUI thread, of colour-key and
// picture-size changes, and IOverlayKeying for the renderer that presents the keyed picture.
#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/ColorControls.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IHeldPicture.h"
#include "platform/media/IOverlayKeying.h"
#include "platform/media/OverlayCompositor.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class OverlayMixer final : public AddInterfaces<BaseFilter, IDDrawExclModeVideo, IOverlayKeying> {
 public:
  explicit OverlayMixer(const CLSID& clsid);

  // IBaseFilter: only the pins listed above (application thread).
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string& id, IPin** pin) override;

  // IDDrawExclModeVideo (GUI thread).
  HRESULT SetDrawParameters(const RECT* clip, const RECT* destination) override;
  HRESULT GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX, DWORD* aspectY) override;
  HRESULT SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) override;

  // IOverlayKeying (GUI thread).
  HRESULT GetOverlayKeying(OverlayKeying* keying) override;

 protected:
  HRESULT OnStop() override;

 private:
  class InputPin;
  class OutputPin;
  friend class InputPin;
  friend class OutputPin;

  // Shared by the inputs' IMixerPinConfig2 (GUI thread).
  HRESULT SetColorKey(const COLORKEY* key);
  HRESULT GetColorKey(COLORKEY* key, DWORD* color);
  HRESULT SetColorControls(const DDCOLORCONTROL* c);
  HRESULT GetColorControls(DDCOLORCONTROL* c);

  std::vector<BasePin*> ListedPins() const;

  // Input0's streaming thread.
  HRESULT MixAndDeliver(IMediaSample* video);
  // The format of the pictures now passing (as connected, then as the stream changes it):
  // kept for the application thread's questions and told to the callback.
  void TakeShown(const PictureFormat& f);
  // An overlay input's streaming thread: mixes the last picture again with the overlays and
  // delivers it untimed, so a still picture shows an overlay that changes over it; while
  // paused the renderer takes it in place of the picture it holds.
  void MixStillAgain();
  ComPtr<IHeldPicture> HeldPictureDownstream();
  // Mix: the picture of format `f` with colour controls and the overlays due at `at`, in an
  // output buffer (any thread). Deliver (streaming_ held): mixed and sent on, with the format
  // change that is due.
  HRESULT Mix(const BYTE* picture, const PictureFormat& f, std::optional<REFERENCE_TIME> at,
              std::optional<REFERENCE_TIME> start, std::optional<REFERENCE_TIME> end,
              bool discontinuity, ComPtr<IMediaSample>* mixed);
  HRESULT Deliver(const BYTE* picture, std::optional<REFERENCE_TIME> start,
                  std::optional<REFERENCE_TIME> end, bool discontinuity);

  InputPin* video_;
  std::vector<InputPin*> overlays_;  // Input1.., slot i of the compositor is overlays_[i]
  OutputPin* output_;
  OverlayCompositor overlay_{kMaxOverlayInputs};

  std::mutex streaming_;  // held while a picture is mixed; Stop and EndFlush wait on it
  // guarded by streaming_
  bool formatChanged_ = false;  // the next picture delivered carries current_
  // Written with streaming_ and stillLock_ held, read with either: a paused re-mix reads them
  // while the video input may be blocked delivering its next picture to the paused renderer.
  std::mutex stillLock_;
  PictureFormat current_;
  std::optional<REFERENCE_TIME> lastStart_;  // of the last video picture
  std::vector<BYTE> last_;  // the last video picture as it came

  std::mutex lock_;
  // guarded by lock_
  ColorProcessor colors_;
  COLORKEY key_;
  ComPtr<IDDrawExclModeVideoCallback> callback_;
  RECT clip_{}, destination_{};
  PictureFormat shown_;
};

}  // namespace kavoro::media
