#include "util/ThdTimer.h"

#include "platform/os/Application.h"
#include "platform/os/Platform.h"

namespace kavoro {
namespace {
// How long the GUI thread waits for a hand-over at a time while it waits for the worker.
constexpr int kTerminatePumpMs = 5;
}  // namespace

TTimerThread::TTimerThread(TThreadedTimer& owner)
    : owner_(owner), interval_(TThreadedTimer::kDefaultInterval), thread_([this] { Execute(); }) {}

TTimerThread::~TTimerThread() {
  if (thread_.joinable()) TerminateAndWait();
}

void TTimerThread::Resume() {
  {
    std::lock_guard g(lock_);
    suspended_ = false;
  }
  resumed_.notify_all();
}

void TTimerThread::Suspend() {
  std::lock_guard g(lock_);
  suspended_ = true;
}

void TTimerThread::SetPriority(TThreadPriority priority) {
  priority_ = priority;
  if (os::ThreadId id = threadId_) os::SetThreadPriority(id, priority);
}

void TTimerThread::TerminateAndWait() {
  {
    std::lock_guard g(lock_);
    terminated_ = true;
    suspended_ = false;
  }
  resumed_.notify_all();
  wake_.Set();
  // The worker may be waiting in the hand-over for this very thread: keep taking ticks.
  auto& gui = os::Os().GuiThread();
  while (!finished_) gui.CheckSynchronize(kTerminatePumpMs);
  thread_.join();
}

void TTimerThread::Execute() {
  threadId_ = os::CurrentThreadId();
  os::SetThreadPriority(threadId_, priority_);
  for (;;) {
    {
      std::unique_lock g(lock_);
      resumed_.wait(g, [&] { return !suspended_ || terminated_; });
      if (terminated_) break;
    }
    const bool woken = wake_.Wait(interval_);
    bool deliver;
    {
      std::lock_guard g(lock_);
      if (terminated_) break;
      // Disabled during the wait: the tick is not handed over; the next enabling wakes the
      // event, so its first tick again comes one full interval later.
      deliver = !woken && !suspended_;
    }
    if (!deliver) continue;
    try {
      os::Os().GuiThread().Synchronize([this] { owner_.DoTimer(); });
    } catch (...) {
      // The handler's exception ends the ticks; the user still hears of it.
      std::exception_ptr error = std::current_exception();
      os::Os().GuiThread().Queue([error] { os::HandleException(error); });
      break;
    }
  }
  finished_ = true;
}

TThreadedTimer::TThreadedTimer() : thread_(*this) {}

TThreadedTimer::~TThreadedTimer() { thread_.TerminateAndWait(); }

void TThreadedTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_) {
    if (thread_.Interval() > 0) {
      thread_.Wake();
      thread_.Resume();
    }
  } else {
    thread_.Suspend();
  }
}

void TThreadedTimer::SetInterval(std::uint16_t ms) {
  if (ms == thread_.Interval()) return;
  SetEnabled(false);
  thread_.SetInterval(ms);
}

void TThreadedTimer::DoTimer() {
  if (OnTimer) OnTimer(this);
}

}  // namespace kavoro
