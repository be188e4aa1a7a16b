// Skin selection at run time: the submenu lists the skin folders; choosing one slides both
// windows out, loads the skin while they are out of sight and slides them back in.
//   idle --choose another skin--> sliding out --both windows out--> reload --> sliding in
#include <QAction>
#include <QMenu>

#include "app/Main.h"
#include "app/Settings.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "skin/SkinLoader.h"
#include "util/ThdTimer.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

constexpr const char* kCurrentFolder = ".";
constexpr const char* kParentFolder = "..";

void SayLoadSkinError() {
  os::Os().Dialogs().MessageBox(kLoadSkinError, kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
}

}  // namespace

bool TFrm_Main::SkinSwitching() const { return SelectSkinTimer->Enabled(); }

void TFrm_Main::Menu_Main_SelectSkinsPopup() {
  QMenu* menu = Menu_Main_SelectSkins;
  menu->clear();
  // Hidden and system folders are passed over by the listing itself.
  for (const os::DirEntry& entry :
       os::Os().Drives().ListFolder(os::ApplicationFolder() + skin::kSkinsFolder, false)) {
    if (!entry.IsDirectory() || entry.name == kCurrentFolder || entry.name == kParentFolder) continue;
    QAction* item = menu->addAction(QString::fromStdString(entry.name));
    item->setCheckable(true);
    item->setChecked(entry.name == Settings().SkinName);
    const std::string name = entry.name;
    connect(item, &QAction::triggered, this, [this, name] { SelectSkinClick(name); });
  }
}

void TFrm_Main::SelectSkinClick(const std::string& name) {
  if (name == Settings().SkinName) return;
  if (!os::Os().Drives().DirectoryExists(os::ApplicationFolder() + skin::kSkinsFolder)) {
    SayLoadSkinError();
    // The player ends here, saving the skin it had.
    Button_CloseClick();
    return;
  }
  Settings().SkinName = name;
  SelectSkinTimer->SetEnabled(true);
  os::Os().Sound().PlaySound(os::ApplicationFolder() + kSlideSound, os::SND_ASYNC);
}

void TFrm_Main::SelectSkinTimerTimer() {
  const int screenWidth = os::Os().Screens().ScreenWidth();
  bool moved = false;
  if (x() < screenWidth) {
    move(x() + kMainSlideStep, y());
    moved = true;
  }
  if (FVideo && FVideo->y() + FVideo->height() > 0) {
    FVideo->move(FVideo->x(), FVideo->y() - kVideoSlideStep);
    moved = true;
  }
  if (moved) return;
  SelectSkinTimer->SetEnabled(false);
  // A slide-in still running would pull the windows back while the new skin loads.
  ShowFormTimer->SetEnabled(false);
  if (!FVideo || !skin::LoadSkin(*this, *FVideo, {os::ApplicationFolder(), Settings().SkinName})) {
    Settings().SkinName = kDefaultSkinName;
    SayLoadSkinError();
    // The next start uses the skin "Default".
    Button_CloseClick();
    return;
  }
  PlaceAndSlideIn();
  NotifyStateChange();
}

}  // namespace kavoro::app
