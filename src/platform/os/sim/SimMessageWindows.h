#pragma once
// Message windows and the GUI-thread hand-over of the sim world. Posted messages and
// hand-overs wait until the test's GUI thread pumps (ProcessMessages); timers run on the sim
// clock, which moves only when the test advances it, so timer-driven code is deterministic.
#include <map>
#include <mutex>

#include "platform/os/GuiThread.h"
#include "platform/os/Messages.h"
#include "platform/os/common/MessageQueue.h"

namespace kavoro::os {

class SimMessageWindows : public IMessageWindows, public IGuiThread {
 public:
  SimMessageWindows();

  HWND CreateMessageWindow(MessageHandler handler) override;
  void DestroyWindow(HWND window) override;
  bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  bool IsWindow(HWND window) override;
  bool SetTimer(HWND window, UINT_PTR id, UINT elapseMs) override;
  bool KillTimer(HWND window, UINT_PTR id) override;

  bool IsGuiThread() override;
  void Synchronize(std::function<void()> fn) override;
  void Queue(std::function<void()> fn) override;
  bool CheckSynchronize(int timeoutMs) override;

  // Test set-up, GUI thread.
  // Runs what waits; waits up to timeoutMs when nothing does. True when something ran.
  bool ProcessMessages(int timeoutMs = 0);
  // Moves the sim clock; every timer that falls due fires (in time order) as it passes.
  void AdvanceTime(std::uint32_t ms);
  std::uint32_t Now() const;
  // Makes the calling thread the GUI thread.
  void MakeGuiThread();
  // Kills every timer; windows belong to their owners, and the clock stays.
  void Reset();

 private:
  struct Timer {
    std::uint32_t period = 0;
    std::uint64_t due = 0;
  };
  MessageQueue queue_;
  mutable std::mutex lock_;
  // guarded by lock_
  std::uint64_t now_ = 0;
  std::map<std::pair<HWND, UINT_PTR>, Timer> timers_;
};

}  // namespace kavoro::os
