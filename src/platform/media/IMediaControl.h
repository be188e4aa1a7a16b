#pragma once
// Running, pausing and stopping a whole graph.
#include <string>

#include "platform/media/IBaseFilter.h"

namespace kavoro {

using OAFilterState = LONG;  // a FILTER_STATE value

// Application thread. The graph's state machine: Stopped -> Paused (prerolled: every
// renderer holds its first sample, a video renderer shows it) -> Running, in either direction;
// Stop from any state. A transition that cannot finish at once (a renderer still waiting for
// data) returns S_FALSE and completes in the background; GetState waits for it.
struct IMediaControl : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // S_OK when running, S_FALSE while renderers still preroll (they start as data arrives).
  virtual HRESULT Run() = 0;
  // S_OK when prerolled, S_FALSE while renderers still wait for their first sample.
  virtual HRESULT Pause() = 0;
  // Stops every filter; returns when streaming has stopped. S_OK.
  virtual HRESULT Stop() = 0;
  // Waits up to `timeoutMs` for the transition under way. S_OK, VFW_S_STATE_INTERMEDIATE
  // (not done yet), VFW_S_CANT_CUE (paused, a source has no data), or the error a filter met.
  virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
  // IGraphBuilder::RenderFile with no play list.
  virtual HRESULT RenderFile(const std::string& file) = 0;
  // Pauses, waits for the preroll (so the first frame is shown) and stops.
  virtual HRESULT StopWhenReady() = 0;
};

}  // namespace kavoro
