#include "platform/os/sim/SimMessageWindows.h"

#include <algorithm>
#include <thread>

#include "platform/os/Application.h"

namespace kavoro::os {

SimMessageWindows::SimMessageWindows() : queue_(nullptr) {}

HWND SimMessageWindows::CreateMessageWindow(MessageHandler handler) {
  return queue_.CreateWindow(std::move(handler));
}

void SimMessageWindows::DestroyWindow(HWND window) {
  {
    std::lock_guard g(lock_);
    std::erase_if(timers_, [window](const auto& t) { return t.first.first == window; });
  }
  queue_.DestroyWindow(window);
}

bool SimMessageWindows::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return queue_.Post(window, message, wParam, lParam);
}

bool SimMessageWindows::IsWindow(HWND window) { return queue_.IsWindow(window); }

bool SimMessageWindows::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  if (!queue_.IsWindow(window)) return false;
  const std::uint32_t period = std::max<UINT>(elapseMs, 1);
  std::lock_guard g(lock_);
  timers_[{window, id}] = {period, now_ + period};
  return true;
}

bool SimMessageWindows::KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard g(lock_);
  return timers_.erase({window, id}) != 0;
}

bool SimMessageWindows::IsGuiThread() { return queue_.IsGuiThread(); }
void SimMessageWindows::Synchronize(std::function<void()> fn) { queue_.Synchronize(std::move(fn)); }
void SimMessageWindows::Queue(std::function<void()> fn) { queue_.Queue(std::move(fn)); }
bool SimMessageWindows::CheckSynchronize(int timeoutMs) { return queue_.WaitAndDrain(timeoutMs); }
bool SimMessageWindows::ProcessMessages(int timeoutMs) { return queue_.WaitAndDrain(timeoutMs); }
void SimMessageWindows::MakeGuiThread() { queue_.SetGuiThread(std::this_thread::get_id()); }

void SimMessageWindows::AdvanceTime(std::uint32_t ms) {
  std::uint64_t target;
  {
    std::lock_guard g(lock_);
    target = now_ + ms;
  }
  for (;;) {
    std::pair<HWND, UINT_PTR> key;
    {
      std::lock_guard g(lock_);
      auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
        return a.second.due < b.second.due;
      });
      if (next == timers_.end() || next->second.due > target) {
        now_ = target;
        return;
      }
      now_ = next->second.due;
      next->second.due += next->second.period;
      key = next->first;
    }
    RunGuarded([&] { queue_.Deliver(key.first, WM_TIMER, key.second, 0); });
    // Messages a tick posts are taken before the next tick, as a message loop would.
    queue_.Drain();
  }
}

std::uint32_t SimMessageWindows::Now() const {
  std::lock_guard g(lock_);
  return static_cast<std::uint32_t>(now_);
}

void SimMessageWindows::Reset() {
  std::lock_guard g(lock_);
  timers_.clear();
}

}  // namespace kavoro::os
