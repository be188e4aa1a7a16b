#pragma once
// The GUI thread's queue shared by both backends: message windows by handle, posted
// messages and the hand-overs of worker threads, delivered in one order. A backend supplies
// the wake-up (how the GUI thread learns that work waits) and the timers.
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/os/Messages.h"

namespace kavoro::os {

class MessageQueue {
 public:
  // `wake` is called (from any thread, without the queue's lock) after work was queued.
  explicit MessageQueue(std::function<void()> wake);
  ~MessageQueue();

  // Any thread.
  bool IsGuiThread() const { return std::this_thread::get_id() == guiThread_; }
  void SetGuiThread(std::thread::id id) { guiThread_ = id; }

  // GUI thread.
  HWND CreateWindow(MessageHandler handler);
  void DestroyWindow(HWND window);
  // Calls the window's handler at once; false when the window is gone.
  bool Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Runs what waits now (not what the handlers add meanwhile). True when something ran.
  bool Drain();
  // Drain, or when nothing waits, wait up to timeoutMs for something and drain it.
  bool WaitAndDrain(int timeoutMs);

  // Any thread.
  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool IsWindow(HWND window);
  // Runs fn on the GUI thread and waits; rethrows what fn threw. On the GUI thread runs it
  // at once. Fails with std::runtime_error when the queue is shut down before fn ran.
  void Synchronize(std::function<void()> fn);
  void Queue(std::function<void()> fn);

 private:
  struct SyncCall;
  struct Item {
    HWND window = kNoWindow;  // a posted message when set
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<void()> call;       // a queued call
    std::shared_ptr<SyncCall> sync;   // a synchronous hand-over
  };
  void Run(Item& item);

  std::function<void()> wake_;
  std::thread::id guiThread_;

  std::mutex lock_;
  std::condition_variable arrived_;
  // guarded by lock_
  std::deque<Item> items_;
  std::unordered_map<HWND, std::shared_ptr<MessageHandler>> windows_;
  HWND nextWindow_ = 1;
  bool shutDown_ = false;
};

}  // namespace kavoro::os
