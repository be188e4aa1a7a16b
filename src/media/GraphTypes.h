#pragma once
// The kinds of graph, the companion interfaces through which other components join the graph
// component, and the DVD time-code records handed out with the time events.
#include <cstdint>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/media/IBaseFilter.h"

namespace kavoro {

class TFilterGraph;

// The kind of graph built on activation.
enum class TGraphMode : int { gmNormal = 0, gmCapture = 1, gmDVD = 2 };
using enum TGraphMode;

// When a member hears of its filter being added to or removed from the graph.
enum class TMemberStage : int { msAdding = 0, msAdded = 1, msRemoving = 2, msRemoved = 3 };
using enum TMemberStage;

// A control step of the graph component, sent to listeners.
enum class TGraphAction : int {
  gaPlay = 0,             // before Run
  gaPause = 1,            // before Pause
  gaStop = 2,             // before Stop
  gaRenderFileBegin = 3,  // before a file is rendered
  gaRenderFileEnd = 4,    // after a file rendered with a success code
  gaRenderDvdBegin = 5,   // before a DVD volume is rendered; param: the render flags
  gaRenderDvdEnd = 6,     // after a DVD render that gave S_OK or S_FALSE; param: the flags
  gaActivation = 7,       // 1: last step of activation, 0: first step of deactivation
};
using enum TGraphAction;

// A component that puts one filter of its own into the graph whenever the graph is built.
struct IGraphMember : IUnknown {
  static constexpr IID kIID = MakeGuid(0x6B1D3F21, 0x4C7A, 0x4E59, 0x8A, 0x02, 0x3D, 0x5E, 0x71,
                                       0x90, 0xC4, 0x11);
  using Base = IUnknown;
  // The filter the member contributes, AddRef'ed for the caller.
  virtual HRESULT MemberFilter(IBaseFilter** filter) = 0;
  // The name under which the filter is added to the graph.
  virtual HRESULT MemberName(std::string* name) = 0;
  // Called around each addition and removal of the filter; param is always 0.
  virtual HRESULT MemberNotify(TMemberStage stage, LONG param) = 0;
};

// A component that hears every graph event and every control step of the graph component.
struct IGraphListener : IUnknown {
  static constexpr IID kIID = MakeGuid(0x6B1D3F22, 0x4C7A, 0x4E59, 0x8A, 0x02, 0x3D, 0x5E, 0x71,
                                       0x90, 0xC4, 0x12);
  using Base = IUnknown;
  // Every graph event, before the graph component raises its own events.
  virtual HRESULT NotifyGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
  virtual HRESULT NotifyControl(TGraphAction action, LONG param) = 0;
};

// Optional on members and listeners: told once, when the graph component they joined is being
// destroyed (after its deactivation), so they forget it and never call it again. The graph
// drops its references to them right after. GUI thread.
struct IGraphDestroyedSink : IUnknown {
  static constexpr IID kIID = MakeGuid(0x6B1D3F23, 0x4C7A, 0x4E59, 0x8A, 0x02, 0x3D, 0x5E, 0x71,
                                       0x90, 0xC4, 0x13);
  using Base = IUnknown;
  virtual HRESULT NotifyGraphDestroyed(TFilterGraph* graph) = 0;
};

// Hours, minutes, seconds and frames: the four bytes of a time event's parameter, lowest first.
struct TDVD_HMSF_TIMECODE {
  std::uint8_t bHours = 0;
  std::uint8_t bMinutes = 0;
  std::uint8_t bSeconds = 0;
  std::uint8_t bFrames = 0;
  friend bool operator==(const TDVD_HMSF_TIMECODE&, const TDVD_HMSF_TIMECODE&) = default;
};
static_assert(sizeof(TDVD_HMSF_TIMECODE) == 4);

// A packed DVD time code taken apart into its binary-coded decimal digits.
struct TDVD_TimeCode {
  std::uint8_t Hours1 = 0;
  std::uint8_t Hours10 = 0;
  std::uint8_t Minutes1 = 0;
  std::uint8_t Minutes10 = 0;
  std::uint8_t Seconds1 = 0;
  std::uint8_t Seconds10 = 0;
  std::uint8_t Frames1 = 0;
  std::uint8_t Frames10 = 0;
  std::uint8_t FrameRateCode = 0;  // 1: 25 frames a second, 3: 30 frames a second
  friend bool operator==(const TDVD_TimeCode&, const TDVD_TimeCode&) = default;
};
static_assert(sizeof(TDVD_TimeCode) == 9);

// The four bytes of a time event's parameter.
constexpr TDVD_HMSF_TIMECODE HmsfTimeCodeFromParam(std::uint32_t p) {
  return {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
          static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 24)};
}

// A packed time code as the platform lays it out, from the least significant bits up: hours
// units and tens, minutes units and tens, seconds units and tens (four bits each), frames
// units (four bits), frames tens (two bits), frame-rate code (two bits).
constexpr TDVD_TimeCode TimeCodeFromParam(std::uint32_t p) {
  auto nibble = [p](int shift) { return static_cast<std::uint8_t>((p >> shift) & 0xF); };
  return {nibble(0),  nibble(4),  nibble(8),
          nibble(12), nibble(16), nibble(20),
          nibble(24), static_cast<std::uint8_t>((p >> 28) & 0x3),
          static_cast<std::uint8_t>((p >> 30) & 0x3)};
}

}  // namespace kavoro
