#pragma once
// On each output pin of the DVD navigator: which stream of the disc's VOBs it delivered last,
// so that a caller can see which physical stream plays the logical one it chose.
#include "platform/com/Unknown.h"

namespace kavoro {

struct IDvdDeliveredStream : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56F012, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F,
                                       0x21, 0xC4, 0x12);
  using Base = IUnknown;
  // Any thread. The id of the stream whose unit the pin delivered last in this run: video
  // 0xE0; audio AC3 0x80 + n, DTS 0x88 + n, LPCM 0xA0 + n, MPEG audio 0xC0 + n; subpictures
  // 0x20 + n. S_FALSE (and *id 0) before the first unit of the run.
  virtual HRESULT GetDeliveredStreamId(ULONG* id) = 0;
};

}  // namespace kavoro
