#include "platform/os/linux/LinuxProcesses.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/os/Application.h"
#include "platform/os/CommandLine.h"
#include "platform/os/linux/LinuxPaths.h"
#include "platform/os/linux/SpawnDetached.h"

namespace kavoro::os::linuxos {
namespace fs = std::filesystem;
namespace {

std::string RegistrationProgramSource() {
  if (const char* env = std::getenv("KAVORO_REGSVR32"); env && *env) return env;
  return ApplicationFolder() + kRegistrationProgramBuildName;
}

// Copies the registration program into the system folder when it is missing or older than
// the one beside the program. Copy to a temporary name and rename, so a concurrent start
// never runs a half-written file.
void InstallRegistrationProgram(const std::string& folder) {
  std::error_code ec;
  const fs::path source = RegistrationProgramSource();
  const fs::path target = fs::path(folder) / kRegistrationProgram;
  if (!fs::exists(source, ec)) return;
  if (fs::exists(target, ec) && fs::file_size(target, ec) == fs::file_size(source, ec) &&
      fs::last_write_time(target, ec) >= fs::last_write_time(source, ec))
    return;
  const fs::path temp = target.string() + ".tmp" + std::to_string(getpid());
  if (!fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec)) return;
  fs::permissions(temp, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec, ec);
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);
}

}  // namespace

std::string LinuxProcesses::SystemFolder() {
  const std::string folder = DataFolder() + "/system";
  MakeFolders(folder);
  std::call_once(installed_, [&] { InstallRegistrationProgram(folder); });
  return folder;
}

bool LinuxProcesses::CreateProcess(std::string_view program, std::string_view commandLine,
                                   const StartupInfo&) {
  // No process started here has a window, so the hidden flag needs nothing more.
  std::vector<std::string> argv{std::string(program)};
  for (auto& a : SplitCommandLine(commandLine)) argv.push_back(std::move(a));
  if (access(argv[0].c_str(), X_OK) != 0) return false;
  return SpawnDetached(argv);
}

}  // namespace kavoro::os::linuxos
