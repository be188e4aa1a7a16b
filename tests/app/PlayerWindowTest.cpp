// The player's window around the transport: start-up and the slide-in, the menus with their
// enabling, the drive and DVD submenus, keys, window modes, bookmarks, the skin switch and close.
#include "PlayerTestSupport.h"

#include <QMenu>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "controls/VeskoImageButton.h"
#include "platform/media/MediaErrors.h"
#include "platform/os/Registry.h"
#include "skin/SkinLoader.h"
#include "system/MasterMute.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::test {
namespace {

constexpr LCID kEnglish = 0x0409;
constexpr LCID kFrench = 0x040C;
constexpr LCID kGerman = 0x0407;

QStringList Captions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}
QAction* Checked(QMenu* menu) {
  for (QAction* a : menu->actions())
    if (a->isChecked()) return a;
  return nullptr;
}

TEST_F(PlayerTest, StartReadsTheLouderChannelAndSettlesTheOnlyDrive) {
  os::Sim().WaveOut().SetVolume(0, 0x4000C000);  // left 0xC000, right 0x4000
  os::Sim().Drives().AddDrive('E', os::DRIVE_CDROM);
  main->FormCreate();
  EXPECT_EQ(main->VolumeBar->Position(), 0xC0);
  EXPECT_EQ(main->DriveList, std::vector<std::string>{"E:\\"});
  EXPECT_EQ(app::Settings().DefaultDrive, "E");  // one drive: no dialog, and nothing written
  EXPECT_FALSE(os::Sim().Registry().KeyExists(os::HKEY_LOCAL_MACHINE, app::kSettingsKey));
  EXPECT_EQ(main->PlayIndex, -1);
  EXPECT_TRUE(main->AtTitleStart);
}

// The decoders are written and registered once the windows are up, or before the first graph
// is built when the user is quicker than the slide-in; once per run either way.
TEST_F(PlayerTest, DecodersAreInstalledOnceBeforeTheFirstGraph) {
  const std::string system = ::testing::TempDir() + "player_system_" + std::to_string(::getpid());
  std::filesystem::create_directories(system);
  os::Sim().Processes().SetSystemFolder(system);
  main->FormCreate();
  EXPECT_TRUE(os::Sim().Processes().Started().empty());
  OpenFiles({"/media/a.mpg"});
  const std::size_t registered = os::Sim().Processes().Started().size();
  EXPECT_EQ(registered, 3u);
  main->ShowFormTimer->SetEnabled(true);
  main->ShowFormTimerTimer();  // the windows are where they belong: the slide-in ends
  main->ShowFormTimerTimer();
  EXPECT_EQ(os::Sim().Processes().Started().size(), registered);
  std::filesystem::remove_all(system);
}

// The windows start off the screen and slide in on the timer's ticks: the main window from the
// right, the video window from above, ending centred as a block 50 pixels apart.
TEST_F(PlayerTest, PlaceAndSlideInMovesBothWindowsToTheMiddle) {
  main->resize(550, 200);
  video->resize(340, 290);
  main->PlaceAndSlideIn();
  main->ShowFormTimer->SetEnabled(false);  // ticks are run by hand here
  const int w = os::Sim().Screens().ScreenWidth(), h = os::Sim().Screens().ScreenHeight();
  EXPECT_EQ(main->x(), w);
  EXPECT_EQ(main->y(), h / 2 + (200 + 290 + 50) / 2 - 200);
  EXPECT_EQ(video->x(), w / 2 - 340 / 2);
  EXPECT_EQ(video->y(), -290);
  ASSERT_FALSE(os::Sim().Sound().Played().empty());
  EXPECT_EQ(os::Sim().Sound().Played().back().path, appFolder + "ShowM.wav");

  main->ShowFormTimer->SetEnabled(true);
  for (int tick = 0; tick < 100 && main->ShowFormTimer->Enabled(); ++tick) main->ShowFormTimerTimer();
  EXPECT_FALSE(main->ShowFormTimer->Enabled());
  EXPECT_LE(main->x(), w / 2 - 550 / 2);
  EXPECT_GT(main->x(), w / 2 - 550 / 2 - 50);
  const int videoTarget = h / 2 - (200 + 290 + 50) / 2;
  EXPECT_GE(video->y(), videoTarget);
  EXPECT_LT(video->y(), videoTarget + 25);
}

TEST_F(PlayerTest, MenuEnablingFollowsWhatIsOpen) {
  AddDvdDrive('E');
  Start();
  main->Menu_MainPopup();
  main->Menu_VideoPopup();
  for (const char* name : {"Menu_Main_Fullscreen", "Menu_Main_Wallpaper", "Menu_Video_Fullscreen",
                           "Menu_Video_Wallpaper", "Menu_Video_RootMenu", "Menu_Video_TitleMenu",
                           "Menu_Video_SelectSub", "Menu_Video_SelectAudio", "Menu_Video_SelectSpeed",
                           "Menu_Video_Color"})
    EXPECT_FALSE(main->MenuItem(name)->isEnabled()) << name << " with nothing open";
  EXPECT_TRUE(main->MenuItem("Menu_Main_ShowVideoWin")->isEnabled());
  EXPECT_TRUE(main->MenuItem("Menu_Main_PlayList")->isEnabled());

  main->Menu_Video_PlayClick();
  main->Menu_MainPopup();
  main->Menu_VideoPopup();
  for (const char* name : {"Menu_Main_Fullscreen", "Menu_Main_Wallpaper", "Menu_Video_RootMenu",
                           "Menu_Video_TitleMenu", "Menu_Video_SelectSub", "Menu_Video_SelectAudio",
                           "Menu_Video_SelectSpeed", "Menu_Video_Color"})
    EXPECT_TRUE(main->MenuItem(name)->isEnabled()) << name << " with a disc playing";

  // Bookmarks: save needs a disc playing; restore needs "bookmark.bmk" beside the program.
  main->Menu_Video_BookmarksPopup();
  EXPECT_TRUE(main->MenuItem("Menu_Video_SaveBookmark")->isEnabled());
  EXPECT_FALSE(main->MenuItem("Menu_Video_RestoreBookmark")->isEnabled());
  os::Sim().Drives().AddFile(appFolder + "bookmark.bmk", 10);
  main->Menu_Video_BookmarksPopup();
  EXPECT_TRUE(main->MenuItem("Menu_Video_RestoreBookmark")->isEnabled());
}

TEST_F(PlayerTest, TheDriveSubmenuIsRebuiltOnEveryOpening) {
  AddDvdDrive('E', "");  // a disc without a label
  os::Sim().Drives().AddDrive('F', os::DRIVE_CDROM);
  Start("E");
  main->Menu_Main_SelectDrivePlayPopup(main->Menu_Main_SelectDrivePlay);
  EXPECT_EQ(Captions(main->Menu_Main_SelectDrivePlay), (QStringList{"E:\\Unknown Volume", "F:\\No Disc"}));
  QAction* noDisc = main->Menu_Main_SelectDrivePlay->actions().at(1);
  // A disc put into F: after the menu was built: its stale item still does nothing.
  AddDvdDrive('F', "LATER");
  noDisc->trigger();
  EXPECT_TRUE(LogLines("RenderDvdVideoVolume").empty());
  main->Menu_Main_SelectDrivePlayPopup(main->Menu_Main_SelectDrivePlay);
  EXPECT_EQ(Captions(main->Menu_Main_SelectDrivePlay).at(1), "F:\\LATER");
  main->Menu_Main_SelectDrivePlay->actions().at(1)->trigger();
  EXPECT_EQ(main->PlayName, "DVD Video Drive F:");
}

TEST_F(PlayerTest, SubtitleAndAudioSubmenusByLanguageName) {
  OpenDvd();
  Navigator().subpicture = {{0, kEnglish}, {2, kFrench}};  // stream 1 has no language
  Navigator().subpictureCount = 3;
  Navigator().currentSubpicture = 2;
  main->Menu_Video_SelectSubPopup();
  EXPECT_EQ(Captions(main->Menu_Video_SelectSub), (QStringList{"Display subtitles", "-", "English (U.S.)", "French"}));
  EXPECT_TRUE(main->Menu_Video_SelectSub->actions().at(0)->isChecked());
  EXPECT_TRUE(main->Menu_Video_SelectSub->actions().at(3)->isChecked());
  main->Menu_Video_SelectSub->actions().at(0)->trigger();  // display subtitles: off
  EXPECT_FALSE(main->SubtitleShown);
  CallLog().clear();
  main->Menu_Video_SelectSub->actions().at(2)->trigger();  // English
  EXPECT_EQ(Commands(), (Lines{"SelectSubpictureStream 0 flags 0", "SetSubpictureState 1 flags 0"}));
  EXPECT_FALSE(main->SubtitleShown);  // left as it was

  // No streams: only the fixed items.
  Navigator().subpicture.clear();
  Navigator().subpictureCount = 0;
  main->Menu_Video_SelectSubPopup();
  EXPECT_EQ(Captions(main->Menu_Video_SelectSub), (QStringList{"Display subtitles", "-"}));

  // The current audio stream without a language: the first listed one is checked.
  Navigator().audio = {{1, kGerman}, {2, kEnglish}};
  Navigator().currentAudio = 0;
  main->Menu_Video_SelectAudioPopup();
  EXPECT_EQ(Captions(main->Menu_Video_SelectAudio), (QStringList{"German", "English (U.S.)"}));
  EXPECT_EQ(Checked(main->Menu_Video_SelectAudio)->text(), "German");
  CallLog().clear();
  main->Menu_Video_SelectAudio->actions().at(1)->trigger();
  EXPECT_EQ(Commands(), Lines{"SelectAudioStream 2 flags 0"});
}

TEST_F(PlayerTest, KeysActOnThePlayState) {
  main->show();
  EXPECT_FALSE(main->ApplicationEventsKeyDown(Qt::Key_Space));   // stopped: not taken
  EXPECT_FALSE(main->ApplicationEventsKeyDown(Qt::Key_Escape));  // not full screen
  OpenDvd();
  main->Menu_Video_SelectSpeedClick(5);  // DVD Playing 2.0X
  EXPECT_TRUE(main->ApplicationEventsKeyDown(Qt::Key_Space));
  EXPECT_EQ(State(), "Pause");
  EXPECT_TRUE(main->ApplicationEventsKeyDown(Qt::Key_Space));
  EXPECT_EQ(State(), "DVD Playing 2.0X");

  EXPECT_TRUE(main->ApplicationEventsKeyDown(Qt::Key_F1));
  ASSERT_EQ(os::Sim().Shell().Opened().size(), 1u);
  EXPECT_EQ(os::Sim().Shell().Opened()[0].file, appFolder + "Help.html");
  EXPECT_EQ(os::Sim().Shell().Opened()[0].operation, "open");
}

TEST_F(PlayerTest, WindowModesEndEachOtherAndStop) {
  OpenDvd();
  main->show();
  video->show();
  main->Menu_Main_FullscreenClick();
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmFullScreen);
  EXPECT_TRUE(video->isHidden());
  main->Menu_Main_PlayListClick();  // not in full screen
  EXPECT_TRUE(video->PlayListPanel->isHidden());
  // The wallpaper button while full screen leaves full screen, then plays on the desktop.
  main->Menu_Main_WallpaperClick();
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmDesktop);
  EXPECT_EQ(os::Sim().Shell().ChangeNotifications(), 1);
  EXPECT_TRUE(main->isMinimized());
  main->Menu_Main_WallpaperClick();
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmNormal);
  EXPECT_FALSE(video->isHidden());
  main->Menu_Main_FullscreenClick();
  EXPECT_TRUE(main->ApplicationEventsKeyDown(Qt::Key_Escape));
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmNormal);
  main->Menu_Main_FullscreenClick();
  main->Menu_Video_StopClick();  // Stop ends the mode
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmNormal);
  // Nothing open: the mode buttons do nothing.
  main->Menu_Main_FullscreenClick();
  main->Menu_Main_WallpaperClick();
  EXPECT_EQ(main->WindowMode(), app::TWindowMode::wmNormal);
}

TEST_F(PlayerTest, MuteSwapsTheButtons) {
  const bool wasMuted = GetLineMute(mlSpeakers);
  main->Button_MuteON->setVisible(!wasMuted);
  main->Button_MuteOFF->setVisible(wasMuted);
  main->Menu_Main_MuteClick();
  EXPECT_EQ(GetLineMute(mlSpeakers), !wasMuted);
  EXPECT_EQ(main->Button_MuteON->isHidden(), !wasMuted);
  main->Menu_Main_MuteClick();
  EXPECT_EQ(main->Button_MuteON->isHidden(), wasMuted);
}

// A failed save says so and leaves the old bookmark; a bookmark of another disc, or a damaged
// file, is refused with a message and playback stays where it was.
TEST_F(PlayerTest, BookmarkFailuresAreSaidAndChangeNothing) {
  ClassRegistry::Instance().RegisterClass(CLSID_FakeDvdState, "fake DVD state", [](REFIID riid, void** ppv) {
    return MakeCom<FakeDvdState>()->QueryInterface(riid, ppv);
  });
  OpenDvd();
  const std::string file = ::testing::TempDir() + "player_" + std::to_string(::getpid()) + ".bmk";
  Navigator().place = 42;
  os::Sim().Dialogs().ScriptSaveAnswer(file);
  main->Menu_Video_SaveBookmarkClick();
  EXPECT_TRUE(MessageTexts().empty());

  Navigator().statePersists = false;
  os::Sim().Dialogs().ScriptSaveAnswer(file);
  main->Menu_Video_SaveBookmarkClick();
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_NE(MessageTexts()[0].find(file), std::string::npos);

  os::Sim().Dialogs().Reset();
  Navigator().place = 7;
  Navigator().setStateResult = VFW_E_DVD_STATE_WRONG_DISC;
  os::Sim().Dialogs().ScriptOpenAnswer(Lines{file});
  main->Menu_Video_RestoreBookmarkClick();
  EXPECT_EQ(MessageTexts(),
            Lines{"The bookmark \"" + file + "\" could not be restored.\nThe bookmark belongs to another disc."});
  EXPECT_EQ(Navigator().place, 7u);

  Navigator().setStateResult = S_OK;
  os::Sim().Dialogs().Reset();
  os::Sim().Dialogs().ScriptOpenAnswer(Lines{file});
  main->Menu_Video_RestoreBookmarkClick();
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(Navigator().place, 42u);  // the first save survived the failed one

  const std::string junk = file + ".junk";
  { std::ofstream(junk) << "not a bookmark"; }
  os::Sim().Dialogs().ScriptOpenAnswer(Lines{junk});
  main->Menu_Video_RestoreBookmarkClick();
  EXPECT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(Navigator().place, 42u);
  std::remove(junk.c_str());
  std::remove(file.c_str());
  ClassRegistry::Instance().UnregisterClass(CLSID_FakeDvdState);
}

TEST_F(PlayerTest, CloseWritesTheSettingsAndCentresTheBalance) {
  Start("E");
  app::Settings().SkinName = "Capsule";
  app::Settings().SkipIntro = true;
  main->TrackBar->SetPosition(0);
  main->VolumeBar->SetPosition(255);
  main->Button_CloseClick();
  const auto key = os::RegistryKey::Open(os::HKEY_LOCAL_MACHINE, app::kSettingsKey, false);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadString("SkinName"), "Capsule");
  EXPECT_EQ(key->ReadString("DefaultDrive"), "E");
  EXPECT_EQ(key->ReadInteger("SkipIntro"), 1u);
  std::uint32_t volume = 0;
  os::Sim().WaveOut().GetVolume(0, &volume);
  EXPECT_EQ(volume, 0xFFFFFFFFu);  // both channels at the volume bar's level
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(PlayerTest, SettingsThatCannotBeWrittenAreSaidOnceAtClose) {
  Start("E");
  os::Sim().Registry().SetReadOnly(true);
  main->Button_CloseClick();
  main->Button_CloseClick();  // a second close request changes nothing
  ASSERT_EQ(os::Sim().Dialogs().MessageBoxes().size(), 1u);
  EXPECT_EQ(os::Sim().Dialogs().MessageBoxes()[0].caption, "Kavoro Player");
  EXPECT_TRUE(main->isHidden());
}

// The skins folder of the build holds "Default" and "Capsule"; the sim drives mirror them.
class SkinSwitchTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    auto& drives = os::Sim().Drives();
    drives.AddFolder(appFolder + "Skins/Default");
    drives.AddFolder(appFolder + "Skins/Capsule");
    drives.AddFolder(appFolder + "Skins/Secret", os::FILE_ATTRIBUTE_HIDDEN);
    drives.AddFile(appFolder + "Skins/readme.txt", 10);
    ASSERT_TRUE(skin::LoadSkin(*main, *video, {appFolder, "Default"}));
    main->move(300, 200);
    video->move(300, 0);
  }
  // Runs the switch's ticks by hand until it stops; the number of ticks.
  int SlideOut() {
    main->SelectSkinTimer->SetEnabled(false);
    int ticks = 0;
    do {
      main->SelectSkinTimer->SetEnabled(true);
      main->SelectSkinTimerTimer();
      ++ticks;
    } while (main->SelectSkinTimer->Enabled() && ticks < 200);
    main->ShowFormTimer->SetEnabled(false);
    return ticks;
  }
};

TEST_F(SkinSwitchTest, TheSubmenuListsSkinFoldersWithTheCurrentOneChecked) {
  main->Menu_Main_SelectSkinsPopup();
  QStringList names = Captions(main->Menu_Main_SelectSkins);
  names.sort();
  EXPECT_EQ(names, (QStringList{"Capsule", "Default"}));
  EXPECT_EQ(Checked(main->Menu_Main_SelectSkins)->text(), "Default");
  app::Settings().SkinName = "default";  // letter case counts
  main->Menu_Main_SelectSkinsPopup();
  EXPECT_EQ(Checked(main->Menu_Main_SelectSkins), nullptr);
}

TEST_F(SkinSwitchTest, ChoosingASkinSlidesOutReloadsAndSlidesIn) {
  app::Settings().SkinName = "Default";
  main->SelectSkinClick("Default");  // the current one: nothing
  EXPECT_FALSE(main->SkinSwitching());
  EXPECT_TRUE(os::Sim().Sound().Played().empty());

  const QSize before = main->size();
  main->SelectSkinClick("Capsule");
  EXPECT_TRUE(main->SkinSwitching());
  EXPECT_EQ(app::Settings().SkinName, "Capsule");
  EXPECT_EQ(os::Sim().Sound().Played().back().path, appFolder + "ShowM.wav");
  const int w = os::Sim().Screens().ScreenWidth();
  const int ticks = SlideOut();
  // 50 pixels a tick from Left 300 to past the right edge, then the reload tick.
  EXPECT_GE(ticks, (w - 300 + 49) / 50 + 1);
  EXPECT_FALSE(main->SkinSwitching());
  EXPECT_NE(main->size(), before);  // the Capsule skin's main picture
  EXPECT_EQ(main->x(), w);          // placed off screen again for the slide-in
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(SkinSwitchTest, ASkinThatFailsToLoadFallsBackToDefaultAndCloses) {
  os::Sim().Drives().AddFolder(appFolder + "Skins/Broken");
  main->SelectSkinClick("Broken");
  SlideOut();
  EXPECT_EQ(MessageTexts(), Lines{"Load skin error."});
  EXPECT_EQ(app::Settings().SkinName, "Default");
  const auto key = os::RegistryKey::Open(os::HKEY_LOCAL_MACHINE, app::kSettingsKey, false);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadString("SkinName"), "Default");
}

}  // namespace
}  // namespace kavoro::test
