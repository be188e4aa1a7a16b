#pragma once
// Whether a renderer waits for each sample's time on the graph's clock. Off, every sample is
// presented (or written) as soon as it arrives and nothing is dropped: for measuring how fast
// the graph decodes.
#include "platform/media/MediaTypes.h"

namespace kavoro {

struct IRendererScheduling : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A004, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0x04);
  using Base = IUnknown;
  // Application thread, while stopped. On by default.
  virtual HRESULT SetClockScheduling(BOOL waitForClock) = 0;
};

}  // namespace kavoro
