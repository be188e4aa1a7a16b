#include "platform/os/sim/SimShell.h"

namespace kavoro::os {

std::intptr_t SimShell::ShellExecute(std::string_view operation, std::string_view file,
                                     std::string_view parameters, std::string_view directory,
                                     std::uint32_t showCommand) {
  opened_.push_back({std::string(operation), std::string(file), std::string(parameters),
                     std::string(directory), showCommand});
  return result_;
}

void SimShell::ChangeNotify(std::uint32_t event, std::uint32_t flags) {
  ++notifications_;
  // A listener may remove itself while being told.
  auto copy = listeners_;
  for (auto& [token, listener] : copy)
    if (listener) listener(event, flags);
}

int SimShell::AddChangeListener(ShellListener listener) {
  listeners_[nextToken_] = std::move(listener);
  return nextToken_++;
}

void SimShell::RemoveChangeListener(int token) { listeners_.erase(token); }

void SimShell::Reset() {
  result_ = kShellExecuteSuccessAbove + 1;
  opened_.clear();
  notifications_ = 0;
  listeners_.clear();
}

}  // namespace kavoro::os
