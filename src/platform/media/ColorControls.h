#pragma once
// The overlay's colour controls applied in software to I420 pictures: brightness, contrast
// and gamma through a table on luma, hue and saturation through a table on the chroma pair,
// colour off as grey chroma, sharpness as an unsharp mask on luma.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/media/IMixerPinConfig.h"

namespace kavoro::media {

// The values the overlay starts with: 7.5 IRE setup, unity contrast and saturation, no hue
// shift, neutral sharpness, no gamma correction, colour on.
DDCOLORCONTROL DefaultColorControls();
// E_INVALIDARG when a value whose flag is set lies outside its range.
HRESULT CheckColorControls(const DDCOLORCONTROL& c);

class ColorProcessor {
 public:
  ColorProcessor();
  // Takes the values whose DDCOLOR_ flags are set. Any thread, not during Apply.
  void Set(const DDCOLORCONTROL& c);
  const DDCOLORCONTROL& Values() const { return values_; }
  // True when every value is neutral, so Apply would change nothing.
  bool Neutral() const;
  // Applies the controls to an I420 picture in place.
  void Apply(std::uint8_t* picture, int width, int height);

 private:
  void Rebuild();

  DDCOLORCONTROL values_;
  std::array<std::uint8_t, 256> luma_{};
  std::vector<std::uint16_t> chroma_;  // (u << 8 | v) -> (u' << 8 | v')
};

}  // namespace kavoro::media
