#pragma once
// Desktop settings: the wallpaper value and the desktop background colour. Both live in the
// registry store, under HKEY_CURRENT_USER: "Wallpaper" in Control Panel\Desktop, and
// "Background" as "R G B" in Control Panel\Colors. The Linux backend also hands them to the
// desktop where it exposes such settings.
#include <cstdint>
#include <string>
#include <string_view>

namespace kavoro::os {

using COLORREF = std::uint32_t;  // red in the low byte, then green, then blue
constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return r | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

constexpr std::uint32_t SPI_SETDESKWALLPAPER = 0x0014;
constexpr std::uint32_t SPIF_UPDATEINIFILE = 0x01;
constexpr std::uint32_t SPIF_SENDWININICHANGE = 0x02;
constexpr int COLOR_BACKGROUND = 1;

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kWallpaperValue = "Wallpaper";
constexpr const char* kColorsKey = "Control Panel\\Colors";
constexpr const char* kBackgroundValue = "Background";

// GUI thread only.
class IDesktop {
 public:
  virtual ~IDesktop() = default;
  // The wallpaper file as stored; empty for none.
  virtual std::string Wallpaper() = 0;
  // SPI_SETDESKWALLPAPER: shows `path` (empty: no wallpaper). With SPIF_UPDATEINIFILE the
  // value is stored. False when the picture cannot be used.
  virtual bool SetWallpaper(std::string_view path, std::uint32_t flags) = 0;
  virtual COLORREF GetSysColor(int index) = 0;
  // Sets and stores the colour.
  virtual bool SetSysColor(int index, COLORREF color) = 0;
};

}  // namespace kavoro::os
