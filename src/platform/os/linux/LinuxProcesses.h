#pragma once
// The system folder is $XDG_DATA_HOME/kavoro/system. On first use the registration program
// is placed there (copied from the program folder, or from $KAVORO_REGSVR32), so that it can
// be started by its platform name.
#include <mutex>

#include "platform/os/Processes.h"

namespace kavoro::os::linuxos {

class LinuxProcesses : public IProcesses {
 public:
  std::string SystemFolder() override;
  bool CreateProcess(std::string_view program, std::string_view commandLine,
                     const StartupInfo& startup) override;

 private:
  std::once_flag installed_;
};

// The name the registration program is built under, beside the player.
constexpr const char* kRegistrationProgramBuildName = "kavoro-regsvr32";

}  // namespace kavoro::os::linuxos
