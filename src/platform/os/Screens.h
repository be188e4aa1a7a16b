#pragma once
// Monitors, the cursor and the tick count.
#include <cstdint>
#include <vector>

namespace kavoro::os {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Monitor {
  Rect bounds;
  Rect workArea;
  bool primary = false;
};

// GUI thread only, except TickCount (any thread).
class IScreens {
 public:
  virtual ~IScreens() = default;
  // Primary first. Never empty: without a display there is one 1024 x 768 monitor.
  virtual std::vector<Monitor> Monitors() = 0;
  // The primary monitor's size.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual Point CursorPos() = 0;
  // Milliseconds since an arbitrary start, wrapping at 2^32.
  virtual std::uint32_t TickCount() = 0;
};

}  // namespace kavoro::os
