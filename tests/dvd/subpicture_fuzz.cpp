// Fuzz target: subpicture units. Whatever the bytes, reading gives no unit or a unit whose
// picture fits its area and the picture size, and drawing it (with a highlight taken from the
// input's first bytes) stays inside the picture.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/media/dvd/SubpictureUnit.h"

using namespace kavoro;
using namespace kavoro::media;

namespace {
constexpr LONG kWidth = 720;
constexpr LONG kHeight = 576;
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<SubpictureUnit> unit = ReadSubpictureUnit(data, size, kWidth, kHeight);
  if (!unit || !unit->start) return 0;
  Check(unit->area.left >= 0 && unit->area.top >= 0);
  Check(unit->area.right <= kWidth && unit->area.bottom <= kHeight);
  Check(unit->pixels.size() == static_cast<std::size_t>(unit->Width()) * unit->Height());
  for (std::uint8_t v : unit->pixels) Check(v < 4);
  DvdPalette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = static_cast<std::uint32_t>(i * 0x0F0F0F);
  ButtonHighlight highlight;
  highlight.area = {static_cast<LONG>(data[4 % size]) * 3, static_cast<LONG>(data[5 % size]) * 2,
                    static_cast<LONG>(data[6 % size]) * 3, static_cast<LONG>(data[7 % size]) * 2,
                    1};
  highlight.colors = static_cast<std::uint32_t>(data[0]) * 0x01010101u;
  std::vector<std::uint32_t> picture(static_cast<std::size_t>(kWidth) * kHeight);
  ComposeSubpicture(*unit, palette, highlight, picture.data(), kWidth, kHeight);
  return 0;
}
