#include "app/Option.h"

#include "app/DialogLook.h"
#include "app/Settings.h"
#include "platform/os/Application.h"
#include "platform/os/Dialogs.h"
#include "platform/os/Platform.h"

#include <QShowEvent>

#include <cctype>

namespace kavoro::app {
namespace {

// The layout, in pixels of the client area.
constexpr int kMargin = 16;
constexpr int kPanelHeight = 58;
constexpr QSize kEmblemSize(42, 42);
constexpr QSize kDriveSize(52, 42);
constexpr int kLabelTop = 72, kLabelHeight = 16;
constexpr int kComboTop = 90, kComboHeight = 24;
constexpr int kCheckTop = 122, kCheckHeight = 20;
constexpr int kRuleTop = 152;
constexpr int kButtonTop = 161, kButtonHeight = 24, kButtonWidth = 76, kButtonGap = 8;

// Drive letters compare without regard to case, as the drives themselves do.
bool SameLetter(char a, char b) {
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

}  // namespace

TFrm_Option::TFrm_Option(QWidget* owner) : TSlideInDialog(owner, Qt::Dialog) {
  setModal(true);
  setWindowTitle(QString::fromLatin1(kOptionCaption));
  setFixedSize(kOptionClientSize);
  TDialogLook::Apply(this);
  const int width = kOptionClientSize.width();
  const int inner = width - 2 * kMargin;

  Body = new QWidget(this);
  Body->setGeometry(QRect(QPoint(0, 0), kOptionClientSize));

  Panel1 = new QFrame(Body);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, width, kPanelHeight);
  const int pictureTop = (kPanelHeight - kEmblemSize.height()) / 2;
  const qreal ratio = devicePixelRatioF();
  Image1 = new QLabel(Panel1);
  Image1->setGeometry(QRect(QPoint(kMargin, pictureTop), kEmblemSize));
  Image1->setPixmap(TDialogLook::EmblemPixmap(kEmblemSize, ratio));
  Image2 = new QLabel(Panel1);
  Image2->setGeometry(QRect(QPoint(width - kMargin - kDriveSize.width(), pictureTop), kDriveSize));
  Image2->setPixmap(TDialogLook::DrivePixmap(kDriveSize, ratio));

  Label1 = new QLabel(QString::fromLatin1(kOptionDriveLabel), Body);
  Label1->setGeometry(kMargin, kLabelTop, inner, kLabelHeight);
  ComboBox = new QComboBox(Body);
  ComboBox->setEditable(false);
  ComboBox->setGeometry(kMargin, kComboTop, inner, kComboHeight);
  Label1->setBuddy(ComboBox);
  CheckBox1 = new QCheckBox(QString::fromLatin1(kOptionSkipIntro), Body);
  CheckBox1->setGeometry(kMargin, kCheckTop, inner, kCheckHeight);

  Bevel1 = new QFrame(Body);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setGeometry(kMargin, kRuleTop, inner, 1);

  Button_Cancel = new QPushButton(QString::fromLatin1(kOptionCancel), Body);
  Button_Cancel->setGeometry(width - kMargin - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
  Button_OK = new QPushButton(QString::fromLatin1(kOptionOk), Body);
  Button_OK->setGeometry(Button_Cancel->x() - kButtonGap - kButtonWidth, kButtonTop, kButtonWidth,
                         kButtonHeight);
  Button_OK->setDefault(true);
  setTabOrder(ComboBox, CheckBox1);
  setTabOrder(CheckBox1, Button_OK);
  setTabOrder(Button_OK, Button_Cancel);
  connect(Button_OK, &QPushButton::clicked, this, [this] { os::RunGuarded([this] { Button_OKClick(); }); });
  connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);

  SetSlideBody(Body);
}

void TFrm_Option::FormShow() {
  TDialogLook::PlayShowSound();
  TDialogLook::FillDriveList(ComboBox, FDriveList);
  const std::string& stored = Settings().DefaultDrive;
  int selected = 0;
  for (std::size_t i = 0; i < FDriveList.size(); ++i) {
    if (!stored.empty() && !FDriveList[i].empty() && SameLetter(FDriveList[i][0], stored[0])) {
      selected = static_cast<int>(i);
      break;
    }
  }
  ComboBox->setCurrentIndex(FDriveList.empty() ? -1 : selected);
  CheckBox1->setChecked(Settings().SkipIntro);
}

void TFrm_Option::Button_OKClick() {
  const std::string drive = TDialogLook::SelectedDrive(ComboBox);
  if (!drive.empty()) Settings().DefaultDrive = drive;
  Settings().SkipIntro = CheckBox1->isChecked();
  const TSettingsWriteResult written = WriteSettings();
  // The choice stays in memory for the save on close; the user learns it is not stored yet.
  if (!written)
    os::Os().Dialogs().MessageBox(written.Reason, kDialogMessageCaption, os::MB_OK | os::MB_ICONWARNING);
  accept();
}

}  // namespace kavoro::app
