#include "XIdleClock.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace kavoro::testing {

XIdleClock::XIdleClock(const std::string& display) {
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return;
  int eventBase = 0;
  int errorBase = 0;
  if (!XScreenSaverQueryExtension(d, &eventBase, &errorBase)) {
    XCloseDisplay(d);
    return;
  }
  display_ = d;
}

XIdleClock::~XIdleClock() {
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

std::optional<long> XIdleClock::IdleMs() {
  if (!display_) return std::nullopt;
  auto* d = static_cast<Display*>(display_);
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (!info) return std::nullopt;
  std::optional<long> idle;
  if (XScreenSaverQueryInfo(d, DefaultRootWindow(d), info)) idle = static_cast<long>(info->idle);
  XFree(info);
  return idle;
}

}  // namespace kavoro::testing
