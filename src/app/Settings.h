#pragma once
// The player's three persistent settings, process-wide, kept in the registry store under
// HKEY_LOCAL_MACHINE. They are read once at start and written, all three together, on close
// and by the options dialog.
#include <string>
#include <string_view>

namespace kavoro::app {

constexpr const char* kSettingsKey = "\\SOFTWARE\\KAVORO\\";
constexpr const char* kSkinNameValue = "SkinName";
constexpr const char* kDefaultDriveValue = "DefaultDrive";
constexpr const char* kSkipIntroValue = "SkipIntro";
constexpr const char* kDefaultSkinName = "Default";

struct TSettings {
  // A folder name below the skins folder.
  std::string SkinName = kDefaultSkinName;
  // A drive letter without colon, or empty for none.
  std::string DefaultDrive;
  // A DVD starts at title 1 instead of its title menu.
  bool SkipIntro = false;
};

// The settings of this process, living until it ends. GUI thread only; the reference stays
// valid for the whole run.
TSettings& Settings();

// Sets the settings to their defaults, then reads the settings key (without creating it) and
// takes each value that is present and sound: "SkinName" a string that is a plain folder name,
// "DefaultDrive" a string whose first character is a letter (only that character is kept),
// "SkipIntro" a 32-bit integer (non-zero is true). A missing key, a missing value or a value of
// the wrong type or shape leaves that setting at its default. Never fails. GUI thread only.
void ReadSettings();

// The outcome of WriteSettings: on failure, a sentence for the user saying what could not be
// saved and why.
struct TSettingsWriteResult {
  bool Ok = true;
  std::string Reason;
  explicit operator bool() const { return Ok; }
};

// Opens the settings key, creating it when missing, and writes "SkinName" and "DefaultDrive"
// as strings and "SkipIntro" as the integer 0 or 1, stopping at the first failure. The store
// replaces its file whole on each write, so a failure leaves the file as it was before that
// write. Shows nothing: the caller tells the user once. GUI thread only.
TSettingsWriteResult WriteSettings();

// True when `name` can name a skin folder: not empty, not "." or "..", and without a path
// separator. Any thread.
bool IsPlainFolderName(std::string_view name);

}  // namespace kavoro::app
