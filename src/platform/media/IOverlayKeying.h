#pragma once
// What a video renderer fed by an overlay mixer needs to present the picture the way display
// hardware shows an overlay: only where the owning window shows the colour key, within the
// overlay's destination rectangle, fitted by the video input's aspect-ratio mode.
#include "platform/media/IMixerPinConfig.h"

namespace kavoro {

struct OverlayKeying {
  COLORREF keyColor = 0;  // 0x00BBGGRR
  AM_ASPECT_RATIO_MODE aspectMode = AM_ARMODE_LETTER_BOX;
  DWORD aspectX = 0, aspectY = 0;  // the picture's display shape; 0 when not connected
  bool hasDestination = false;     // false: the renderer's window rectangle
  RECT destination{};              // screen pixels, as SetDrawParameters gave it
};

// Asked of the mixer filter by the renderer, on the GUI thread.
struct IOverlayKeying : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56F0A1, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F,
                                       0x21, 0xC4, 0xA1);
  using Base = IUnknown;
  virtual HRESULT GetOverlayKeying(OverlayKeying* keying) = 0;
};

}  // namespace kavoro
