#pragma once
// Message windows and the GUI-thread hand-over on Qt: work queued from any thread wakes the
// GUI thread through a posted Qt event; timers are Qt timers on the GUI thread. Without a Qt
// application (command-line tools) nothing wakes by itself and CheckSynchronize pumps.
#include <QObject>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>

#include "platform/os/GuiThread.h"
#include "platform/os/Messages.h"
#include "platform/os/common/MessageQueue.h"

namespace kavoro::os::linuxos {

class GuiDispatcher;

class LinuxMessageWindows : public IMessageWindows, public IGuiThread {
 public:
  LinuxMessageWindows();
  ~LinuxMessageWindows() override;

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

 private:
  void Wake();
  void EnsureDispatcher();

  MessageQueue queue_;
  std::atomic<bool> wakePending_{false};
  // GUI thread only.
  std::unique_ptr<GuiDispatcher> dispatcher_;
  std::map<std::pair<HWND, UINT_PTR>, std::unique_ptr<QTimer>> timers_;
  // any thread: the dispatcher's pointer, set once on the GUI thread
  std::atomic<GuiDispatcher*> dispatcherForWake_{nullptr};
};

class GuiDispatcher : public QObject {
  Q_OBJECT
 public:
  explicit GuiDispatcher(std::function<void()> drain) : drain_(std::move(drain)) {}
  bool event(QEvent* e) override;
  static int EventType();

 private:
  std::function<void()> drain_;
};

}  // namespace kavoro::os::linuxos
