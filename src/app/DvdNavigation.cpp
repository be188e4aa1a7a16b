// DVD navigation: the disc's root and title menus, the subtitle and audio submenus built from
// what the disc reports, and the navigator's title, chapter, time, error and eject events.
#include <QAction>
#include <QMenu>

#include "app/Label.h"
#include "app/Main.h"
#include "media/FilterGraph.h"
#include "media/Vesko_TrackBar.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdCmd.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/Platform.h"
#include "skin/TimeDisplay.h"
#include "system/LanguageNames.h"
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

constexpr const char* kDisplaySubtitles = "Display subtitles";
// The seek bar's length when the title's length is unknown or under a second.
constexpr int kUnknownTitleLength = 1;

// What the user is told when the navigator gives up on the disc.
constexpr const char* kDvdErrorTexts[] = {
    "The disc could not be read; playback has stopped.",
    "The disc is copy protected and could not be played.",
    "The disc does not follow the DVD-Video format and could not be played.",
    "The disc is not meant for this player's region.",
    "The parental level is too low for this disc.",
    "The disc's analogue copy protection could not be set up.",
    "The player's region does not match the decoder's.",
    "The disc's region does not match the decoder's.",
};
static_assert(std::size(kDvdErrorTexts) ==
              static_cast<std::size_t>(TFrm_Main::TDvdError::IncompatibleDiscAndDecoderRegions) + 1);

}  // namespace

void TFrm_Main::Menu_Video_RootMenuClick() {
  if (!FilterGraph->Active() || FilterGraph->Mode() != gmDVD) return;
  auto control = DvdControl();
  if (!control) return;
  ComPtr<IDvdCmd> command;
  control->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, command.Put());
  AtTitleStart = true;
}

void TFrm_Main::Menu_Video_TitleMenuClick() {
  if (!FilterGraph->Active()) return;
  auto control = DvdControl();
  if (!control) return;
  ComPtr<IDvdCmd> command;
  control->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, command.Put());
  AtTitleStart = true;
}

void TFrm_Main::Menu_Video_SelectSubPopup() {
  auto info = DvdInfo();
  if (!info) return;
  QMenu* menu = Menu_Video_SelectSub;
  menu->clear();
  QAction* display = menu->addAction(QString::fromLatin1(kDisplaySubtitles));
  display->setCheckable(true);
  display->setChecked(SubtitleShown);
  connect(display, &QAction::triggered, this, [this] { DisplaySubtitlesClick(); });
  menu->addSeparator();
  ULONG count = 0, current = 0;
  BOOL disabled = 0;
  if (FAILED(info->GetCurrentSubpicture(&count, &current, &disabled))) count = 0;
  for (ULONG i = 0; i < count; ++i) {
    LCID language = 0;
    if (FAILED(info->GetSubpictureLanguage(i, &language)) || language == 0) continue;
    QAction* item = menu->addAction(QString::fromStdString(LanguageName(language)));
    item->setCheckable(true);
    item->setChecked(i == current);
    item->setData(static_cast<int>(i));
    const int stream = static_cast<int>(i);
    connect(item, &QAction::triggered, this, [this, stream] { SubtitleItemClick(stream); });
  }
}

void TFrm_Main::Menu_Video_SelectAudioPopup() {
  auto info = DvdInfo();
  if (!info) return;
  QMenu* menu = Menu_Video_SelectAudio;
  menu->clear();
  ULONG count = 0, current = 0;
  if (FAILED(info->GetCurrentAudio(&count, &current))) count = 0;
  bool currentListed = false;
  for (ULONG i = 0; i < count; ++i) {
    LCID language = 0;
    if (FAILED(info->GetAudioLanguage(i, &language)) || language == 0) continue;
    QAction* item = menu->addAction(QString::fromStdString(LanguageName(language)));
    item->setCheckable(true);
    item->setChecked(i == current);
    currentListed = currentListed || i == current;
    item->setData(static_cast<int>(i));
    const int stream = static_cast<int>(i);
    connect(item, &QAction::triggered, this, [this, stream] { AudioItemClick(stream); });
  }
  if (!currentListed && !menu->actions().isEmpty()) menu->actions().front()->setChecked(true);
}

void TFrm_Main::DisplaySubtitlesClick() {
  auto control = DvdControl();
  if (!control) return;
  ComPtr<IDvdCmd> command;
  control->SetSubpictureState(SubtitleShown ? 0 : 1, DVD_CMD_FLAG_None, command.Put());
  SubtitleShown = !SubtitleShown;
}

void TFrm_Main::SubtitleItemClick(int stream) {
  auto control = DvdControl();
  if (!control) return;
  ComPtr<IDvdCmd> command;
  control->SelectSubpictureStream(static_cast<ULONG>(stream), DVD_CMD_FLAG_None, command.Put());
  ComPtr<IDvdCmd> shown;
  control->SetSubpictureState(1, DVD_CMD_FLAG_None, shown.Put());
}

void TFrm_Main::AudioItemClick(int stream) {
  auto control = DvdControl();
  if (!control) return;
  ComPtr<IDvdCmd> command;
  control->SelectAudioStream(static_cast<ULONG>(stream), DVD_CMD_FLAG_None, command.Put());
}

void TFrm_Main::UpdateTitleLength() {
  int length = 0;
  if (auto info = DvdInfo()) {
    DVD_HMSF_TIMECODE total{};
    ULONG flags = 0;
    if (SUCCEEDED(info->GetTotalTitleTime(&total, &flags)))
      length = ClockSeconds(total.bHours, total.bMinutes, total.bSeconds);
  }
  VideoBar->SetMax(length == 0 ? kUnknownTitleLength : length);
}

void TFrm_Main::FilterGraphDVDTitleChange(int title) {
  if (FVideo && FVideo->VideoWindowEx->DesktopMode()) FVideo->VideoWindowEx->update();
  Label_Title->SetCaption(QString::fromLatin1(kTitleLabelPrefix) + QString::number(title));
  UpdateTitleLength();
  NotifyStateChange();
}

void TFrm_Main::FilterGraphDVDChapterStart(int chapter) {
  Label_Chapter->SetCaption(QString::fromLatin1(kChapterLabelPrefix) + QString::number(chapter));
  UpdateTitleLength();
  NotifyStateChange();
}

void TFrm_Main::FilterGraphDVDCurrentHMSFTime(const TDVD_HMSF_TIMECODE& time) {
  const int seconds = ClockSeconds(time.bHours, time.bMinutes, time.bSeconds);
  const std::string text = FormatClock(seconds);
  skin::ShowTime(*this, text);
  if (!VideoBar->Tracking() && !VideoBar->Dragging()) VideoBar->SetPosition(seconds);
  // Rewinding into the start of a title, or a changed speed in its first second, ends at normal
  // speed.
  if (VideoBar->Position() == 0 && SpeedChanged) Menu_Video_SelectSpeedClick(kNormalSpeedTag);
  AtTitleStart = text == kZeroTime;
}

// The volume went away under the navigator (a disc taken out, a bound image deleted): the
// player stops, as Stop does; Play opens the disc again once it is back.
void TFrm_Main::FilterGraphDVDDiscEjected() {
  if (!FilterGraph->Active() || FilterGraph->Mode() != gmDVD) return;
  Menu_Video_StopClick();
}

// The navigator stopped on an error of the disc: said once, then the stopped state.
void TFrm_Main::FilterGraphDVDError(TDvdError error) {
  if (!FilterGraph->Active() || FilterGraph->Mode() != gmDVD) return;
  os::Os().Dialogs().MessageBox(kDvdErrorTexts[static_cast<std::size_t>(error)], kErrorCaption, os::MB_OK);
  Menu_Video_StopClick();
}

}  // namespace kavoro::app
