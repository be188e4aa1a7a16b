#pragma once
// A timer whose ticks are timed by a worker thread of its own; each tick is handed to the GUI
// thread, which runs OnTimer, and the next interval starts only after the handler returned.
// While disabled the worker is parked on its wake-up event instead of being suspended at an
// arbitrary point, so it never holds anything the GUI thread might need.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/os/Threads.h"

namespace kavoro {

using os::TThreadPriority;
using os::tpHigher;
using os::tpHighest;
using os::tpIdle;
using os::tpLower;
using os::tpLowest;
using os::tpNormal;
using os::tpTimeCritical;

class TThreadedTimer;

// The worker. Owned by its timer; lives from the timer's creation to its destruction.
class TTimerThread {
 public:
  explicit TTimerThread(TThreadedTimer& owner);
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // GUI thread only.
  void Resume();
  void Suspend();
  // Cuts a wait in progress short; the wait then ends without a tick.
  void Wake() { wake_.Set(); }
  // Tells the worker to end, wakes and resumes it, and waits until it has ended, taking the
  // ticks it hands over meanwhile.
  void TerminateAndWait();

  // Any thread.
  std::uint16_t Interval() const { return interval_; }
  void SetInterval(std::uint16_t ms) { interval_ = ms; }
  TThreadPriority Priority() const { return priority_; }
  void SetPriority(TThreadPriority priority);
  // True once the loop has ended (after destruction began, or after a handler threw).
  bool Finished() const { return finished_; }

 private:
  void Execute();

  TThreadedTimer& owner_;
  os::Event wake_{os::Event::Reset::Auto};
  std::atomic<std::uint16_t> interval_;
  std::atomic<TThreadPriority> priority_{tpNormal};
  std::atomic<os::ThreadId> threadId_{0};
  std::atomic<bool> finished_{false};

  std::mutex lock_;
  std::condition_variable resumed_;
  // guarded by lock_
  bool suspended_ = true;
  bool terminated_ = false;

  std::thread thread_;  // last: starts after the state above exists
};

class TThreadedTimer {
 public:
  static constexpr std::uint16_t kDefaultInterval = 1000;

  TThreadedTimer();
  ~TThreadedTimer();
  TThreadedTimer(const TThreadedTimer&) = delete;
  TThreadedTimer& operator=(const TThreadedTimer&) = delete;

  // GUI thread only.
  bool Enabled() const { return enabled_; }
  // Enabling with an interval above 0 starts ticking; the first tick comes one full
  // interval later. Disabling stops the worker until the next enabling.
  void SetEnabled(bool enabled);
  std::uint16_t Interval() const { return thread_.Interval(); }
  // A new value disables the timer first; it has to be enabled again.
  void SetInterval(std::uint16_t ms);
  TThreadPriority ThreadPriority() const { return thread_.Priority(); }
  void SetThreadPriority(TThreadPriority priority) { thread_.SetPriority(priority); }

  // Run on the GUI thread with this timer as sender. An exception it throws ends the ticks
  // (Enabled still reads true) and goes to the application's error report.
  std::function<void(TThreadedTimer* sender)> OnTimer;

 private:
  friend class TTimerThread;
  // GUI thread, from the worker's hand-over.
  void DoTimer();

  bool enabled_ = false;
  TTimerThread thread_;
};

}  // namespace kavoro
