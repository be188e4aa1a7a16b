#include "platform/media/VideoSurface.h"

#include <algorithm>

namespace kavoro::media {
namespace {

// Scaling filter: bilinear looks right at the sizes a window shows (a little soft when
// enlarging a lot) and costs a fraction of bicubic; a size that does not change is converted
// point for point.
constexpr int kScaleFilter = SWS_BILINEAR;
constexpr int kUnscaledFilter = SWS_POINT;

// Planes of an I420 picture held in a sample.
struct Planes {
  const std::uint8_t* data[3];
  int strides[3];
};

Planes PlanesOf(const BYTE* base, const PictureFormat& f) {
  const int cw = ChromaWidth(f.width), ch = ChromaHeight(f.height);
  Planes p;
  p.data[0] = base;
  p.data[1] = base + f.width * f.height;
  p.data[2] = base + f.width * f.height + cw * ch;
  p.strides[0] = f.width;
  p.strides[1] = cw;
  p.strides[2] = cw;
  return p;
}

}  // namespace

void VideoSurface::SetOverlays(std::shared_ptr<OverlayCompositor> overlays) {
  std::lock_guard g(lock_);
  overlays_ = std::move(overlays);
}

bool VideoSurface::Present(IMediaSample* sample, const PictureFormat& format) {
  std::lock_guard g(lock_);
  if (sample->GetActualDataLength() < I420Size(format.width, format.height)) return false;
  sample_ = ComPtr<IMediaSample>(sample);
  format_ = format;
  REFERENCE_TIME start = 0, end = 0;
  time_.reset();
  if (SUCCEEDED(sample->GetTime(&start, &end))) time_ = start;
  MixLocked();
  return ConvertLocked();
}

bool VideoSurface::ReplacePicture(IMediaSample* sample) {
  std::lock_guard g(lock_);
  if (!sample_ || sample->GetActualDataLength() < I420Size(format_.width, format_.height))
    return false;
  sample_ = ComPtr<IMediaSample>(sample);
  REFERENCE_TIME start = 0, end = 0;
  if (SUCCEEDED(sample->GetTime(&start, &end))) time_ = start;
  MixLocked();
  return ConvertLocked();
}

void VideoSurface::Refresh() {
  std::lock_guard g(lock_);
  if (!sample_) return;
  MixLocked();
  ConvertLocked();
}

void VideoSurface::Clear() {
  std::lock_guard g(lock_);
  sample_ = nullptr;
  mixed_.clear();
  image_ = QImage();
}

bool VideoSurface::MixLocked() {
  mixed_.clear();
  if (!overlays_) return false;
  BYTE* base = nullptr;
  sample_->GetPointer(&base);
  if (!overlays_->HasPictures()) {
    // Nothing to draw, but the overlays learn which picture is up.
    overlays_->BlendInto(nullptr, format_, time_);
    return false;
  }
  mixed_.assign(base, base + I420Size(format_.width, format_.height));
  if (overlays_->BlendInto(mixed_.data(), format_, time_)) return true;
  mixed_.clear();
  return false;
}

const BYTE* VideoSurface::PictureLocked() const {
  if (!mixed_.empty()) return mixed_.data();
  BYTE* base = nullptr;
  sample_->GetPointer(&base);
  return base;
}

void VideoSurface::SetSource(const RECT& source) {
  std::lock_guard g(lock_);
  source_ = source;
}

void VideoSurface::SetDestinationSize(LONG width, LONG height) {
  std::lock_guard g(lock_);
  destWidth_ = std::max<LONG>(0, width);
  destHeight_ = std::max<LONG>(0, height);
}

void VideoSurface::SetDrawSize(LONG width, LONG height) {
  std::lock_guard g(lock_);
  drawWidth_ = std::max<LONG>(0, width);
  drawHeight_ = std::max<LONG>(0, height);
}

bool VideoSurface::ConvertLocked() {
  RECT src = source_;
  if (RectWidth(src) <= 0 || RectHeight(src) <= 0) src = {0, 0, format_.width, format_.height};
  src.left = std::clamp<LONG>(src.left, 0, format_.width - 1);
  src.top = std::clamp<LONG>(src.top, 0, format_.height - 1);
  src.right = std::clamp<LONG>(src.right, src.left + 1, format_.width);
  src.bottom = std::clamp<LONG>(src.bottom, src.top + 1, format_.height);
  // Chroma is subsampled by two: the crop starts on even pixels.
  src.left &= ~1;
  src.top &= ~1;
  const int sw = RectWidth(src), sh = RectHeight(src);
  const bool drawn = drawWidth_ > 0 && drawHeight_ > 0;
  const int dw = drawn ? drawWidth_ : destWidth_ > 0 ? destWidth_ : sw;
  const int dh = drawn ? drawHeight_ : destHeight_ > 0 ? destHeight_ : sh;
  // A painter may still hold the last image: a fresh buffer then, not a copy of the old.
  if (image_.width() != dw || image_.height() != dh || image_.format() != QImage::Format_RGB32 ||
      !image_.isDetached())
    image_ = QImage(dw, dh, QImage::Format_RGB32);
  if (image_.isNull()) return false;

  Planes p = PlanesOf(PictureLocked(), format_);
  const std::uint8_t* cropped[3] = {
      p.data[0] + src.top * p.strides[0] + src.left,
      p.data[1] + (src.top / 2) * p.strides[1] + src.left / 2,
      p.data[2] + (src.top / 2) * p.strides[2] + src.left / 2,
  };
  const int flags = (sw == dw && sh == dh) ? kUnscaledFilter : kScaleFilter;
  scaler_.reset(sws_getCachedContext(scaler_.release(), sw, sh, AV_PIX_FMT_YUV420P, dw, dh,
                                     AV_PIX_FMT_BGRA, flags, nullptr, nullptr, nullptr));
  if (!scaler_) return false;
  std::uint8_t* dst[1] = {image_.bits()};
  const int dstStride[1] = {static_cast<int>(image_.bytesPerLine())};
  sws_scale(scaler_.get(), cropped, p.strides, 0, sh, dst, dstStride);
  return true;
}

bool VideoSurface::HasPicture() const {
  std::lock_guard g(lock_);
  return sample_ != nullptr;
}

PictureFormat VideoSurface::Format() const {
  std::lock_guard g(lock_);
  return format_;
}

QImage VideoSurface::Image() const {
  std::lock_guard g(lock_);
  return image_;
}

bool VideoSurface::WholePicture(QImage* image) const {
  std::lock_guard g(lock_);
  if (!sample_) return false;
  QImage whole(format_.width, format_.height, QImage::Format_RGB32);
  Planes p = PlanesOf(PictureLocked(), format_);
  SwsPtr s(sws_getContext(format_.width, format_.height, AV_PIX_FMT_YUV420P, format_.width,
                          format_.height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
  if (!s) return false;
  std::uint8_t* dst[1] = {whole.bits()};
  const int dstStride[1] = {static_cast<int>(whole.bytesPerLine())};
  sws_scale(s.get(), p.data, p.strides, 0, format_.height, dst, dstStride);
  *image = whole;
  return true;
}

}  // namespace kavoro::media
