#include "platform/os/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kavoro::os {

void Event::Set() {
  {
    std::lock_guard g(lock_);
    set_ = true;
  }
  if (manual_) cv_.notify_all();
  else cv_.notify_one();
}

void Event::Clear() {
  std::lock_guard g(lock_);
  set_ = false;
}

bool Event::Wait(std::uint32_t timeoutMs) {
  std::unique_lock g(lock_);
  auto ready = [&] { return set_; };
  bool signalled;
  if (timeoutMs == INFINITE) {
    cv_.wait(g, ready);
    signalled = true;
  } else {
    signalled = cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), ready);
  }
  if (signalled && !manual_) set_ = false;
  return signalled;
}

ThreadId CurrentThreadId() { return static_cast<ThreadId>(syscall(SYS_gettid)); }

bool SetThreadPriority(ThreadId thread, TThreadPriority priority) {
  // Linux schedules ordinary threads by their nice value; the seven steps map onto it.
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  const int index = static_cast<int>(priority);
  if (index < 0 || index > tpTimeCritical) return false;
  return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), kNice[index]) == 0;
}

}  // namespace kavoro::os
