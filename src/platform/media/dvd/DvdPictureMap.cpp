#include "platform/media/dvd/DvdPictureMap.h"

#include <algorithm>
#include <cstdint>

namespace kavoro::media {
namespace {

constexpr int kMaxZoom = 99;
constexpr int kPercent = 100;

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

// Floor of a / b for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The centre part of the picture a zoom leaves, at the picture's own proportions.
RECT ZoomedSource(LONG w, LONG h, int zoom) {
  zoom = std::clamp(zoom, 0, kMaxZoom);
  if (zoom == 0 || w <= 0 || h <= 0) return {0, 0, w, h};
  const double ratio = static_cast<double>(h) / w;
  const double sw = w - static_cast<double>(zoom * w) / kPercent;
  const double sh = sw * ratio;
  const LONG left = static_cast<LONG>((w - sw) / 2), top = static_cast<LONG>((h - sh) / 2);
  return {left, top, left + static_cast<LONG>(sw), top + static_cast<LONG>(sh)};
}

}  // namespace

DvdPictureMap::DvdPictureMap(const PictureGeometry& g) {
  source_ = ZoomedSource(g.pictureWidth, g.pictureHeight, g.digitalZoom);
  destination_ = FitPictureRect(g.client, g.aspectX, g.aspectY, g.fit);
}

std::optional<POINT> DvdPictureMap::ToPicture(POINT window) const {
  const LONG dw = Width(destination_), dh = Height(destination_);
  if (dw <= 0 || dh <= 0 || Width(source_) <= 0 || Height(source_) <= 0) return std::nullopt;
  if (window.x < destination_.left || window.x >= destination_.right ||
      window.y < destination_.top || window.y >= destination_.bottom)
    return std::nullopt;
  POINT p;
  p.x = source_.left +
        static_cast<LONG>(
            FloorDiv(static_cast<std::int64_t>(window.x - destination_.left) * Width(source_), dw));
  p.y = source_.top +
        static_cast<LONG>(
            FloorDiv(static_cast<std::int64_t>(window.y - destination_.top) * Height(source_), dh));
  return p;
}

RECT DvdPictureMap::ToWindow(const RECT& picture) const {
  const LONG sw = Width(source_), sh = Height(source_);
  if (sw <= 0 || sh <= 0) return {};
  // Rounded up: exactly the window pixels that ToPicture maps into the rectangle.
  auto x = [&](LONG v) {
    return destination_.left -
           static_cast<LONG>(
               FloorDiv(-static_cast<std::int64_t>(v - source_.left) * Width(destination_), sw));
  };
  auto y = [&](LONG v) {
    return destination_.top -
           static_cast<LONG>(
               FloorDiv(-static_cast<std::int64_t>(v - source_.top) * Height(destination_), sh));
  };
  return {x(picture.left), y(picture.top), x(picture.right), y(picture.bottom)};
}

HRESULT PictureGeometryOf(IBasicVideo2* renderer, const RECT& client, PictureFit fit, int zoom,
                          PictureGeometry* geometry) {
  if (!renderer || !geometry) return E_POINTER;
  LONG w = 0, h = 0, ax = 0, ay = 0;
  if (FAILED(renderer->GetVideoSize(&w, &h)) || w <= 0 || h <= 0) return E_FAIL;
  // A renderer that knows no display shape shows square pixels.
  if (FAILED(renderer->GetPreferredAspectRatio(&ax, &ay)) || ax <= 0 || ay <= 0) {
    ax = w;
    ay = h;
  }
  geometry->pictureWidth = w;
  geometry->pictureHeight = h;
  geometry->aspectX = ax;
  geometry->aspectY = ay;
  geometry->client = client;
  geometry->fit = fit;
  geometry->digitalZoom = zoom;
  return S_OK;
}

bool ButtonAreaContains(const DvdButtonArea& a, LONG x, LONG y) {
  return x >= a.left && x <= a.right && y >= a.top && y <= a.bottom;
}

ULONG ButtonAtPoint(const DvdHighlightInfo& info, POINT p) {
  if (!info.hasButtons) return 0;
  for (std::size_t b = 0; b < info.buttons.size(); ++b)
    if (ButtonAreaContains(info.buttons[b], p.x, p.y)) return static_cast<ULONG>(b + 1);
  return 0;
}

}  // namespace kavoro::media
