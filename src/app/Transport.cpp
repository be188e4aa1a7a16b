// Transport: opening files, discs and Video CDs, Play, Stop, Pause, the DVD speeds, volume and
// balance, zoom, the clock for files and moving on through the play list.
#include <QAction>
#include <QListWidget>

#include <cmath>
#include <cstdio>

#include "app/Label.h"
#include "app/Main.h"
#include "app/MediaErrorText.h"
#include "app/Settings.h"
#include "controls/VeskoTrackBar.h"
#include "media/FilterGraph.h"
#include "media/Vesko_TrackBar.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdCmd.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/os/Platform.h"
#include "skin/TimeDisplay.h"
#include "system/DecoderInstall.h"
#include "system/DriveScan.h"
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

constexpr int kVolumeSteps = 15;        // the channel level runs 0..15
constexpr int kVolumeBarTop = 255;
constexpr std::uint32_t kVolumeStepValue = 0x1111;
constexpr int kVolumeBarScale = 256;     // the volume bar's level to a 16-bit channel value
constexpr int kLeftChannel = 0;
constexpr int kRightChannel = 2;
constexpr int kChannelShift = 16;
constexpr long long kUnitsPerSecond = 10'000'000;  // 100-ns units

void ShowError(const std::string& text) {
  os::Os().Dialogs().MessageBox(text, kErrorCaption, os::MB_OK);
}

}  // namespace

double RateOfSpeedTag(int tag) {
  const int index = std::abs(tag) - 1;
  if (index < 0 || index >= kSpeedCount) return 1.0;
  return kSpeedRates[static_cast<std::size_t>(index)];
}

std::string DvdPlayingText(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%s %.1fX", kStateDvdPlaying, rate);
  return text;
}

std::string SpeedCaption(int tag) {
  char text[32];
  std::snprintf(text, sizeof text, "%s %.1fX", tag > 0 ? "Forward" : "Rewind", RateOfSpeedTag(tag));
  return text;
}

std::uint32_t ChannelVolume(int volumeBarPosition, int trackBarPosition) {
  const std::uint32_t level =
      static_cast<std::uint32_t>(volumeBarPosition * kVolumeSteps / kVolumeBarTop);
  const std::uint32_t value = level * kVolumeStepValue;
  const std::uint32_t left = trackBarPosition == kRightChannel ? 0 : value;
  const std::uint32_t right = trackBarPosition == kLeftChannel ? 0 : value;
  return left | (right << kChannelShift);
}

std::string FormatClock(long long seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%2.2lld:%2.2lld:%2.2lld", seconds / kSecondsPerHour,
                (seconds % kSecondsPerHour) / kSecondsPerMinute, seconds % kSecondsPerMinute);
  return text;
}

std::string TPlayListItem::FullPath() const { return WithTrailingSeparator(FilePath) + FileName; }

// The panel's own visibility: it stays "visible" while its window is hidden for full screen or
// desktop playback.
bool TFrm_Main::VideoPanelVisible() const { return FVideo && !FVideo->VideoPanel->isHidden(); }

ComPtr<IDvdControl2> TFrm_Main::DvdControl() { return FilterGraph->Query<IDvdControl2>(); }
ComPtr<IDvdInfo2> TFrm_Main::DvdInfo() { return FilterGraph->Query<IDvdInfo2>(); }

bool TFrm_Main::PlayFile(const std::string& path) {
  InstallDecoderFilters();
  FilterGraph->SetMode(gmNormal);
  if (!FilterGraph->Active()) FilterGraph->SetActive(true);
  FilterGraph->ClearGraph();
  const HRESULT rendered = FilterGraph->RenderFile(path);
  // A file that cannot be rendered must not leave the player saying "Playing" over nothing.
  if (FAILED(rendered)) {
    FLastFailure = rendered;
    return false;
  }
  FilterGraph->Play();
  if (FVideo) FVideo->VideoPanel->show();
  Label_PlayState->SetCaption(QString::fromLatin1(kStatePlaying));
  PlayName = TPlayListItem::FromPath(path).FileName;
  skin::ShowPlayName(*this, PlayName);
  VideoBar->SetPosition(0);
  SpeedChanged = false;
  NotifyStateChange();
  return true;
}

void TFrm_Main::PlayPlayListLine(int index) {
  const TPlayListItem* item = PlayListItem(index);
  if (!item) return;
  SelectPlayListLine(index);
  CurrentItem = *item;
  const std::string path = item->FullPath();
  if (PlayFile(path)) {
    FFailedInARow = 0;
    PlayIndex = index;
    NotifyStateChange();
    return;
  }
  PlayIndex = index;
  SkipUnplayable(index, path, MediaErrorText(FLastFailure));
}

void TFrm_Main::SkipUnplayable(int index, const std::string& path, const std::string& reason) {
  os::Os().Dialogs().MessageBox("Cannot play \"" + TPlayListItem::FromPath(path).FileName + "\".\n" + reason,
                                kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
  // Every line tried once without success: the list holds nothing playable.
  ++FFailedInARow;
  const int count = PlayListCount();
  for (int step = 1; step < count && FFailedInARow < count; ++step) {
    const int next = (index + step) % count;
    const TPlayListItem* item = PlayListItem(next);
    if (!item || !item->Playable) {
      ++FFailedInARow;
      continue;
    }
    PlayPlayListLine(next);
    return;
  }
  FFailedInARow = 0;
  Menu_Video_StopClick();
}

void TFrm_Main::PlayDrive(char letter) {
  const std::string drive(1, letter);
  switch (DiscKindOf(letter)) {
    case dkDvdVideo: {
      Menu_Video_StopClick();
      ClearPlayList();
      AddPlayListLine({kDvdPlayNamePrefix + drive + ":", drive + kDvdVolumeFolder, false});
      FilterGraph->ClearGraph();
      FilterGraph->SetActive(false);
      PlayDVD(drive + kDvdVolumePath);
      // A disc that failed to open was stopped again, and its line went with it.
      if (PlayListCount() > 0) PlayIndex = 0;
      NotifyStateChange();
      break;
    }
    case dkVideoCd: {
      Menu_Video_StopClick();
      ClearPlayList();
      const std::string folder = drive + kVideoCdFolder;
      for (const os::DirEntry& entry : os::Os().Drives().ListFolder(folder, false))
        if (!entry.IsDirectory()) AddPlayListLine({entry.name, folder, true});
      // A Video CD without files has nothing to play.
      if (PlayListCount() == 0) return;
      PlayPlayListLine(0);
      break;
    }
    default:
      break;
  }
}

void TFrm_Main::PlayDVD(const std::string& path) {
  InstallDecoderFilters();
  FilterGraph->SetMode(gmDVD);
  FilterGraph->SetActive(true);
  AM_DVD_RENDERSTATUS status;
  const HRESULT rendered = FilterGraph->RenderDvd(&status, path, AM_DVD_HWDEC_PREFER);
  if (rendered == S_OK) {
    FilterGraph->Play();
    if (auto control = DvdControl()) {
      control->SetOption(DVD_NotifyParentalLevelChange, 0);
      control->SetOption(DVD_HMSF_TimeCodeEvents, 1);
    }
  } else {
    if (rendered == S_FALSE) {
      if (status.hrVPEStatus != S_OK) ShowError(MediaErrorText(status.hrVPEStatus));
      if (status.bDvdVolInvalid) ShowError("The specified DVD volume to be played does not exist.");
      if (status.bDvdVolUnknown) ShowError("No DVD volume is specified or isn't found.");
      if (status.bNoLine21In) ShowError("The video decoder doesn't produce line 21 (closed captioning) data.");
      if (status.bNoLine21Out)
        ShowError("The video decoder can't be shown as closed captioning on video due to a problem with graph building.");
      if (status.iNumStreamsFailed > 0) ShowError("Can't render one or more stream.");
    } else if (rendered == VFW_E_DVD_RENDERFAIL) {
      ShowError("Some basic error occurred in building the graph.\rPossibilities include the DVD Navigator filter or the video or audio renderer not instantiating,\ra trivial connection or pin enumeration failing, or none of the streams rendering.");
    } else if (rendered == VFW_E_DVD_DECNOTENOUGH) {
      ShowError("There isn't enough hardware or software decoders to decode all streams.");
    } else if (rendered == E_INVALIDARG) {
      ShowError("Invalid Argument.");
    } else {
      // Any other failure is said too, rather than leaving the user with a silent stop.
      ShowError(MediaErrorText(rendered));
    }
    FilterGraph->ClearGraph();
    Menu_Video_StopClick();
    return;
  }
  Menu_Video_SelectSpeedClick(kNormalSpeedTag);
  if (auto control = DvdControl()) {
    ComPtr<IDvdCmd> command;
    control->SetSubpictureState(1, DVD_CMD_FLAG_None, command.Put());
  }
  SubtitleShown = true;
  if (auto control = DvdControl()) {
    ComPtr<IDvdCmd> command;
    if (Settings().SkipIntro) {
      control->PlayTitle(1, DVD_CMD_FLAG_None, command.Put());
      AtTitleStart = false;
    } else {
      control->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, command.Put());
      AtTitleStart = true;
    }
  }
  if (FVideo) {
    FVideo->VideoPanel->show();
    FVideo->VideoWindowEx->ShowInWindow();
  }
  PlayName = kDvdPlayNamePrefix + path.substr(0, 1) + ":";
  skin::ShowPlayName(*this, PlayName);
  VideoBar->SetPosition(0);
  NotifyStateChange();
}

void TFrm_Main::Menu_Video_PlayClick() {
  if (FilterGraph->Active() && VideoPanelVisible()) {
    if (SpeedChanged && FilterGraph->Mode() == gmDVD) {
      Menu_Video_SelectSpeedClick(kNormalSpeedTag);
      return;
    }
    FilterGraph->Play();
    FVideo->VideoPanel->show();
    if (FilterGraph->Mode() == gmDVD) {
      for (QAction* item : FSpeedItems) {
        if (!item->isChecked()) continue;
        const QString caption = item->text();
        Label_PlayState->SetCaption(QString::fromLatin1(kStateDvdPlaying) + " " + caption.right(4));
      }
    } else {
      Label_PlayState->SetCaption(QString::fromLatin1(kStatePlaying));
    }
    NotifyStateChange();
    return;
  }
  const std::string& drive = Settings().DefaultDrive;
  if (drive.empty()) return;
  if (DiscStateOf(os::DriveRoot(drive.front())) == kDiscPresent) PlayDrive(drive.front());
}

void TFrm_Main::Menu_Video_StopClick() {
  if (!FilterGraph->Active()) return;
  if (FVideo && FVideo->VideoWindowEx->FullScreen()) Menu_Main_FullscreenClick();
  if (FVideo && FVideo->VideoWindowEx->DesktopMode()) Menu_Main_WallpaperClick();
  FilterGraph->Stop();
  VideoBar->SetPosition(0);
  FilterGraph->SetActive(false);
  FilterGraph->ClearGraph();
  if (FVideo) FVideo->VideoPanel->hide();
  PlayName = kInitialPlayName;
  Label_PlayName->SetCaption(QString::fromLatin1(kInitialPlayName));
  skin::ShowTime(*this, kZeroTime);
  Label_PlayState->SetCaption(QString::fromLatin1(kStateStopped));
  Label_Title->SetCaption(QString::fromLatin1(kTitleLabelPrefix) + "0");
  Label_Chapter->SetCaption(QString::fromLatin1(kChapterLabelPrefix) + "0");
  if (FilterGraph->Mode() == gmDVD && PlayListCount() > 0) DeletePlayListLine(0);
  PlayIndex = -1;
  RestoreVideoSkinSize();
  SpeedChanged = false;
  NotifyStateChange();
}

void TFrm_Main::RestoreVideoSkinSize() {
  if (!FVideo) return;
  video::TFrm_Video& v = *FVideo;
  v.resize(v.Image_Main->Picture().Width() + v.Image_Left->width() + v.Image_Right->width(),
           v.Image_Main->Picture().Height() + v.Image_Top_Center->height() +
               v.Image_Bottom_Center->height());
  v.FormResize();
}

void TFrm_Main::Menu_Video_PauseClick() {
  if (!FilterGraph->Active()) return;
  FilterGraph->Pause();
  Label_PlayState->SetCaption(QString::fromLatin1(kStatePause));
  SpeedChanged = false;
  NotifyStateChange();
}

void TFrm_Main::Menu_Video_ForwardClick() { Menu_Video_SelectSpeedClick(kFastSpeedTag); }
void TFrm_Main::Menu_Video_RewindClick() { Menu_Video_SelectSpeedClick(-kFastSpeedTag); }

void TFrm_Main::SetSpeedChecked(int tag) {
  for (QAction* item : FSpeedItems) item->setChecked(item->data().toInt() == tag);
}

void TFrm_Main::Menu_Video_SelectSpeedClick(int tag) {
  if (!FilterGraph->Active() || FilterGraph->Mode() != gmDVD) return;
  const double rate = RateOfSpeedTag(tag);
  if (auto control = DvdControl()) {
    ComPtr<IDvdCmd> command;
    if (tag > 0)
      control->PlayForwards(rate, DVD_CMD_FLAG_None, command.Put());
    else
      control->PlayBackwards(rate, DVD_CMD_FLAG_None, command.Put());
  }
  // A speed (and a chapter step, which returns to normal speed) chosen while paused plays:
  // the label says "DVD Playing", so the graph must run.
  if (FilterGraph->GraphState() != State_Running) FilterGraph->Play();
  SpeedChanged = tag != kNormalSpeedTag;
  SetSpeedChecked(tag);
  Label_PlayState->SetCaption(QString::fromStdString(DvdPlayingText(rate)));
  NotifyStateChange();
}

void TFrm_Main::Menu_Video_NextClick() {
  if (PlayListCount() == 0 || !FilterGraph->Active()) return;
  if (FilterGraph->Mode() == gmDVD) {
    auto control = DvdControl();
    if (!control) return;
    ComPtr<IDvdCmd> command;
    if (AtTitleStart) {
      control->PlayTitle(1, DVD_CMD_FLAG_None, command.Put());
      AtTitleStart = false;
    } else {
      control->PlayNextChapter(DVD_CMD_FLAG_None, command.Put());
    }
    Menu_Video_SelectSpeedClick(kNormalSpeedTag);
    return;
  }
  if (PlayIndex >= PlayListCount() - 1) return;
  const int next = PlayListSelected() + 1;
  if (next < PlayListCount()) PlayPlayListLine(next);
}

void TFrm_Main::Menu_Video_PreviousClick() {
  if (PlayListCount() == 0 || !FilterGraph->Active()) return;
  if (FilterGraph->Mode() == gmDVD) {
    auto control = DvdControl();
    if (!control) return;
    ComPtr<IDvdCmd> command;
    control->PlayPrevChapter(DVD_CMD_FLAG_None, command.Put());
    Menu_Video_SelectSpeedClick(kNormalSpeedTag);
    return;
  }
  if (PlayIndex <= 0) return;
  const int previous = PlayListSelected() - 1;
  if (previous >= 0) PlayPlayListLine(previous);
}

void TFrm_Main::FilterGraphGraphComplete() {
  if (FilterGraph->Mode() != gmNormal || PlayListCount() == 0) return;
  const int last = PlayListCount() - 1;
  if (PlayIndex == last) {
    PlayPlayListLine(0);
  } else if (PlayIndex < last) {
    const int next = PlayListSelected() + 1;
    if (next <= last) PlayPlayListLine(next);
  }
}

void TFrm_Main::FilterGraphErrorAbort(HRESULT result) {
  if (!FilterGraph->Active()) return;
  // The graph gave up on its way: a file goes on to the next line, a disc stops.
  if (FilterGraph->Mode() == gmNormal && PlayIndex >= 0 && PlayListItem(PlayIndex)) {
    SkipUnplayable(PlayIndex, PlayListItem(PlayIndex)->FullPath(), MediaErrorText(result));
    return;
  }
  ShowError(MediaErrorText(result));
  Menu_Video_StopClick();
}

void TFrm_Main::VolumeBarChange() {
  const auto level = static_cast<std::uint32_t>(VolumeBar->Position() * kVolumeBarScale);
  os::Os().WaveOut().SetVolume(0, level | (level << kChannelShift));
  TrackBarChange();
}

void TFrm_Main::TrackBarChange() {
  os::Os().WaveOut().SetVolume(0, ChannelVolume(VolumeBar->Position(), TrackBar->Position()));
}

void TFrm_Main::ZoomBarChange() {
  if (FVideo) FVideo->VideoWindowEx->SetDigitalZoom(ZoomBar->Position());
}

void TFrm_Main::VideoBarTimer() {
  auto seeking = FilterGraph->Query<IMediaSeeking>();
  if (!seeking) return;
  LONGLONG position = 0;
  if (FAILED(seeking->GetCurrentPosition(&position))) return;
  skin::ShowTime(*this, FormatClock(position / kUnitsPerSecond));
}

}  // namespace kavoro::app
