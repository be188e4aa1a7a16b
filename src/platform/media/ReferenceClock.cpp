#include "platform/media/ReferenceClock.h"

#include <algorithm>
#include <chrono>

#include "platform/media/MediaErrors.h"
#include "platform/os/Threads.h"

namespace kavoro::media {
namespace {

// Longest single sleep of the advise thread: a clock whose pace drifts from the machine's
// is looked at again at least this often.
constexpr REFERENCE_TIME kMaxAdviseSleep = 10 * kUnitsPerMillisecond;

void SetEvent(HEVENT e) { reinterpret_cast<os::Event*>(e)->Set(); }

}  // namespace

REFERENCE_TIME MonotonicNow() {
  using namespace std::chrono;
  return duration_cast<duration<REFERENCE_TIME, std::ratio<1, kUnitsPerSecond>>>(
             steady_clock::now().time_since_epoch())
      .count();
}

ReferenceClock::~ReferenceClock() {
  {
    std::lock_guard g(lock_);
    quit_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

REFERENCE_TIME ReferenceClock::Now() {
  REFERENCE_TIME t = SourceTime();
  if (t < last_) t = last_;
  last_ = t;
  return t;
}

HRESULT ReferenceClock::GetTime(REFERENCE_TIME* time) {
  if (!time) return E_POINTER;
  std::lock_guard g(lock_);
  REFERENCE_TIME before = last_;
  *time = Now();
  return *time == before ? S_FALSE : S_OK;
}

HRESULT ReferenceClock::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                                   DWORD_PTR* cookie) {
  if (!cookie) return E_POINTER;
  if (!event) return E_INVALIDARG;
  std::lock_guard g(lock_);
  *cookie = nextCookie_++;
  advises_[*cookie] = {base + offset, 0, event};
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  changed_.notify_all();
  return S_OK;
}

HRESULT ReferenceClock::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period,
                                       HSEMAPHORE semaphore, DWORD_PTR* cookie) {
  if (!cookie) return E_POINTER;
  if (!semaphore || period <= 0) return E_INVALIDARG;
  std::lock_guard g(lock_);
  *cookie = nextCookie_++;
  advises_[*cookie] = {start, period, semaphore};
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  changed_.notify_all();
  return S_OK;
}

HRESULT ReferenceClock::Unadvise(DWORD_PTR cookie) {
  std::lock_guard g(lock_);
  return advises_.erase(cookie) ? S_OK : S_FALSE;
}

void ReferenceClock::SourceChanged() { changed_.notify_all(); }

void ReferenceClock::Run() {
  std::unique_lock g(lock_);
  while (!quit_) {
    const REFERENCE_TIME now = Now();
    REFERENCE_TIME sleep = kMaxAdviseSleep;
    for (auto it = advises_.begin(); it != advises_.end();) {
      Advise& a = it->second;
      if (a.due <= now) {
        SetEvent(a.event);
        if (a.period == 0) {
          it = advises_.erase(it);
          continue;
        }
        a.due += ((now - a.due) / a.period + 1) * a.period;
      }
      sleep = std::min(sleep, a.due - now);
      ++it;
    }
    if (advises_.empty()) {
      changed_.wait(g);
    } else {
      changed_.wait_for(g, std::chrono::microseconds(std::max<REFERENCE_TIME>(sleep / 10, 100)));
    }
  }
}

}  // namespace kavoro::media
