// Before ColorControl.h, which uses ComPtr without including it.
#include "platform/com/ComPtr.h"
#include "video/ColorControl.h"

#include "media/DSUtil.h"
#include "media/FilterGraph.h"
#include "platform/media/MediaClasses.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::video {

namespace {

bool IsMixerClass(IBaseFilter* filter) {
  CLSID clsid{};
  if (!filter || FAILED(filter->GetClassID(&clsid))) return false;
  return clsid == CLSID_OverlayMixer || clsid == CLSID_OverlayMixer2;
}

// The record's colour-enable word for a setting.
constexpr LONG kColorOn = 1;
constexpr LONG kColorOff = 0;

}  // namespace

TColorControl::TColorControl(TDSVideoWindowEx2* owner) : FOwner(owner) {
  // Until the overlay is read: every setting supported, at its default.
  FHardwareSettings.dwFlags = kAllColorControls;
  FHardwareSettings.lBrightness = kBrightnessRange.Default;
  FHardwareSettings.lContrast = kContrastRange.Default;
  FHardwareSettings.lHue = kHueRange.Default;
  FHardwareSettings.lSaturation = kSaturationRange.Default;
  FHardwareSettings.lSharpness = kSharpnessRange.Default;
  FHardwareSettings.lGamma = kGammaRange.Default;
  FHardwareSettings.lColorEnable = kDefaultColorEnable ? kColorOn : kColorOff;
}

bool TColorControl::Live() const {
  const TFilterGraph* graph = FOwner ? FOwner->FilterGraph() : nullptr;
  return graph && graph->Active();
}

ComPtr<IMixerPinConfig2> TColorControl::MixerPin() const {
  TFilterGraph* graph = FOwner ? FOwner->FilterGraph() : nullptr;
  if (!graph) return {};
  ComPtr<IFilterGraph> manager = graph->Query<IFilterGraph>();
  const TFilterList filters(manager.Get());
  IBaseFilter* mixer = nullptr;
  for (const auto& filter : filters) {
    if (IsMixerClass(filter.Get())) mixer = filter.Get();
  }
  if (!mixer) return {};

  const TPinList pins(mixer);
  for (const auto& pin : pins) {
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(pin->QueryDirection(&direction))) return {};
    if (direction != PINDIR_INPUT) continue;
    // Only the first input pin carries the video whose colours are set.
    return pin.As<IMixerPinConfig2>();
  }
  return {};
}

void TColorControl::ReadHardwareSettings() {
  if (!Live()) return;
  ComPtr<IMixerPinConfig2> pin = MixerPin();
  if (!pin) return;
  DDCOLORCONTROL record;
  if (SUCCEEDED(pin->GetOverlaySurfaceColorControls(&record))) FHardwareSettings = record;
}

void TColorControl::ApplyToOverlay() {
  if (!Live()) return;
  ComPtr<IMixerPinConfig2> pin = MixerPin();
  if (!pin) return;
  DDCOLORCONTROL record;
  record.dwFlags = kAllColorControls;
  record.lBrightness = FBrightness;
  record.lContrast = FContrast;
  record.lHue = FHue;
  record.lSaturation = FSaturation;
  record.lSharpness = FSharpness;
  record.lGamma = FGamma;
  record.lColorEnable = FColorEnable ? kColorOn : kColorOff;
  record.dwReserved1 = 0;
  pin->SetOverlaySurfaceColorControls(&record);  // a refusal leaves the surface as it was
}

void TColorControl::ReadFromOverlay() {
  if (!Live()) return;
  ComPtr<IMixerPinConfig2> pin = MixerPin();
  if (!pin) return;
  DDCOLORCONTROL record;
  if (FAILED(pin->GetOverlaySurfaceColorControls(&record))) {
    SetDefaults();
    return;
  }
  FBrightness = record.lBrightness;
  FContrast = record.lContrast;
  FHue = record.lHue;
  FSaturation = record.lSaturation;
  FSharpness = record.lSharpness;
  FGamma = record.lGamma;
  FColorEnable = record.lColorEnable != kColorOff;
}

void TColorControl::ResetToDefaults() {
  FBrightness = FHardwareSettings.lBrightness;
  FContrast = FHardwareSettings.lContrast;
  FHue = FHardwareSettings.lHue;
  FSaturation = FHardwareSettings.lSaturation;
  FSharpness = FHardwareSettings.lSharpness;
  FGamma = FHardwareSettings.lGamma;
  FColorEnable = FHardwareSettings.lColorEnable != kColorOff;
  ApplyToOverlay();
}

void TColorControl::SetDefaults() {
  FBrightness = kBrightnessRange.Default;
  FContrast = kContrastRange.Default;
  FHue = kHueRange.Default;
  FSaturation = kSaturationRange.Default;
  FSharpness = kSharpnessRange.Default;
  FGamma = kGammaRange.Default;
  FColorEnable = kDefaultColorEnable;
}

void TColorControl::SetValue(int& field, int value, const TColorRange& range) {
  CheckRange(value, range.Min, range.Max, range.Message);
  field = value;
  // Also an unchanged value is written: the overlay may have been changed behind our back.
  ApplyToOverlay();
}

int TColorControl::Brightness() {
  ReadFromOverlay();
  return FBrightness;
}
void TColorControl::SetBrightness(int value) { SetValue(FBrightness, value, kBrightnessRange); }

int TColorControl::Contrast() {
  ReadFromOverlay();
  return FContrast;
}
void TColorControl::SetContrast(int value) { SetValue(FContrast, value, kContrastRange); }

int TColorControl::Hue() {
  ReadFromOverlay();
  return FHue;
}
void TColorControl::SetHue(int value) { SetValue(FHue, value, kHueRange); }

int TColorControl::Saturation() {
  ReadFromOverlay();
  return FSaturation;
}
void TColorControl::SetSaturation(int value) { SetValue(FSaturation, value, kSaturationRange); }

int TColorControl::Sharpness() {
  ReadFromOverlay();
  return FSharpness;
}
void TColorControl::SetSharpness(int value) { SetValue(FSharpness, value, kSharpnessRange); }

int TColorControl::Gamma() {
  ReadFromOverlay();
  return FGamma;
}
void TColorControl::SetGamma(int value) { SetValue(FGamma, value, kGammaRange); }

bool TColorControl::ColorEnable() {
  ReadFromOverlay();
  return FColorEnable;
}
void TColorControl::SetColorEnable(bool value) {
  FColorEnable = value;
  ApplyToOverlay();
}

}  // namespace kavoro::video
