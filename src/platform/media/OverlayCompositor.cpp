#include "platform/media/OverlayCompositor.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "platform/media/BasePin.h"
#include "platform/media/Enumerators.h"

namespace kavoro::media {
namespace {

constexpr int kArgbBytes = 4;
// Pictures a slot keeps ahead of the video; an input that runs further ahead loses its oldest.
constexpr std::size_t kMaxQueuedPictures = 8;

// BT.601 studio range, the range of the decoders' pictures.
int LumaOf(int r, int g, int b) { return ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16; }
int BlueDiffOf(int r, int g, int b) { return ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128; }
int RedDiffOf(int r, int g, int b) { return ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128; }

std::uint8_t Mix(int over, int under, int alpha) {
  return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha)) / 255);
}

}  // namespace

bool ReadOverlayType(const AM_MEDIA_TYPE& t, LONG* w, LONG* h, bool* topDown) {
  if (t.majortype != MEDIATYPE_Video || t.subtype != MEDIASUBTYPE_ARGB32 ||
      t.formattype != FORMAT_VideoInfo)
    return false;
  const auto* vih = t.FormatAs<VIDEOINFOHEADER>();
  if (!vih) return false;
  const LONG height = vih->bmiHeader.biHeight;
  *w = vih->bmiHeader.biWidth;
  *h = height < 0 ? -height : height;
  *topDown = height < 0;
  return *w > 0 && *h > 0 && *w <= kMaxPictureSide && *h <= kMaxPictureSide;
}

AM_MEDIA_TYPE MakeOverlayType(LONG width, LONG height) {
  AM_MEDIA_TYPE t;
  t.majortype = MEDIATYPE_Video;
  t.subtype = MEDIASUBTYPE_ARGB32;
  t.bFixedSizeSamples = 1;
  t.lSampleSize = static_cast<ULONG>(width * height * kArgbBytes);
  VIDEOINFOHEADER vih{};
  vih.rcSource = vih.rcTarget = {0, 0, width, height};
  vih.bmiHeader.biWidth = width;
  vih.bmiHeader.biHeight = height;
  vih.bmiHeader.biBitCount = 32;
  vih.bmiHeader.biCompression = BI_RGB;
  vih.bmiHeader.biSizeImage = t.lSampleSize;
  t.SetFormat(FORMAT_VideoInfo, vih);
  return t;
}

HRESULT EnumListedPins(const std::vector<BasePin*>& listed, IEnumPins** out) {
  if (!out) return E_POINTER;
  std::vector<ComPtr<IPin>> pins;
  for (BasePin* p : listed) pins.emplace_back(p);
  *out = MakeCom<PinEnum>([pins] { return pins; }).Detach();
  return S_OK;
}

HRESULT FindListedPin(const std::vector<BasePin*>& listed, const std::string& id, IPin** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (BasePin* p : listed) {
    if (p->PinName() == id) {
      *out = ComPtr<IPin>(p).Detach();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

OverlayCompositor::OverlayCompositor(std::size_t slots) : slots_(slots) {
  for (std::size_t i = 0; i < slots; ++i) slots_[i].z = static_cast<DWORD>(i);
}

bool OverlayCompositor::Receive(std::size_t slot, IMediaSample* sample, const AM_MEDIA_TYPE& type) {
  LONG w = 0, h = 0;
  bool topDown = false;
  if (slot >= slots_.size() || !ReadOverlayType(type, &w, &h, &topDown)) return false;
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || sample->GetActualDataLength() < w * h * kArgbBytes)
    return false;
  Picture p;
  REFERENCE_TIME start = 0, end = 0;
  const HRESULT timed = sample->GetTime(&start, &end);
  if (SUCCEEDED(timed)) p.start = start;
  if (timed == S_OK) p.end = end;
  p.width = w;
  p.height = h;
  RECT box{w, h, 0, 0};
  const auto* rows = reinterpret_cast<const std::uint32_t*>(data);
  for (LONG y = 0; y < h; ++y) {
    const std::uint32_t* row = rows + static_cast<std::size_t>(topDown ? y : h - 1 - y) * w;
    for (LONG x = 0; x < w; ++x) {
      if ((row[x] >> 24) == 0) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x + 1);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  if (box.right > box.left) {
    p.opaque = box;
    p.pixels.resize(static_cast<std::size_t>(w) * h);
    for (LONG y = 0; y < h; ++y)
      std::memcpy(&p.pixels[static_cast<std::size_t>(y) * w],
                  rows + static_cast<std::size_t>(topDown ? y : h - 1 - y) * w,
                  static_cast<std::size_t>(w) * kArgbBytes);
  }
  std::lock_guard g(lock_);
  Slot& s = slots_[slot];
  if (s.queue.size() >= kMaxQueuedPictures) s.queue.pop_front();
  const bool due = lastBlended_ && (!p.start || !lastTime_ || *p.start <= *lastTime_);
  s.queue.push_back(std::move(p));
  return due;
}

void OverlayCompositor::Clear(std::size_t slot) {
  std::lock_guard g(lock_);
  if (slot < slots_.size()) slots_[slot].queue.clear();
}

void OverlayCompositor::ClearAll() {
  std::lock_guard g(lock_);
  for (Slot& s : slots_) s.queue.clear();
  lastTime_.reset();
  lastBlended_ = false;
}

void OverlayCompositor::SetZOrder(std::size_t slot, DWORD z) {
  std::lock_guard g(lock_);
  if (slot < slots_.size()) slots_[slot].z = z;
}

DWORD OverlayCompositor::ZOrder(std::size_t slot) const {
  std::lock_guard g(lock_);
  return slot < slots_.size() ? slots_[slot].z : 0;
}

void OverlayCompositor::SetBlend(std::size_t slot, DWORD blend) {
  std::lock_guard g(lock_);
  if (slot < slots_.size()) slots_[slot].blend = std::min(blend, kOpaqueBlend);
}

DWORD OverlayCompositor::Blend(std::size_t slot) const {
  std::lock_guard g(lock_);
  return slot < slots_.size() ? slots_[slot].blend : kOpaqueBlend;
}

void OverlayCompositor::SetPlace(std::size_t slot, const RECT& place) {
  std::lock_guard g(lock_);
  if (slot < slots_.size()) slots_[slot].place = place;
}

RECT OverlayCompositor::Place(std::size_t slot) const {
  std::lock_guard g(lock_);
  return slot < slots_.size() ? slots_[slot].place : RECT{};
}

bool OverlayCompositor::HasPictures() const {
  std::lock_guard g(lock_);
  for (const Slot& s : slots_)
    for (const Picture& p : s.queue)
      if (!p.pixels.empty()) return true;
  return false;
}

bool OverlayCompositor::Applies(const Picture& p, std::optional<REFERENCE_TIME> time) {
  if (!time || !p.start) return true;
  return *p.start <= *time && (!p.end || *time < *p.end);
}

const OverlayCompositor::Picture* OverlayCompositor::Current(Slot& s,
                                                             std::optional<REFERENCE_TIME> time) {
  // A later picture that has started replaces the ones before it.
  while (s.queue.size() > 1) {
    const Picture& next = s.queue[1];
    if (time && next.start && *next.start > *time) break;
    s.queue.pop_front();
  }
  if (s.queue.empty()) return nullptr;
  const Picture& p = s.queue.front();
  if (time && p.start && p.end && *time >= *p.end && s.queue.size() == 1) {
    s.queue.pop_front();
    return nullptr;
  }
  return Applies(p, time) && !p.pixels.empty() ? &p : nullptr;
}

bool OverlayCompositor::BlendInto(std::uint8_t* i420, const PictureFormat& f,
                                  std::optional<REFERENCE_TIME> time) {
  std::lock_guard g(lock_);
  lastTime_ = time;
  lastBlended_ = true;
  std::vector<std::size_t> order(slots_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return slots_[a].z < slots_[b].z; });
  bool drawn = false;
  for (std::size_t i : order) {
    Slot& s = slots_[i];
    const Picture* p = Current(s, time);
    if (!p || s.blend == 0) continue;
    if (i420) Draw(*p, s.blend, s.place, i420, f);
    drawn = true;
  }
  return drawn;
}

void OverlayCompositor::Draw(const Picture& p, DWORD blend, const RECT& place, std::uint8_t* i420,
                             const PictureFormat& f) {
  const LONG w = f.width, h = f.height, cw = ChromaWidth(w);
  const LONG scale = static_cast<LONG>(kRelativePositionScale);
  // Where the overlay lands on the picture, and the part of it that holds visible pixels.
  const LONG x0 = place.left * w / scale, x1 = place.right * w / scale;
  const LONG y0 = place.top * h / scale, y1 = place.bottom * h / scale;
  const LONG dw = x1 - x0, dh = y1 - y0;
  if (dw <= 0 || dh <= 0) return;
  const LONG bx0 = std::max(x0, x0 + p.opaque.left * dw / p.width);
  const LONG bx1 = std::min(std::min(x1, w), x0 + (p.opaque.right * dw + p.width - 1) / p.width);
  const LONG by0 = std::max(y0, y0 + p.opaque.top * dh / p.height);
  const LONG by1 =
      std::min(std::min(y1, h), y0 + (p.opaque.bottom * dh + p.height - 1) / p.height);
  std::uint8_t* yp = i420;
  std::uint8_t* up = i420 + w * h;
  std::uint8_t* vp = up + cw * ChromaHeight(h);
  for (LONG y = std::max<LONG>(by0, 0); y < by1; ++y) {
    const std::uint32_t* row = &p.pixels[static_cast<std::size_t>((y - y0) * p.height / dh) * p.width];
    for (LONG x = std::max<LONG>(bx0, 0); x < bx1; ++x) {
      const std::uint32_t px = row[(x - x0) * p.width / dw];
      const int a = static_cast<int>((px >> 24) * blend / kOpaqueBlend);
      if (a == 0) continue;
      const int r = (px >> 16) & 0xFF, gr = (px >> 8) & 0xFF, b = px & 0xFF;
      std::uint8_t& py = yp[y * w + x];
      py = Mix(LumaOf(r, gr, b), py, a);
      if ((x & 1) == 0 && (y & 1) == 0) {
        std::uint8_t& pu = up[(y / 2) * cw + x / 2];
        std::uint8_t& pv = vp[(y / 2) * cw + x / 2];
        pu = Mix(BlueDiffOf(r, gr, b), pu, a);
        pv = Mix(RedDiffOf(r, gr, b), pv, a);
      }
    }
  }
}

}  // namespace kavoro::media
