#pragma once
// Skins for the loader tests: two complete skins as plain data that differ in every value (so a
// load of one over the other shows anything left behind), a writer that saves such data as a
// skin folder, and a description of the windows' skin state for comparing two loads.
#include <QColor>
#include <QImage>

#include <string>

#include "skin/SkinData.h"

namespace kavoro::app {
class TFrm_Main;
}
namespace kavoro::video {
class TFrm_Video;
}

namespace kavoro::skin::test {

// The button of the second skin that the skin does not name (left, top and size 0).
constexpr int kMissingButtonInSecondSkin = 20;  // "Button_About"
// The track bar of the second skin written with "horizontal" in lower case.
constexpr int kLowerCaseBarInSecondSkin = 2;  // "VideoBar"

// The colour of one button picture on the sheet of a skin (state 0 normal, 1 mouse-over,
// 2 pressed).
QRgb ButtonColor(int variant, int button, int state);
// The colour of digit d in the digit strip of a skin.
QRgb DigitColor(int variant, int digit);
// The background colour of the clock panel of a skin.
QRgb PanelColor(int variant);

// Skin 0 has a 320 x 240 video picture framed by 10-pixel sides, a 20-pixel top and a 30-pixel
// bottom; skin 1 differs in every value and shape.
TSkinData MakeSkinData(int variant);

// Saves the data as a skin folder (created if missing): each picture as a Windows bitmap under
// its default name and every key in "Skin.ini". A vertical track bar is written "horizontal"
// (lower case), which is not "Horizontal".
void WriteSkinFolder(const std::string& folder, const TSkinData& data);

// Everything a skin sets on the two windows, as text, plus the windows' own pictures: two loads
// that leave the same look give equal descriptions.
std::string DescribeSkinState(app::TFrm_Main& main, video::TFrm_Video& video);

}  // namespace kavoro::skin::test
