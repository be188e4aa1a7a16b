#include "platform/os/linux/LinuxShell.h"

#include <filesystem>

#include "platform/os/linux/SpawnDetached.h"

namespace kavoro::os::linuxos {
namespace {
constexpr const char* kOpener = "xdg-open";
constexpr std::intptr_t kStarted = kShellExecuteSuccessAbove + 1;
}  // namespace

std::intptr_t LinuxShell::ShellExecute(std::string_view operation, std::string_view file,
                                       std::string_view, std::string_view directory,
                                       std::uint32_t) {
  if (operation != "open" && !operation.empty()) return SE_ERR_NOASSOC;
  std::filesystem::path path(file);
  if (path.is_relative() && !directory.empty()) path = std::filesystem::path(directory) / path;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return SE_ERR_FNF;
  return SpawnDetached({kOpener, path.string()}) ? kStarted : SE_ERR_NOASSOC;
}

void LinuxShell::ChangeNotify(std::uint32_t event, std::uint32_t flags) {
  auto copy = listeners_;  // a listener may remove itself while being told
  for (auto& [token, listener] : copy)
    if (listener) listener(event, flags);
}

int LinuxShell::AddChangeListener(ShellListener listener) {
  listeners_[nextToken_] = std::move(listener);
  return nextToken_++;
}

void LinuxShell::RemoveChangeListener(int token) { listeners_.erase(token); }

}  // namespace kavoro::os::linuxos
