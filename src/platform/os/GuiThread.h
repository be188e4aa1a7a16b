#pragma once
// The hand-over from worker threads to the GUI thread, in the manner of the class library's
// synchronise call.
#include <functional>

namespace kavoro::os {

class IGuiThread {
 public:
  virtual ~IGuiThread() = default;
  // Any thread.
  virtual bool IsGuiThread() = 0;
  // Any thread. Runs `fn` on the GUI thread and returns when it has run (at once when called
  // on the GUI thread). An exception that `fn` throws is rethrown here.
  virtual void Synchronize(std::function<void()> fn) = 0;
  // Any thread. Runs `fn` later on the GUI thread; does not wait.
  virtual void Queue(std::function<void()> fn) = 0;
  // GUI thread. Runs the hand-overs and posted messages that wait now; when none waits,
  // waits up to `timeoutMs` for one. True when something ran. Code that waits on the GUI
  // thread for a worker that may itself wait in Synchronize calls this while it waits.
  virtual bool CheckSynchronize(int timeoutMs) = 0;
};

}  // namespace kavoro::os
