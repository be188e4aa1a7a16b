#pragma once
// The shell of the sim world: records what was opened and tells listeners of changes.
#include <map>
#include <mutex>

#include "platform/os/Shell.h"

namespace kavoro::os {

struct ShellOpen {
  std::string operation, file, parameters, directory;
  std::uint32_t showCommand = 0;
};

class SimShell : public IShell {
 public:
  std::intptr_t ShellExecute(std::string_view operation, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             std::uint32_t showCommand) override;
  void ChangeNotify(std::uint32_t event, std::uint32_t flags) override;
  int AddChangeListener(ShellListener listener) override;
  void RemoveChangeListener(int token) override;

  // Test set-up and inspection.
  void SetExecuteResult(std::intptr_t result) { result_ = result; }
  const std::vector<ShellOpen>& Opened() const { return opened_; }
  int ChangeNotifications() const { return notifications_; }
  void Reset();

 private:
  // GUI thread only.
  std::intptr_t result_ = kShellExecuteSuccessAbove + 1;
  std::vector<ShellOpen> opened_;
  int notifications_ = 0;
  std::map<int, ShellListener> listeners_;
  int nextToken_ = 1;
};

}  // namespace kavoro::os
