#pragma once
// A saved place on a disc. The object also answers IPersistStream, through which bookmark
// files store it; what it holds is the navigator's own choice.
#include <cstdint>

#include "platform/com/Unknown.h"

namespace kavoro {

struct IDvdState : IUnknown {
  static constexpr IID kIID = MakeGuid(0x86303D6D, 0x1C4A, 0x4087, 0xAB, 0x42, 0xF7, 0x11, 0x16,
                                       0x70, 0x48, 0xEF);
  using Base = IUnknown;
  // The identity of the disc the state was taken on.
  virtual HRESULT GetDiscID(std::uint64_t* discId) = 0;
  virtual HRESULT GetParentalLevel(ULONG* level) = 0;
};

}  // namespace kavoro
