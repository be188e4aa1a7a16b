#include "platform/os/linux/LinuxMessageWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

#include "platform/os/Application.h"

namespace kavoro::os::linuxos {

int GuiDispatcher::EventType() {
  static const int type = QEvent::registerEventType();
  return type;
}

bool GuiDispatcher::event(QEvent* e) {
  if (e->type() == EventType()) {
    drain_();
    return true;
  }
  return QObject::event(e);
}

LinuxMessageWindows::LinuxMessageWindows() : queue_([this] { Wake(); }) { EnsureDispatcher(); }

LinuxMessageWindows::~LinuxMessageWindows() {
  dispatcherForWake_ = nullptr;
  timers_.clear();
}

void LinuxMessageWindows::EnsureDispatcher() {
  if (dispatcher_ || !QCoreApplication::instance() || !queue_.IsGuiThread()) return;
  dispatcher_ = std::make_unique<GuiDispatcher>([this] {
    wakePending_ = false;
    queue_.Drain();
  });
  dispatcherForWake_ = dispatcher_.get();
}

void LinuxMessageWindows::Wake() {
  GuiDispatcher* d = dispatcherForWake_.load();
  if (!d) return;
  // One wake-up event at a time is enough: the drain takes everything queued before it.
  if (wakePending_.exchange(true)) return;
  QCoreApplication::postEvent(d, new QEvent(static_cast<QEvent::Type>(GuiDispatcher::EventType())));
}

HWND LinuxMessageWindows::CreateMessageWindow(MessageHandler handler) {
  EnsureDispatcher();
  return queue_.CreateWindow(std::move(handler));
}

void LinuxMessageWindows::DestroyWindow(HWND window) {
  std::erase_if(timers_, [window](const auto& t) { return t.first.first == window; });
  queue_.DestroyWindow(window);
}

bool LinuxMessageWindows::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return queue_.Post(window, message, wParam, lParam);
}

bool LinuxMessageWindows::IsWindow(HWND window) { return queue_.IsWindow(window); }

bool LinuxMessageWindows::SetTimer(HWND window, UINT_PTR id, UINT elapseMs) {
  if (!queue_.IsWindow(window)) return false;
  EnsureDispatcher();
  auto& timer = timers_[{window, id}];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, window, id] {
      RunGuarded([&] { queue_.Deliver(window, WM_TIMER, id, 0); });
    });
  }
  timer->start(static_cast<int>(std::max<UINT>(elapseMs, 1)));
  return true;
}

bool LinuxMessageWindows::KillTimer(HWND window, UINT_PTR id) {
  return timers_.erase({window, id}) != 0;
}

bool LinuxMessageWindows::IsGuiThread() { return queue_.IsGuiThread(); }

void LinuxMessageWindows::Synchronize(std::function<void()> fn) { queue_.Synchronize(std::move(fn)); }

void LinuxMessageWindows::Queue(std::function<void()> fn) { queue_.Queue(std::move(fn)); }

bool LinuxMessageWindows::CheckSynchronize(int timeoutMs) { return queue_.WaitAndDrain(timeoutMs); }

}  // namespace kavoro::os::linuxos
