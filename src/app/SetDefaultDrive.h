#pragma once
// The default-drive dialog, shown once at the first start on a machine with several CD/DVD
// drives: the user picks the drive Play opens. Its OK button sets the DefaultDrive setting in
// memory; it is saved when the player closes or the options are confirmed. Closed any other
// way, it leaves the setting as it was.
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSize>

#include <string>
#include <vector>

#include "app/DialogSlide.h"

namespace kavoro::app {

inline constexpr const char* kSetDriveCaption = "Set Defaut CD/DVD-ROM";
// Lines are separated by carriage returns, shown as line breaks.
inline constexpr const char* kSetDriveExplanation =
    "This is your first time to use KAVORO PLAYER, we find\ryou have more than one CD/DVD-ROM in "
    "your computer,\rplease select one as your default CD/DVD-ROM.";
inline constexpr const char* kSetDriveLabel = "&Select Drive:";
inline constexpr const char* kSetDriveOk = "OK";
inline constexpr QSize kSetDriveClientSize(344, 131);

// The layout below the explanation, in pixels.
inline constexpr int kSetDriveLabelGap = 15;    // explanation bottom to Label2 top
inline constexpr int kSetDriveComboRaise = 3;   // the combo box stands this far above Label2
inline constexpr int kSetDriveButtonGap = 15;   // combo box bottom to button top

class TFrm_SetDefautDrive : public TSlideInDialog {
  Q_OBJECT
 public:
  // Creates the dialog (hidden, modal, without close box) with no owner window: the main
  // window is not shown yet when it is needed. Usual use: create on the stack, SetDriveList,
  // exec. GUI thread only.
  TFrm_SetDefautDrive();

  // The drive roots ("E:\") to list, in order; read when the dialog is shown. GUI thread only.
  void SetDriveList(const std::vector<std::string>& roots) { FDriveList = roots; }
  const std::vector<std::string>& DriveList() const { return FDriveList; }

  // Sets the explanation and lays the controls out below it. Run once, by the constructor.
  // GUI thread only.
  void FormCreate();
  // Plays the opening sound, lists the drives and selects the first. GUI thread only.
  void FormShow() override;
  // Sets DefaultDrive to the selected entry's letter (unchanged when the list is empty) and
  // closes (accepted). GUI thread only.
  void ButtonClick();

  // The controls, owned by the dialog.
  QWidget* Body;  // holds every control below; it is what slides in
  QLabel* Label1;
  QLabel* Label2;
  QComboBox* ComboBox;
  QPushButton* Button;

 private:
  std::vector<std::string> FDriveList;
};

}  // namespace kavoro::app
