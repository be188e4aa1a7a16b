// DVD bookmarks: the navigator's state saved to a file of its own and put back later.
#include <QAction>

#include "app/Main.h"
#include "app/MediaErrorText.h"
#include "media/FilterGraph.h"
#include "platform/media/MediaErrors.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"

namespace kavoro::app {
namespace {

constexpr const char* kBookmarkFilterName = "DVD Bookmark File (*.bmk)";
constexpr const char* kBookmarkPattern = "*.bmk";
constexpr const char* kBookmarkExtension = "bmk";
constexpr const char* kNoDvdPlaying = "A bookmark can be restored only while a DVD plays.";
constexpr const char* kNoAnswer = "The disc did not answer in time; playback goes on where it was.";

os::FileDialogOptions BookmarkDialog(bool save) {
  os::FileDialogOptions options;
  options.filters = {{kBookmarkFilterName, {kBookmarkPattern}}};
  options.defaultExt = kBookmarkExtension;
  options.overwritePrompt = save;
  options.fileMustExist = !save;
  return options;
}


std::string RestoreFailureText(HRESULT result) {
  if (result == E_UNEXPECTED) return kNoDvdPlaying;
  if (result == VFW_E_TIMEOUT) return kNoAnswer;
  // The storage's answer for a file that exists but holds no storage at all.
  if (result == STG_E_FILEALREADYEXISTS) return MediaErrorText(STG_E_INVALIDHEADER);
  return MediaErrorText(result);
}

}  // namespace

void TFrm_Main::Menu_Video_BookmarksPopup() {
  MenuItem("Menu_Video_SaveBookmark")->setEnabled(FilterGraph->Active() && FilterGraph->Mode() == gmDVD);
  MenuItem("Menu_Video_RestoreBookmark")
      ->setEnabled(os::Os().Drives().FileExists(os::ApplicationFolder() + kDefaultBookmark));
}

void TFrm_Main::Menu_Video_SaveBookmarkClick() {
  const auto file = os::Os().Dialogs().SaveFile(BookmarkDialog(true));
  if (!file) return;
  // The old file is replaced only by a complete new one, so it is not deleted first.
  const HRESULT saved = FilterGraph->SaveDvdBookmark(*file);
  if (FAILED(saved)) {
    os::Os().Dialogs().MessageBox("The bookmark could not be saved to \"" + *file + "\".\n" + MediaErrorText(saved), kMainWindowCaption,
                                  os::MB_OK | os::MB_ICONWARNING);
  }
}

void TFrm_Main::Menu_Video_RestoreBookmarkClick() {
  const auto files = os::Os().Dialogs().OpenFiles(BookmarkDialog(false));
  if (!files || files->empty()) return;
  Menu_Video_PlayClick();
  const HRESULT restored = FilterGraph->RestoreDvdBookmark(files->front());
  if (FAILED(restored)) {
    os::Os().Dialogs().MessageBox("The bookmark \"" + files->front() + "\" could not be restored.\n" +
                                      RestoreFailureText(restored),
                                  kMainWindowCaption, os::MB_OK | os::MB_ICONWARNING);
  }
  NotifyStateChange();
}

}  // namespace kavoro::app
