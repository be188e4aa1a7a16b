#include "platform/media/dvd/SubpictureUnit.h"

#include <algorithm>

#include "platform/media/dvd/DvdPictureMap.h"

namespace kavoro::media {
namespace {

// Display control commands.
constexpr std::uint8_t kForcedStart = 0x00;
constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kStop = 0x02;
constexpr std::uint8_t kSetColors = 0x03;
constexpr std::uint8_t kSetContrasts = 0x04;
constexpr std::uint8_t kSetArea = 0x05;
constexpr std::uint8_t kSetFieldOffsets = 0x06;
constexpr std::uint8_t kChangeColorsAndContrasts = 0x07;
constexpr std::uint8_t kEndOfCommands = 0xFF;

constexpr std::size_t kUnitHeader = 4;   // unit size, offset of the first command block
constexpr std::size_t kBlockHeader = 4;  // delay, offset of the next block
// A unit loops back on itself at its last block; this bounds a damaged chain.
constexpr int kMaxCommandBlocks = 64;
// Delays count 1024 ticks of the 90 kHz clock.
constexpr REFERENCE_TIME kTicksPerDelay = 1024;
constexpr REFERENCE_TIME Delay100ns(std::uint16_t delay) {
  return delay * kTicksPerDelay * 1000 / 9;
}
constexpr int kMaxContrast = 15;
constexpr int kContrastToAlpha = 255 / kMaxContrast;

std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

// Nibbles of one field's run-length code, from `offset` up to `end` (bytes of the unit).
class NibbleReader {
 public:
  NibbleReader(const std::uint8_t* data, std::size_t offset, std::size_t end)
      : data_(data), pos_(offset * 2), end_(end * 2) {}
  bool Next(unsigned* v) {
    if (pos_ >= end_) return false;
    const std::uint8_t byte = data_[pos_ / 2];
    *v = (pos_ & 1) ? (byte & 0x0F) : (byte >> 4);
    ++pos_;
    return true;
  }
  void AlignToByte() { pos_ = (pos_ + 1) & ~std::size_t{1}; }

 private:
  const std::uint8_t* data_;
  std::size_t pos_, end_;
};

// Decodes the rows of one field (every second row from `firstRow`) into `unit.pixels`.
bool DecodeField(const std::uint8_t* data, std::size_t offset, std::size_t end, LONG firstRow,
                 SubpictureUnit& unit) {
  const LONG w = unit.Width(), h = unit.Height();
  NibbleReader in(data, offset, end);
  for (LONG y = firstRow; y < h; y += 2) {
    std::uint8_t* row = &unit.pixels[static_cast<std::size_t>(y) * w];
    LONG x = 0;
    while (x < w) {
      // A code is 1 to 4 nibbles: the fewer leading zero bits, the shorter; the low two bits
      // are the pixel value, the rest the run length, 0 meaning "to the end of the row".
      unsigned code = 0, n = 0;
      if (!in.Next(&code)) return false;
      for (unsigned limit : {0x4u, 0x10u, 0x40u}) {
        if (code >= limit) break;
        if (!in.Next(&n)) return false;
        code = (code << 4) | n;
      }
      const LONG run = static_cast<LONG>(code >> 2);
      const LONG count = run == 0 ? w - x : std::min(run, w - x);
      std::fill_n(row + x, count, static_cast<std::uint8_t>(code & 3));
      x += count;
    }
    in.AlignToByte();
  }
  return true;
}

// Four nibbles, highest first, as values for pixel values 3, 2, 1, 0.
std::array<std::uint8_t, 4> NibblesByPixelValue(std::uint16_t v) {
  return {static_cast<std::uint8_t>(v & 0xF), static_cast<std::uint8_t>((v >> 4) & 0xF),
          static_cast<std::uint8_t>((v >> 8) & 0xF), static_cast<std::uint8_t>((v >> 12) & 0xF)};
}

std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

std::optional<SubpictureUnit> ReadSubpictureUnit(const std::uint8_t* data, std::size_t size,
                                                 LONG maxWidth, LONG maxHeight) {
  if (!data || size < kUnitHeader) return std::nullopt;
  const std::size_t unitSize = Be16(data);
  const std::size_t firstBlock = Be16(data + 2);
  if (unitSize > size || firstBlock < kUnitHeader || firstBlock + kBlockHeader > unitSize)
    return std::nullopt;

  SubpictureUnit unit;
  bool haveArea = false, haveOffsets = false;
  std::size_t fieldOffset[2] = {0, 0};
  std::size_t block = firstBlock;
  for (int blocks = 0; blocks < kMaxCommandBlocks; ++blocks) {
    if (block + kBlockHeader > unitSize) return std::nullopt;
    const REFERENCE_TIME delay = Delay100ns(Be16(data + block));
    const std::size_t next = Be16(data + block + 2);
    std::size_t p = block + kBlockHeader;
    for (;;) {
      if (p >= unitSize) return std::nullopt;
      const std::uint8_t command = data[p++];
      if (command == kEndOfCommands) break;
      // Bytes of arguments each command takes.
      std::size_t args = 0;
      switch (command) {
        case kForcedStart:
        case kStart:
        case kStop:
          break;
        case kSetColors:
        case kSetContrasts:
          args = 2;
          break;
        case kSetArea:
          args = 6;
          break;
        case kSetFieldOffsets:
          args = 4;
          break;
        case kChangeColorsAndContrasts:
          // Its own size (including the two size bytes) follows; its changes are not drawn.
          if (p + 2 > unitSize) return std::nullopt;
          args = Be16(data + p);
          if (args < 2) return std::nullopt;
          break;
        default:
          return std::nullopt;  // not a command: the unit is damaged
      }
      if (p + args > unitSize) return std::nullopt;
      const std::uint8_t* a = data + p;
      switch (command) {
        case kForcedStart:
        case kStart:
          if (!unit.start) {
            unit.start = delay;
            unit.forced = command == kForcedStart;
          }
          break;
        case kStop:
          if (!unit.stop) unit.stop = delay;
          break;
        case kSetColors:
          unit.colors = NibblesByPixelValue(Be16(a));
          break;
        case kSetContrasts:
          unit.contrasts = NibblesByPixelValue(Be16(a));
          break;
        case kSetArea: {
          const LONG x1 = (a[0] << 4) | (a[1] >> 4), x2 = ((a[1] & 0xF) << 8) | a[2];
          const LONG y1 = (a[3] << 4) | (a[4] >> 4), y2 = ((a[4] & 0xF) << 8) | a[5];
          if (x2 < x1 || y2 < y1 || x2 >= maxWidth || y2 >= maxHeight) return std::nullopt;
          unit.area = {x1, y1, x2 + 1, y2 + 1};
          haveArea = true;
          break;
        }
        case kSetFieldOffsets:
          fieldOffset[0] = Be16(a);
          fieldOffset[1] = Be16(a + 2);
          haveOffsets = true;
          break;
        default:
          break;
      }
      p += args;
    }
    if (next <= block) break;  // the last block points at itself
    block = next;
  }
  if (unit.start && unit.stop && *unit.stop < *unit.start) unit.stop.reset();
  if (!unit.start) return unit;  // nothing to draw
  if (!haveArea || !haveOffsets) return std::nullopt;
  for (std::size_t offset : fieldOffset)
    if (offset < kUnitHeader || offset >= firstBlock) return std::nullopt;
  unit.pixels.assign(static_cast<std::size_t>(unit.Width()) * unit.Height(), 0);
  // The picture data lies between the header and the first command block.
  for (int field = 0; field < 2; ++field)
    if (!DecodeField(data, fieldOffset[field], firstBlock, field, unit)) return std::nullopt;
  return unit;
}

std::uint32_t ArgbFromYCrCb(std::uint32_t entry) {
  const int y = static_cast<int>((entry >> 16) & 0xFF) - 16;
  const int cr = static_cast<int>((entry >> 8) & 0xFF) - 128;
  const int cb = static_cast<int>(entry & 0xFF) - 128;
  // Fixed point, 8 fractional bits.
  const int yy = 298 * y + 128;
  const std::uint8_t r = Clamp255((yy + 409 * cr) >> 8);
  const std::uint8_t g = Clamp255((yy - 100 * cb - 208 * cr) >> 8);
  const std::uint8_t b = Clamp255((yy + 516 * cb) >> 8);
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) |
         (static_cast<std::uint32_t>(g) << 8) | b;
}

void ComposeSubpicture(const SubpictureUnit& unit, const DvdPalette& palette,
                       const std::optional<ButtonHighlight>& highlight, std::uint32_t* picture,
                       LONG width, LONG height) {
  if (unit.pixels.empty()) return;
  auto colour = [&](std::uint8_t index, std::uint8_t contrast) {
    if (contrast == 0) return std::uint32_t{0};
    const std::uint32_t rgb = ArgbFromYCrCb(palette[index & 0xF]) & 0x00FFFFFFu;
    return (static_cast<std::uint32_t>(contrast * kContrastToAlpha) << 24) | rgb;
  };
  std::array<std::uint32_t, 4> plain{}, lit{};
  for (int v = 0; v < 4; ++v) plain[v] = colour(unit.colors[v], unit.contrasts[v]);
  if (highlight) {
    const auto indices = NibblesByPixelValue(static_cast<std::uint16_t>(highlight->colors >> 16));
    const auto contrasts = NibblesByPixelValue(static_cast<std::uint16_t>(highlight->colors));
    for (int v = 0; v < 4; ++v) lit[v] = colour(indices[v], contrasts[v]);
  }
  const LONG x0 = std::max<LONG>(unit.area.left, 0), x1 = std::min(unit.area.right, width);
  const LONG y0 = std::max<LONG>(unit.area.top, 0), y1 = std::min(unit.area.bottom, height);
  for (LONG y = y0; y < y1; ++y) {
    const std::uint8_t* src =
        unit.pixels.data() + static_cast<std::size_t>(y - unit.area.top) * unit.Width();
    std::uint32_t* dst = picture + static_cast<std::size_t>(y) * width;
    for (LONG x = x0; x < x1; ++x) {
      const bool inButton = highlight && ButtonAreaContains(highlight->area, x, y);
      dst[x] = (inButton ? lit : plain)[src[x - unit.area.left]];
    }
  }
}

}  // namespace kavoro::media
