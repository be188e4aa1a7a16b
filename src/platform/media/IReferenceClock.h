#pragma once
// The graph's reference clock: a monotonic time in 100 ns units that every renderer of a
// graph schedules against. Stream time = reference time - the start time given to Run.
#include "platform/media/MediaTypes.h"

namespace kavoro {

using HSEMAPHORE = std::uintptr_t;  // an os::Event* that the clock sets
using HEVENT = std::uintptr_t;      // an os::Event* that the clock sets
using DWORD_PTR = std::uintptr_t;   // an advise cookie

struct IReferenceClock : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Any thread. The current reference time; never goes backwards. S_OK, or S_FALSE when the
  // time equals the previous answer.
  virtual HRESULT GetTime(REFERENCE_TIME* time) = 0;
  // Any thread. Sets the event (an os::Event*, which must outlive the advise or its Unadvise)
  // once the reference time reaches base + offset; a time already passed sets it at once.
  // The cookie identifies the advise for Unadvise.
  virtual HRESULT AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                             DWORD_PTR* cookie) = 0;
  // Any thread. Sets the event every `period` from `start` on until Unadvise.
  virtual HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period,
                                 HSEMAPHORE semaphore, DWORD_PTR* cookie) = 0;
  // Any thread. Cancels an advise; S_FALSE when it had already fired (one-shot) or was unknown.
  // After it returns the clock no longer touches the event.
  virtual HRESULT Unadvise(DWORD_PTR cookie) = 0;
};

}  // namespace kavoro
