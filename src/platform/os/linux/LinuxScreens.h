#pragma once
// Monitors and the cursor from Qt; a single 1024 x 768 monitor without a display.
#include "platform/os/Screens.h"

namespace kavoro::os::linuxos {

class LinuxScreens : public IScreens {
 public:
  std::vector<Monitor> Monitors() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  Point CursorPos() override;
  std::uint32_t TickCount() override;
};

}  // namespace kavoro::os::linuxos
