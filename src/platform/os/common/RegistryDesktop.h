#pragma once
// Desktop settings kept in the registry store, as the platform keeps them. Backends that can
// show the settings on a real desktop override Apply.
#include <optional>

#include "platform/os/Desktop.h"

namespace kavoro::os {

class RegistryDesktop : public IDesktop {
 public:
  std::string Wallpaper() override;
  bool SetWallpaper(std::string_view path, std::uint32_t flags) override;
  COLORREF GetSysColor(int index) override;
  bool SetSysColor(int index, COLORREF color) override;

 protected:
  // Shows the settings on the real desktop; false when it refused the picture.
  virtual bool ApplyWallpaper(const std::string& path) { return true; }
  virtual void ApplyBackground(COLORREF color) {}
};

// "R G B" as the store keeps colours; nullopt for anything else.
std::optional<COLORREF> ParseColorTriple(std::string_view text);
std::string FormatColorTriple(COLORREF color);

}  // namespace kavoro::os
