#include "platform/media/MediaEventQueue.h"

#include <chrono>

#include "platform/media/EventCodes.h"
#include "platform/media/MediaErrors.h"
#include "platform/os/Platform.h"

namespace kavoro::media {

void MediaEventQueue::Push(const Event& e) {
  // An abort ends the run: no completion is made up after it.
  if (e.code == EC_ERRORABORT) {
    pending_.clear();
    counting_ = false;
  }
  if (e.code == EC_KAVORO_STREAM_UNDECODABLE) undecodable_ = true;
  if (flags_ & AM_MEDIAEVENT_NONOTIFY) return;
  events_.push_back(e);
  arrived_.notify_all();
}

void MediaEventQueue::NotifyWindow() {
  OAHWND window;
  LONG message;
  LONG_PTR instance;
  {
    std::lock_guard g(lock_);
    if (!window_ || (flags_ & AM_MEDIAEVENT_NONOTIFY) || events_.empty()) return;
    window = window_;
    message = message_;
    instance = instance_;
  }
  os::Os().MessageWindows().PostMessage(static_cast<os::HWND>(window),
                                        static_cast<os::UINT>(message), 0, instance);
}

void MediaEventQueue::Post(LONG code, LONG_PTR param1, LONG_PTR param2) {
  {
    std::lock_guard g(lock_);
    Push({code, param1, param2});
  }
  NotifyWindow();
}

void MediaEventQueue::RendererComplete(const void* renderer, HRESULT result, LONG_PTR param2) {
  {
    std::lock_guard g(lock_);
    if (!completeDefault_) {
      Push({EC_COMPLETE, result, param2});
    } else {
      if (!counting_ || pending_.erase(renderer) == 0) return;
      if (result == S_OK) anyRendered_ = true;
      if (!pending_.empty()) return;
      counting_ = false;
      // Every renderer ended with nothing, and a stream was found undecodable: the file did
      // not play, which is no success.
      if (!anyRendered_ && undecodable_) Push({EC_ERRORABORT, KAVORO_E_UNDECODABLE_STREAM, 0});
      else Push({EC_COMPLETE, S_OK, 0});
    }
  }
  NotifyWindow();
}

HRESULT MediaEventQueue::Get(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) {
  if (!code || !param1 || !param2) return E_POINTER;
  std::unique_lock g(lock_);
  if (timeoutMs != 0) {
    auto ready = [&] { return !events_.empty(); };
    if (timeoutMs < 0) arrived_.wait(g, ready);
    else arrived_.wait_for(g, std::chrono::milliseconds(timeoutMs), ready);
  }
  if (events_.empty()) return E_ABORT;
  const Event e = events_.front();
  events_.pop_front();
  *code = e.code;
  *param1 = e.p1;
  *param2 = e.p2;
  return S_OK;
}

HRESULT MediaEventQueue::WaitForCompletion(LONG timeoutMs, LONG* code) {
  if (!code) return E_POINTER;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock g(lock_);
  for (;;) {
    while (!events_.empty()) {
      const Event e = events_.front();
      events_.pop_front();
      if (e.code == EC_COMPLETE || e.code == EC_ERRORABORT || e.code == EC_USERABORT) {
        *code = e.code;
        return S_OK;
      }
    }
    if (timeoutMs >= 0) {
      if (arrived_.wait_until(g, deadline) == std::cv_status::timeout && events_.empty()) {
        *code = 0;
        return E_ABORT;
      }
    } else {
      arrived_.wait(g);
    }
  }
}

HRESULT MediaEventQueue::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
  {
    std::lock_guard g(lock_);
    window_ = window;
    message_ = message;
    instance_ = instance;
  }
  NotifyWindow();
  return S_OK;
}

HRESULT MediaEventQueue::SetNotifyFlags(LONG flags) {
  if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY) return E_INVALIDARG;
  {
    std::lock_guard g(lock_);
    flags_ = flags;
    if (flags & AM_MEDIAEVENT_NONOTIFY) events_.clear();
  }
  NotifyWindow();
  return S_OK;
}

LONG MediaEventQueue::NotifyFlags() const {
  std::lock_guard g(lock_);
  return flags_;
}

HRESULT MediaEventQueue::SetDefaultHandling(LONG code, bool on) {
  if (code != EC_COMPLETE) return S_FALSE;
  std::lock_guard g(lock_);
  completeDefault_ = on;
  return S_OK;
}

void MediaEventQueue::ExpectCompletion(std::set<const void*> renderers) {
  std::lock_guard g(lock_);
  pending_ = std::move(renderers);
  counting_ = !pending_.empty();
}

void MediaEventQueue::CancelCompletion() {
  std::lock_guard g(lock_);
  pending_.clear();
  counting_ = false;
  undecodable_ = false;
  // A completion the application has not taken yet belongs to the run that ends here: taken
  // after the next run started, it would end that one (a play list would skip a line).
  if (completeDefault_)
    std::erase_if(events_, [](const Event& e) { return e.code == EC_COMPLETE; });
  anyRendered_ = false;
}

}  // namespace kavoro::media
