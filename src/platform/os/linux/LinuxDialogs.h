#pragma once
// Qt message boxes and file dialogs. Each message box's caption and text also go to standard
// error, on one line. Without a widget application (command-line tools) that line is all, the
// box answers IDOK, and file dialogs are cancelled.
#include "platform/os/Dialogs.h"

namespace kavoro::os::linuxos {

class LinuxDialogs : public IDialogs {
 public:
  int MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override;
  std::optional<std::vector<std::string>> OpenFiles(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFile(const FileDialogOptions& options) override;
};

}  // namespace kavoro::os::linuxos
