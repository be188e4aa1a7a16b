#pragma once
// The platform's system folder and process start. The system folder holds the registration
// program "RegSvr32.exe", which the platform places there on first use.
#include <string>
#include <string_view>

namespace kavoro::os {

constexpr const char* kRegistrationProgram = "RegSvr32.exe";

struct StartupInfo {
  bool hidden = false;  // show-window flag set with the state hidden
};

// GUI thread only.
class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // The system folder without a trailing separator; created when missing.
  virtual std::string SystemFolder() = 0;
  // Starts `program` with a command line in the platform's form (arguments separated by
  // blanks, double quotes around arguments with blanks; the program name is not part of it).
  // Does not wait. True when the process started.
  virtual bool CreateProcess(std::string_view program, std::string_view commandLine,
                             const StartupInfo& startup) = 0;
};

}  // namespace kavoro::os
