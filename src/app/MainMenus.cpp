// The main window's three popup menus: their items in order, the pictures of the image list,
// what is enabled and checked as each opens, and the drive submenu rebuilt on every opening.
#include <QAction>
#include <QMenu>

#include "app/Main.h"
#include "app/MenuImages.h"
#include "app/MenuStyle.h"
#include "app/Settings.h"
#include "media/FilterGraph.h"
#include "platform/os/Platform.h"
#include "system/DriveScan.h"
#include "system/MasterMute.h"
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

// The drive items remember whether their drive held a disc when the submenu was built.
constexpr const char* kDiscFlagProperty = "kavoroDiscPresent";

}  // namespace

QAction* TFrm_Main::AddItem(QMenu* menu, const char* name, const char* caption) {
  QAction* item = menu->addAction(QString::fromLatin1(caption));
  item->setObjectName(QString::fromLatin1(name));
  item->setIcon(MenuImages->IconOf(name));
  FMenuItems.emplace_back(name, item);
  return item;
}

QMenu* TFrm_Main::AddSubmenu(QMenu* menu, const char* name, const char* caption) {
  auto* submenu = new QMenu(QString::fromLatin1(caption), menu);
  submenu->setObjectName(QString::fromLatin1(name));
  ThemeMenu(submenu);
  QAction* item = menu->addMenu(submenu);
  item->setObjectName(QString::fromLatin1(name));
  item->setIcon(MenuImages->IconOf(name));
  FMenuItems.emplace_back(name, item);
  return submenu;
}

QAction* TFrm_Main::MenuItem(std::string_view name) const {
  for (const auto& [itemName, item] : FMenuItems)
    if (itemName == name) return item;
  return nullptr;
}

void TFrm_Main::BuildMenus() {
  auto on = [](QAction* item, auto command) { QObject::connect(item, &QAction::triggered, item, command); };

  Menu_Main = new QMenu(this);
  Menu_Main->setObjectName(QStringLiteral("Menu_Main"));
  ThemeMenu(Menu_Main);
  on(AddItem(Menu_Main, "Menu_Main_About", "&About Kavoro Player ..."), [this] { Menu_Main_AboutClick(); });
  Menu_Main->addSeparator();
  on(AddItem(Menu_Main, "Menu_Main_OpenFile", "&Open File ..."), [this] { Menu_Main_OpenFileClick(); });
  Menu_Main_SelectDrivePlay = AddSubmenu(Menu_Main, "Menu_Main_SelectDrivePlay", "&Play DVD or VCD");
  Menu_Main->addSeparator();
  on(AddItem(Menu_Main, "Menu_Main_ShowVideoWin", "&Video Window"), [this] { Menu_Main_ShowVideoWinClick(); });
  on(AddItem(Menu_Main, "Menu_Main_Fullscreen", "&Fullscreen Mode"), [this] { Menu_Main_FullscreenClick(); });
  on(AddItem(Menu_Main, "Menu_Main_Wallpaper", "&Wallpaper Mode"), [this] { Menu_Main_WallpaperClick(); });
  on(AddItem(Menu_Main, "Menu_Main_PlayList", "Play &List"), [this] { Menu_Main_PlayListClick(); });
  on(AddItem(Menu_Main, "Menu_Main_Mute", "&Mute"), [this] { Menu_Main_MuteClick(); });
  Menu_Main->addSeparator();
  on(AddItem(Menu_Main, "Menu_Main_Option", "Opt&ion ..."), [this] { Menu_Main_OptionClick(); });
  Menu_Main_SelectSkins = AddSubmenu(Menu_Main, "Menu_Main_SelectSkins", "&Select Skin");
  QAction* help = AddItem(Menu_Main, "Menu_Main_Help", "&Kavoro Player Help ...");
  // The key itself is taken application-wide; the menu only shows it.
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WidgetShortcut);
  on(help, [this] { Menu_Main_HelpClick(); });
  Menu_Main->addSeparator();
  on(AddItem(Menu_Main, "Menu_Main_Exit", "&Exit"), [this] { Button_CloseClick(); });
  for (const char* name : {"Menu_Main_ShowVideoWin", "Menu_Main_Fullscreen", "Menu_Main_Wallpaper",
                           "Menu_Main_PlayList", "Menu_Main_Mute"})
    MenuItem(name)->setCheckable(true);

  Menu_Video = new QMenu(this);
  Menu_Video->setObjectName(QStringLiteral("Menu_Video"));
  ThemeMenu(Menu_Video);
  on(AddItem(Menu_Video, "Menu_Video_OpenFile", "&Open File ..."), [this] { Menu_Main_OpenFileClick(); });
  Menu_Video_SelectDrive = AddSubmenu(Menu_Video, "Menu_Video_SelectDrive", "P&lay DVD or VCD");
  Menu_Video->addSeparator();
  on(AddItem(Menu_Video, "Menu_Video_Play", "&Play"), [this] { Menu_Video_PlayClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Stop", "&Stop"), [this] { Menu_Video_StopClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Pause", "Pa&use"), [this] { Menu_Video_PauseClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Forward", "Fast &Forward"), [this] { Menu_Video_ForwardClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Rewind", "Fast &Rewind"), [this] { Menu_Video_RewindClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Next", "&Next"), [this] { Menu_Video_NextClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Previous", "Pre&vious"), [this] { Menu_Video_PreviousClick(); });
  Menu_Video->addSeparator();
  on(AddItem(Menu_Video, "Menu_Video_Fullscreen", "Fullscr&een Mode"), [this] { Menu_Main_FullscreenClick(); });
  on(AddItem(Menu_Video, "Menu_Video_Wallpaper", "&Wallpaper Mode"), [this] { Menu_Main_WallpaperClick(); });
  MenuItem("Menu_Video_Fullscreen")->setCheckable(true);
  MenuItem("Menu_Video_Wallpaper")->setCheckable(true);
  Menu_Video->addSeparator();
  Menu_Video_Bookmarks = AddSubmenu(Menu_Video, "Menu_Video_Bookmarks", "&Bookmarks");
  on(AddItem(Menu_Video_Bookmarks, "Menu_Video_SaveBookmark", "&Save Bookmark ..."),
     [this] { Menu_Video_SaveBookmarkClick(); });
  on(AddItem(Menu_Video_Bookmarks, "Menu_Video_RestoreBookmark", "&Restore Bookmark ..."),
     [this] { Menu_Video_RestoreBookmarkClick(); });
  on(AddItem(Menu_Video, "Menu_Video_RootMenu", "DVD Root &Menu"), [this] { Menu_Video_RootMenuClick(); });
  on(AddItem(Menu_Video, "Menu_Video_TitleMenu", "DVD &Title Menu"), [this] { Menu_Video_TitleMenuClick(); });
  Menu_Video_SelectSub = AddSubmenu(Menu_Video, "Menu_Video_SelectSub", "DVD Su&btitles Setting");
  Menu_Video_SelectAudio = AddSubmenu(Menu_Video, "Menu_Video_SelectAudio", "DVD &Audio Language Seting");
  Menu_Video_SelectSpeed = AddSubmenu(Menu_Video, "Menu_Video_SelectSpeed", "&DVD Play Speed");
  for (int i = 0; i < 2 * kSpeedCount; ++i) {
    const int tag = i < kSpeedCount ? i + 1 : -(i - kSpeedCount + 1);
    if (i == kSpeedCount) Menu_Video_SelectSpeed->addSeparator();
    QAction* item = Menu_Video_SelectSpeed->addAction(QString::fromStdString(SpeedCaption(tag)));
    item->setCheckable(true);
    item->setData(tag);
    on(item, [this, tag] { Menu_Video_SelectSpeedClick(tag); });
    FSpeedItems[i] = item;
  }
  FSpeedItems[kNormalSpeedTag - 1]->setChecked(true);
  Menu_Video->addSeparator();
  on(AddItem(Menu_Video, "Menu_Video_Color", "&Color Controls"), [this] { Menu_Video_ColorClick(); });

  Menu_PlayListBox = new QMenu(this);
  Menu_PlayListBox->setObjectName(QStringLiteral("Menu_PlayListBox"));
  ThemeMenu(Menu_PlayListBox);
  on(AddItem(Menu_PlayListBox, "Menu_PlayListBox_Play", "&Play the selected file"),
     [this] { Menu_PlayListBox_PlayClick(); });
  Menu_PlayListBox->addSeparator();
  on(AddItem(Menu_PlayListBox, "Menu_PlayListBox_Add", "&Add File ..."), [this] { Menu_PlayListBox_AddClick(); });
  on(AddItem(Menu_PlayListBox, "Menu_PlayListBox_Remove", "&Remove"), [this] { Menu_PlayListBox_RemoveClick(); });
  on(AddItem(Menu_PlayListBox, "Menu_PlayListBox_Clear", "&Clear"), [this] { Menu_PlayListBox_ClearClick(); });

  connect(Menu_Main, &QMenu::aboutToShow, this, [this] { Menu_MainPopup(); });
  connect(Menu_Video, &QMenu::aboutToShow, this, [this] { Menu_VideoPopup(); });
  connect(Menu_Main_SelectDrivePlay, &QMenu::aboutToShow, this,
          [this] { Menu_Main_SelectDrivePlayPopup(Menu_Main_SelectDrivePlay); });
  connect(Menu_Video_SelectDrive, &QMenu::aboutToShow, this,
          [this] { Menu_Main_SelectDrivePlayPopup(Menu_Video_SelectDrive); });
  connect(Menu_Video_SelectSub, &QMenu::aboutToShow, this, [this] { Menu_Video_SelectSubPopup(); });
  connect(Menu_Video_SelectAudio, &QMenu::aboutToShow, this, [this] { Menu_Video_SelectAudioPopup(); });
  connect(Menu_Video_Bookmarks, &QMenu::aboutToShow, this, [this] { Menu_Video_BookmarksPopup(); });
  connect(Menu_Main_SelectSkins, &QMenu::aboutToShow, this, [this] { Menu_Main_SelectSkinsPopup(); });
}

void TFrm_Main::Menu_MainPopup() {
  const TWindowMode mode = WindowMode();
  const bool inWindow = mode == TWindowMode::wmNormal;
  const bool open = VideoPanelVisible();
  MenuItem("Menu_Main_ShowVideoWin")->setEnabled(inWindow);
  MenuItem("Menu_Main_ShowVideoWin")->setChecked(FVideo && FVideo->isVisible());
  MenuItem("Menu_Main_Fullscreen")->setEnabled(open);
  MenuItem("Menu_Main_Fullscreen")->setChecked(mode == TWindowMode::wmFullScreen);
  MenuItem("Menu_Main_Wallpaper")->setEnabled(open);
  MenuItem("Menu_Main_Wallpaper")->setChecked(mode == TWindowMode::wmDesktop);
  MenuItem("Menu_Main_PlayList")->setEnabled(inWindow);
  MenuItem("Menu_Main_PlayList")->setChecked(FVideo && !FVideo->PlayListPanel->isHidden());
  MenuItem("Menu_Main_Mute")->setChecked(GetLineMute(mlSpeakers));
}

void TFrm_Main::Menu_VideoPopup() {
  const TWindowMode mode = WindowMode();
  const bool open = VideoPanelVisible();
  MenuItem("Menu_Video_Fullscreen")->setEnabled(open);
  MenuItem("Menu_Video_Fullscreen")->setChecked(mode == TWindowMode::wmFullScreen);
  MenuItem("Menu_Video_Wallpaper")->setEnabled(open);
  MenuItem("Menu_Video_Wallpaper")->setChecked(mode == TWindowMode::wmDesktop);
  const bool dvd = FilterGraph->Active() && FilterGraph->Mode() == gmDVD;
  for (const char* name : {"Menu_Video_RootMenu", "Menu_Video_TitleMenu", "Menu_Video_SelectSub",
                           "Menu_Video_SelectAudio", "Menu_Video_SelectSpeed"})
    MenuItem(name)->setEnabled(dvd);
  MenuItem("Menu_Video_Color")->setEnabled(FilterGraph->Active());
}

void TFrm_Main::Menu_Main_SelectDrivePlayPopup(QMenu* submenu) {
  submenu->clear();
  for (const std::string& root : DriveList) {
    const bool disc = DiscStateOf(root) == kDiscPresent;
    QAction* item = submenu->addAction(MenuImages->Icon(miDrive), QString::fromStdString(DriveCaption(root)));
    item->setProperty(kDiscFlagProperty, disc);
    connect(item, &QAction::triggered, this, [this, item] { DriveItemClick(item); });
  }
}

void TFrm_Main::DriveItemClick(QAction* item) {
  if (!item->property(kDiscFlagProperty).toBool()) return;
  const QString caption = item->text();
  if (caption.isEmpty()) return;
  PlayDrive(caption.at(0).toLatin1());
}

}  // namespace kavoro::app
