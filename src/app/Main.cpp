#include "app/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QFont>
#include <QMenu>
#include <QWindowStateChangeEvent>

#include <algorithm>

#include "app/Label.h"
#include "app/MenuImages.h"
#include "app/SetDefaultDrive.h"
#include "app/Settings.h"
#include "controls/Image.h"
#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"
#include "media/FilterGraph.h"
#include "media/Vesko_TrackBar.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "system/DecoderInstall.h"
#include "system/DriveScan.h"
#include "util/ThdTimer.h"
#include "video/ColorSet.h"
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

// The fixed settings of a track bar at creation.
struct TTrackBarSettings {
  int Min, Max, Position;
  const char* Hint;
};
constexpr TTrackBarSettings kVolumeBarSettings{0, 255, 0, "VolumeBar"};
constexpr TTrackBarSettings kTrackBarSettings{0, 2, 1, "TrackBar"};
constexpr TTrackBarSettings kZoomBarSettings{0, 99, 0, "Digital Zoom"};
constexpr TTrackBarSettings kVideoBarSettings{0, 100, 0, "VideoBar"};
// The balance bar's middle: both channels.
constexpr int kBothChannels = 1;
// A channel's volume is 16 bits; its high byte is what the volume bar shows.
constexpr int kChannelBits = 16;
constexpr std::uint32_t kChannelMask = 0xFFFF;
constexpr int kHighByteShift = 8;

void Configure(controls::TVeskoTrackBar* bar, const char* name, const TTrackBarSettings& s) {
  bar->setObjectName(QString::fromLatin1(name));
  bar->SetMin(s.Min);
  bar->SetMax(s.Max);
  bar->SetPosition(s.Position);
  bar->setToolTip(QString::fromLatin1(s.Hint));
}

TLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, bool autoSize) {
  auto* label = new TLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->SetAutoSize(autoSize);
  label->SetCaption(QString::fromLatin1(caption));
  return label;
}

}  // namespace

TFrm_Main::TFrm_Main(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint) {
  setObjectName(QStringLiteral("Frm_Main"));
  setWindowTitle(QString::fromLatin1(kMainWindowCaption));
  setFont(QFont(QString::fromLatin1(kMainFontFamily), kMainFontPoints));

  SkinForm = new controls::TVeskoSkinForm(this);
  SkinForm->setObjectName(QStringLiteral("SkinForm"));
  SkinForm->SetTransparentColor(QColor::fromRgb(controls::TVeskoSkinForm::DefaultTransparentColor));

  VeskoHint = new controls::TVeskoHint(this);
  VeskoHint->setObjectName(QStringLiteral("VeskoHint"));
  VeskoHint->SetMaxHintWidth(kHintMaxWidth);

  Button_MainMenu = MakeButton("Button_MainMenu", "Kavoro Player Menu");
  Button_Minimize = MakeButton("Button_Minimize", "Minimize");
  Button_Close = MakeButton("Button_Close", "Close");
  Button_MuteON = MakeButton("Button_MuteON", "Mute");
  Button_MuteOFF = MakeButton("Button_MuteOFF", "Mute");
  Button_Play = MakeButton("Button_Play", "Play");
  Button_Stop = MakeButton("Button_Stop", "Stop");
  Button_Pause = MakeButton("Button_Pause", "Pause");
  Button_Open = MakeButton("Button_Open", "Open File");
  Button_Previous = MakeButton("Button_Previous", "Previous");
  Button_Next = MakeButton("Button_Next", "Next");
  Button_Forward = MakeButton("Button_Forward", "Fast Forward");
  Button_Rewind = MakeButton("Button_Rewind", "Fast Rewind");
  Button_ShowVideo = MakeButton("Button_ShowVideo", "Show the video window");
  Button_Fullscreen = MakeButton("Button_Fullscreen", "Fullscreen Mode");
  Button_Wallpaper = MakeButton("Button_Wallpaper", "Wallpaper Mode");
  Button_PlayList = MakeButton("Button_PlayList", "Play List");
  Button_RootMenu = MakeButton("Button_RootMenu", "DVD Root Menu");
  Button_Color = MakeButton("Button_Color", "Color Controls");
  Button_Option = MakeButton("Button_Option", "Option");
  Button_About = MakeButton("Button_About", "About Kavoro Player");
  // One of the two mute buttons shows at a time; the skin loader picks it.
  Button_MuteOFF->hide();

  VolumeBar = new controls::TVeskoTrackBar(this);
  Configure(VolumeBar, "VolumeBar", kVolumeBarSettings);
  TrackBar = new controls::TVeskoTrackBar(this);
  Configure(TrackBar, "TrackBar", kTrackBarSettings);
  VideoBar = new TVesko_TrackBar(this);
  Configure(VideoBar, "VideoBar", kVideoBarSettings);
  ZoomBar = new controls::TVeskoTrackBar(this);
  Configure(ZoomBar, "ZoomBar", kZoomBarSettings);

  // The play name has a fixed width (the skin's); the other three fit their text.
  Label_PlayName = MakeLabel(this, "Label_PlayName", kInitialPlayName, false);
  Label_PlayState = MakeLabel(this, "Label_PlayState", kStateStopped, true);
  Label_Title = MakeLabel(this, "Label_Title", "Title: 0", true);
  Label_Chapter = MakeLabel(this, "Label_Chapter", "Chapter: 0", true);

  TimePanel = new controls::TImage(this);
  TimePanel->setObjectName(QStringLiteral("TimePanel"));
  // Each windowless control goes beneath the controls made before it; the skin's picture is
  // the backdrop of them all, the clock panel included.
  SkinForm->lower();

  FilterGraph = std::make_unique<TFilterGraph>();
  FilterGraph->SetGraphEdit(false);
  VideoBar->SetFilterGraph(FilterGraph.get());

  ShowFormTimer = std::make_unique<TThreadedTimer>();
  SelectSkinTimer = std::make_unique<TThreadedTimer>();
  for (TThreadedTimer* timer : {ShowFormTimer.get(), SelectSkinTimer.get()}) {
    timer->SetInterval(kSlideIntervalMs);
    timer->SetThreadPriority(tpNormal);
  }
  ShowFormTimer->OnTimer = [this](TThreadedTimer*) { ShowFormTimerTimer(); };
  SelectSkinTimer->OnTimer = [this](TThreadedTimer*) { SelectSkinTimerTimer(); };

  MenuImages = std::make_unique<TMenuImages>();
  BuildMenus();
  BindControls();
  BindGraphEvents();
}

TFrm_Main::~TFrm_Main() {
  // The timers' workers hand ticks to this window: stop them before the members go.
  ShowFormTimer.reset();
  SelectSkinTimer.reset();
  qApp->removeEventFilter(this);
  DetachVideo();
  VideoBar->SetFilterGraph(nullptr);
}

void TFrm_Main::DetachVideo() {
  if (FVideo) {
    FVideo->VideoWindowEx->SetFilterGraph(nullptr);
    FVideo->FilterGraph = nullptr;
    FVideo->OnAddToPlayList = nullptr;
    FVideo->OnPlaySelected = nullptr;
  }
  FVideo = nullptr;
  FColorSet = nullptr;
}

controls::TVeskoImageButton* TFrm_Main::MakeButton(const char* name, const char* hint) {
  auto* button = new controls::TVeskoImageButton(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(QString::fromLatin1(hint));
  FButtons[FButtonCount++] = {name, button};
  return button;
}

controls::TVeskoImageButton* TFrm_Main::ButtonByName(std::string_view name) const {
  for (const auto& [buttonName, button] : FButtons)
    if (buttonName != nullptr && name == buttonName) return button;
  return nullptr;
}

void TFrm_Main::BindControls() {
  auto bind = [](controls::TVeskoImageButton* button, std::function<void()> command) {
    button->OnClick = [command = std::move(command)](QObject*) { command(); };
  };
  bind(Button_Play, [this] { Menu_Video_PlayClick(); });
  bind(Button_Stop, [this] { Menu_Video_StopClick(); });
  bind(Button_Pause, [this] { Menu_Video_PauseClick(); });
  bind(Button_Previous, [this] { Menu_Video_PreviousClick(); });
  bind(Button_Next, [this] { Menu_Video_NextClick(); });
  bind(Button_Forward, [this] { Menu_Video_ForwardClick(); });
  bind(Button_Rewind, [this] { Menu_Video_RewindClick(); });
  bind(Button_Open, [this] { Menu_Main_OpenFileClick(); });
  bind(Button_Close, [this] { Button_CloseClick(); });
  bind(Button_Minimize, [this] { Button_MinimizeClick(); });
  bind(Button_MuteON, [this] { Menu_Main_MuteClick(); });
  bind(Button_MuteOFF, [this] { Menu_Main_MuteClick(); });
  bind(Button_ShowVideo, [this] { Menu_Main_ShowVideoWinClick(); });
  bind(Button_Fullscreen, [this] { Menu_Main_FullscreenClick(); });
  bind(Button_Wallpaper, [this] { Menu_Main_WallpaperClick(); });
  bind(Button_PlayList, [this] { Menu_Main_PlayListClick(); });
  bind(Button_RootMenu, [this] { Menu_Video_RootMenuClick(); });
  bind(Button_Color, [this] { Menu_Video_ColorClick(); });
  bind(Button_Option, [this] { Menu_Main_OptionClick(); });
  bind(Button_About, [this] { Menu_Main_AboutClick(); });
  bind(Button_MainMenu, [this] { Button_MainMenuClick(); });

  VolumeBar->OnChange = [this](QObject*) { VolumeBarChange(); };
  TrackBar->OnChange = [this](QObject*) { TrackBarChange(); };
  ZoomBar->OnChange = [this](QObject*) { ZoomBarChange(); };
  VideoBar->SetOnTimer([this](QObject*, std::uint32_t, std::uint32_t) { VideoBarTimer(); });
  SkinForm->SetPopupMenu(Menu_Main);
  qApp->installEventFilter(this);
}

void TFrm_Main::BindGraphEvents() {
  FilterGraph->OnGraphComplete = [this](TFilterGraph*, HRESULT, IBaseFilter*) {
    FilterGraphGraphComplete();
  };
  FilterGraph->OnGraphErrorAbort = [this](TFilterGraph*, HRESULT hr) { FilterGraphErrorAbort(hr); };
  FilterGraph->OnDVDTitleChange = [this](TFilterGraph*, int title) {
    FilterGraphDVDTitleChange(title);
  };
  FilterGraph->OnDVDChapterStart = [this](TFilterGraph*, int chapter) {
    FilterGraphDVDChapterStart(chapter);
  };
  FilterGraph->OnDVDCurrentHMSFTime = [this](TFilterGraph*, const TDVD_HMSF_TIMECODE& time,
                                             const TDVD_TimeCode&) {
    FilterGraphDVDCurrentHMSFTime(time);
  };
  FilterGraph->OnDVDDiscEjected = [this](TFilterGraph*) { FilterGraphDVDDiscEjected(); };
  const std::pair<TNotifyEvent TFilterGraph::*, TDvdError> errors[] = {
      {&TFilterGraph::OnDVDErrorUnexpected, TDvdError::Unexpected},
      {&TFilterGraph::OnDVDErrorCopyProtectFail, TDvdError::CopyProtectFail},
      {&TFilterGraph::OnDVDErrorInvalidDVD1_0Disc, TDvdError::InvalidDVD1_0Disc},
      {&TFilterGraph::OnDVDErrorInvalidDiscRegion, TDvdError::InvalidDiscRegion},
      {&TFilterGraph::OnDVDErrorLowParentalLevel, TDvdError::LowParentalLevel},
      {&TFilterGraph::OnDVDErrorMacrovisionFail, TDvdError::MacrovisionFail},
      {&TFilterGraph::OnDVDErrorIncompatibleSystemAndDecoderRegions,
       TDvdError::IncompatibleSystemAndDecoderRegions},
      {&TFilterGraph::OnDVDErrorIncompatibleDiscAndDecoderRegions,
       TDvdError::IncompatibleDiscAndDecoderRegions},
  };
  for (const auto& [event, error] : errors)
    (*FilterGraph).*event = [this, error = error](TFilterGraph*) { FilterGraphDVDError(error); };
}

bool TFrm_Main::ClaimWindowClass() {
  FClassClaim = os::Os().WindowClasses().ClaimClass(kMainWindowClass);
  return FClassClaim != nullptr;
}

void TFrm_Main::InstallDecoderFilters() {
  if (FDecodersInstalled) return;
  FDecodersInstalled = true;
  os::RunGuarded([] { InstallDecoders(); });
}

void TFrm_Main::FormCreate() {

  // The louder channel's high byte is the volume bar's level.
  std::uint32_t volume = 0;
  if (os::Os().WaveOut().GetVolume(0, &volume) == os::MMSYSERR_NOERROR) {
    const std::uint32_t left = volume & kChannelMask;
    const std::uint32_t right = (volume >> kChannelBits) & kChannelMask;
    VolumeBar->SetPosition(static_cast<int>(std::max(left, right) >> kHighByteShift));
  }

  ReadSettings();

  DigitStrip = QImage();
  PlayName = kInitialPlayName;
  PlayIndex = -1;
  SpeedChanged = false;
  AtTitleStart = true;

  DriveList = ListOpticalDrives();
  TSettings& settings = Settings();
  if (DriveList.size() > 1 && settings.DefaultDrive.empty()) {
    TFrm_SetDefautDrive dialog;
    dialog.SetDriveList(DriveList);
    dialog.exec();
  } else if (settings.DefaultDrive.empty() && !DriveList.empty()) {
    settings.DefaultDrive = DriveList.front().substr(0, 1);
  }
}

void TFrm_Main::AttachVideo(video::TFrm_Video* video, video::TFrm_ColorSet* colorSet) {
  FVideo = video;
  FColorSet = colorSet;
  if (!video) return;
  video->MainWindow = this;
  video->FilterGraph = FilterGraph.get();
  video->VideoWindowEx->SetFilterGraph(FilterGraph.get());
  video->SetVideoMenu(Menu_Video);
  video->SetPlayListMenu(Menu_PlayListBox);
  video->OnAddToPlayList = [this](const std::string& path) { AddToPlayList(path); };
  video->OnPlaySelected = [this] { Menu_PlayListBox_PlayClick(); };
}

void TFrm_Main::PlaceAndSlideIn() {
  const int screenWidth = os::Os().Screens().ScreenWidth();
  const int screenHeight = os::Os().Screens().ScreenHeight();
  const int videoHeight = FVideo ? FVideo->height() : 0;
  const int videoWidth = FVideo ? FVideo->width() : 0;
  move(screenWidth, screenHeight / 2 + (height() + videoHeight + kWindowGap) / 2 - height());
  if (FVideo) FVideo->move(screenWidth / 2 - videoWidth / 2, -videoHeight);
  show();
  if (FVideo && !FVideo->VideoWindowEx->FullScreen() && !FVideo->VideoWindowEx->DesktopMode())
    FVideo->show();
  activateWindow();
  setFocus();
  ShowFormTimer->SetEnabled(true);
  os::Os().Sound().PlaySound(os::ApplicationFolder() + kSlideSound, os::SND_ASYNC);
}

void TFrm_Main::ShowFormTimerTimer() {
  const int screenWidth = os::Os().Screens().ScreenWidth();
  const int screenHeight = os::Os().Screens().ScreenHeight();
  const int videoHeight = FVideo ? FVideo->height() : 0;
  bool moved = false;
  if (screenWidth / 2 - width() / 2 < x()) {
    move(x() - kMainSlideStep, y());
    moved = true;
  }
  if (FVideo && FVideo->y() < screenHeight / 2 - (height() + videoHeight + kWindowGap) / 2) {
    FVideo->move(FVideo->x(), FVideo->y() + kVideoSlideStep);
    moved = true;
  }
  if (!moved) {
    ShowFormTimer->SetEnabled(false);
    InstallDecoderFilters();
    NotifyStateChange();
  }
}

void TFrm_Main::Button_CloseClick() {
  if (FClosing) return;
  FClosing = true;
  ShowFormTimer->SetEnabled(false);
  SelectSkinTimer->SetEnabled(false);
  if (FVideo && FVideo->VideoWindowEx->DesktopMode()) FVideo->VideoWindowEx->ShowInWindow();
  if (FVideo && FVideo->VideoWindowEx->FullScreen()) FVideo->VideoWindowEx->ShowInWindow();
  FilterGraph->ClearGraph();
  FilterGraph->SetActive(false);
  TrackBar->SetPosition(kBothChannels);
  TrackBarChange();
  // Settings that cannot be saved are said once; the old file stays as it was.
  if (const TSettingsWriteResult written = WriteSettings(); !written) {
    os::Os().Dialogs().MessageBox(written.Reason, kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
  }
  RemoveDecoders();
  if (FColorSet) FColorSet->hide();
  if (FVideo) FVideo->hide();
  hide();
  // exit(), not quit(): a window that refuses to close (the full-screen form) cannot cancel it.
  QCoreApplication::exit(0);
}

void TFrm_Main::closeEvent(QCloseEvent* event) {
  Button_CloseClick();
  event->accept();
}

void TFrm_Main::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  const bool wasMinimised = (change->oldState() & Qt::WindowMinimized) != 0;
  const bool minimised = (windowState() & Qt::WindowMinimized) != 0;
  if (minimised != wasMinimised) WMSysCommand(minimised);
}

void TFrm_Main::WMSysCommand(bool minimised) {
  if (!FVideo || !FVideo->isVisible()) return;
  if (!minimised) {
    FVideo->setWindowState(FVideo->windowState() & ~Qt::WindowMinimized);
    FVideo->show();
  } else if (!FVideo->VideoWindowEx->FullScreen() && !FVideo->VideoWindowEx->DesktopMode()) {
    FVideo->setWindowState(FVideo->windowState() | Qt::WindowMinimized);
  }
}

void TFrm_Main::NotifyStateChange() {
  if (OnStateChange) OnStateChange(this);
}

}  // namespace kavoro::app
