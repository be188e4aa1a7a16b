#pragma once
// A DVD control command in progress.
#include "platform/com/Unknown.h"

namespace kavoro {

// Any thread. Returned by the control calls; releasing it does not cancel the command.
struct IDvdCmd : IUnknown {
  static constexpr IID kIID = MakeGuid(0x5A4A97E4, 0x94EE, 0x4A55, 0x97, 0x51, 0x74, 0xB5, 0x64,
                                       0x3A, 0xA2, 0x7D);
  using Base = IUnknown;
  // Blocks until the navigator has begun the command. S_OK, or E_ABORT when it was dropped.
  // A command given while the graph is stopped waits for the next run: both waits then return
  // VFW_E_DVD_GRAPHNOTREADY at once instead of blocking until somebody runs the graph.
  virtual HRESULT WaitForStart() = 0;
  // Blocks until the command took effect (the new place is playing). S_OK, E_ABORT when it
  // was dropped or the graph stopped, VFW_E_DVD_GRAPHNOTREADY as above, or the command's own
  // failure.
  virtual HRESULT WaitForEnd() = 0;
  // WaitForEnd bounded to `milliseconds`: VFW_E_TIMEOUT when the command has not ended by
  // then (it goes on; a later wait may still see its end). For callers on the GUI thread, which
  // must not hang on a navigator that never answers.
  virtual HRESULT WaitForEndWithin(DWORD milliseconds) = 0;
};

}  // namespace kavoro
