#include "ControlsTestSupport.h"

#include "controls/VeskoHint.h"
#include "controls/VeskoHintWindow.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <cmath>

namespace kavoro::controls {
namespace {

TEST(HintWindowTest, QuadrantsOfTheScreen) {
  const QSize screen(800, 600);
  struct Case {
    QPoint at;
    int quadrant;
  };
  const Case cases[] = {{{0, 0}, 1},     {{399, 299}, 1}, {{400, 0}, 0},   {{799, 299}, 0},
                        {{0, 300}, 3},   {{399, 599}, 3}, {{400, 300}, 2}, {{799, 599}, 2},
                        {{401, 301}, 2}, {{-5, 10}, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(TVeskoHintWindow::QuadrantOf(c.at, screen), c.quadrant) << c.at.x() << "," << c.at.y();
  }
}

TEST(HintWindowTest, TextTenWideAndOneLineFourteenHighMakesA32By20Hint) {
  // Find a font and a text of exactly those measures on this machine.
  QFont font("DejaVu Sans");
  QString text;
  for (int pixels = 6; pixels < 40 && text.isEmpty(); ++pixels) {
    font.setPixelSize(pixels);
    const QFontMetricsF metrics(font);
    if (std::ceil(metrics.ascent() + metrics.descent()) != 14) continue;
    for (const QString glyph : {"l", "i", "I", "t", "r", "j", "f", "n", "o", "x", "a", "e"}) {
      for (int count = 1; count <= 6 && text.isEmpty(); ++count) {
        if (std::ceil(metrics.horizontalAdvance(glyph.repeated(count))) == 10)
          text = glyph.repeated(count);
      }
    }
  }
  ASSERT_FALSE(text.isEmpty()) << "no font here measures a line of 14 pixels";
  TVeskoHint hint;
  hint.SetFont(font);
  TVeskoHintWindow window;
  window.PlaceAndShowHintAt(QRect(), text, QPoint(100, 100));
  EXPECT_EQ(window.size(), QSize(32, 20)) << text.toStdString();
}

TEST(HintWindowTest, OpensTowardTheMiddleOfTheScreen) {
  TVeskoHint hint;
  TVeskoHintWindow window;
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QSize size = window.HintSize("Play");
  const int w = size.width();
  const int h = size.height();
  struct Case {
    QPoint cursor;
    int quadrant;
    QPoint topLeft;
  };
  const QPoint ul = screen.topLeft() + QPoint(100, 80);
  const QPoint ur = screen.topLeft() + QPoint(screen.width() - 100, 80);
  const QPoint ll = screen.topLeft() + QPoint(100, screen.height() - 80);
  const QPoint lr = screen.topLeft() + QPoint(screen.width() - 100, screen.height() - 80);
  const QPoint exact = screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2);
  const Case cases[] = {{ul, 1, ul + QPoint(12, 12)},
                        {ur, 0, ur + QPoint(-w - 5, 5)},
                        {ll, 3, ll + QPoint(5, -h - 5)},
                        {lr, 2, lr + QPoint(-w - 5, -h - 5)},
                        {exact, 2, exact + QPoint(-w - 5, -h - 5)}};
  for (const Case& c : cases) {
    window.PlaceAndShowHintAt(QRect(), "Play", c.cursor);
    EXPECT_EQ(window.Quadrant(), c.quadrant);
    EXPECT_EQ(window.geometry(), QRect(c.topLeft, size)) << c.quadrant;
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Text(), "Play");
  }
}

TEST(HintWindowTest, LongTextsWrapWithinTheMaximumWidth) {
  TVeskoHint hint;
  TVeskoHintWindow window;
  window.PlaceAndShowHintAt(QRect(), "x", QPoint(100, 100));
  const int oneLine = window.height();
  const QString words = "Open a media file or a folder of them and play it from the start";
  const QString word = QString("Unbreakable").repeated(8);
  for (const QString& text : {words, word}) {
    window.PlaceAndShowHintAt(QRect(), text, QPoint(100, 100));
    EXPECT_LE(window.width(), TVeskoHint::DefaultMaxHintWidth) << text.toStdString();
    EXPECT_GT(window.height(), oneLine) << text.toStdString();
  }
  hint.SetMaxHintWidth(120);
  window.PlaceAndShowHintAt(QRect(), words, QPoint(100, 100));
  EXPECT_LE(window.width(), 120);
}

TEST(HintWindowTest, PaintsStripFrameArrowAndTextAreaOnThePointersSide) {
  TVeskoHint hint;
  hint.SetColorBackground(QColor::fromRgb(0xFFFFFF));
  hint.SetColor(TVeskoHint::ColorIndexBorder, QColor::fromRgb(0x101010));
  hint.SetColorArrowBackground(QColor::fromRgb(0x53D2FF));
  hint.SetColorArrow(QColor::fromRgb(0xC00000));
  hint.SetColor(7, Qt::green);  // no such colour: ignored
  TVeskoHintWindow window;
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  struct Case {
    QPoint cursor;
    bool stripLeft;
    bool anchorBottom;
  };
  const Case cases[] = {{screen.topLeft() + QPoint(50, 50), true, false},
                        {screen.topLeft() + QPoint(screen.width() - 50, 50), false, false},
                        {screen.topLeft() + QPoint(50, screen.height() - 50), true, true},
                        {screen.bottomRight() - QPoint(50, 50), false, true}};
  for (const Case& c : cases) {
    window.PlaceAndShowHintAt(QRect(), "Volume", c.cursor);
    const QImage face = test::Painted(&window);
    const int w = face.width();
    const int h = face.height();
    auto at = [&](int x, int y) { return face.pixel(x, y) & RGB_MASK; };
    EXPECT_EQ(at(0, 0), 0x101010u);
    EXPECT_EQ(at(w - 1, h - 1), 0x101010u);
    const int stripX = c.stripLeft ? 12 : w - 4;
    const int textX = c.stripLeft ? w - 2 : 2;
    const int freeY = c.anchorBottom ? 1 : h - 2;
    EXPECT_EQ(at(stripX, freeY), 0x53D2FFu) << window.Quadrant();
    EXPECT_EQ(at(textX, freeY), 0xFFFFFFu) << window.Quadrant();
    // The anchor and the end of the first stroke, 6 pixels toward the middle of the hint.
    const QPoint anchor(c.stripLeft ? 3 : w - 4, c.anchorBottom ? h - 4 : 3);
    EXPECT_EQ(at(anchor.x(), anchor.y()), 0xC00000u) << window.Quadrant();
    EXPECT_EQ(at(anchor.x(), anchor.y() + (c.anchorBottom ? -6 : 6)), 0xC00000u);
  }
}

TEST(HintTest, ReplacesTheApplicationsToolTipsWithItsTimings) {
  auto host = test::ShownHost(QSize(300, 200));
  host->activateWindow();
  auto* first = new QWidget(host.get());
  first->setGeometry(10, 10, 60, 30);
  first->setToolTip("Play");
  auto* second = new QWidget(host.get());
  second->setGeometry(100, 10, 60, 30);
  second->setToolTip("Stop");
  auto* inner = new QWidget(second);
  inner->setGeometry(5, 5, 10, 10);
  first->show();
  second->show();
  inner->show();
  TVeskoHint hint(host.get());
  QString shown;
  hint.OnShowHint = [&](QString& text, bool&, THintInfo& info) {
    shown = text;
    EXPECT_EQ(info.HideTimeout, TVeskoHint::HintHidePause);
  };
  test::MoveAway(host.get());

  QElapsedTimer clock;
  clock.start();
  test::Move(first, QPoint(20, 10));
  EXPECT_EQ(hint.State(), THintState::hsWaiting);
  EXPECT_EQ(hint.HintControl(), first);
  ASSERT_TRUE(QTest::qWaitFor([&] { return hint.State() == THintState::hsShowing; }, 3000));
  EXPECT_GE(clock.elapsed(), TVeskoHint::HintPause * 9 / 10);
  ASSERT_NE(hint.HintWindow(), nullptr);
  EXPECT_TRUE(hint.HintWindow()->isVisible());
  EXPECT_EQ(hint.HintWindow()->Text(), "Play");
  EXPECT_EQ(shown, "Play");
  EXPECT_FALSE(QToolTip::isVisible());

  // Moving on from a showing hint: the next one comes after the short pause.
  clock.restart();
  test::Move(inner, QPoint(2, 2));
  EXPECT_EQ(hint.HintControl(), second) << "a child without a hint shows its parent's";
  ASSERT_TRUE(QTest::qWaitFor([&] { return hint.State() == THintState::hsShowing; }, 3000));
  EXPECT_LT(clock.elapsed(), TVeskoHint::HintPause * 8 / 10);
  EXPECT_EQ(hint.HintWindow()->Text(), "Stop");

  // A press puts it away until the pointer goes to another control.
  test::Press(inner, QPoint(2, 2));
  test::Release(inner, QPoint(2, 2));
  EXPECT_EQ(hint.State(), THintState::hsDone);
  EXPECT_FALSE(hint.HintWindow()->isVisible());
  QTest::qWait(TVeskoHint::HintPause + 100);
  EXPECT_FALSE(hint.HintWindow()->isVisible());

  // Off every control with a hint: nothing is due.
  test::Move(host.get(), QPoint(250, 150));
  EXPECT_EQ(hint.State(), THintState::hsIdle);
}

}  // namespace
}  // namespace kavoro::controls
