// The play list on the video window: its lines carry their records; files reach it through
// Open File, Add File, drops on the video window and disc openings.
#include <QListWidget>
#include <QListWidgetItem>
#include <QDir>
#include <QStandardPaths>

#include "app/Main.h"
#include "media/FilterGraph.h"
#include "platform/os/Platform.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

// A line of the list and the record it carries; the list owns both.
class TPlayListLine : public QListWidgetItem {
 public:
  explicit TPlayListLine(TPlayListItem item)
      : QListWidgetItem(QString::fromStdString(item.FileName)), Item(std::move(item)) {}
  TPlayListItem Item;
};

// The dialog starts in the folder of the last file opened, else in the user's videos folder.
os::FileDialogOptions OpenDialog(const std::string& lastFolder) {
  static const os::FileDialogOptions options = [] {
    os::FileDialogOptions o;
    o.filters = {
        {"Video File (*.VOB; *.AVI; *.MPG; *.MPEG; *.ASF; *.WMV; *.MOV)",
         {"*.VOB", "*.AVI", "*.MPG", "*.MPEG", "*.ASF", "*.WMV", "*.MOV"}},
        {"Audio File (*.MP3; *.WAV; *.RMI; *.MID)", {"*.MP3", "*.WAV", "*.RMI", "*.MID"}},
        {"All File (*.*)", {"*"}},
    };
    o.allowMultiSelect = true;
    o.fileMustExist = true;
    return o;
  }();
  os::FileDialogOptions o = options;
  o.initialDir = lastFolder;
  if (o.initialDir.empty()) {
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    o.initialDir = (QDir(videos).exists() ? videos : QDir::homePath()).toStdString();
  }
  return o;
}


}  // namespace

TPlayListItem TPlayListItem::FromPath(const std::string& path) {
  const auto cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return {path, std::string(), true};
  return {path.substr(cut + 1), path.substr(0, cut + 1), true};
}

int TFrm_Main::PlayListCount() const { return FVideo ? FVideo->PlayListBox->count() : 0; }

const TPlayListItem* TFrm_Main::PlayListItem(int index) const {
  if (!FVideo || index < 0 || index >= PlayListCount()) return nullptr;
  return &static_cast<const TPlayListLine*>(FVideo->PlayListBox->item(index))->Item;
}

int TFrm_Main::PlayListSelected() const { return FVideo ? FVideo->PlayListBox->currentRow() : -1; }

void TFrm_Main::AddPlayListLine(const TPlayListItem& item) {
  if (FVideo) FVideo->PlayListBox->addItem(new TPlayListLine(item));
}

void TFrm_Main::ClearPlayList() {
  if (FVideo) FVideo->PlayListBox->clear();
}

void TFrm_Main::SelectPlayListLine(int index) {
  if (FVideo) FVideo->PlayListBox->setCurrentRow(index);
}

void TFrm_Main::DeletePlayListLine(int index) {
  if (FVideo) delete FVideo->PlayListBox->takeItem(index);
}

void TFrm_Main::Menu_Main_OpenFileClick() {
  const auto files = os::Os().Dialogs().OpenFiles(OpenDialog(FOpenFolder));
  if (!files || files->empty()) return;
  FOpenFolder = TPlayListItem::FromPath(files->front()).FilePath;
  Menu_Video_StopClick();
  ClearPlayList();
  // Only the first of several chosen files is listed and played.
  AddPlayListLine(TPlayListItem::FromPath(files->front()));
  PlayPlayListLine(0);
  NotifyStateChange();
}

void TFrm_Main::Menu_PlayListBox_PlayClick() {
  if (PlayListCount() == 0) return;
  const int selected = PlayListSelected();
  const TPlayListItem* item = PlayListItem(selected);
  if (!item) return;
  CurrentItem = *item;
  if (!item->Playable) return;
  Menu_Video_StopClick();
  PlayPlayListLine(selected);
}

void TFrm_Main::Menu_PlayListBox_AddClick() {
  const auto files = os::Os().Dialogs().OpenFiles(OpenDialog(FOpenFolder));
  if (!files || files->empty()) return;
  FOpenFolder = TPlayListItem::FromPath(files->front()).FilePath;
  for (const std::string& file : *files) AddPlayListLine(TPlayListItem::FromPath(file));
  if (PlayListCount() == static_cast<int>(files->size())) SelectPlayListLine(0);
  NotifyStateChange();
}

void TFrm_Main::AddToPlayList(const std::string& path) {
  AddPlayListLine(TPlayListItem::FromPath(path));
  NotifyStateChange();
}

void TFrm_Main::Menu_PlayListBox_RemoveClick() {
  const int selected = PlayListSelected();
  if (selected < 0 || selected >= PlayListCount()) return;
  if (selected == PlayIndex) Menu_Video_StopClick();
  const int count = PlayListCount();
  // Stopping a DVD took its line away already.
  if (selected >= count) return;
  if (count == 1) {
    DeletePlayListLine(selected);
  } else {
    DeletePlayListLine(selected);
    SelectPlayListLine(selected == count - 1 ? selected - 1 : selected);
  }
  // A line removed before the one playing moves it up by one.
  if (PlayIndex > selected) --PlayIndex;
  NotifyStateChange();
}

void TFrm_Main::Menu_PlayListBox_ClearClick() {
  ClearPlayList();
  Menu_Video_StopClick();
  NotifyStateChange();
}

}  // namespace kavoro::app
