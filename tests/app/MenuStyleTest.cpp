// The player's menu theme and image list, and the About box, rendered on the offscreen platform.
#include "app/About.h"
#include "app/MenuImages.h"
#include "app/MenuStyle.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

namespace kavoro::app {
namespace {

// Anti-aliased edges blend into the panel; a pixel this close to an ink counts as the ink.
constexpr int kTolerance = 10;

bool Near(QRgb pixel, const QColor& ink) {
  return std::abs(qRed(pixel) - ink.red()) <= kTolerance &&
         std::abs(qGreen(pixel) - ink.green()) <= kTolerance &&
         std::abs(qBlue(pixel) - ink.blue()) <= kTolerance;
}

int CountInk(const QImage& image, const QRect& area, const QColor& ink) {
  int count = 0;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x)
      if (Near(image.pixel(x, y), ink)) ++count;
  return count;
}

// The menu as it is on screen, at one image pixel per widget pixel.
QImage Shot(QWidget& widget) {
  QPixmap pixmap = widget.grab();
  pixmap.setDevicePixelRatio(1);
  return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// The icon column of an item, and the rest of it where the caption stands.
QRect IconColumn(const QRect& item) { return QRect(item.left(), item.top(), kMenuIconColumn, item.height()); }
QRect CaptionArea(const QRect& item) { return item.adjusted(kMenuIconColumn, 0, 0, 0); }

class MenuStyleTest : public ::testing::Test {
 protected:
  TMenuImages Images;
};

TEST_F(MenuStyleTest, HighlightsTheActiveItemAndDimsDisabledItems) {
  QMenu menu;
  QAction* play = menu.addAction(Images.Icon(miPlay), QStringLiteral("&Play"));
  QAction* off = menu.addAction(QStringLiteral("&Fullscreen Mode"));
  off->setEnabled(false);
  QAction* on = menu.addAction(QStringLiteral("&Wallpaper Mode"));
  ThemeMenu(&menu);
  menu.popup(QPoint(10, 10));
  menu.setActiveAction(play);
  const QImage shot = Shot(menu);

  const QRect active = menu.actionGeometry(play);
  EXPECT_GT(CountInk(shot, CaptionArea(active), kMenuHighlight), active.width() * active.height() / 2);
  EXPECT_GT(CountInk(shot, CaptionArea(active), kMenuTextSelected), 0);
  const QRect disabled = menu.actionGeometry(off);
  EXPECT_EQ(CountInk(shot, disabled, kMenuHighlight), 0);
  EXPECT_GT(CountInk(shot, CaptionArea(disabled), kMenuTextDisabled), 0);
  EXPECT_EQ(CountInk(shot, CaptionArea(disabled), kMenuText), 0);
  const QRect enabled = menu.actionGeometry(on);
  EXPECT_GT(CountInk(shot, CaptionArea(enabled), kMenuText), 0);
  EXPECT_EQ(CountInk(shot, enabled, kMenuHighlight), 0);
  EXPECT_GE(active.height(), kMenuItemHeight);
}

TEST_F(MenuStyleTest, TheIconColumnShowsTheItemPictures) {
  QMenu menu;
  QAction* open = menu.addAction(Images.IconOf("Menu_Main_OpenFile"), QStringLiteral("&Open File ..."));
  QAction* bare = menu.addAction(QStringLiteral("&Clear"));
  QAction* dim = menu.addAction(Images.Icon(miStop), QStringLiteral("&Stop"));
  dim->setEnabled(false);
  ThemeMenu(&menu);
  menu.popup(QPoint(10, 10));
  const QImage shot = Shot(menu);

  EXPECT_GT(CountInk(shot, IconColumn(menu.actionGeometry(open)), TMenuImages::NormalInk), 0);
  EXPECT_EQ(CountInk(shot, IconColumn(menu.actionGeometry(bare)), TMenuImages::NormalInk), 0);
  EXPECT_GT(CountInk(shot, IconColumn(menu.actionGeometry(dim)), TMenuImages::DisabledInk), 0);
  EXPECT_EQ(CountInk(shot, IconColumn(menu.actionGeometry(dim)), TMenuImages::NormalInk), 0);
}

TEST_F(MenuStyleTest, EveryPictureIsDrawnAndTheDriveItemsUseImageTwo) {
  EXPECT_EQ(Images.Count(), static_cast<int>(miCount));
  for (int i = 0; i < Images.Count(); ++i) {
    SCOPED_TRACE(TMenuImages::Name(i).toStdString());
    const QImage picture = Images.Icon(i).pixmap(QSize(TMenuImages::Size, TMenuImages::Size), 1.0).toImage();
    int inked = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) inked += qAlpha(picture.pixel(x, y)) > 0;
    EXPECT_GT(inked, 0);
    EXPECT_LT(inked, picture.width() * picture.height());
    EXPECT_EQ(TMenuImages::IndexOf(TMenuImages::Name(i)), i);
  }
  EXPECT_EQ(TMenuImages::Name(2), QStringLiteral("disc"));
  EXPECT_TRUE(Images.Icon(miCount).isNull());
  EXPECT_TRUE(Images.IconOf("Menu_PlayListBox_Clear").isNull());
}

TEST_F(MenuStyleTest, SubmenusAreThemedAlsoWhenAddedLater) {
  QMenu menu;
  QMenu* drives = menu.addMenu(QStringLiteral("&Play DVD or VCD"));
  QAction* drive = drives->addAction(Images.Icon(miDrive), QStringLiteral("E:\\MOVIE"));
  ThemeMenu(&menu);
  EXPECT_TRUE(IsThemed(&menu));
  EXPECT_TRUE(IsThemed(drives));
  QMenu* skins = menu.addMenu(QStringLiteral("&Select Skin"));
  EXPECT_TRUE(IsThemed(skins));
  QMenu loose;
  EXPECT_FALSE(IsThemed(&loose));
  const QStyle* first = menu.style();
  ThemeMenu(&menu);  // twice changes nothing
  EXPECT_EQ(menu.style(), first);

  drives->popup(QPoint(10, 10));
  drives->setActiveAction(drive);
  const QImage shot = Shot(*drives);
  EXPECT_TRUE(Near(shot.pixel(shot.width() - 2, shot.height() - 2), kMenuPanel));
  EXPECT_GT(CountInk(shot, CaptionArea(drives->actionGeometry(drive)), kMenuHighlight), 0);
  EXPECT_GT(CountInk(shot, IconColumn(drives->actionGeometry(drive)), TMenuImages::SelectedInk), 0);
}

TEST(AboutTest, ShowsTheVersionLine) {
  const std::vector<TAboutText> texts = TFrm_About::Texts();
  const auto version = std::find_if(texts.begin(), texts.end(), [](const TAboutText& t) {
    return t.Text == QStringLiteral("Version: 2.14");
  });
  ASSERT_NE(version, texts.end());
  TFrm_About about;
  EXPECT_EQ(about.size(), kAboutSize);
  const QImage shot = Shot(about);
  // The line is drawn where the model says, and fits there.
  EXPECT_GT(CountInk(shot, version->Rect, version->Ink), 0);
  EXPECT_LE(QFontMetrics(version->Font).horizontalAdvance(version->Text), version->Rect.width());
  for (const TAboutText& line : texts)
    EXPECT_LE(QFontMetrics(line.Font).horizontalAdvance(line.Text), line.Rect.width()) << line.Text.toStdString();
}

TEST(AboutTest, ClosesOnAClickOfAnyButtonAndOnEscape) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    TFrm_About about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(&about, button, Qt::NoModifier, QPoint(30, 30));
    EXPECT_FALSE(about.isVisible());
  }
  TFrm_About about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  QTest::mouseRelease(&about, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
  EXPECT_TRUE(about.isVisible()) << "a release without a press in the box does not close it";
  QTest::keyClick(&about, Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
}

TEST(AboutTest, IsCentredOverItsWindow) {
  QWidget window;
  window.setGeometry(200, 150, 600, 400);
  window.show();
  TFrm_About about(&window);
  about.show();
  EXPECT_LE((about.frameGeometry().center() - window.frameGeometry().center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace kavoro::app
