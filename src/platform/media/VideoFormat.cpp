#include "platform/media/VideoFormat.h"

namespace kavoro::media {

LONG I420Size(LONG width, LONG height) {
  return width * height + 2 * ChromaWidth(width) * ChromaHeight(height);
}

AM_MEDIA_TYPE MakeI420Type(const PictureFormat& f) {
  AM_MEDIA_TYPE t;
  t.majortype = MEDIATYPE_Video;
  t.subtype = MEDIASUBTYPE_I420;
  t.bFixedSizeSamples = 1;
  t.bTemporalCompression = 0;
  t.lSampleSize = static_cast<ULONG>(I420Size(f.width, f.height));
  VIDEOINFOHEADER2 vih;
  vih.rcSource = {0, 0, f.width, f.height};
  vih.rcTarget = vih.rcSource;
  vih.AvgTimePerFrame = f.frameTime;
  vih.dwPictAspectRatioX = f.aspectX ? f.aspectX : static_cast<DWORD>(f.width);
  vih.dwPictAspectRatioY = f.aspectY ? f.aspectY : static_cast<DWORD>(f.height);
  vih.bmiHeader.biWidth = f.width;
  vih.bmiHeader.biHeight = f.height;
  vih.bmiHeader.biBitCount = 12;
  vih.bmiHeader.biCompression = MakeFourCC('I', '4', '2', '0');
  vih.bmiHeader.biSizeImage = t.lSampleSize;
  t.SetFormat(FORMAT_VideoInfo2, vih);
  return t;
}

bool ReadI420Type(const AM_MEDIA_TYPE& t, PictureFormat* f) {
  if (t.majortype != MEDIATYPE_Video || t.subtype != MEDIASUBTYPE_I420 ||
      t.formattype != FORMAT_VideoInfo2)
    return false;
  const auto* vih = t.FormatAs<VIDEOINFOHEADER2>();
  if (!vih) return false;
  const LONG w = vih->bmiHeader.biWidth;
  const LONG h = vih->bmiHeader.biHeight < 0 ? -vih->bmiHeader.biHeight : vih->bmiHeader.biHeight;
  if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) return false;
  f->width = w;
  f->height = h;
  f->aspectX = vih->dwPictAspectRatioX ? vih->dwPictAspectRatioX : static_cast<DWORD>(w);
  f->aspectY = vih->dwPictAspectRatioY ? vih->dwPictAspectRatioY : static_cast<DWORD>(h);
  f->frameTime = vih->AvgTimePerFrame;
  return true;
}

}  // namespace kavoro::media
