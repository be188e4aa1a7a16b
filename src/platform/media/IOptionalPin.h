#pragma once
// Answered by an output pin whose stream its filter can do without (a decoder's captions).
// Graph building renders such a pin only after the filter's other outputs, only into
// renderers already in the graph, and leaves it unconnected when that fails instead of failing
// the filter.
#include "platform/com/Unknown.h"

namespace kavoro {

struct IOptionalPin : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56F0A2, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F,
                                       0x21, 0xC4, 0xA2);
  using Base = IUnknown;
};

}  // namespace kavoro
