#pragma once
// Hidden message windows on the GUI thread: any thread may post (message, wParam, lParam) to
// one; its handler takes them on the GUI thread, one at a time, in posting order. Timers set
// on a window arrive as WM_TIMER with the timer's id in wParam. Windows are named by handles,
// so a post to a window that is gone fails harmlessly instead of touching freed memory.
#include <cstdint>
#include <functional>

namespace kavoro::os {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using HWND = std::uint64_t;  // 0 is no window
constexpr HWND kNoWindow = 0;

constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

using MessageHandler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

class IMessageWindows {
 public:
  virtual ~IMessageWindows() = default;
  // GUI thread. A new hidden window whose messages go to `handler` (on the GUI thread).
  virtual HWND CreateMessageWindow(MessageHandler handler) = 0;
  // GUI thread. Kills its timers and drops the messages still queued for it.
  virtual void DestroyWindow(HWND window) = 0;
  // Any thread. False when the window does not exist.
  virtual bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual bool IsWindow(HWND window) = 0;
  // GUI thread. Starts or restarts timer `id` of the window with the period `elapseMs`
  // (at least 1). False when the window does not exist.
  virtual bool SetTimer(HWND window, UINT_PTR id, UINT elapseMs) = 0;
  virtual bool KillTimer(HWND window, UINT_PTR id) = 0;
};

// Owns one message window for its lifetime. GUI thread only (Post: any thread, through
// Handle()).
class MessageWindow {
 public:
  explicit MessageWindow(MessageHandler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return handle_; }
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  bool SetTimer(UINT_PTR id, UINT elapseMs) const;
  bool KillTimer(UINT_PTR id) const;

 private:
  HWND handle_;
};

}  // namespace kavoro::os
