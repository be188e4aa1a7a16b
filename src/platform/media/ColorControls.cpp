#include "platform/media/ColorControls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/media/VideoFormat.h"

namespace kavoro::media {
namespace {

constexpr LONG kDefaultBrightness = 750;
constexpr LONG kUnity = 10000;  // contrast and saturation of 1.0
constexpr LONG kNeutralSharpness = 5;
constexpr LONG kNoGamma = 1;
constexpr double kLumaBlack = 16.0;
constexpr double kLumaRange = 219.0;  // 100 IRE in 8-bit studio range
constexpr double kChromaZero = 128.0;
constexpr double kPi = 3.14159265358979323846;

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

DDCOLORCONTROL DefaultColorControls() {
  DDCOLORCONTROL c;
  c.dwFlags = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE | DDCOLOR_SATURATION |
              DDCOLOR_SHARPNESS | DDCOLOR_GAMMA | DDCOLOR_COLORENABLE;
  c.lBrightness = kDefaultBrightness;
  c.lContrast = kUnity;
  c.lHue = 0;
  c.lSaturation = kUnity;
  c.lSharpness = kNeutralSharpness;
  c.lGamma = kNoGamma;
  c.lColorEnable = 1;
  return c;
}

HRESULT CheckColorControls(const DDCOLORCONTROL& c) {
  if (c.dwSize != sizeof(DDCOLORCONTROL)) return E_INVALIDARG;
  auto bad = [&](DWORD flag, LONG v, LONG lo, LONG hi) {
    return (c.dwFlags & flag) && (v < lo || v > hi);
  };
  if (bad(DDCOLOR_BRIGHTNESS, c.lBrightness, 0, 10000) || bad(DDCOLOR_CONTRAST, c.lContrast, 0, 20000) ||
      bad(DDCOLOR_HUE, c.lHue, -180, 180) || bad(DDCOLOR_SATURATION, c.lSaturation, 0, 20000) ||
      bad(DDCOLOR_SHARPNESS, c.lSharpness, 0, 10) || bad(DDCOLOR_GAMMA, c.lGamma, 1, 500) ||
      bad(DDCOLOR_COLORENABLE, c.lColorEnable, 0, 1))
    return E_INVALIDARG;
  return S_OK;
}

ColorProcessor::ColorProcessor() : values_(DefaultColorControls()), chroma_(256 * 256) { Rebuild(); }

void ColorProcessor::Set(const DDCOLORCONTROL& c) {
  if (c.dwFlags & DDCOLOR_BRIGHTNESS) values_.lBrightness = c.lBrightness;
  if (c.dwFlags & DDCOLOR_CONTRAST) values_.lContrast = c.lContrast;
  if (c.dwFlags & DDCOLOR_HUE) values_.lHue = c.lHue;
  if (c.dwFlags & DDCOLOR_SATURATION) values_.lSaturation = c.lSaturation;
  if (c.dwFlags & DDCOLOR_SHARPNESS) values_.lSharpness = c.lSharpness;
  if (c.dwFlags & DDCOLOR_GAMMA) values_.lGamma = c.lGamma;
  if (c.dwFlags & DDCOLOR_COLORENABLE) values_.lColorEnable = c.lColorEnable;
  Rebuild();
}

bool ColorProcessor::Neutral() const {
  const DDCOLORCONTROL d = DefaultColorControls();
  return values_.lBrightness == d.lBrightness && values_.lContrast == d.lContrast &&
         values_.lHue == d.lHue && values_.lSaturation == d.lSaturation &&
         values_.lSharpness == d.lSharpness && values_.lGamma == d.lGamma &&
         values_.lColorEnable == d.lColorEnable;
}

void ColorProcessor::Rebuild() {
  const double gain = static_cast<double>(values_.lContrast) / kUnity;
  // Brightness in hundredths of IRE, relative to the 7.5 IRE setup the picture already has.
  const double offset = static_cast<double>(values_.lBrightness - kDefaultBrightness) / kUnity * kLumaRange;
  // Gamma 1 is none; larger values brighten the mid-tones (exponent 1 / (1 + (g - 1) / 100)).
  const double exponent = 1.0 / (1.0 + static_cast<double>(values_.lGamma - kNoGamma) / 100.0);
  for (int y = 0; y < 256; ++y) {
    double v = (static_cast<double>(y) - kLumaBlack) / kLumaRange;
    if (exponent != 1.0) v = v > 0 ? std::pow(v, exponent) : v;
    luma_[y] = Clamp8(v * kLumaRange * gain + kLumaBlack + offset);
  }
  const double sat = values_.lColorEnable ? static_cast<double>(values_.lSaturation) / kUnity : 0.0;
  const double angle = static_cast<double>(values_.lHue) * kPi / 180.0;
  const double c = std::cos(angle) * sat, s = std::sin(angle) * sat;
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 256; ++v) {
      const double du = u - kChromaZero, dv = v - kChromaZero;
      const std::uint8_t nu = Clamp8(kChromaZero + du * c - dv * s);
      const std::uint8_t nv = Clamp8(kChromaZero + du * s + dv * c);
      chroma_[(u << 8) | v] = static_cast<std::uint16_t>((nu << 8) | nv);
    }
  }
}

void ColorProcessor::Apply(std::uint8_t* picture, int width, int height) {
  if (Neutral()) return;
  std::uint8_t* y = picture;
  const double amount = static_cast<double>(values_.lSharpness - kNeutralSharpness) / kNeutralSharpness;
  if (amount != 0.0 && width > 2 && height > 2) {
    // Unsharp mask (or blur, below neutral) against the mean of the four neighbours.
    std::vector<std::uint8_t> src(y, y + static_cast<std::size_t>(width) * height);
    for (int r = 1; r < height - 1; ++r) {
      for (int x = 1; x < width - 1; ++x) {
        const int i = r * width + x;
        const double mean = (src[i - 1] + src[i + 1] + src[i - width] + src[i + width]) / 4.0;
        y[i] = Clamp8(src[i] + amount * (src[i] - mean));
      }
    }
  }
  for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) y[i] = luma_[y[i]];
  const std::size_t chroma = static_cast<std::size_t>(ChromaWidth(width)) * ChromaHeight(height);
  std::uint8_t* u = picture + static_cast<std::size_t>(width) * height;
  std::uint8_t* v = u + chroma;
  for (std::size_t i = 0; i < chroma; ++i) {
    const std::uint16_t m = chroma_[(u[i] << 8) | v[i]];
    u[i] = static_cast<std::uint8_t>(m >> 8);
    v[i] = static_cast<std::uint8_t>(m);
  }
}

}  // namespace kavoro::media
