#pragma once
// The object's class, for objects that can be saved and for filters.
#include "platform/com/Unknown.h"

namespace kavoro {

struct IPersist : IUnknown {
  static constexpr IID kIID = MakeGuid(0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  using Base = IUnknown;
  // Any thread. The class the object was made from.
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

}  // namespace kavoro
