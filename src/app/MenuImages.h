#pragma once
// The image list of the player's popup menus: small named pictures drawn in code, in the icon
// language of the shipped skins (filled shapes and round-capped strokes on a 24-unit grid),
// each in three inks: normal, on the highlighted item and disabled.
#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <array>
#include <string_view>

namespace kavoro::app {

// The pictures by index. The first three follow the main menu's first items, so the drive items
// of the "Play DVD or VCD" submenu use image 2.
enum TMenuImage : int {
  miAbout = 0,
  miOpen = 1,
  miDrive = 2,
  miShowVideo,
  miFullscreen,
  miWallpaper,
  miPlayList,
  miMute,
  miOptions,
  miHelp,
  miExit,
  miPlay,
  miStop,
  miPause,
  miForward,
  miRewind,
  miNext,
  miPrevious,
  miBookmarkSave,
  miBookmarkLoad,
  miSubtitle,
  miAudio,
  miColor,
  miCount  // not a picture: the size of the list
};

// Which menu item shows which picture; items not named here have none.
struct TMenuItemImage {
  std::string_view Item;
  TMenuImage Image;
};
inline constexpr std::array<TMenuItemImage, 33> kMenuItemImages = {{
    {"Menu_Main_About", miAbout},
    {"Menu_Main_OpenFile", miOpen},
    {"Menu_Main_SelectDrivePlay", miDrive},
    {"Menu_Main_ShowVideoWin", miShowVideo},
    {"Menu_Main_Fullscreen", miFullscreen},
    {"Menu_Main_Wallpaper", miWallpaper},
    {"Menu_Main_PlayList", miPlayList},
    {"Menu_Main_Mute", miMute},
    {"Menu_Main_Option", miOptions},
    {"Menu_Main_Help", miHelp},
    {"Menu_Main_Exit", miExit},
    {"Menu_Video_OpenFile", miOpen},
    {"Menu_Video_SelectDrive", miDrive},
    {"Menu_Video_Play", miPlay},
    {"Menu_Video_Stop", miStop},
    {"Menu_Video_Pause", miPause},
    {"Menu_Video_Forward", miForward},
    {"Menu_Video_Rewind", miRewind},
    {"Menu_Video_Next", miNext},
    {"Menu_Video_Previous", miPrevious},
    {"Menu_Video_Fullscreen", miFullscreen},
    {"Menu_Video_Wallpaper", miWallpaper},
    {"Menu_Video_Bookmarks", miBookmarkSave},
    {"Menu_Video_SaveBookmark", miBookmarkSave},
    {"Menu_Video_RestoreBookmark", miBookmarkLoad},
    {"Menu_Video_RootMenu", miDrive},
    {"Menu_Video_TitleMenu", miPlayList},
    {"Menu_Video_SelectSub", miSubtitle},
    {"Menu_Video_SelectAudio", miAudio},
    {"Menu_Video_SelectSpeed", miForward},
    {"Menu_Video_Color", miColor},
    {"Menu_PlayListBox_Play", miPlay},
    {"Menu_PlayListBox_Add", miOpen},
}};

class TMenuImages {
 public:
  // Every picture's side in device-independent pixels; each is also drawn at twice the size
  // for screens that scale.
  static constexpr int Size = 16;
  // Inks: on the panel, on the highlighted item, and for a disabled item.
  static constexpr QColor NormalInk{196, 206, 219};
  static constexpr QColor SelectedInk{255, 255, 255};
  static constexpr QColor DisabledInk{84, 92, 104};

  // Draws every picture. GUI thread only, after the application object exists. The list owns
  // its icons; copies of them share the pictures.
  TMenuImages();

  int Count() const { return static_cast<int>(FIcons.size()); }
  // The picture at index with its three modes; a null icon for an index outside the list.
  QIcon Icon(int index) const;
  // The picture of a menu item by its name (kMenuItemImages); a null icon when it has none.
  QIcon IconOf(std::string_view item) const;

  // The lower-case name of a picture ("play", "bookmark save"), empty outside the list.
  static QString Name(int index);
  // The index of a named picture, -1 when there is none. Any thread.
  static int IndexOf(const QString& name);

  // Draws picture index centred in box, anti-aliased, in one ink. Any thread that may paint
  // (the painter belongs to the caller).
  static void Draw(QPainter& painter, int index, const QRectF& box, const QColor& ink);

 private:
  std::array<QIcon, miCount> FIcons;
};

}  // namespace kavoro::app
