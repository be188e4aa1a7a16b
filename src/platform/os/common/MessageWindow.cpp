#include "platform/os/Messages.h"
#include "platform/os/Platform.h"

namespace kavoro::os {

MessageWindow::MessageWindow(MessageHandler handler)
    : handle_(Os().MessageWindows().CreateMessageWindow(std::move(handler))) {}

MessageWindow::~MessageWindow() { Os().MessageWindows().DestroyWindow(handle_); }

bool MessageWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  return Os().MessageWindows().PostMessage(handle_, message, wParam, lParam);
}

bool MessageWindow::SetTimer(UINT_PTR id, UINT elapseMs) const {
  return Os().MessageWindows().SetTimer(handle_, id, elapseMs);
}

bool MessageWindow::KillTimer(UINT_PTR id) const {
  return Os().MessageWindows().KillTimer(handle_, id);
}

}  // namespace kavoro::os
