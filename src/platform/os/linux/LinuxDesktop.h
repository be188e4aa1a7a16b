#pragma once
// Desktop settings in the registry store, handed on to a GNOME desktop when one runs.
#include "platform/os/common/RegistryDesktop.h"

namespace kavoro::os::linuxos {

class LinuxDesktop : public RegistryDesktop {
 protected:
  bool ApplyWallpaper(const std::string& path) override;
  void ApplyBackground(COLORREF color) override;
};

}  // namespace kavoro::os::linuxos
