#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <array>
#include <memory>
#include <string>

#include "SkinTestSupport.h"
#include "app/Label.h"
#include "app/Main.h"
#include "controls/Image.h"
#include "platform/os/sim/SimPlatform.h"
#include "skin/SkinLoader.h"
#include "skin/TimeDisplay.h"
#include "video/Video.h"

namespace kavoro::skin {
namespace {

using os::Sim;

class TimeDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sim().Reset();
    Main = std::make_unique<app::TFrm_Main>();
  }
  // The clock of a skin: panel, strip, digit size and cells as the loader leaves them.
  void SetClock(const TClockInfo& clock) {
    Main->DigitStrip = clock.DigitStrip;
    Main->DigitWidth = clock.DigitWidth;
    Main->DigitHeight = clock.DigitStrip.height();
    Main->DigitCells = clock.Cells;
    Main->TimePanel->Picture().Assign(clock.Panel);
  }
  const QImage& Panel() const { return Main->TimePanel->Picture().Graphic(); }

  std::unique_ptr<app::TFrm_Main> Main;
};

TEST_F(TimeDisplayTest, EachDigitIsDrawnWholeAtItsCellAndNothingElse) {
  const TClockInfo clock = test::MakeSkinData(0).Clock;
  struct Case {
    const char* text;
    std::array<int, 6> digits;
  };
  const Case cases[] = {
      {"12:34:56", {1, 2, 3, 4, 5, 6}},
      {"00:00:00", {0, 0, 0, 0, 0, 0}},
      {"98-76 54", {9, 8, 7, 6, 5, 4}},   // the separators are not looked at
      {"100:00:00", {9, 9, 5, 9, 5, 9}},  // 100 hours and more: the largest time shown
      {"1:02:03", {9, 9, 5, 9, 5, 9}},
      {"ab:cd:ef", {9, 9, 5, 9, 5, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetClock(clock);
    ShowTime(*Main, c.text);
    const QImage& panel = Panel();
    ASSERT_EQ(panel.size(), clock.Panel.size());
    int wrongInCells = 0, wrongOutside = 0;
    for (int y = 0; y < panel.height(); ++y)
      for (int x = 0; x < panel.width(); ++x) {
        int cell = -1;
        for (int n = 0; n < 6; ++n)
          if (QRect(clock.Cells[n], QSize(clock.DigitWidth, clock.DigitStrip.height())).contains(x, y))
            cell = n;
        const QRgb expected = cell < 0 ? test::PanelColor(0) : test::DigitColor(0, c.digits[cell]);
        if (panel.pixel(x, y) != expected) ++(cell < 0 ? wrongOutside : wrongInCells);
      }
    EXPECT_EQ(wrongInCells, 0);
    EXPECT_EQ(wrongOutside, 0);
  }
}

TEST_F(TimeDisplayTest, TheSkinnedWindowShowsEachNewTime) {
  video::TFrm_Video video;
  const TSkinData data = test::MakeSkinData(0);
  ASSERT_TRUE(ApplySkin(*Main, video, data));
  Main->show();
  for (const char* text : {"12:34:56", "00:00:00"}) {
    SCOPED_TRACE(text);
    ShowTime(*Main, text);
    QCoreApplication::processEvents();
    // Over the skin's picture, as the panel's picture now is.
    const QImage shown = Main->grab(Main->TimePanel->geometry()).toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), Panel().convertToFormat(QImage::Format_RGB32));
  }
}

TEST_F(TimeDisplayTest, DigitNineIsTheLastDigitWidthOfTheStrip) {
  // A strip of 10 x 8 = 80 columns, each of its own colour.
  TClockInfo clock;
  clock.DigitWidth = 8;
  clock.DigitStrip = QImage(80, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 80; ++x) clock.DigitStrip.setPixel(x, y, qRgb(3 * x, 255 - 3 * x, 10 * y));
  clock.Panel = QImage(40, 12, QImage::Format_RGB32);
  clock.Panel.fill(Qt::white);
  clock.Cells = {QPoint(0, 0), QPoint(0, 0), QPoint(0, 0), QPoint(0, 0), QPoint(0, 0), QPoint(20, 2)};
  SetClock(clock);
  ShowTime(*Main, "00:00:09");
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(Panel().pixel(20 + x, 2 + y), clock.DigitStrip.pixel(72 + x, y)) << x << "," << y;
  EXPECT_EQ(Panel().pixel(28, 2), qRgb(255, 255, 255)) << "one digit wide, no more";
}

TEST_F(TimeDisplayTest, WithoutDigitWidthNothingIsDrawn) {
  TClockInfo clock = test::MakeSkinData(0).Clock;
  clock.DigitWidth = 0;
  SetClock(clock);
  ShowTime(*Main, "12:34:56");
  EXPECT_EQ(Panel(), clock.Panel);
}

TEST_F(TimeDisplayTest, PlayNameThatFitsIsTheCaptionOnePixelWiderIsCutWithEllipsis) {
  app::TLabel& label = *Main->Label_PlayName;
  const std::string name = "Some Movie Title (Director's Cut)";
  const int fits = QFontMetrics(label.font()).horizontalAdvance(QString::fromStdString(name));
  struct Case {
    int width;
    bool cut;
  };
  for (const Case c : {Case{fits, false}, Case{fits - 1, true}, Case{fits + 1, false}}) {
    SCOPED_TRACE(c.width);
    label.resize(c.width, label.height());
    ShowPlayName(*Main, name);
    EXPECT_EQ(label.Caption().toStdString(), c.cut ? "" : name);
    EXPECT_EQ(label.EllipsisText().toStdString(), c.cut ? name : "");
    if (c.cut) {
      const QString shown = app::TLabel::EndEllipsis(label.EllipsisText(), label.fontMetrics(), label.width());
      EXPECT_TRUE(shown.endsWith(QStringLiteral("...")));
      EXPECT_TRUE(QString::fromStdString(name).startsWith(shown.chopped(3)));
      EXPECT_LE(label.fontMetrics().horizontalAdvance(shown), label.width());
      // Something is drawn although the caption is empty.
      label.SetFontColor(Qt::black);
      const QImage drawn = label.grab().toImage();
      bool inked = false;
      for (int x = 0; x < drawn.width() && !inked; ++x)
        for (int y = 0; y < drawn.height() && !inked; ++y) {
          inked = qGray(drawn.pixel(x, y)) < 100;
        }
      EXPECT_TRUE(inked);
    }
  }
}

TEST_F(TimeDisplayTest, EndEllipsisKeepsTheLongestBeginningThatFits) {
  QFont font(QStringLiteral("Tahoma"), 9);
  const QFontMetrics metrics(font);
  const QString text = QStringLiteral("abcdefghijklmnop");
  for (int width = 0; width <= metrics.horizontalAdvance(text) + 2; ++width) {
    const QString cut = app::TLabel::EndEllipsis(text, metrics, width);
    if (cut == text) {
      EXPECT_LE(metrics.horizontalAdvance(text), width);
      continue;
    }
    const QString kept = cut.chopped(3);
    ASSERT_TRUE(text.startsWith(kept)) << width;
    if (!kept.isEmpty()) {
      EXPECT_LE(metrics.horizontalAdvance(cut), width) << width;
    }
    EXPECT_GT(metrics.horizontalAdvance(text.left(kept.size() + 1) + QStringLiteral("...")), width)
        << "one character more would fit at " << width;
  }
}

}  // namespace
}  // namespace kavoro::skin
