// The options and default-drive dialogs on the offscreen platform with the sim drives, sound,
// registry and message boxes: what they list and preselect, what OK, Cancel and Escape leave in
// the settings and the registry, their layout, and the slide they open with.
#include "app/DialogLook.h"
#include "app/DialogSlide.h"
#include "app/HelpFile.h"
#include "app/Option.h"
#include "app/SetDefaultDrive.h"
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include "platform/os/Application.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::app {
namespace {

using os::HKEY_LOCAL_MACHINE;
using os::RegValue;

constexpr const char* kKey = "\\SOFTWARE\\KAVORO\\";
constexpr const char* kFolder = "/opt/kavoro/";
// Long enough for a slide to end on a busy machine.
constexpr int kSlideWaitMs = 5000;

const std::vector<std::string> kRoots = {"E:\\", "F:\\", "G:\\"};
const std::vector<QString> kCaptions = {"E:\\MOVIE", "F:\\No Disc", "G:\\Unknown Volume"};

std::vector<QString> Entries(const QComboBox& combo) {
  std::vector<QString> entries;
  for (int i = 0; i < combo.count(); ++i) entries.push_back(combo.itemText(i));
  return entries;
}

// Runs dialog modally and does `act` to it once its event loop runs.
int ExecWith(QDialog& dialog, const std::function<void()>& act) {
  QTimer::singleShot(0, &dialog, act);
  return dialog.exec();
}

// Saves a picture of the dialog into $KAVORO_DIALOG_SHOTS when that is set, for a person to
// look at; the checks never depend on it.
void SaveShot(QWidget& dialog, const QString& name) {
  const QString folder = qEnvironmentVariable("KAVORO_DIALOG_SHOTS");
  if (!folder.isEmpty()) dialog.grab().save(QDir(folder).filePath(name));
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    os::SetApplicationFolder(kFolder);
    Settings() = TSettings{};
    auto& drives = os::Sim().Drives();
    // E: holds a labelled disc, F: is empty, G: holds a disc without a label.
    ASSERT_TRUE(drives.AddDrive('E', os::DRIVE_CDROM));
    ASSERT_TRUE(drives.InsertDisc('E', "MOVIE"));
    ASSERT_TRUE(drives.AddDrive('F', os::DRIVE_CDROM));
    ASSERT_TRUE(drives.AddDrive('G', os::DRIVE_CDROM));
    ASSERT_TRUE(drives.InsertDisc('G', ""));
  }
  os::SimRegistry& Registry() { return os::Sim().Registry(); }
  std::optional<RegValue> Stored(std::string_view name) {
    return Registry().ReadValue(HKEY_LOCAL_MACHINE, kKey, name);
  }
  void ExpectOneShowSound() {
    const std::vector<os::SimSoundPlay> want = {{std::string(kFolder) + "ShowF.wav", os::SND_ASYNC}};
    EXPECT_EQ(os::Sim().Sound().Played(), want);
  }
};

TEST_F(DialogTest, OptionListsTheDrivesAndPreselectsTheStoredDefault) {
  struct Case {
    const char* stored;
    int selected;
  };
  // A default that is not listed, or none, falls back to the first entry; letters match in
  // either case.
  for (const Case& c : {Case{"F", 1}, Case{"g", 2}, Case{"Q", 0}, Case{"", 0}}) {
    SCOPED_TRACE(c.stored);
    os::Sim().Sound().Reset();
    Settings() = {"Default", c.stored, c.selected == 1};
    TFrm_Option dlg(nullptr);
    dlg.SetDriveList(kRoots);
    dlg.show();
    EXPECT_EQ(Entries(*dlg.ComboBox), kCaptions);
    EXPECT_EQ(dlg.ComboBox->currentIndex(), c.selected);
    EXPECT_EQ(dlg.CheckBox1->isChecked(), c.selected == 1);
    ExpectOneShowSound();
    dlg.reject();
  }
}

TEST_F(DialogTest, OptionOkStoresTheChoiceAndWritesAllThreeValues) {
  struct Case {
    const char* what;
    int pick;  // -1: keep the preselected entry
    const char* want;
  };
  for (const Case& c : {Case{"an unlisted default becomes the first entry", -1, "E"},
                        Case{"the picked entry", 2, "G"}}) {
    SCOPED_TRACE(c.what);
    Registry().Reset();
    Settings() = {"Capsule", "Q", false};
    TFrm_Option dlg(nullptr);
    dlg.SetDriveList(kRoots);
    const int result = ExecWith(dlg, [&] {
      if (c.pick >= 0) dlg.ComboBox->setCurrentIndex(c.pick);
      dlg.CheckBox1->setChecked(true);
      QTest::mouseClick(dlg.Button_OK, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(Settings().DefaultDrive, c.want);
    EXPECT_TRUE(Settings().SkipIntro);
    EXPECT_EQ(Stored("SkinName"), RegValue(std::string("Capsule")));
    EXPECT_EQ(Stored("DefaultDrive"), RegValue(std::string(c.want)));
    EXPECT_EQ(Stored("SkipIntro"), RegValue(1u));
  }
}

TEST_F(DialogTest, OptionCancelAndEscapeChangeNothing) {
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    Settings() = {"Capsule", "F", false};
    TFrm_Option dlg(nullptr);
    dlg.SetDriveList(kRoots);
    const int result = ExecWith(dlg, [&] {
      dlg.ComboBox->setCurrentIndex(2);
      dlg.CheckBox1->setChecked(true);
      if (escape) QTest::keyClick(&dlg, Qt::Key_Escape);
      else QTest::mouseClick(dlg.Button_Cancel, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Settings().DefaultDrive, "F");
    EXPECT_FALSE(Settings().SkipIntro);
    EXPECT_FALSE(Registry().KeyExists(HKEY_LOCAL_MACHINE, kKey));
  }
}

TEST_F(DialogTest, OptionOkWithoutDrivesKeepsTheDefaultAndStillSaves) {
  Settings() = {"Default", "E", false};
  TFrm_Option dlg(nullptr);
  dlg.SetDriveList({});
  ExecWith(dlg, [&] {
    EXPECT_EQ(dlg.ComboBox->count(), 0);
    dlg.CheckBox1->setChecked(true);
    dlg.Button_OK->click();
  });
  EXPECT_EQ(Settings().DefaultDrive, "E");
  EXPECT_EQ(Stored("DefaultDrive"), RegValue(std::string("E")));
  EXPECT_EQ(Stored("SkipIntro"), RegValue(1u));
}

TEST_F(DialogTest, OptionTellsTheUserOnceWhenTheSettingsCannotBeSavedAndStillCloses) {
  Settings() = {"Default", "", false};
  Registry().SetReadOnly(true);
  TFrm_Option dlg(nullptr);
  dlg.SetDriveList(kRoots);
  const int result = ExecWith(dlg, [&] {
    dlg.ComboBox->setCurrentIndex(1);
    dlg.Button_OK->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
  const std::vector<os::ShownMessageBox> shown = os::Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Kavoro Player");
  EXPECT_EQ(shown[0].flags & os::kMbIconMask, os::MB_ICONWARNING);
  EXPECT_EQ(shown[0].text, WriteSettings().Reason);
  EXPECT_NE(shown[0].text, "");
  // The choice is kept for the save on close.
  EXPECT_EQ(Settings().DefaultDrive, "F");
  EXPECT_FALSE(Registry().KeyExists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(DialogTest, OptionIsOwnedByTheMainWindowAndCentredOnTheDesktop) {
  QWidget mainWindow;
  mainWindow.setGeometry(10, 10, 200, 150);
  TFrm_Option dlg(&mainWindow);
  EXPECT_EQ(dlg.parentWidget(), &mainWindow);
  EXPECT_EQ(dlg.windowTitle(), "Option");
  EXPECT_EQ(dlg.size(), QSize(281, 194));
  EXPECT_EQ(dlg.Label1->buddy(), dlg.ComboBox);
  EXPECT_FALSE(dlg.ComboBox->isEditable());
  dlg.show();
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((dlg.frameGeometry().center() - centre).manhattanLength(), 2);
  dlg.reject();
}

TEST_F(DialogTest, DefaultDriveDialogLaysItsControlsOutBelowTheExplanation) {
  TFrm_SetDefautDrive dlg;
  EXPECT_EQ(dlg.parentWidget(), nullptr);
  EXPECT_EQ(dlg.windowTitle(), "Set Defaut CD/DVD-ROM");
  EXPECT_EQ(dlg.size(), QSize(344, 131));
  EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(dlg.Label1->text().split('\n').size(), 3);
  EXPECT_EQ(dlg.Label1->text().replace('\n', '\r'),
            "This is your first time to use KAVORO PLAYER, we find\ryou have more than one "
            "CD/DVD-ROM in your computer,\rplease select one as your default CD/DVD-ROM.");
  // Every line of the explanation fits the label it stands in.
  const QFontMetrics metrics(dlg.Label1->font());
  for (const QString& line : dlg.Label1->text().split('\n'))
    EXPECT_LE(metrics.horizontalAdvance(line), dlg.Label1->width()) << line.toStdString();
  EXPECT_EQ(dlg.Label2->y(), dlg.Label1->y() + dlg.Label1->height() + 15);
  EXPECT_EQ(dlg.ComboBox->y(), dlg.Label2->y() - 3);
  EXPECT_EQ(dlg.Button->y(), dlg.ComboBox->y() + dlg.ComboBox->height() + 15);
  EXPECT_LE(dlg.Button->geometry().bottom(), dlg.height() - 1) << "the button fits the dialog";
  EXPECT_EQ(dlg.Label2->buddy(), dlg.ComboBox);
}

TEST_F(DialogTest, DefaultDriveDialogSetsTheDriveOnlyThroughItsButton) {
  {
    TFrm_SetDefautDrive dlg;
    dlg.SetDriveList(kRoots);
    const int result = ExecWith(dlg, [&] {
      EXPECT_EQ(Entries(*dlg.ComboBox), kCaptions);
      EXPECT_EQ(dlg.ComboBox->currentIndex(), 0);
      QTest::mouseClick(dlg.Button, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(Settings().DefaultDrive, "E");
    ExpectOneShowSound();
  }
  {
    Settings().DefaultDrive.clear();
    TFrm_SetDefautDrive dlg;
    dlg.SetDriveList(kRoots);
    ExecWith(dlg, [&] {
      dlg.ComboBox->setCurrentIndex(1);
      QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(Settings().DefaultDrive, "");
  }
  {
    TFrm_SetDefautDrive dlg;
    dlg.SetDriveList(kRoots);
    ExecWith(dlg, [&] {
      dlg.ComboBox->setCurrentIndex(2);
      dlg.close();  // as the window manager closes it
    });
    EXPECT_EQ(Settings().DefaultDrive, "");
  }
  {
    Settings().DefaultDrive = "F";
    TFrm_SetDefautDrive dlg;
    dlg.SetDriveList({});
    ExecWith(dlg, [&] { dlg.Button->click(); });
    EXPECT_EQ(Settings().DefaultDrive, "F");
  }
  EXPECT_FALSE(Registry().KeyExists(HKEY_LOCAL_MACHINE, kKey)) << "nothing is saved here";
}

TEST_F(DialogTest, TheSlideEndsExactlyInPlaceAlsoWhenTheDialogClosesMidWay) {
  Settings().SkipIntro = true;  // the picture shows the check box ticked
  TFrm_Option dlg(nullptr);
  dlg.SetDriveList(kRoots);
  const QPoint place = dlg.Body->pos();
  dlg.show();
  EXPECT_EQ(dlg.Slide().State(), TSlideState::Sliding);
  EXPECT_LT(dlg.Body->y(), place.y()) << "the body starts above its place";
  QTRY_COMPARE_WITH_TIMEOUT(dlg.Slide().State(), TSlideState::Done, kSlideWaitMs);
  EXPECT_EQ(dlg.Body->pos(), place);
  EXPECT_EQ(dlg.Body->graphicsEffect(), nullptr) << "drawn plainly, fully opaque";
  SaveShot(dlg, QStringLiteral("option.png"));
  dlg.reject();

  // Shown again and closed at once: stopped at its end, nothing left running.
  dlg.show();
  EXPECT_EQ(dlg.Slide().State(), TSlideState::Sliding);
  dlg.reject();
  EXPECT_EQ(dlg.Slide().State(), TSlideState::Done);
  EXPECT_EQ(dlg.Body->pos(), place);
  EXPECT_EQ(dlg.Body->graphicsEffect(), nullptr) << "drawn plainly, fully opaque";
  QTest::qWait(TDialogSlide::kDurationMs / 3);
  EXPECT_EQ(dlg.Body->pos(), place);

  TFrm_SetDefautDrive drive;
  drive.SetDriveList(kRoots);
  drive.show();
  QTRY_COMPARE_WITH_TIMEOUT(drive.Slide().State(), TSlideState::Done, kSlideWaitMs);
  EXPECT_EQ(drive.Body->pos(), QPoint(0, 0));
  SaveShot(drive, QStringLiteral("default-drive.png"));
  drive.reject();
}

// The face is the given colour, the top panel white, and the pictures are drawn on it.
TEST_F(DialogTest, OptionWearsTheLightFaceWithItsPictures) {
  TFrm_Option dlg(nullptr);
  dlg.SetDriveList(kRoots);
  dlg.show();
  dlg.Slide().Stop();
  QPixmap pixmap = dlg.grab();
  pixmap.setDevicePixelRatio(1);
  const QImage shot = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(QColor(shot.pixel(2, dlg.height() - 2)), QColor(248, 246, 230));
  EXPECT_EQ(QColor(shot.pixel(dlg.width() / 2, 2)), QColor(Qt::white));
  for (QLabel* picture : {dlg.Image1, dlg.Image2}) {
    const QRect area(dlg.Panel1->mapTo(&dlg, picture->pos()), picture->size());
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) inked += shot.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(inked, area.width() * area.height() / 4);
  }
  dlg.reject();
}

// The user guide beside the program: one file that needs nothing else, whose links inside it
// all lead somewhere.
TEST(HelpFileTest, TheGuideIsBesideTheProgramSelfContainedAndItsLinksResolve) {
  QFile file(QDir(QStringLiteral(KAVORO_PROGRAM_FOLDER)).filePath(QString::fromLatin1(kHelpFileName)));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QString html = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(html.contains(QStringLiteral("<style>")));
  // Nothing is fetched from elsewhere: no linked style sheets, scripts, pictures or pages.
  const QRegularExpression outside(QStringLiteral(R"re((?:src|href)\s*=\s*["'](?!#)|<link\b|url\()re"),
                                   QRegularExpression::CaseInsensitiveOption);
  EXPECT_FALSE(html.contains(outside)) << html.mid(html.indexOf(outside), 60).toStdString();
  const QRegularExpression anchor(QStringLiteral(R"re(\bid="([^"]+)")re"));
  const QRegularExpression link(QStringLiteral(R"re(href="#([^"]+)")re"));
  QStringList ids;
  for (const auto& m : anchor.globalMatch(html)) ids << m.captured(1);
  int links = 0;
  for (const auto& m : link.globalMatch(html)) {
    ++links;
    EXPECT_TRUE(ids.contains(m.captured(1))) << "no target for #" << m.captured(1).toStdString();
  }
  EXPECT_GT(links, 0);
}

}  // namespace
}  // namespace kavoro::app
