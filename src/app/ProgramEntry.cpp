#include "app/ProgramEntry.h"

#include <QApplication>
#include <QByteArray>

#include "app/Main.h"
#include "app/StateReport.h"
#include "platform/media/MediaFramework.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "skin/SkinLoader.h"
#include "app/Settings.h"
#include "video/ColorSet.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

// The player places and shapes its own windows, which a Wayland session does not let a client
// do: there it runs through the X server of that session.
void PreferX11() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

}  // namespace

int RunPlayer(int argc, char** argv) {
  PreferX11();
  QApplication application(argc, argv);
  // A second start while a player runs ends at once, silently.
  if (os::Os().WindowClasses().FindWindowByClass(kMainWindowClass)) return 0;
  os::SetApplicationTitle(kApplicationTitle);
  media::RegisterMediaFramework();
  media::RegisterDvdPlayback();

  TFrm_Main main;
  // Another start that got here first holds the class.
  if (!main.ClaimWindowClass()) return 0;
  main.FormCreate();
  video::TFrm_Video video;
  video::TFrm_ColorSet colorSet(video.VideoWindowEx);
  main.AttachVideo(&video, &colorSet);
  main.OnStateChange = [](TFrm_Main* window) { ReportState(*window); };

  const std::string skins = os::ApplicationFolder() + skin::kSkinsFolder;
  const bool haveSkins = os::Os().Drives().DirectoryExists(skins);
  bool loaded = haveSkins && skin::LoadSkin(main, video, {os::ApplicationFolder(), Settings().SkinName});
  if (!loaded && haveSkins && Settings().SkinName != kDefaultSkinName) {
    // The saved skin was deleted or damaged since the last run. Ending here would keep the
    // player from ever starting again (the name is saved only at close): the user is told,
    // and the player starts with "Default", the name it then saves.
    os::Os().Dialogs().MessageBox(kLoadSkinError, kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
    Settings().SkinName = kDefaultSkinName;
    loaded = skin::LoadSkin(main, video, {os::ApplicationFolder(), Settings().SkinName});
  }
  if (!loaded) {
    // Neither the settings are written nor the decoders removed: the player never ran.
    os::Os().Dialogs().MessageBox(kLoadSkinError, kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
    main.DetachVideo();
    return 1;
  }
  main.PlaceAndSlideIn();
  ReportState(main);
  const int code = QApplication::exec();
  // The video window and the pop-up go before the main window (they were made after it).
  main.DetachVideo();
  return code;
}

}  // namespace kavoro::app
