#pragma once
// Dresses the main window and the video window in a skin: reads the skin folder into plain data
// (SkinReader.h) and applies the steps the reader completed, in their order. Every key of a skin
// is applied on every load, so a load over another leaves nothing of the one before.
#include <QColor>
#include <QImage>

#include <string>

#include "skin/SkinData.h"

namespace kavoro::app {
class TFrm_Main;
class TLabel;
}  // namespace kavoro::app
namespace kavoro::controls {
class TVeskoImageButton;
}
namespace kavoro::video {
class TFrm_Video;
}

namespace kavoro::skin {

constexpr const char* kSkinsFolder = "Skins";

// Which skin to load and where the skins lie.
struct TSkinSettings {
  std::string ApplicationFolder;  // with a trailing separator
  std::string SkinName;           // a folder below ApplicationFolder + kSkinsFolder
};

// ApplicationFolder + "Skins/" + SkinName + "/". Any thread.
std::string SkinFolder(const TSkinSettings& settings);

// Reads the skin (stopping at its first failure) and applies it with ApplySkin; true when the
// whole skin was applied. A failed load leaves the complete steps before the failure applied.
// GUI thread only.
bool LoadSkin(app::TFrm_Main& main, video::TFrm_Video& video, const TSkinSettings& settings);
// The same for the skin in `folder` (with or without a trailing separator). GUI thread only.
bool LoadSkinFolder(app::TFrm_Main& main, video::TFrm_Video& video, const std::string& folder);

// Applies the steps `data.CompleteSteps` says are complete, in order: main picture, hint
// colours, buttons, track bars, labels, clock, video window. Only for a complete skin does it go
// on to the mute buttons, the video window's size and the play name (main.PlayName), and return
// true. GUI thread only.
bool ApplySkin(app::TFrm_Main& main, video::TFrm_Video& video, const TSkinData& data);

// Places and sizes the button from the value, then cuts its normal, mouse-over and pressed
// pictures from the sheet, each rectangle stretched over the button's whole size, and assigns
// them to the picture objects directly (the button keeps the value's size). A rectangle that
// is empty or reversed leaves that picture black. GUI thread only.
void ApplyButtonInfo(controls::TVeskoImageButton& button, const TButtonInfo& info,
                     const QImage& sheet);

// Places the label and sets its font size (points; the window's size for none) and colour.
// GUI thread only.
void ApplyLabelInfo(app::TLabel& label, const TLabelInfo& info);

// The colour a skin colour value stands for (red in the low byte). Any thread.
QColor ToQColor(TColor color);

}  // namespace kavoro::skin
