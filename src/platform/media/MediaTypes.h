#pragma once
// Media types: what flows on a connection between two pins. A type is a major type (video,
// audio, ...), a subtype (the coding or pixel layout) and a format block whose layout the
// format type names (VIDEOINFOHEADER2, WAVEFORMATEX, codec parameters).
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/com/Unknown.h"

namespace kavoro {

using REFERENCE_TIME = std::int64_t;  // 100 ns units
using LONG_PTR = std::intptr_t;
using LONGLONG = std::int64_t;
using DWORDLONG = std::uint64_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr REFERENCE_TIME kUnitsPerMillisecond = 10'000;

// Builds the identifier that the platform derives from a four-character code.
constexpr GUID FourCCGuid(std::uint32_t fourcc) {
  return MakeGuid(fourcc, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71);
}
constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24);
}

// Major types.
constexpr GUID MEDIATYPE_Video = FourCCGuid(MakeFourCC('v', 'i', 'd', 's'));
constexpr GUID MEDIATYPE_Audio = FourCCGuid(MakeFourCC('a', 'u', 'd', 's'));
constexpr GUID MEDIATYPE_Text = FourCCGuid(MakeFourCC('t', 'x', 't', 's'));
constexpr GUID MEDIATYPE_Stream = MakeGuid(0xE436EB83, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20,
                                           0xAF, 0x0B, 0xA7, 0x70);
constexpr GUID MEDIATYPE_AUXLine21Data = MakeGuid(0x670AEA80, 0x3A82, 0x11D0, 0xB7, 0x9B, 0x00,
                                                  0xAA, 0x00, 0x37, 0x67, 0xA7);
constexpr GUID MEDIATYPE_Subpicture = MakeGuid(0xE06D802D, 0xDB46, 0x11CF, 0xB4, 0xD1, 0x00, 0x80,
                                               0x5F, 0x6C, 0xBB, 0xEA);

// Uncompressed subtypes.
constexpr GUID MEDIASUBTYPE_RGB32 = MakeGuid(0xE436EB7E, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20,
                                             0xAF, 0x0B, 0xA7, 0x70);
constexpr GUID MEDIASUBTYPE_I420 = FourCCGuid(MakeFourCC('I', '4', '2', '0'));
// 32-bit pictures with alpha (0xAARRGGBB), rows bottom-up as in a DIB: overlays such as captions.
constexpr GUID MEDIASUBTYPE_ARGB32 = MakeGuid(0x773C9AC0, 0x3274, 0x11D0, 0xB7, 0x24, 0x00, 0xAA,
                                              0x00, 0x6C, 0x1A, 0x01);
constexpr GUID MEDIASUBTYPE_PCM = FourCCGuid(0x00000001);
constexpr GUID MEDIASUBTYPE_Line21_BytePair = MakeGuid(0x6E8D4A22, 0x310C, 0x11D0, 0xB7, 0x9A,
                                                       0x00, 0xAA, 0x00, 0x37, 0x67, 0xA7);

// Compressed streams carry the subtype of their codec: CodecSubtype(n) for the codec number n
// that the decoders understand (the demuxing library's codec identifier), with the codec
// parameters as format block (FORMAT_CodecParameters).
constexpr GUID CodecSubtype(std::uint32_t codecNumber) {
  return MakeGuid(codecNumber, 0x4B56, 0x434F, 0x80, 0x44, 0x45, 0x43, 0x4F, 0x44, 0x45, 0x52);
}
constexpr bool IsCodecSubtype(const GUID& g) {
  return g.Data2 == 0x4B56 && g.Data3 == 0x434F && g.Data4 == CodecSubtype(0).Data4;
}

// Format types.
constexpr GUID FORMAT_None = MakeGuid(0x0F6417D6, 0xC318, 0x11D0, 0xA4, 0x3F, 0x00, 0xA0, 0xC9,
                                      0x22, 0x31, 0x96);
constexpr GUID FORMAT_VideoInfo = MakeGuid(0x05589F80, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA,
                                           0x00, 0x55, 0x59, 0x5A);
constexpr GUID FORMAT_VideoInfo2 = MakeGuid(0xF72A76A0, 0xEB0A, 0x11D0, 0xAC, 0xE4, 0x00, 0x00,
                                            0xC0, 0xCC, 0x16, 0xBA);
constexpr GUID FORMAT_WaveFormatEx = MakeGuid(0x05589F81, 0xC356, 0x11CE, 0xBF, 0x01, 0x00, 0xAA,
                                              0x00, 0x55, 0x59, 0x5A);
constexpr GUID FORMAT_CodecParameters = MakeGuid(0x4B56C0DE, 0x0001, 0x4B56, 0x80, 0x44, 0x45,
                                                 0x43, 0x4F, 0x44, 0x45, 0x52);

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  friend constexpr bool operator==(const RECT&, const RECT&) = default;
};
constexpr LONG RectWidth(const RECT& r) { return r.right - r.left; }
constexpr LONG RectHeight(const RECT& r) { return r.bottom - r.top; }

constexpr DWORD BI_RGB = 0;

struct BITMAPINFOHEADER {
  DWORD biSize = sizeof(BITMAPINFOHEADER);
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: bottom-up rows for RGB; planar YUV is always top-down
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;  // BI_RGB or a four-character code
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct VIDEOINFOHEADER {
  RECT rcSource;
  RECT rcTarget;
  DWORD dwBitRate = 0;
  DWORD dwBitErrorRate = 0;
  REFERENCE_TIME AvgTimePerFrame = 0;
  BITMAPINFOHEADER bmiHeader;
};

// Decoded pictures: the frame size in bmiHeader, the picture's display shape in
// dwPictAspectRatioX:Y (4:3, 16:9, ...).
struct VIDEOINFOHEADER2 {
  RECT rcSource;
  RECT rcTarget;
  DWORD dwBitRate = 0;
  DWORD dwBitErrorRate = 0;
  REFERENCE_TIME AvgTimePerFrame = 0;
  DWORD dwInterlaceFlags = 0;
  DWORD dwCopyProtectFlags = 0;
  DWORD dwPictAspectRatioX = 0;
  DWORD dwPictAspectRatioY = 0;
  DWORD dwControlFlags = 0;
  DWORD dwReserved2 = 0;
  BITMAPINFOHEADER bmiHeader;
};

constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
  WORD wFormatTag = WAVE_FORMAT_PCM;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};

// A media type. The format block is owned by the type and copied with it, so a type can be
// handed between threads and pins by value.
struct AM_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  BOOL bFixedSizeSamples = 1;
  BOOL bTemporalCompression = 0;
  ULONG lSampleSize = 0;
  GUID formattype = FORMAT_None;
  std::vector<BYTE> format;

  // The format block as T, when the block is at least that large.
  template <class T>
  const T* FormatAs() const {
    static_assert(std::is_trivially_copyable_v<T>);
    return format.size() >= sizeof(T) ? reinterpret_cast<const T*>(format.data()) : nullptr;
  }
  template <class T>
  void SetFormat(const GUID& type, const T& block, const void* extra = nullptr,
                 std::size_t extraSize = 0) {
    static_assert(std::is_trivially_copyable_v<T>);
    formattype = type;
    format.resize(sizeof(T) + extraSize);
    std::memcpy(format.data(), &block, sizeof(T));
    if (extraSize) std::memcpy(format.data() + sizeof(T), extra, extraSize);
  }
};

// Whole-type equality: identifiers and format block.
bool operator==(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

// True when `type` matches the pattern (major, sub); GUID_NULL in the pattern matches anything.
bool MatchesPattern(const AM_MEDIA_TYPE& type, const GUID& major, const GUID& sub);

// Frees the format block of a type that a caller received (kept for code written against the
// platform's habit; the block is owned by the type and freeing is also done by its destructor).
void FreeMediaType(AM_MEDIA_TYPE& type);

}  // namespace kavoro
