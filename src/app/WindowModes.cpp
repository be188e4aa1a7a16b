// Window modes and input: the video window shown or hidden, full screen, desktop playback,
// the play-list panel, mute, colour, options, About, help, minimise and the keys.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>

#include "app/About.h"
#include "app/DialogLook.h"
#include "app/HelpFile.h"
#include "app/Label.h"
#include "app/Main.h"
#include "app/Option.h"
#include "controls/VeskoImageButton.h"
#include "media/FilterGraph.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "system/MasterMute.h"
#include "video/ColorSet.h"
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

// The length of "DVD Playing" at the start of the DVD play-state texts.
constexpr int kDvdPlayingLength = 11;

}  // namespace

TWindowMode TFrm_Main::WindowMode() const {
  if (!FVideo) return TWindowMode::wmNormal;
  if (FVideo->VideoWindowEx->FullScreen()) return TWindowMode::wmFullScreen;
  if (FVideo->VideoWindowEx->DesktopMode()) return TWindowMode::wmDesktop;
  return TWindowMode::wmNormal;
}

void TFrm_Main::Menu_Main_ShowVideoWinClick() {
  if (!FVideo) return;
  if (FilterGraph->Active() && WindowMode() != TWindowMode::wmNormal) return;
  FVideo->setVisible(!FVideo->isVisible());
}

void TFrm_Main::Menu_Main_FullscreenClick() {
  if (!VideoPanelVisible()) return;
  if (WindowMode() == TWindowMode::wmDesktop) Menu_Main_WallpaperClick();
  video::TDSVideoWindowEx2* control = FVideo->VideoWindowEx;
  if (control->FullScreen()) {
    control->ShowInWindow();
    FVideo->show();
  } else {
    FVideo->hide();
    control->ShowFullScreen();
  }
  NotifyStateChange();
}

void TFrm_Main::Menu_Main_WallpaperClick() {
  if (!VideoPanelVisible()) return;
  if (WindowMode() == TWindowMode::wmFullScreen) Menu_Main_FullscreenClick();
  video::TDSVideoWindowEx2* control = FVideo->VideoWindowEx;
  if (control->DesktopMode()) {
    control->ShowInWindow();
    FVideo->show();
  } else {
    control->ShowOnDesktop();
    FVideo->hide();
    setWindowState(windowState() | Qt::WindowMinimized);
  }
  os::Os().Shell().ChangeNotify(os::SHCNE_ASSOCCHANGED, os::SHCNF_FLUSH);
  NotifyStateChange();
}

bool TFrm_Main::PlayListShown() const { return FVideo && !FVideo->PlayListPanel->isHidden(); }

void TFrm_Main::Menu_Main_PlayListClick() {
  if (!FVideo || WindowMode() != TWindowMode::wmNormal) return;
  FVideo->PlayListPanel->setVisible(FVideo->PlayListPanel->isHidden());
  NotifyStateChange();
}

void TFrm_Main::Menu_Main_MuteClick() {
  SetLineMute(mlSpeakers, !GetLineMute(mlSpeakers));
  // The buttons' own state: a window out of sight makes every child read invisible.
  Button_MuteON->setVisible(Button_MuteON->isHidden());
  Button_MuteOFF->setVisible(Button_MuteOFF->isHidden());
}

void TFrm_Main::Menu_Video_ColorClick() {
  if (VideoPanelVisible() && FColorSet) FColorSet->show();
}

void TFrm_Main::Menu_Main_OptionClick() {
  TFrm_Option dialog(this);
  dialog.SetDriveList(DriveList);
  dialog.exec();
}

void TFrm_Main::Menu_Main_AboutClick() {
  TFrm_About about(this);
  TDialogLook::PlayShowSound();
  about.exec();
}

void TFrm_Main::Menu_Main_HelpClick() {
  os::Os().Shell().ShellExecute("open", os::ApplicationFolder() + kHelpFileName, "", "", os::SW_SHOWNORMAL);
}

void TFrm_Main::Button_MainMenuClick() { Menu_Main->popup(QCursor::pos()); }

void TFrm_Main::Button_MinimizeClick() {
  setWindowState(windowState() | Qt::WindowMinimized);
  if (FVideo) FVideo->setWindowState(FVideo->windowState() | Qt::WindowMinimized);
}

bool TFrm_Main::ApplicationEventsKeyDown(int key) {
  // A minimised main window still counts as visible.
  if (!isVisible()) return false;
  const QString state = Label_PlayState->Caption();
  switch (key) {
    case Qt::Key_Space:
      if (state == kStatePlaying || state.left(kDvdPlayingLength) == kStateDvdPlaying) {
        Menu_Video_PauseClick();
        return true;
      }
      if (state == kStatePause) {
        Menu_Video_PlayClick();
        return true;
      }
      return false;
    case Qt::Key_Escape:
      if (WindowMode() != TWindowMode::wmFullScreen) return false;
      Menu_Main_FullscreenClick();
      return true;
    case Qt::Key_F1:
      Menu_Main_HelpClick();
      return true;
    default:
      return false;
  }
}

bool TFrm_Main::eventFilter(QObject* watched, QEvent* event) {
  // Every key press of the application, whichever of its windows it is for; the window
  // system's own delivery to the top-level window is passed over so a key counts once.
  // Keys meant for an open menu or dialog stay theirs: Escape closes the menu, Space types a
  // space in a file name.
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      !QApplication::activePopupWidget() && !QApplication::activeModalWidget()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (ApplicationEventsKeyDown(key->key())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kavoro::app
