#pragma once
// Processes of the sim world: nothing is started; each start is recorded and succeeds or
// fails as the test says. The system folder is a real folder (made fresh for the process),
// because the code under test writes files there.
#include "platform/os/Processes.h"

#include <vector>

namespace kavoro::os {

struct StartedProcess {
  std::string program;
  std::string commandLine;
  bool hidden = false;
};

class SimProcesses : public IProcesses {
 public:
  SimProcesses();
  std::string SystemFolder() override { return systemFolder_; }
  bool CreateProcess(std::string_view program, std::string_view commandLine,
                     const StartupInfo& startup) override;

  // Test set-up and inspection.
  void SetSystemFolder(std::string folder) { systemFolder_ = std::move(folder); }
  void SetStartResult(bool ok) { startResult_ = ok; }
  const std::vector<StartedProcess>& Started() const { return started_; }
  // Empties the system folder and forgets the starts.
  void Reset();

 private:
  // GUI thread only.
  std::string systemFolder_;
  bool startResult_ = true;
  std::vector<StartedProcess> started_;
};

}  // namespace kavoro::os
