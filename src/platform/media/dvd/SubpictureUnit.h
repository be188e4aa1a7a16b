#pragma once
// One DVD subpicture unit, read from its bytes: the run-length coded picture of 2-bit pixel
// values, its display area, colour indices and contrasts, and the display control commands
// (start, forced start, stop) with their delays. Reading checks every length and offset
// against the unit, so a damaged unit is refused instead of read past its end.
// Composition turns a unit into 0xAARRGGBB pixels with a colour table and, inside the
// selected menu button, the button's highlight colours.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/media/MediaTypes.h"
#include "platform/media/dvd/ISubpictureNavigation.h"

namespace kavoro::media {

struct SubpictureUnit {
  // Display area in picture pixels, right and bottom excluded.
  RECT area;
  LONG Width() const { return area.right - area.left; }
  LONG Height() const { return area.bottom - area.top; }
  // Width() x Height() pixel values 0..3, rows top-down.
  std::vector<std::uint8_t> pixels;
  // Colour table index and contrast (0 transparent .. 15 opaque) per pixel value.
  std::array<std::uint8_t, 4> colors{};
  std::array<std::uint8_t, 4> contrasts{};
  // Delays after the unit's own time stamp; no start means the unit is never shown.
  std::optional<REFERENCE_TIME> start;
  std::optional<REFERENCE_TIME> stop;
  bool forced = false;  // started by a forced-display command: shown even with subpictures off
};

// Any thread. The unit in `data` (its first two bytes give its size); nullopt when the bytes
// are not a whole, consistent unit. The picture is limited to `maxWidth` x `maxHeight`.
std::optional<SubpictureUnit> ReadSubpictureUnit(const std::uint8_t* data, std::size_t size,
                                                 LONG maxWidth, LONG maxHeight);

// 0xAARRGGBB (alpha 255) of a colour table entry 0x00YYCrCb, studio-range BT.601.
std::uint32_t ArgbFromYCrCb(std::uint32_t entry);

// The button to highlight while a unit is drawn: its area and its colour set's entry
// (DvdHighlightInfo::colors) for the selection or action state.
struct ButtonHighlight {
  DvdButtonArea area;
  std::uint32_t colors = 0;
};

// Draws `unit` into `picture` (width x height, 0xAARRGGBB, rows top-down), overwriting the
// pixels of its area that lie inside the picture. Pixel value v gets colour
// palette[colors[v]] with alpha contrasts[v] * 17; inside `highlight`'s area the colour index
// and contrast come from the highlight entry instead.
void ComposeSubpicture(const SubpictureUnit& unit, const DvdPalette& palette,
                       const std::optional<ButtonHighlight>& highlight, std::uint32_t* picture,
                       LONG width, LONG height);

}  // namespace kavoro::media
