#include "platform/os/sim/SimProcesses.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kavoro::os {

SimProcesses::SimProcesses() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/kavoro-sim-XXXXXX";
  if (char* made = mkdtemp(pattern.data())) systemFolder_ = std::string(made) + "/system";
  std::error_code ec;
  std::filesystem::create_directories(systemFolder_, ec);
}

bool SimProcesses::CreateProcess(std::string_view program, std::string_view commandLine,
                                 const StartupInfo& startup) {
  started_.push_back({std::string(program), std::string(commandLine), startup.hidden});
  return startResult_;
}

void SimProcesses::Reset() {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(systemFolder_, ec))
    std::filesystem::remove_all(e.path(), ec);
  std::filesystem::create_directories(systemFolder_, ec);
  startResult_ = true;
  started_.clear();
}

}  // namespace kavoro::os
