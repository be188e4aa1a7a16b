#pragma once
// The overlay mixer: takes the decoded video on "Input0" and overlay pictures with alpha
// (captions, subpictures) on "Input1", applies the colour controls to the video in software,
// blends the newest overlay over it and passes the result on "Output" to a video renderer.
// Each input answers IMixerPinConfig2 (colour key, aspect-ratio mode, blending, colour
// controls); the filter answers IDDrawExclModeVideo and tells the registered callback, on the
// GUI thread, of colour-key and picture-size changes.
#include <mutex>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/ColorControls.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class OverlayMixer final : public AddInterfaces<BaseFilter, IDDrawExclModeVideo> {
 public:
  explicit OverlayMixer(const CLSID& clsid);

  // IDDrawExclModeVideo (GUI thread).
  HRESULT SetDrawParameters(const RECT* clip, const RECT* destination) override;
  HRESULT GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX, DWORD* aspectY) override;
  HRESULT SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) override;

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

  // Input0's streaming thread.
  HRESULT MixAndDeliver(IMediaSample* video);
  void BlendOverlay(std::uint8_t* picture, const PictureFormat& f);
  void TellSize(const PictureFormat& f);

  InputPin* video_;
  InputPin* overlay_;
  OutputPin* output_;

  std::mutex streaming_;  // held while Input0 processes a sample; Stop and EndFlush wait on it
  PictureFormat current_;  // Input0's streaming thread

  std::mutex lock_;
  // guarded by lock_
  ColorProcessor colors_;
  COLORKEY key_;
  ComPtr<IDDrawExclModeVideoCallback> callback_;
  RECT clip_{}, destination_{};
  std::vector<std::uint32_t> overlayPixels_;  // top-down 0xAARRGGBB
  LONG overlayWidth_ = 0, overlayHeight_ = 0;
  DWORD overlayBlend_ = 255;
};

}  // namespace kavoro::media
