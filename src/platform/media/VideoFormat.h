#pragma once
// Decoded pictures on connections: planar 4:2:0 (I420, tightly packed planes, rows top-down)
// described by VIDEOINFOHEADER2, and the helpers that make and read such types.
#include "platform/media/MediaTypes.h"

namespace kavoro::media {

struct PictureFormat {
  LONG width = 0;
  LONG height = 0;
  DWORD aspectX = 0;  // display shape
  DWORD aspectY = 0;
  REFERENCE_TIME frameTime = 0;  // 0: unknown
};

// Bytes of one I420 picture of that size, and the offsets of its planes.
LONG I420Size(LONG width, LONG height);
inline LONG ChromaWidth(LONG width) { return (width + 1) / 2; }
inline LONG ChromaHeight(LONG height) { return (height + 1) / 2; }

AM_MEDIA_TYPE MakeI420Type(const PictureFormat& format);
// nullopt-like: false when `type` is not an I420 VIDEOINFOHEADER2 type of a sane size.
bool ReadI420Type(const AM_MEDIA_TYPE& type, PictureFormat* format);

// Largest picture side accepted anywhere, so that sizes read from files cannot overflow.
constexpr LONG kMaxPictureSide = 8192;

}  // namespace kavoro::media
