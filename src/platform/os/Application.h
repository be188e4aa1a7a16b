#pragma once
// The application object's shared pieces: the application folder, the title, and the standard
// error report that every event handler, notification and timer tick falls back on.
#include <exception>
#include <string>
#include <utility>

namespace kavoro::os {

// The folder of the executable with a trailing separator. Tests may point it elsewhere.
std::string ApplicationFolder();
void SetApplicationFolder(std::string folder);

std::string ApplicationTitle();
void SetApplicationTitle(std::string title);

// The standard error report: a message box with the exception's text, captioned with the
// application title, through the dialogs seam. The program carries on. GUI thread only.
void HandleException(std::exception_ptr error);
std::string ExceptionText(std::exception_ptr error);

// The class library's plain message: the application title as caption and an OK button.
// GUI thread only.
void ShowMessage(const std::string& text);

// Runs `fn`, sending anything it throws to HandleException.
template <class F>
void RunGuarded(F&& fn) {
  try {
    std::forward<F>(fn)();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

}  // namespace kavoro::os
