#include "platform/media/Line21Decoder.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "platform/media/MediaErrors.h"
#include "platform/media/OverlayCompositor.h"

namespace kavoro::media {
namespace {

constexpr LONG kCaptionBuffers = 2;
constexpr int kArgbBytes = 4;
// Captions stay inside the middle 80% of the picture, as on a television.
constexpr double kSafeMargin = 0.1;
constexpr double kGlyphToRow = 0.8;  // glyph height in parts of a row
constexpr double kBoxPadding = 0.5;  // box beyond a run of text, in cells
constexpr char kCaptionFont[] = "DejaVu Sans Mono";
constexpr char kInputName[] = "Line21 Input";
constexpr char kOutputName[] = "Line21 Output";

QColor ColorOf(CaptionColor c) {
  switch (c) {
    case CaptionColor::kGreen: return QColor(0, 255, 0);
    case CaptionColor::kBlue: return QColor(0, 0, 255);
    case CaptionColor::kCyan: return QColor(0, 255, 255);
    case CaptionColor::kRed: return QColor(255, 0, 0);
    case CaptionColor::kYellow: return QColor(255, 255, 0);
    case CaptionColor::kMagenta: return QColor(255, 0, 255);
    case CaptionColor::kWhite: break;
  }
  return QColor(255, 255, 255);
}

}  // namespace

void PaintCaptions(const CaptionScreen& screen, QImage* image) {
  image->fill(Qt::transparent);
  const double w = image->width(), h = image->height();
  const double left = w * kSafeMargin, top = h * kSafeMargin;
  const double cell = w * (1 - 2 * kSafeMargin) / kCaptionColumns;
  const double row = h * (1 - 2 * kSafeMargin) / kCaptionRows;
  QPainter p(image);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QString::fromLatin1(kCaptionFont));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(std::max(1, static_cast<int>(row * kGlyphToRow)));
  for (int r = 0; r < kCaptionRows; ++r) {
    const double y = top + r * row;
    // Black boxes behind each run of cells with something in them.
    for (int c = 0; c < kCaptionColumns;) {
      if (!screen[r][c].ch) {
        ++c;
        continue;
      }
      int end = c;
      while (end < kCaptionColumns && screen[r][end].ch) ++end;
      p.fillRect(QRectF(left + (c - kBoxPadding) * cell, y, (end - c + 2 * kBoxPadding) * cell, row),
                 Qt::black);
      c = end;
    }
    for (int c = 0; c < kCaptionColumns; ++c) {
      const CaptionCell& cc = screen[r][c];
      if (!cc.ch || cc.ch == U' ') continue;
      font.setItalic(cc.italic);
      font.setUnderline(cc.underline);
      p.setFont(font);
      p.setPen(ColorOf(cc.color));
      p.drawText(QRectF(left + c * cell, y, cell, row), Qt::AlignCenter,
                 QString::fromUcs4(&cc.ch, 1));
    }
  }
}

Line21Decoder::Line21Decoder(const CLSID& clsid) : TransformFilter(clsid, kInputName, kOutputName) {}

HRESULT Line21Decoder::CheckInputType(const AM_MEDIA_TYPE& t) {
  if (t.majortype != MEDIATYPE_AUXLine21Data || t.subtype != MEDIASUBTYPE_Line21_BytePair)
    return S_FALSE;
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? S_OK : S_FALSE;
}

HRESULT Line21Decoder::OnInputConnected(const AM_MEDIA_TYPE& t) {
  width_ = kCaptionPictureWidth;
  height_ = kCaptionPictureHeight;
  // The caption picture takes the video's size when the type gives it.
  if (const auto* vih = t.FormatAs<VIDEOINFOHEADER>(); vih && t.formattype == FORMAT_VideoInfo) {
    const LONG vw = vih->bmiHeader.biWidth, vh = std::abs(vih->bmiHeader.biHeight);
    if (vw > 0 && vh > 0 && vw <= kMaxPictureSide && vh <= kMaxPictureSide) {
      width_ = std::max(vw, kCaptionPictureWidth);
      height_ = std::max(vh, kCaptionPictureHeight);
    }
  }
  return S_OK;
}

HRESULT Line21Decoder::GetOutputType(int index, AM_MEDIA_TYPE* t) {
  if (index != 0) return S_FALSE;
  *t = MakeOverlayType(width_, height_);
  return S_OK;
}

HRESULT Line21Decoder::CheckOutputType(const AM_MEDIA_TYPE&, const AM_MEDIA_TYPE& out) {
  LONG w = 0, h = 0;
  bool topDown = false;
  if (!ReadOverlayType(out, &w, &h, &topDown)) return S_FALSE;
  return w == width_ && h == height_ && !topDown ? S_OK : S_FALSE;
}

HRESULT Line21Decoder::DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* props) {
  props->cBuffers = kCaptionBuffers;
  props->cbBuffer = static_cast<LONG>(out.lSampleSize);
  return S_OK;
}

void Line21Decoder::Discard() {
  decoder_.Reset();
  shown_ = false;
}

HRESULT Line21Decoder::Process(IMediaSample* in) {
  BYTE* data = nullptr;
  in->GetPointer(&data);
  const LONG size = in->GetActualDataLength();
  bool changed = false;
  for (LONG i = 0; i + 1 < size; i += 2) changed |= decoder_.Decode(data[i], data[i + 1]);
  // Nothing to erase when nothing was shown.
  if (!changed || (!shown_ && decoder_.Blank())) return S_OK;
  REFERENCE_TIME start = 0, end = 0;
  const bool timed = SUCCEEDED(in->GetTime(&start, &end));
  return DeliverCaptions(timed ? &start : nullptr);
}

HRESULT Line21Decoder::DeliverCaptions(const REFERENCE_TIME* start) {
  if (image_.width() != width_ || image_.height() != height_)
    image_ = QImage(width_, height_, QImage::Format_ARGB32_Premultiplied);
  if (image_.isNull()) return E_OUTOFMEMORY;
  PaintCaptions(decoder_.Displayed(), &image_);
  shown_ = !decoder_.Blank();
  ComPtr<IMediaSample> out;
  HRESULT hr = GetOutputBuffer(out.Put());
  if (FAILED(hr)) return hr;
  const LONG size = width_ * height_ * kArgbBytes;
  if (out->GetSize() < size) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
  }
  BYTE* dst = nullptr;
  out->GetPointer(&dst);
  // Bottom-up rows; the boxes are opaque, so premultiplied pixels are plain ones.
  const auto rowBytes = static_cast<std::size_t>(width_) * kArgbBytes;
  for (LONG y = 0; y < height_; ++y)
    std::memcpy(dst + static_cast<std::size_t>(height_ - 1 - y) * rowBytes, image_.constScanLine(y),
                rowBytes);
  out->SetActualDataLength(size);
  out->SetTime(start, nullptr);
  out->SetSyncPoint(1);
  return DeliverOutput(out.Get());
}

}  // namespace kavoro::media
