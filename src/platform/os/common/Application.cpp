#include "platform/os/Application.h"

#include <unistd.h>

#include <climits>
#include <mutex>
#include <stdexcept>

#include "platform/os/Platform.h"

namespace kavoro::os {
namespace {

std::mutex& Lock() {
  static std::mutex m;
  return m;
}
std::string& FolderSlot() {
  static std::string folder;
  return folder;
}
std::string& TitleSlot() {
  static std::string title;
  return title;
}

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<std::size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

}  // namespace

std::string ApplicationFolder() {
  std::lock_guard g(Lock());
  if (FolderSlot().empty()) FolderSlot() = ExecutableFolder();
  return FolderSlot();
}

void SetApplicationFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::lock_guard g(Lock());
  FolderSlot() = std::move(folder);
}

std::string ApplicationTitle() {
  std::lock_guard g(Lock());
  return TitleSlot();
}

void SetApplicationTitle(std::string title) {
  std::lock_guard g(Lock());
  TitleSlot() = std::move(title);
}

std::string ExceptionText(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error.";
  }
  return {};
}

void ShowMessage(const std::string& text) {
  Os().Dialogs().MessageBox(text, ApplicationTitle(), MB_OK);
}

void HandleException(std::exception_ptr error) {
  if (!error) return;
  Os().Dialogs().MessageBox(ExceptionText(error), ApplicationTitle(), MB_OK | MB_ICONERROR);
}

}  // namespace kavoro::os
