#pragma once
// The main window and controller of the player: a frameless window shaped by its skin, holding
// the player's buttons, track bars, labels and picture clock, the one media graph, the two
// threaded timers and the three popup menus. Every position and picture comes from the skin
// loader. The commands live in units of their own, grouped by what they do:
//   Main.cpp          creation, start-up, the slide-in, close and the system commands
//   MainMenus.cpp     the three popup menus, their enabling and the drive submenu
//   Transport.cpp     opening sources, Play/Stop/Pause, speeds, volume, balance, zoom, clock
//   DvdNavigation.cpp DVD menus, chapter steps, subtitle and audio submenus, DVD events
//   Bookmarks.cpp     saving and restoring DVD bookmarks
//   PlayList.cpp      the play list and file opening
//   WindowModes.cpp   window modes, mute, colour, options, About, help, keys
//   SkinSwitch.cpp    the skin submenu and the switch at run time
// Everything here runs on the GUI thread.
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/GraphTypes.h"
#include "platform/com/ComPtr.h"
#include "platform/com/HResult.h"

class QAction;
class QListWidgetItem;
class QMenu;

namespace kavoro {
class TFilterGraph;
class TThreadedTimer;
class TVesko_TrackBar;
struct IDvdControl2;
struct IDvdInfo2;
}  // namespace kavoro
namespace kavoro::os {
class IClassClaim;
}
namespace kavoro::controls {
class TImage;
class TVeskoHint;
class TVeskoImageButton;
class TVeskoSkinForm;
class TVeskoTrackBar;
}  // namespace kavoro::controls
namespace kavoro::video {
class TFrm_ColorSet;
class TFrm_Video;
}  // namespace kavoro::video

namespace kavoro::app {

class TLabel;
class TMenuImages;

constexpr const char* kMainWindowCaption = "Kavoro Player";
constexpr const char* kMainWindowClass = "KAVORO_MainClass";
constexpr const char* kInitialPlayName = "Kavoro Player";
constexpr const char* kMainFontFamily = "Tahoma";
constexpr int kMainFontPoints = 9;
// The clock has two digits each of hours, minutes and seconds.
constexpr int kClockDigits = 6;
constexpr int kMainButtonCount = 21;
// The widest hint, in pixels.
constexpr int kHintMaxWidth = 250;

// Files beside the program.
constexpr const char* kSlideSound = "ShowM.wav";
constexpr const char* kDefaultBookmark = "bookmark.bmk";

// The slide-in and slide-out: tick period and steps per tick, and the gap between the windows.
constexpr int kSlideIntervalMs = 10;
constexpr int kMainSlideStep = 50;
constexpr int kVideoSlideStep = 25;
constexpr int kWindowGap = 50;

// Play-state texts. Space reads them back to choose between Pause and Play.
constexpr const char* kStateStopped = "Stopped";
constexpr const char* kStatePlaying = "Playing";
constexpr const char* kStatePause = "Pause";
constexpr const char* kStateDvdPlaying = "DVD Playing";
constexpr const char* kTitleLabelPrefix = "Title: ";
constexpr const char* kChapterLabelPrefix = "Chapter: ";
constexpr const char* kZeroTime = "00:00:00";
constexpr const char* kDvdPlayNamePrefix = "DVD Video Drive ";
constexpr const char* kDvdVolumeFolder = ":\\VIDEO_TS\\";
constexpr const char* kDvdVolumePath = ":\\VIDEO_TS\\VIDEO_TS.IFO";
constexpr const char* kVideoCdFolder = ":\\MPEGAV\\";
constexpr const char* kErrorCaption = "Error";
constexpr const char* kLoadSkinError = "Load skin error.";

// The speed table: tag 1..8 forwards, -1..-8 backwards; tag 4 is normal speed.
constexpr int kSpeedCount = 8;
constexpr int kNormalSpeedTag = 4;
constexpr int kFastSpeedTag = 8;
constexpr std::array<double, kSpeedCount> kSpeedRates = {0.2, 0.4, 0.8, 1.0, 2.0, 4.0, 6.0, 8.0};
// The rate of a tag; 1.0 for a tag outside the table.
double RateOfSpeedTag(int tag);
// "DVD Playing 2.0X" for 2.0.
std::string DvdPlayingText(double rate);
// "Forward 0.2X" for 1, "Rewind 8.0X" for -8.
std::string SpeedCaption(int tag);

// The wave-output volume word for the volume bar's level and the channel bar's position
// (0 left, 1 both, 2 right): 16 steps of 0x1111 per channel.
std::uint32_t ChannelVolume(int volumeBarPosition, int trackBarPosition);
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
// "01:02:03" from whole seconds.
std::string FormatClock(long long seconds);
// Whole seconds of a clock time; frames are not counted.
constexpr int ClockSeconds(int hours, int minutes, int seconds) {
  return hours * kSecondsPerHour + minutes * kSecondsPerMinute + seconds;
}

// One play-list line's record: the line's text is FileName.
struct TPlayListItem {
  std::string FileName;
  std::string FilePath;  // the folder, normally ending in a separator
  bool Playable = true;
  // FilePath, a separator when it has none at its end, then FileName.
  std::string FullPath() const;
  // A playable line for a file path: the name part and the folder part (with its separator).
  static TPlayListItem FromPath(const std::string& path);
};

// The window's mode as the controller sees it: at most one of full screen and desktop.
enum class TWindowMode { wmNormal, wmFullScreen, wmDesktop };

class TFrm_Main : public QWidget {
  Q_OBJECT
 public:
  // Creates the window (hidden) and its controls with their settings, the graph component, the
  // timers and the menus. Nothing is read or scanned yet (FormCreate). GUI thread only; a
  // platform backend must be linked.
  explicit TFrm_Main(QWidget* parent = nullptr);
  ~TFrm_Main() override;

  // ---- Start-up and life (Main.cpp).
  // Claims the window class the single-instance test looks for; false when another window
  // holds it.
  bool ClaimWindowClass();
  // Reads the output volume and the settings, scans the drives and, on a first run with several
  // drives, asks for the default drive. The decoders are installed once the windows are up
  // (InstallDecoderFilters), so that writing and registering them does not hold up the start.
  void FormCreate();
  // Writes and registers the player's decoders, once per run: when the slide-in ends, or
  // before the first graph is built if that comes sooner. A failure goes to the error report.
  void InstallDecoderFilters();
  // Joins the video window (its video control becomes a member and listener of the graph)
  // and the colour pop-up; both stay owned by the caller and must outlive this window's use
  // of them.
  void AttachVideo(video::TFrm_Video* video, video::TFrm_ColorSet* colorSet);
  // Lets go of the video window and the colour pop-up (the video control leaves the graph);
  // the owner calls it before destroying them ahead of this window.
  void DetachVideo();
  // Places both windows off the screen, shows them and starts the slide-in with its sound.
  void PlaceAndSlideIn();
  void ShowFormTimerTimer();
  // Ends desktop playback, empties the graph, centres the balance, writes the settings
  // (telling the user once when they cannot be written), removes the decoders and ends the
  // application.
  void Button_CloseClick();
  // The system menu's restore and minimise carry over to the video window.
  void WMSysCommand(bool minimised);

  // ---- Transport (Transport.cpp).
  // Opens and plays one media file; false (and nothing said) when the graph cannot render it.
  bool PlayFile(const std::string& path);
  void PlayDVD(const std::string& path);
  void PlayDrive(char letter);
  void Menu_Video_PlayClick();
  void Menu_Video_StopClick();
  void Menu_Video_PauseClick();
  void Menu_Video_ForwardClick();
  void Menu_Video_RewindClick();
  void Menu_Video_NextClick();
  void Menu_Video_PreviousClick();
  // The speed command; tag is the item's (1..8, -1..-8).
  void Menu_Video_SelectSpeedClick(int tag);
  void VolumeBarChange();
  void TrackBarChange();
  void ZoomBarChange();
  void VideoBarTimer();
  void FilterGraphGraphComplete();
  // A file whose playback failed on its way (the graph gave up): tell the user and go on.
  void FilterGraphErrorAbort(HRESULT result);

  // ---- DVD navigation (DvdNavigation.cpp).
  void Menu_Video_RootMenuClick();
  void Menu_Video_TitleMenuClick();
  void Menu_Video_SelectSubPopup();
  void Menu_Video_SelectAudioPopup();
  void DisplaySubtitlesClick();
  void SubtitleItemClick(int stream);
  void AudioItemClick(int stream);
  void FilterGraphDVDTitleChange(int title);
  void FilterGraphDVDChapterStart(int chapter);
  void FilterGraphDVDCurrentHMSFTime(const TDVD_HMSF_TIMECODE& time);
  // The navigator's failures, in the order of the graph's DVD error events.
  enum class TDvdError {
    Unexpected,
    CopyProtectFail,
    InvalidDVD1_0Disc,
    InvalidDiscRegion,
    LowParentalLevel,
    MacrovisionFail,
    IncompatibleSystemAndDecoderRegions,
    IncompatibleDiscAndDecoderRegions,
  };
  void FilterGraphDVDError(TDvdError error);
  void FilterGraphDVDDiscEjected();

  // ---- Bookmarks (Bookmarks.cpp).
  void Menu_Video_BookmarksPopup();
  void Menu_Video_SaveBookmarkClick();
  void Menu_Video_RestoreBookmarkClick();

  // ---- Play list (PlayList.cpp).
  void Menu_Main_OpenFileClick();
  void Menu_PlayListBox_PlayClick();
  void Menu_PlayListBox_AddClick();
  void Menu_PlayListBox_RemoveClick();
  void Menu_PlayListBox_ClearClick();
  void AddToPlayList(const std::string& path);
  // Whether the play list panel is shown on the video window (its own visibility). GUI thread.
  bool PlayListShown() const;
  int PlayListCount() const;
  // The record of a line; nullptr outside the list.
  const TPlayListItem* PlayListItem(int index) const;
  int PlayListSelected() const;

  // ---- Window modes and input (WindowModes.cpp).
  void Menu_Main_ShowVideoWinClick();
  void Menu_Main_FullscreenClick();
  void Menu_Main_WallpaperClick();
  void Menu_Main_PlayListClick();
  void Menu_Main_MuteClick();
  void Menu_Video_ColorClick();
  void Menu_Main_OptionClick();
  void Menu_Main_AboutClick();
  void Menu_Main_HelpClick();
  void Button_MainMenuClick();
  void Button_MinimizeClick();
  // The application-wide key handling; true when the key was taken.
  bool ApplicationEventsKeyDown(int key);
  TWindowMode WindowMode() const;

  // ---- Menus (MainMenus.cpp).
  void Menu_MainPopup();
  void Menu_VideoPopup();
  // Rebuilds a "Play DVD or VCD" submenu from the drive list.
  void Menu_Main_SelectDrivePlayPopup(QMenu* submenu);
  void DriveItemClick(QAction* item);

  // ---- Skins (SkinSwitch.cpp).
  void Menu_Main_SelectSkinsPopup();
  void SelectSkinClick(const std::string& name);
  void SelectSkinTimerTimer();
  // True while a switch slides the windows out.
  bool SkinSwitching() const;

  // ---- Controls, owned by the window.
  controls::TVeskoSkinForm* SkinForm;
  controls::TVeskoHint* VeskoHint;

  controls::TVeskoImageButton* Button_MainMenu;
  controls::TVeskoImageButton* Button_Minimize;
  controls::TVeskoImageButton* Button_Close;
  controls::TVeskoImageButton* Button_MuteON;
  controls::TVeskoImageButton* Button_MuteOFF;
  controls::TVeskoImageButton* Button_Play;
  controls::TVeskoImageButton* Button_Stop;
  controls::TVeskoImageButton* Button_Pause;
  controls::TVeskoImageButton* Button_Open;
  controls::TVeskoImageButton* Button_Previous;
  controls::TVeskoImageButton* Button_Next;
  controls::TVeskoImageButton* Button_Forward;
  controls::TVeskoImageButton* Button_Rewind;
  controls::TVeskoImageButton* Button_ShowVideo;
  controls::TVeskoImageButton* Button_Fullscreen;
  controls::TVeskoImageButton* Button_Wallpaper;
  controls::TVeskoImageButton* Button_PlayList;
  controls::TVeskoImageButton* Button_RootMenu;
  controls::TVeskoImageButton* Button_Color;
  controls::TVeskoImageButton* Button_Option;
  controls::TVeskoImageButton* Button_About;

  controls::TVeskoTrackBar* VolumeBar;
  controls::TVeskoTrackBar* TrackBar;
  controls::TVeskoTrackBar* ZoomBar;
  TVesko_TrackBar* VideoBar;

  TLabel* Label_PlayName;
  TLabel* Label_PlayState;
  TLabel* Label_Title;
  TLabel* Label_Chapter;

  controls::TImage* TimePanel;

  // ---- Non-visual parts, owned by the window.
  std::unique_ptr<TFilterGraph> FilterGraph;
  std::unique_ptr<TThreadedTimer> ShowFormTimer;
  std::unique_ptr<TThreadedTimer> SelectSkinTimer;
  std::unique_ptr<TMenuImages> MenuImages;
  QMenu* Menu_Main = nullptr;
  QMenu* Menu_Video = nullptr;
  QMenu* Menu_PlayListBox = nullptr;

  // Menu items by name ("Menu_Video_Play"); nullptr for a name that is not an item.
  QAction* MenuItem(std::string_view name) const;
  // The 17 entries of the speed submenu (separator included), in order.
  QMenu* Menu_Video_SelectSpeed = nullptr;
  QMenu* Menu_Video_SelectSub = nullptr;
  QMenu* Menu_Video_SelectAudio = nullptr;
  QMenu* Menu_Video_Bookmarks = nullptr;
  QMenu* Menu_Main_SelectDrivePlay = nullptr;
  QMenu* Menu_Video_SelectDrive = nullptr;
  QMenu* Menu_Main_SelectSkins = nullptr;

  // ---- Clock state, filled by the skin loader, read by the time display.
  QImage DigitStrip;  // the ten digits side by side, each DigitWidth wide
  int DigitWidth = 0;
  int DigitHeight = 0;
  std::array<QPoint, kClockDigits> DigitCells{};  // (left, top) in TimePanel's picture

  // ---- Player state.
  std::vector<std::string> DriveList;  // "E:\" roots of the drives found at start
  int PlayIndex = -1;                  // the play-list line playing, -1 for none
  TPlayListItem CurrentItem;           // the record last looked up
  bool SubtitleShown = false;
  bool SpeedChanged = false;
  bool AtTitleStart = true;
  // The name of what is playing, shown in Label_PlayName.
  std::string PlayName = kInitialPlayName;

  video::TFrm_Video* Frm_Video() const { return FVideo; }
  video::TFrm_ColorSet* Frm_ColorSet() const { return FColorSet; }

  // The picture button whose control name is `name` ("Button_Play"); nullptr for any other.
  controls::TVeskoImageButton* ButtonByName(std::string_view name) const;

  // Called whenever the visible play state changed (labels, play list, skin): the test seam
  // of the end-to-end tests writes it out. Optional.
  std::function<void(TFrm_Main*)> OnStateChange;
  void NotifyStateChange();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  controls::TVeskoImageButton* MakeButton(const char* name, const char* hint);
  void BindControls();
  void BindGraphEvents();
  void BuildMenus();
  QAction* AddItem(QMenu* menu, const char* name, const char* caption);
  QMenu* AddSubmenu(QMenu* menu, const char* name, const char* caption);

  // Transport helpers.
  void PlayPlayListLine(int index);
  void SetSpeedChecked(int tag);
  void RestoreVideoSkinSize();
  bool VideoPanelVisible() const;
  // Tells the user that line `index` (path) cannot play and why, then plays the next line
  // round the list that does, or stops when none does.
  void SkipUnplayable(int index, const std::string& path, const std::string& reason);
  ComPtr<IDvdControl2> DvdControl();
  ComPtr<IDvdInfo2> DvdInfo();
  void UpdateTitleLength();

  // Play-list helpers.
  void AddPlayListLine(const TPlayListItem& item);
  void ClearPlayList();
  void SelectPlayListLine(int index);
  void DeletePlayListLine(int index);

  bool FDecodersInstalled = false;
  // Close happens once; the close event of a closing window must not run it again.
  bool FClosing = false;
  // The failure path of PlayFile must not recurse through a list of bad files.
  int FFailedInARow = 0;
  HRESULT FLastFailure = S_OK;
  // Where the open dialog starts: the folder of the last file opened.
  std::string FOpenFolder;

  std::array<std::pair<const char*, controls::TVeskoImageButton*>, kMainButtonCount> FButtons{};
  int FButtonCount = 0;
  std::vector<std::pair<std::string, QAction*>> FMenuItems;
  std::array<QAction*, 2 * kSpeedCount> FSpeedItems{};  // tags 1..8 then -1..-8

  // Owned by the program's entry, which keeps them for the whole run.
  video::TFrm_Video* FVideo = nullptr;
  video::TFrm_ColorSet* FColorSet = nullptr;
  std::unique_ptr<os::IClassClaim> FClassClaim;
};

}  // namespace kavoro::app
