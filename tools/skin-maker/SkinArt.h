#pragma once
// A skin as the skin maker paints it: every picture with the place it takes in the windows.
// SkinFiles writes it out as bitmaps and "Skin.ini"; SkinPreview composes it into one picture.
#include "skin/SkinData.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>

namespace kavoro::skinmaker {

using skin::kButtonKeys;
using skin::kTrackBarSections;
using skin::kVideoFormKeys;

// The button faces, in the order of kButtonKeys; the names index both.
enum TButtonId : int {
  biMainMenu = 0, biMinimize, biClose, biMuteOn, biMuteOff, biPlay, biStop, biPause, biOpen,
  biPrevious, biNext, biForward, biRewind, biShowVideo, biFullscreen, biWallpaper, biPlayList,
  biRootMenu, biColor, biOption, biAbout
};
constexpr int kButtonCount = static_cast<int>(kButtonKeys.size());

// The three pictures a button shows, in sheet order.
enum TFaceState : int { fsNormal = 0, fsHover, fsDown };
constexpr int kFaceStates = 3;

struct TButtonArt {
  QRect Place;                              // in the main window
  std::array<QImage, kFaceStates> Faces;    // each as large as Place
  std::array<QRect, kFaceStates> SheetRects;  // where the faces lie on the sheet
};

// The track bars in the order of kTrackBarSections.
enum TTrackId : int { tbVolume = 0, tbBalance, tbSeek, tbZoom };
constexpr int kTrackCount = static_cast<int>(kTrackBarSections.size());

struct TTrackArt {
  QPoint Place;      // Left, Top in the main window
  bool Horizontal = true;
  int Length = 0;    // Width when horizontal, Height when vertical
  QImage Bar;        // three equal pieces: left cap, middle, right cap; as high as the slider is thick
  QImage Slider;
};

struct TLabelArt {
  QPoint Place;
  int PointSize = 0;
  QColor Color;
};

struct TClockArt {
  QImage DigitStrip;  // the ten digits, 0 to 9, side by side
  int DigitWidth = 0;
  QImage Panel;       // the clock's background with its separators
  QPoint PanelPlace;  // in the main window
  std::array<QPoint, 6> Cells{};  // each digit's place inside the panel
};

struct THintArt {
  QColor Arrow, ArrowBackground, Background, Border, Font;
};

struct TPlayListArt {
  QImage Title;
  QColor TitleBackground, ListBackground, ListFont;
  int FontSize = 9;
};

struct TSkinArt {
  QString Name;
  QImage Main;  // fuchsia outside the window's shape
  QImage Sheet;
  std::array<TButtonArt, kButtonCount> Buttons;
  THintArt Hint;
  std::array<TTrackArt, kTrackCount> Tracks;
  TLabelArt PlayName, PlayState, Title, Chapter;
  int PlayNameMax = 0;
  TClockArt Clock;
  std::array<QImage, kVideoFormKeys.size()> Video;  // by skin::TVideoPicture
  TPlayListArt PlayList;
};

// The transparent colour of the main picture.
constexpr QRgb kKeyColor = 0xFF00FF;

}  // namespace kavoro::skinmaker
