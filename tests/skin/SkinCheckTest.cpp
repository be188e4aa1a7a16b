#include "SkinFolderFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace kavoro::skin {
namespace {

struct CheckRun {
  int ExitCode = -1;
  std::string Output;
};

CheckRun RunCheck(const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(KAVORO_SKIN_CHECK, arguments);
  constexpr int kTimeoutMs = 30000;
  if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
    return {};
  return {process.exitCode(), process.readAll().toStdString()};
}

TEST(SkinCheck, AcceptsAGoodSkinAndRefusesADamagedOneNamingEveryProblem) {
  test::TSkinFolder skin;
  const QString folder = QString::fromStdString(skin.Folder());
  CheckRun good = RunCheck({folder});
  EXPECT_EQ(good.ExitCode, 0) << good.Output;
  EXPECT_NE(good.Output.find("accepts"), std::string::npos) << good.Output;
  EXPECT_EQ(good.Output.find("error:"), std::string::npos) << good.Output;

  // A warning alone does not refuse the skin.
  skin.Set("VolumeBar", "Orientation", "horizontal");
  CheckRun warned = RunCheck({folder});
  EXPECT_EQ(warned.ExitCode, 0) << warned.Output;
  EXPECT_NE(warned.Output.find("warning: [VolumeBar] Orientation = \"horizontal\""),
            std::string::npos)
      << warned.Output;

  skin.Remove("Video_Bottom_Right.bmp");
  skin.Set("Label", "Label_Title", "1,2,3");
  CheckRun damaged = RunCheck({folder});
  EXPECT_EQ(damaged.ExitCode, 1) << damaged.Output;
  for (const char* expected :
       {"error: [VideoForm] Video_Bottom_Right_PIC = \"Video_Bottom_Right.bmp\": the file is "
        "missing",
        "error: [Label] Label_Title = \"1,2,3\": has 3 items; 6 are needed",
        "loading stops at the labels"})
    EXPECT_NE(damaged.Output.find(expected), std::string::npos) << damaged.Output;
}

TEST(SkinCheck, RefusesAMissingFolderAndReportsWrongCalls) {
  test::TSkinFolder skin;
  const QString gone = QString::fromStdString(skin.Folder() + "/Nowhere");
  CheckRun missing = RunCheck({gone});
  EXPECT_EQ(missing.ExitCode, 1) << missing.Output;
  EXPECT_NE(missing.Output.find("the skin folder does not exist"), std::string::npos)
      << missing.Output;
  EXPECT_EQ(RunCheck({}).ExitCode, 2);
  EXPECT_EQ(RunCheck({gone, gone}).ExitCode, 2);
  EXPECT_EQ(RunCheck({"--bogus", gone}).ExitCode, 2);
}

TEST(SkinCheck, PreviewDrawsTheShapedMainWindowBesideTheFramedVideoWindow) {
  test::TSkinFolder skin;
  // A main picture with a cut-away corner in the transparent colour.
  QImage main(test::TSkinFolder::kMainSize, QImage::Format_RGB32);
  main.fill(Qt::red);
  constexpr int kCorner = 10;
  for (int y = 0; y < kCorner; ++y)
    for (int x = 0; x < kCorner; ++x) main.setPixel(x, y, qRgb(255, 0, 255));
  ASSERT_TRUE(main.save(QString::fromStdString(skin.PathOf("Main.bmp")), "BMP"));
  // Digits of colours of their own, the clock below every other control of the test skin.
  const QSize strip = test::TSkinFolder::kDigitStripSize;
  const int digitWidth = strip.width() / 10;
  auto digitColor = [](int d) { return QColor(10 + 20 * d, 255 - 20 * d, 128); };
  QImage digits(strip, QImage::Format_RGB32);
  for (int x = 0; x < strip.width(); ++x)
    for (int y = 0; y < strip.height(); ++y) digits.setPixelColor(x, y, digitColor(x / digitWidth));
  ASSERT_TRUE(digits.save(QString::fromStdString(skin.PathOf("Time.bmp")), "BMP"));
  const QPoint panel(0, 62);
  skin.Set("Time", "TimePanel", "0,62,60,12");
  const QString out = QString::fromStdString(skin.PathOf("preview.png"));

  const CheckRun run = RunCheck({QString::fromStdString(skin.Folder()), "--preview", out});
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  QImage preview;
  ASSERT_TRUE(preview.load(out, "PNG")) << run.Output;
  // The main window at the margin, its cut-away corner showing the backdrop; the video window
  // to its right, beginning with its blue top-left frame piece.
  const int margin = (preview.height() - test::TSkinFolder::kMainSize.height()) / 2;
  ASSERT_GT(margin, 0);
  const QColor backdrop = preview.pixelColor(0, 0);
  EXPECT_EQ(preview.pixelColor(margin + 2, margin + 2), backdrop);
  // Below every control of the test skin.
  const QPoint clear(margin + test::TSkinFolder::kMainSize.width() - 5,
                     margin + test::TSkinFolder::kMainSize.height() - 5);
  EXPECT_EQ(preview.pixelColor(clear), QColor(Qt::red));
  // The clock reads 01:23:45: the test skin puts cell k (1 to 6) at (9k, 2) in the panel.
  const int shownDigits[6] = {0, 1, 2, 3, 4, 5};
  for (int n = 0; n < 6; ++n)
    EXPECT_EQ(preview.pixelColor(margin + panel.x() + 9 * (n + 1) + 1, margin + panel.y() + 3),
              digitColor(shownDigits[n]))
        << "cell " << n + 1;
  const int videoLeft = 2 * margin + test::TSkinFolder::kMainSize.width();
  EXPECT_EQ(preview.pixelColor(videoLeft - 1, margin), backdrop);
  EXPECT_EQ(preview.pixelColor(videoLeft + 1, margin + 1), QColor(Qt::blue));
  EXPECT_GT(preview.width(), videoLeft + test::TSkinFolder::kVideoMainSize.width());

  // A damaged skin is still drawn as far as the player would apply it, and still refused.
  skin.Remove("ListTitle.bmp");
  const CheckRun damaged = RunCheck({QString::fromStdString(skin.Folder()), "--preview", out});
  EXPECT_EQ(damaged.ExitCode, 1) << damaged.Output;
  EXPECT_NE(damaged.Output.find("only the steps before the first error"), std::string::npos)
      << damaged.Output;
  // A preview that cannot be written fails the run.
  EXPECT_EQ(RunCheck({QString::fromStdString(skin.Folder()), "--preview",
                      QString::fromStdString(skin.Folder() + "/no/such/folder/p.png")})
                .ExitCode,
            1);
  EXPECT_EQ(RunCheck({QString::fromStdString(skin.Folder()), "--preview"}).ExitCode, 2);
}

#ifdef KAVORO_SHIPPED_SKINS
TEST(SkinCheck, AcceptsEverySkinWeShip) {
  const QDir skins(KAVORO_SHIPPED_SKINS);
  const QStringList names = skins.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_TRUE(names.contains("Default")) << names.join(", ").toStdString();
  for (const QString& name : names) {
    const CheckRun run = RunCheck({skins.filePath(name)});
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output.find("warning:"), std::string::npos) << run.Output;

    // A damaged copy is refused, naming what is wrong.
    QTemporaryDir copy;
    ASSERT_TRUE(copy.isValid());
    const QDir source(skins.filePath(name));
    for (const QString& file : source.entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(source.filePath(file), copy.filePath(file)));
    ASSERT_TRUE(QFile::remove(copy.filePath("Video_Bottom_Right.bmp")));
    QFile ini(copy.filePath("Skin.ini"));
    ASSERT_TRUE(ini.open(QIODevice::Append));
    ini.write("\r\n[Label]\r\nLabel_Chapter=1,2,3\r\n");  // a repeated section is not read
    ini.close();
    const CheckRun damaged = RunCheck({copy.path()});
    EXPECT_EQ(damaged.ExitCode, 1) << damaged.Output;
    EXPECT_NE(damaged.Output.find("error: [VideoForm] Video_Bottom_Right_PIC"), std::string::npos)
        << damaged.Output;
    EXPECT_EQ(damaged.Output.find("Label_Chapter"), std::string::npos) << damaged.Output;
  }
}
#endif

}  // namespace
}  // namespace kavoro::skin
