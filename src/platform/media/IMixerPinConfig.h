#pragma once
// The overlay mixer's per-input configuration: colour key, aspect-ratio mode, z-order,
// blending and the overlay surface's colour controls.
#include "platform/media/MediaTypes.h"

namespace kavoro {

using COLORREF = DWORD;  // 0x00BBGGRR

constexpr DWORD CK_NOCOLORKEY = 0x0;
constexpr DWORD CK_INDEX = 0x1;
constexpr DWORD CK_RGB = 0x2;

struct COLORKEY {
  DWORD KeyType = CK_NOCOLORKEY;  // CK_INDEX and/or CK_RGB
  DWORD PaletteIndex = 0;
  COLORREF LowColorValue = 0;
  COLORREF HighColorValue = 0;
};

enum AM_ASPECT_RATIO_MODE {
  AM_ARMODE_STRETCHED = 0,
  AM_ARMODE_LETTER_BOX = 1,
  AM_ARMODE_CROP = 2,
  AM_ARMODE_STRETCHED_AS_PRIMARY = 3,
};

constexpr DWORD DDCOLOR_BRIGHTNESS = 0x01;
constexpr DWORD DDCOLOR_CONTRAST = 0x02;
constexpr DWORD DDCOLOR_HUE = 0x04;
constexpr DWORD DDCOLOR_SATURATION = 0x08;
constexpr DWORD DDCOLOR_SHARPNESS = 0x10;
constexpr DWORD DDCOLOR_GAMMA = 0x20;
constexpr DWORD DDCOLOR_COLORENABLE = 0x40;

// Brightness, contrast and saturation in hundredths of IRE units (0..10000, 0..20000,
// 0..20000), hue in degrees (-180..180), sharpness 0..10, gamma 1..500, colour enable 1 or 0.
struct DDCOLORCONTROL {
  DWORD dwSize = sizeof(DDCOLORCONTROL);
  DWORD dwFlags = 0;  // which of the values are valid (DDCOLOR_ bits)
  LONG lBrightness = 0;
  LONG lContrast = 0;
  LONG lHue = 0;
  LONG lSaturation = 0;
  LONG lSharpness = 0;
  LONG lGamma = 0;
  LONG lColorEnable = 0;
  DWORD dwReserved1 = 0;
};
static_assert(sizeof(DDCOLORCONTROL) == 40);

// GUI thread. Asked of an input pin of the overlay mixer.
struct IMixerPinConfig : IUnknown {
  static constexpr IID kIID = MakeGuid(0x593CDDE1, 0x0759, 0x11D1, 0x9E, 0x69, 0x00, 0xC0, 0x4F,
                                       0xD7, 0xC1, 0x5B);
  using Base = IUnknown;
  // Where this input's picture lies in the output, in 1/10000 of its width and height.
  virtual HRESULT SetRelativePosition(DWORD left, DWORD top, DWORD right, DWORD bottom) = 0;
  virtual HRESULT GetRelativePosition(DWORD* left, DWORD* top, DWORD* right, DWORD* bottom) = 0;
  // Overlay inputs with a higher value are drawn over those with a lower one; the video of
  // the first input is always beneath them.
  virtual HRESULT SetZOrder(DWORD z) = 0;
  virtual HRESULT GetZOrder(DWORD* z) = 0;
  // The key colour where the picture shows through. GetColorKey fills `key` and `color` (the
  // key's colour as the display holds it); VFW_E_NO_COLOR_KEY_SET before one was chosen.
  virtual HRESULT SetColorKey(const COLORKEY* key) = 0;
  virtual HRESULT GetColorKey(COLORKEY* key, DWORD* color) = 0;
  // 0 (transparent) .. 255 (opaque), for the inputs after the first.
  virtual HRESULT SetBlendingParameter(DWORD value) = 0;
  virtual HRESULT GetBlendingParameter(DWORD* value) = 0;
  virtual HRESULT SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) = 0;
  virtual HRESULT GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) = 0;
  virtual HRESULT SetStreamTransparent(BOOL transparent) = 0;
  virtual HRESULT GetStreamTransparent(BOOL* transparent) = 0;
};

struct IMixerPinConfig2 : IMixerPinConfig {
  static constexpr IID kIID = MakeGuid(0xEBF47182, 0x8764, 0x11D1, 0x9E, 0x69, 0x00, 0xC0, 0x4F,
                                       0xD7, 0xC1, 0x5B);
  using Base = IMixerPinConfig;
  // Writes the values whose DDCOLOR_ bits are set in dwFlags; pictures mixed from now on show
  // them. E_INVALIDARG for dwSize other than 40 or a value out of range (nothing is written).
  virtual HRESULT SetOverlaySurfaceColorControls(const DDCOLORCONTROL* controls) = 0;
  // Fills every value; dwFlags tells which ones the mixer supports.
  virtual HRESULT GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) = 0;
};

}  // namespace kavoro
