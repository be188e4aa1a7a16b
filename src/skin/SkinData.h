#pragma once
// A skin as plain data: everything "Skin.ini" and its pictures give the main window and the
// video window, read by the skin reader (SkinReader.h) and applied by the loader
// (SkinLoader.h). Nothing here touches a window. The reader reads the steps of a load in their
// order and stops at the first that fails; `CompleteSteps` says how far it got, so the loader
// applies exactly the steps before the failure (a failed load leaves those applied, as the
// callers expect) and nothing after it.
#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kavoro::skin {

// A colour: red in the low byte, then green, then blue.
using TColor = std::uint32_t;

// The steps of a load, in their order. A step is complete when everything it reads was read.
enum class TSkinStep : int {
  ssFolder = 1,        // the skin folder and "Skin.ini" exist
  ssMainPicture = 2,   // "MainForm"/"MainPIC"
  ssHintColors = 3,    // "HintColor"
  ssButtons = 4,       // "MainForm"/"ButtonPIC" and the 21 "ButtonInfo" values
  ssTrackBars = 5,     // the four track-bar sections
  ssLabels = 6,        // "Label"
  ssClock = 7,         // "MainForm"/"TimePIC", "TimePanelPIC" and "Time"
  ssVideoWindow = 8,   // "VideoForm" and "PlayListBox"
};
constexpr int kSkinStepCount = 8;

// The keys of "ButtonInfo", in the order the loader reads them; each names a button of the
// main window.
inline constexpr std::array<const char*, 21> kButtonKeys = {
    "Button_MainMenu", "Button_Minimize", "Button_Close",     "Button_MuteON",
    "Button_MuteOFF",  "Button_Play",     "Button_Stop",      "Button_Pause",
    "Button_Open",     "Button_Previous", "Button_Next",      "Button_Forward",
    "Button_Rewind",   "Button_ShowVideo", "Button_Fullscreen", "Button_Wallpaper",
    "Button_PlayList", "Button_RootMenu", "Button_Color",     "Button_Option",
    "Button_About"};

// The track-bar sections, in the order the loader reads them, with their default pictures.
struct TTrackBarSection {
  const char* Name;
  const char* DefaultBar;
  const char* DefaultSlider;
};
inline constexpr std::array<TTrackBarSection, 4> kTrackBarSections = {{
    {"VolumeBar", "Volume_Bar.bmp", "Volume_Slider.bmp"},
    {"TrackBar", "Track_Bar.bmp", "Track_Slider.bmp"},
    {"VideoBar", "Video_Bar.bmp", "Video_Slider.bmp"},
    {"ZoomBar", "Zoom_Bar.bmp", "Zoom_Slider.bmp"},
}};

// The "VideoForm" keys in the order they are read, with their defaults; the pictures of
// Image_Main, Image_Top_Left, Image_Top_Center, Image_Top_Right, Image_Left, Image_Right,
// Image_Bottom_Left, Image_Bottom_Center, Image_Bottom_Right in that order.
struct TVideoFormKey {
  const char* Key;
  const char* Default;
};
inline constexpr std::array<TVideoFormKey, 9> kVideoFormKeys = {{
    {"Video_Main_PIC", "Video.bmp"},
    {"Video_Top_Left_PIC", "Video_Top_Left.bmp"},
    {"Video_Top_Center_PIC", "Video_Top_Center.bmp"},
    {"Video_Top_Right_PIC", "Video_Top_Right.bmp"},
    {"Video_Left_PIC", "Video_Left.bmp"},
    {"Video_Right_PIC", "Video_Right.bmp"},
    {"Video_Bottom_Left_PIC", "Video_Bottom_Left.bmp"},
    {"Video_Bottom_Center_PIC", "Video_Bottom_Center.bmp"},
    {"Video_Bottom_Right_PIC", "Video_Bottom_Right.bmp"},
}};
enum TVideoPicture : int {
  vpMain = 0, vpTopLeft, vpTopCenter, vpTopRight, vpLeft, vpRight, vpBottomLeft,
  vpBottomCenter, vpBottomRight
};

// One "ButtonInfo" value: the button's place and size in the main window, and the three
// rectangles of its pictures on the button sheet (right and bottom just past the picture).
struct TButtonInfo {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  QRect Normal, MouseOn, Down;  // from (left, top, right, bottom): QRect(QPoint(l, t), QPoint(r - 1, b - 1))
};

struct TTrackBarInfo {
  int Top = 0, Left = 0;
  bool Horizontal = true;  // the value was exactly "Horizontal"
  int WidthOrHeight = 0;
  QImage Bar, Slider;
};

// One "Label" list of 6.
struct TLabelInfo {
  int Left = 0, Top = 0, FontSize = 0;
  TColor Color = 0;
};

struct THintColors {
  TColor Arrow = 0, ArrowBackground = 0, Background = 0, Border = 0, Font = 0;
};

struct TClockInfo {
  QImage DigitStrip;  // the ten digits side by side
  QImage Panel;       // TimePanel's picture
  int PanelLeft = 0, PanelTop = 0, PanelWidth = 0, PanelHeight = 0;
  int DigitWidth = 0;
  std::array<QPoint, 6> Cells{};  // (left, top) of each digit cell
};

struct TVideoWindowInfo {
  std::array<QImage, 9> Pictures;  // by TVideoPicture
  QImage Title;                    // the play list's title row
  TColor TitleBackground = 0, ListBackground = 0, ListFont = 0;
  int ListFontSize = 9;
};

struct TSkinData {
  std::string Folder;  // the skin folder, with a trailing separator
  QImage MainPicture;
  QImage ButtonSheet;  // "MainForm"/"ButtonPIC": the pictures of every button, cut by ButtonInfo
  THintColors Hint;
  std::array<TButtonInfo, kButtonKeys.size()> Buttons;          // by kButtonKeys
  std::array<TTrackBarInfo, kTrackBarSections.size()> TrackBars;  // by kTrackBarSections
  TLabelInfo PlayName, PlayState, Title, Chapter;
  int PlayNameMax = 0;
  TClockInfo Clock;
  TVideoWindowInfo Video;
  // How many steps were read completely: kSkinStepCount for a skin the player accepts.
  int CompleteSteps = 0;
  bool Complete() const { return CompleteSteps == kSkinStepCount; }
};

// Something wrong with a skin: where, and what.
struct TSkinProblem {
  std::string Section;  // empty for the folder itself
  std::string Key;
  std::string Value;    // as written (or the default used)
  std::string Message;
  // A warning does not refuse the skin: the player reads it, though perhaps not as its author
  // meant (a number it cannot read and replaces by the default, "horizontal" in lower case,
  // items after a button's sixteenth).
  bool Warning = false;
};

}  // namespace kavoro::skin
