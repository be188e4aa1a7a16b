#include "app/SetDefaultDrive.h"

#include "app/DialogLook.h"
#include "app/Settings.h"
#include "platform/os/Application.h"

#include <QFontMetrics>
#include <QShowEvent>

#include <algorithm>

namespace kavoro::app {
namespace {

// The layout, in pixels of the client area.
constexpr int kMargin = 16;
constexpr int kExplanationTop = 8;
constexpr int kLabelHeight = 16;
constexpr int kComboGap = 8;  // Label2 right to combo box left
constexpr int kComboHeight = 22;
constexpr int kButtonWidth = 76, kButtonHeight = 24;
// The explanation is set narrower, then smaller, until its longest line fits the dialog.
constexpr int kSmallestExplanationPixels = 9;

// The widest line of text in font.
int WidestLine(const QFont& font, const QString& text) {
  const QFontMetrics metrics(font);
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

// The label's font, condensed and then reduced as far as needed for its lines to fit width.
QFont FittingFont(QFont font, const QString& text, int width) {
  if (WidestLine(font, text) <= width) return font;
  font.setStretch(QFont::Condensed);
  while (WidestLine(font, text) > width && font.pixelSize() > kSmallestExplanationPixels)
    font.setPixelSize(font.pixelSize() - 1);
  return font;
}

}  // namespace

TFrm_SetDefautDrive::TFrm_SetDefautDrive()
    : TSlideInDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setModal(true);
  setWindowTitle(QString::fromLatin1(kSetDriveCaption));
  setFixedSize(kSetDriveClientSize);
  TDialogLook::Apply(this);

  Body = new QWidget(this);
  Body->setGeometry(QRect(QPoint(0, 0), kSetDriveClientSize));
  Label1 = new QLabel(Body);
  Label2 = new QLabel(QString::fromLatin1(kSetDriveLabel), Body);
  ComboBox = new QComboBox(Body);
  ComboBox->setEditable(false);
  Label2->setBuddy(ComboBox);
  Button = new QPushButton(QString::fromLatin1(kSetDriveOk), Body);
  Button->setDefault(true);
  connect(Button, &QPushButton::clicked, this, [this] { os::RunGuarded([this] { ButtonClick(); }); });

  FormCreate();
  SetSlideBody(Body);
}

void TFrm_SetDefautDrive::FormCreate() {
  // The explanation keeps its carriage returns; the label shows them as line breaks.
  Label1->setText(QString::fromLatin1(kSetDriveExplanation).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  // Measured in the dialog's own font and style.
  ensurePolished();
  Label1->ensurePolished();
  const int width = kSetDriveClientSize.width() - 2 * kMargin;
  Label1->setFont(FittingFont(Label1->font(), Label1->text(), width));
  Label1->move(kMargin, kExplanationTop);
  Label1->resize(width, Label1->sizeHint().height());

  Label2->ensurePolished();
  Label2->setGeometry(kMargin, Label1->y() + Label1->height() + kSetDriveLabelGap,
                      Label2->sizeHint().width(), kLabelHeight);
  const int comboLeft = Label2->x() + Label2->width() + kComboGap;
  const int right = kSetDriveClientSize.width() - kMargin;
  ComboBox->setGeometry(comboLeft, Label2->y() - kSetDriveComboRaise, right - comboLeft, kComboHeight);
  Button->setGeometry(right - kButtonWidth, ComboBox->y() + ComboBox->height() + kSetDriveButtonGap,
                      kButtonWidth, kButtonHeight);
}

void TFrm_SetDefautDrive::FormShow() {
  TDialogLook::PlayShowSound();
  TDialogLook::FillDriveList(ComboBox, FDriveList);
  ComboBox->setCurrentIndex(FDriveList.empty() ? -1 : 0);
}

void TFrm_SetDefautDrive::ButtonClick() {
  const std::string drive = TDialogLook::SelectedDrive(ComboBox);
  if (!drive.empty()) Settings().DefaultDrive = drive;
  accept();
}

}  // namespace kavoro::app
