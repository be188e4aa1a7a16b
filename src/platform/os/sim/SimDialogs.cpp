#include "platform/os/sim/SimDialogs.h"

namespace kavoro::os {

int SimDialogs::MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
  std::lock_guard g(lock_);
  shown_.push_back({text, caption, flags});
  if (boxAnswers_.empty()) return IDOK;
  int a = boxAnswers_.front();
  boxAnswers_.pop_front();
  return a;
}

std::optional<std::vector<std::string>> SimDialogs::OpenFiles(const FileDialogOptions& options) {
  std::lock_guard g(lock_);
  fileDialogs_.push_back(options);
  if (openAnswers_.empty()) return std::nullopt;
  auto a = openAnswers_.front();
  openAnswers_.pop_front();
  return a;
}

std::optional<std::string> SimDialogs::SaveFile(const FileDialogOptions& options) {
  std::lock_guard g(lock_);
  fileDialogs_.push_back(options);
  if (saveAnswers_.empty()) return std::nullopt;
  auto a = saveAnswers_.front();
  saveAnswers_.pop_front();
  return a;
}

void SimDialogs::ScriptMessageBoxAnswer(int answer) {
  std::lock_guard g(lock_);
  boxAnswers_.push_back(answer);
}

void SimDialogs::ScriptOpenAnswer(std::optional<std::vector<std::string>> files) {
  std::lock_guard g(lock_);
  openAnswers_.push_back(std::move(files));
}

void SimDialogs::ScriptSaveAnswer(std::optional<std::string> file) {
  std::lock_guard g(lock_);
  saveAnswers_.push_back(std::move(file));
}

std::vector<ShownMessageBox> SimDialogs::MessageBoxes() const {
  std::lock_guard g(lock_);
  return shown_;
}

std::vector<FileDialogOptions> SimDialogs::FileDialogs() const {
  std::lock_guard g(lock_);
  return fileDialogs_;
}

void SimDialogs::Reset() {
  std::lock_guard g(lock_);
  boxAnswers_.clear();
  openAnswers_.clear();
  saveAnswers_.clear();
  shown_.clear();
  fileDialogs_.clear();
}

}  // namespace kavoro::os
