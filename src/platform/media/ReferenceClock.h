#pragma once
// Reference clocks. ReferenceClock implements the advise machinery over a time source that
// runs at about the rate of the machine's monotonic clock; SystemClock is the machine's
// monotonic clock itself, the graph's clock when no renderer offers one.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/media/IReferenceClock.h"

namespace kavoro::media {

// The machine's monotonic time in 100 ns units. Any thread.
REFERENCE_TIME MonotonicNow();

class ReferenceClock : public ComObject<IReferenceClock> {
 public:
  HRESULT GetTime(REFERENCE_TIME* time) override;
  HRESULT AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                     DWORD_PTR* cookie) override;
  HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                         DWORD_PTR* cookie) override;
  HRESULT Unadvise(DWORD_PTR cookie) override;

 protected:
  ReferenceClock() = default;
  ~ReferenceClock() override;
  // The time source, before it is made monotonic. Any thread.
  virtual REFERENCE_TIME SourceTime() = 0;
  // Called when the source jumped or changed pace, so waiting advises are looked at again.
  void SourceChanged();

 private:
  struct Advise {
    REFERENCE_TIME due = 0;
    REFERENCE_TIME period = 0;  // 0: one-shot
    HEVENT event = 0;
  };
  void Run();
  REFERENCE_TIME Now();

  std::mutex lock_;
  std::condition_variable changed_;
  // guarded by lock_
  REFERENCE_TIME last_ = 0;
  std::map<DWORD_PTR, Advise> advises_;
  DWORD_PTR nextCookie_ = 1;
  bool quit_ = false;
  // advise thread, started on the first advise
  std::thread thread_;
};

class SystemClock final : public ReferenceClock {
 protected:
  REFERENCE_TIME SourceTime() override { return MonotonicNow(); }
};

}  // namespace kavoro::media
