#pragma once
// The options dialog: the default CD/DVD drive (the one Play opens when nothing plays) and
// whether a DVD starts at title 1 instead of its title menu. OK stores both together with the
// skin name in the registry; Cancel changes nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSize>

#include <string>
#include <vector>

#include "app/DialogSlide.h"

namespace kavoro::app {

inline constexpr const char* kOptionCaption = "Option";
inline constexpr const char* kOptionDriveLabel = "&Select Default Drive:";
inline constexpr const char* kOptionSkipIntro = "S&kip Prelude when playing DVD.";
inline constexpr const char* kOptionOk = "OK";
inline constexpr const char* kOptionCancel = "Cancel";
inline constexpr QSize kOptionClientSize(281, 194);

class TFrm_Option : public TSlideInDialog {
  Q_OBJECT
 public:
  // Creates the dialog (hidden, modal) owned by owner, the main window (may be null); the
  // usual use: create on the stack, SetDriveList, exec. GUI thread only.
  explicit TFrm_Option(QWidget* owner);

  // The drive roots ("E:\") to list, in order; read when the dialog is shown. GUI thread only.
  void SetDriveList(const std::vector<std::string>& roots) { FDriveList = roots; }
  const std::vector<std::string>& DriveList() const { return FDriveList; }

  // Plays the opening sound, lists the drives, selects the stored default drive (the first
  // entry when it is not listed) and shows the stored SkipIntro. Run on every opening. GUI
  // thread only.
  void FormShow() override;
  // Takes the selected drive (when there is one) and the check box into the settings, writes
  // all three settings, tells the user once when that fails, and closes (accepted). GUI thread
  // only.
  void Button_OKClick();

  // The controls, owned by the dialog.
  QWidget* Body;  // holds every control below; it is what slides in
  QFrame* Panel1;
  QLabel* Image1;
  QLabel* Image2;
  QLabel* Label1;
  QComboBox* ComboBox;
  QCheckBox* CheckBox1;
  QFrame* Bevel1;
  QPushButton* Button_OK;
  QPushButton* Button_Cancel;

 private:
  std::vector<std::string> FDriveList;
};

}  // namespace kavoro::app
