#include "app/Settings.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/os/Registry.h"

namespace kavoro::app {
namespace {

constexpr const char* kRootKeyName = "HKEY_LOCAL_MACHINE";
constexpr const char* kWriteFailureStart = "The settings could not be saved: ";
constexpr const char* kWriteFailureCause =
    " (the configuration folder may be read-only or full).";

// A failed write whose reason names `what` could not be saved. Any thread.
TSettingsWriteResult Failure(const std::string& what) {
  return {false, kWriteFailureStart + what + kWriteFailureCause};
}

// The part of a reason for the value `name` that could not be written. Any thread.
std::string ValueFailure(const char* name) {
  return std::string("the value \"") + name + "\" could not be written under " + kRootKeyName +
         kSettingsKey;
}

// True for A to Z in either case. ASCII only: the first byte of a longer UTF-8 character is
// no drive letter. Any thread.
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

TSettings& Settings() {
  // A function-local object, so other units may read it during their own static start-up.
  static TSettings settings;
  return settings;
}

bool IsPlainFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\") == std::string_view::npos;
}

void ReadSettings() {
  TSettings& s = Settings();
  s = TSettings{};
  auto key = os::RegistryKey::Open(os::HKEY_LOCAL_MACHINE, kSettingsKey, false);
  if (!key) return;

  // The player writes all three values together; anything else came from outside, and a value
  // that cannot be used keeps its default rather than stopping the start.
  if (auto skin = key->ReadString(kSkinNameValue); skin && IsPlainFolderName(*skin))
    s.SkinName = std::move(*skin);
  if (auto drive = key->ReadString(kDefaultDriveValue);
      drive && !drive->empty() && IsDriveLetter(drive->front()))
    s.DefaultDrive = drive->substr(0, 1);
  if (auto skip = key->ReadBool(kSkipIntroValue)) s.SkipIntro = *skip;
}

TSettingsWriteResult WriteSettings() {
  const TSettings& s = Settings();
  auto key = os::RegistryKey::Open(os::HKEY_LOCAL_MACHINE, kSettingsKey, true);
  if (!key)
    return Failure(std::string("the key ") + kRootKeyName + kSettingsKey + " could not be created");
  if (!key->WriteString(kSkinNameValue, s.SkinName)) return Failure(ValueFailure(kSkinNameValue));
  if (!key->WriteString(kDefaultDriveValue, s.DefaultDrive))
    return Failure(ValueFailure(kDefaultDriveValue));
  if (!key->WriteBool(kSkipIntroValue, s.SkipIntro)) return Failure(ValueFailure(kSkipIntroValue));
  return {};
}

}  // namespace kavoro::app
