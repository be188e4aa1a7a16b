#pragma once
// Thread building blocks: the event object with timed waits, and thread priorities.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kavoro::os {

constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

// A signalling object. An auto-reset event lets one waiter through per Set and clears
// itself; a manual-reset one stays set until Reset. Any thread.
class Event {
 public:
  enum class Reset { Auto, Manual };
  explicit Event(Reset reset = Reset::Auto, bool initiallySet = false)
      : manual_(reset == Reset::Manual), set_(initiallySet) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Clear();
  // True when the event was set within `timeoutMs` (INFINITE waits for ever).
  bool Wait(std::uint32_t timeoutMs);

 private:
  std::mutex lock_;
  std::condition_variable cv_;
  const bool manual_;
  bool set_;  // guarded by lock_
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The system's identity of a thread, for setting its priority from another thread.
using ThreadId = std::int64_t;
ThreadId CurrentThreadId();

// Applies a priority to a running thread, from any thread. Raising above normal may be
// refused by the system; the result says whether it took.
bool SetThreadPriority(ThreadId thread, TThreadPriority priority);

}  // namespace kavoro::os
