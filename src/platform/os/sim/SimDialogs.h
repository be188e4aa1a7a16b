#pragma once
// Dialogs of the sim world: answers come from a script the test sets up, and every dialog
// shown is recorded. With nothing scripted a message box answers IDOK and a file dialog is
// cancelled.
#include <deque>
#include <mutex>

#include "platform/os/Dialogs.h"

namespace kavoro::os {

struct ShownMessageBox {
  std::string text;
  std::string caption;
  std::uint32_t flags = 0;
};

class SimDialogs : public IDialogs {
 public:
  int MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override;
  std::optional<std::vector<std::string>> OpenFiles(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFile(const FileDialogOptions& options) override;

  // Test set-up and inspection.
  void ScriptMessageBoxAnswer(int answer);
  void ScriptOpenAnswer(std::optional<std::vector<std::string>> files);
  void ScriptSaveAnswer(std::optional<std::string> file);
  std::vector<ShownMessageBox> MessageBoxes() const;
  std::vector<FileDialogOptions> FileDialogs() const;
  void Reset();

 private:
  mutable std::mutex lock_;
  // guarded by lock_
  std::deque<int> boxAnswers_;
  std::deque<std::optional<std::vector<std::string>>> openAnswers_;
  std::deque<std::optional<std::string>> saveAnswers_;
  std::vector<ShownMessageBox> shown_;
  std::vector<FileDialogOptions> fileDialogs_;
};

}  // namespace kavoro::os
