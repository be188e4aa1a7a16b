#pragma once
// Opens documents with the desktop's default handler (xdg-open); change notifications go to
// the listeners in this process.
#include <map>

#include "platform/os/Shell.h"

namespace kavoro::os::linuxos {

class LinuxShell : public IShell {
 public:
  std::intptr_t ShellExecute(std::string_view operation, std::string_view file,
                             std::string_view parameters, std::string_view directory,
                             std::uint32_t showCommand) override;
  void ChangeNotify(std::uint32_t event, std::uint32_t flags) override;
  int AddChangeListener(ShellListener listener) override;
  void RemoveChangeListener(int token) override;

 private:
  // GUI thread only.
  std::map<int, ShellListener> listeners_;
  int nextToken_ = 1;
};

}  // namespace kavoro::os::linuxos
