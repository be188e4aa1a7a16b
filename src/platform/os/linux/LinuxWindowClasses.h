#pragma once
// A window class is held through an exclusive lock on a file named after it in the user's
// runtime folder; the lock goes with the process, so a crashed player never blocks the next.
#include "platform/os/WindowClasses.h"

namespace kavoro::os::linuxos {

class LinuxWindowClasses : public IWindowClasses {
 public:
  bool FindWindowByClass(std::string_view className) override;
  std::unique_ptr<IClassClaim> ClaimClass(std::string_view className) override;
};

}  // namespace kavoro::os::linuxos
