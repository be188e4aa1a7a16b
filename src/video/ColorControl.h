#pragma once
// The seven colour settings of a video control (brightness, contrast, hue, saturation,
// sharpness, gamma, colour on/off). While the control's graph is active and holds an overlay
// mixer ("live"), they are written to and read back from the mixer's first input pin, whose
// colour controls act on the picture; otherwise they are only stored. The hardware's own
// record is read after each overlay set-up and put back before the graph is torn down, so the
// picture is left as it was found. GUI thread only.
#include "platform/com/ComPtr.h"
#include "platform/media/IMixerPinConfig.h"
#include "video/VideoTypes.h"

namespace kavoro::video {

class TDSVideoWindowEx2;

struct TColorRange {
  int Min;
  int Max;
  int Default;
  const char* Message;  // raised with the refused value in place of %d
};

constexpr TColorRange kBrightnessRange{0, 10000, 750,
                                       "Value %d out of range. Value must bee between 0 -> 10.000"};
constexpr TColorRange kContrastRange{0, 20000, 10000,
                                     "Value %d out of range. Value must bee between 0 -> 20.000"};
constexpr TColorRange kHueRange{-180, 180, 0,
                                "Value %d out of range. Value must bee between -180 -> 180"};
constexpr TColorRange kSaturationRange{
    0, 20000, 10000, "Value %d out of range. Value must bee between 0 -> 20.000"};
constexpr TColorRange kSharpnessRange{0, 10, 5,
                                      "Value %d out of range. Value must bee between 0 -> 10"};
constexpr TColorRange kGammaRange{1, 500, 1,
                                  "Value %d out of range. Value must bee between 1 -> 500"};
constexpr bool kDefaultColorEnable = true;
// Every setting the record carries.
constexpr DWORD kAllColorControls = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE |
                                    DDCOLOR_SATURATION | DDCOLOR_SHARPNESS | DDCOLOR_GAMMA |
                                    DDCOLOR_COLORENABLE;

class TColorControl {
 public:
  // `owner` is the video control whose graph the settings act on; it outlives this object.
  explicit TColorControl(TDSVideoWindowEx2* owner);

  // Reading a property while live first reads the values back from the overlay (a failed
  // read sets all seven to the defaults). Writing one out of its range raises ERangeError
  // with its message and stores nothing; otherwise it stores and, while live, writes all
  // seven to the overlay (also when unchanged).
  int Brightness();
  void SetBrightness(int value);
  int Contrast();
  void SetContrast(int value);
  int Hue();
  void SetHue(int value);
  int Saturation();
  void SetSaturation(int value);
  int Sharpness();
  void SetSharpness(int value);
  int Gamma();
  void SetGamma(int value);
  bool ColorEnable();
  void SetColorEnable(bool value);

  // While live: the overlay's record into HardwareSettings (a failed read keeps the old one).
  void ReadHardwareSettings();
  // While live: the seven current values to the overlay (a failure is ignored).
  void ApplyToOverlay();
  // The current values := HardwareSettings; then, while live, ApplyToOverlay.
  void ResetToDefaults();
  // The record last read from the overlay; before any read: all seven flags and the defaults.
  const DDCOLORCONTROL& HardwareSettings() const { return FHardwareSettings; }

 private:
  bool Live() const;
  // The mixer's first input pin configuration, or null.
  ComPtr<IMixerPinConfig2> MixerPin() const;
  void ReadFromOverlay();
  void SetValue(int& field, int value, const TColorRange& range);
  void SetDefaults();

  TDSVideoWindowEx2* FOwner;
  int FBrightness = kBrightnessRange.Default;
  int FContrast = kContrastRange.Default;
  int FHue = kHueRange.Default;
  int FSaturation = kSaturationRange.Default;
  int FSharpness = kSharpnessRange.Default;
  int FGamma = kGammaRange.Default;
  bool FColorEnable = kDefaultColorEnable;
  DDCOLORCONTROL FHardwareSettings;
};

}  // namespace kavoro::video
