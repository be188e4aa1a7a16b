#include "platform/os/linux/LinuxDesktop.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/os/linux/SpawnDetached.h"

namespace kavoro::os::linuxos {
namespace {

constexpr const char* kSettingsTool = "gsettings";
constexpr const char* kBackgroundSchema = "org.gnome.desktop.background";

bool GnomeDesktop() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop && std::string_view(desktop).find("GNOME") != std::string_view::npos;
}

}  // namespace

bool LinuxDesktop::ApplyWallpaper(const std::string& path) {
  std::error_code ec;
  if (!path.empty() && !std::filesystem::exists(path, ec)) return false;
  if (GnomeDesktop()) {
    const std::string uri = path.empty() ? "" : "file://" + path;
    SpawnDetached({kSettingsTool, "set", kBackgroundSchema, "picture-uri", uri});
  }
  return true;
}

void LinuxDesktop::ApplyBackground(COLORREF color) {
  if (!GnomeDesktop()) return;
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02x%02x%02x", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
  SpawnDetached({kSettingsTool, "set", kBackgroundSchema, "primary-color", hex});
}

}  // namespace kavoro::os::linuxos
