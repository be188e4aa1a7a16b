#pragma once
// What a decoder met on its way: the units of its input (packets, pictures) the decoding
// library refused. Damaged units are skipped; a stream that gives nothing decodable for a
// second is reported with EC_KAVORO_STREAM_UNDECODABLE (EventCodes.h).
#include "platform/media/MediaTypes.h"

namespace kavoro {

struct IDecodeStatistics : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A0E1, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0xE1);
  using Base = IUnknown;
  // Any thread. The units refused since the decoder was made (not reset by stop or seek).
  virtual HRESULT GetDamagedCount(LONGLONG* units) = 0;
};

}  // namespace kavoro
