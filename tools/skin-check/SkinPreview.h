#pragma once
// The checker's preview: the main window and the framed video window dressed in a skin, drawn
// side by side into one picture.
#include "skin/SkinData.h"

#include <string>

namespace kavoro::skincheck {

// What the preview's clock and play name show.
inline constexpr const char* kPreviewTime = "01:23:45";
inline constexpr const char* kPreviewPlayName = "Holiday by the Sea - Chapter 3: The Long Walk Home";

// Dresses a new main window and video window in `data` with the player's own loader steps
// (only the steps the data completed), shows the clock at kPreviewTime and the play name, and
// writes both windows side by side, the main window cut to its shape, as a PNG file at `path`.
// False with a reason in error when the file cannot be written. Needs the QApplication; GUI
// thread only.
bool WriteSkinPreview(const skin::TSkinData& data, const std::string& path, std::string* error);

}  // namespace kavoro::skincheck
