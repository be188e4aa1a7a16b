#pragma once
// Monitors and cursor of the sim world; the tick count is the sim clock.
#include <functional>

#include "platform/os/Screens.h"

namespace kavoro::os {

class SimScreens : public IScreens {
 public:
  explicit SimScreens(std::function<std::uint32_t()> clock);
  std::vector<Monitor> Monitors() override { return monitors_; }
  int ScreenWidth() override { return monitors_.front().bounds.Width(); }
  int ScreenHeight() override { return monitors_.front().bounds.Height(); }
  Point CursorPos() override { return cursor_; }
  std::uint32_t TickCount() override { return clock_(); }

  // Test set-up. The first monitor is the primary one; an empty list is refused.
  void SetMonitors(std::vector<Monitor> monitors);
  void SetCursorPos(Point p) { cursor_ = p; }
  void Reset();

 private:
  // GUI thread only.
  std::function<std::uint32_t()> clock_;
  std::vector<Monitor> monitors_;
  Point cursor_;
};

}  // namespace kavoro::os
