#pragma once
// The overlay mixer's exclusive-mode video interface: the native picture properties and the
// notification sink that hears of colour-key, size and overlay changes. There are no
// DirectDraw objects on this platform, so the interface carries only the operations that do
// not hand them over.
#include "platform/media/IMixerPinConfig.h"

namespace kavoro {

// Implemented by the application. The mixer calls it on the GUI thread.
struct IDDrawExclModeVideoCallback : IUnknown {
  static constexpr IID kIID = MakeGuid(0x913C24A0, 0x20AB, 0x11D2, 0x90, 0x38, 0x00, 0xA0, 0xC9,
                                       0x69, 0x72, 0x98);
  using Base = IUnknown;
  // Before (`before` true) and after the overlay's visibility or rectangles change.
  virtual HRESULT OnUpdateOverlay(BOOL before, DWORD flags, BOOL oldVisible,
                                  const RECT* oldSource, const RECT* oldDestination,
                                  BOOL newVisible, const RECT* newSource,
                                  const RECT* newDestination) = 0;
  // The colour key changed; `color` is the key colour as the display holds it.
  virtual HRESULT OnUpdateColorKey(const COLORKEY* key, DWORD color) = 0;
  // The native picture size or shape changed.
  virtual HRESULT OnUpdateSize(DWORD width, DWORD height, DWORD aspectX, DWORD aspectY) = 0;
};

// GUI thread. Asked of the overlay mixer filter.
struct IDDrawExclModeVideo : IUnknown {
  static constexpr IID kIID = MakeGuid(0x153ACC21, 0xD83B, 0x11D1, 0x82, 0xBF, 0x00, 0xA0, 0xC9,
                                       0x69, 0x6C, 0x8F);
  using Base = IUnknown;
  // The window rectangle the picture is drawn into and the clip, in screen pixels.
  virtual HRESULT SetDrawParameters(const RECT* clip, const RECT* destination) = 0;
  // The connected picture's size and display shape. VFW_E_NOT_CONNECTED before connection.
  virtual HRESULT GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                                      DWORD* aspectY) = 0;
  // Registers the sink (null unregisters); the mixer keeps a reference until replaced.
  // `flags` must be 0.
  virtual HRESULT SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) = 0;
};

}  // namespace kavoro
