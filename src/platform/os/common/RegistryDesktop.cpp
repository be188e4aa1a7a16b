#include "platform/os/common/RegistryDesktop.h"

#include <charconv>

#include "platform/os/Platform.h"

namespace kavoro::os {
namespace {
// The colour a desktop shows when none was ever stored.
constexpr COLORREF kDefaultBackground = RGB(58, 110, 165);
}  // namespace

std::optional<COLORREF> ParseColorTriple(std::string_view text) {
  int parts[3];
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    while (p < end && *p == ' ') ++p;
    auto [next, ec] = std::from_chars(p, end, parts[i]);
    if (ec != std::errc() || parts[i] < 0 || parts[i] > 255) return std::nullopt;
    p = next;
  }
  while (p < end && *p == ' ') ++p;
  if (p != end) return std::nullopt;
  return RGB(static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
             static_cast<std::uint8_t>(parts[2]));
}

std::string FormatColorTriple(COLORREF c) {
  return std::to_string(c & 0xFF) + " " + std::to_string((c >> 8) & 0xFF) + " " +
         std::to_string((c >> 16) & 0xFF);
}

std::string RegistryDesktop::Wallpaper() {
  auto v = Os().Registry().ReadValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue);
  if (v && std::holds_alternative<std::string>(*v)) return std::get<std::string>(*v);
  return {};
}

bool RegistryDesktop::SetWallpaper(std::string_view path, std::uint32_t flags) {
  const std::string p(path);
  if (!ApplyWallpaper(p)) return false;
  if (flags & SPIF_UPDATEINIFILE)
    return Os().Registry().WriteValue(HKEY_CURRENT_USER, kDesktopKey, kWallpaperValue, p);
  return true;
}

COLORREF RegistryDesktop::GetSysColor(int index) {
  if (index != COLOR_BACKGROUND) return 0;
  auto v = Os().Registry().ReadValue(HKEY_CURRENT_USER, kColorsKey, kBackgroundValue);
  if (v && std::holds_alternative<std::string>(*v)) {
    if (auto c = ParseColorTriple(std::get<std::string>(*v))) return *c;
  }
  return kDefaultBackground;
}

bool RegistryDesktop::SetSysColor(int index, COLORREF color) {
  if (index != COLOR_BACKGROUND) return false;
  ApplyBackground(color);
  return Os().Registry().WriteValue(HKEY_CURRENT_USER, kColorsKey, kBackgroundValue,
                                    FormatColorTriple(color));
}

}  // namespace kavoro::os
