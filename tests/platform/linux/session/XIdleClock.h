#pragma once
// How long an X server has seen no input, through the X screen-saver extension. Kept apart
// from the Qt code since the X headers define names (None, Bool) that clash with it.
#include <optional>
#include <string>

namespace kavoro::testing {

class XIdleClock {
 public:
  // Connects to `display` (":N"); Valid() tells whether that worked and the server has the
  // extension.
  explicit XIdleClock(const std::string& display);
  ~XIdleClock();
  XIdleClock(const XIdleClock&) = delete;
  XIdleClock& operator=(const XIdleClock&) = delete;

  bool Valid() const { return display_ != nullptr; }
  // Milliseconds since the last input or screen-saver reset; nothing when not Valid().
  std::optional<long> IdleMs();

 private:
  void* display_ = nullptr;  // the Xlib Display, owned
};

}  // namespace kavoro::testing
