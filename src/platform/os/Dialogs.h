#pragma once
// The dialogs seam: message boxes and the standard open and save dialogs. The Linux backend
// shows Qt dialogs; the sim backend answers from a script and records what was shown.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavoro::os {

// Message box flags and answers.
constexpr std::uint32_t MB_OK = 0x00;
constexpr std::uint32_t MB_OKCANCEL = 0x01;
constexpr std::uint32_t MB_YESNO = 0x04;
constexpr std::uint32_t MB_ICONERROR = 0x10;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONWARNING = 0x30;
constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
constexpr std::uint32_t kMbButtonsMask = 0x0F;
constexpr std::uint32_t kMbIconMask = 0xF0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct FileFilter {
  std::string description;       // "DVD Bookmark (*.bmk)"
  std::vector<std::string> patterns;  // "*.bmk"
};

struct FileDialogOptions {
  std::string title;
  std::string initialDir;
  std::string fileName;
  std::string defaultExt;  // without the dot
  std::vector<FileFilter> filters;
  int filterIndex = 1;  // 1-based, as the class library counts
  bool allowMultiSelect = false;
  bool fileMustExist = false;
  bool overwritePrompt = false;
};

// GUI thread only. Modal: each call returns when the user has answered.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int MessageBox(const std::string& text, const std::string& caption,
                         std::uint32_t flags) = 0;
  // The chosen files (native paths); nullopt when cancelled.
  virtual std::optional<std::vector<std::string>> OpenFiles(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogOptions& options) = 0;
};

}  // namespace kavoro::os
