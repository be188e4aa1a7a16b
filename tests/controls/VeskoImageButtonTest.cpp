#include "ControlsTestSupport.h"

#include "controls/GraphicControl.h"
#include "controls/VeskoImageButton.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>

namespace kavoro::controls {
namespace {

using test::Move;
using test::PixelAt;
using test::Press;
using test::Release;

constexpr QRgb kNormal = 0xC00000;
constexpr QRgb kOver = 0x00C000;
constexpr QRgb kDown = 0x0000C0;
constexpr QRgb kDisabled = 0x606060;

class ImageButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = test::ShownHost();
    button = new TVeskoImageButton(host.get());
    button->setGeometry(10, 10, 20, 10);
    button->PicNormal().Assign(test::Solid(20, 10, QColor::fromRgb(kNormal)));
    button->PicMouseOn().Assign(test::Solid(20, 10, QColor::fromRgb(kOver)));
    button->PicMouseDown().Assign(test::Solid(20, 10, QColor::fromRgb(kDown)));
    button->OnClick = [this](QObject*) { ++clicks; };
    button->show();
    test::MoveAway(host.get());
  }
  QRgb Face() { return PixelAt(button, QPoint(5, 5)); }

  std::unique_ptr<QWidget> host;
  TVeskoImageButton* button = nullptr;
  int clicks = 0;
};

TEST_F(ImageButtonTest, PointerAndPressShowTheirPicturesAndReleaseInsideClicksOnce) {
  EXPECT_EQ(Face(), kNormal);
  Move(button, QPoint(5, 5));
  EXPECT_TRUE(button->MouseOver());
  EXPECT_EQ(Face(), kOver);
  Press(button, QPoint(5, 5));
  EXPECT_EQ(button->State(), TButtonState::bsPressed);
  EXPECT_EQ(Face(), kDown);
  Release(button, QPoint(6, 6));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->Pressed());
  EXPECT_FALSE(button->ClickArmed());
  EXPECT_EQ(Face(), kOver);
  test::MoveAway(host.get());
  EXPECT_EQ(Face(), kNormal);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ImageButtonTest, PressCancelledByLeavingDoesNotComeBack) {
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5));
  Move(button, QPoint(40, 5));
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(Face(), kNormal);
  Move(button, QPoint(5, 5));
  EXPECT_FALSE(button->Pressed());
  EXPECT_NE(Face(), kDown);
  Release(button, QPoint(5, 5));
  EXPECT_EQ(clicks, 0);
  // Released outside: the normal face, and nothing stays pressed.
  Press(button, QPoint(5, 5));
  Move(button, QPoint(-3, 5));
  Release(button, QPoint(-3, 5));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Face(), kNormal);
}

TEST_F(ImageButtonTest, EdgesAtWidthAndHeightStillCountAsInside) {
  struct Case {
    QPoint moveTo;
    bool stillPressed;
  };
  const Case cases[] = {{{20, 10}, true}, {{0, 0}, true},   {{21, 5}, false},
                        {{5, 11}, false}, {{-1, 5}, false}, {{5, -1}, false}};
  for (const Case& c : cases) {
    Move(button, QPoint(5, 5));
    Press(button, QPoint(5, 5));
    Move(button, c.moveTo);
    EXPECT_EQ(button->Pressed(), c.stillPressed) << c.moveTo.x() << "," << c.moveTo.y();
    Release(button, c.moveTo);
    test::MoveAway(host.get());
  }
}

TEST_F(ImageButtonTest, RightButtonNeverPresses) {
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5), Qt::RightButton);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(Face(), kOver);
  Release(button, QPoint(5, 5), Qt::RightButton);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ImageButtonTest, DisabledShowsDisabledPictureAndGivesNoClick) {
  button->SetEnabled(false);
  EXPECT_EQ(Face(), kNormal) << "no disabled picture: PicNormal";
  button->SetPicDisabled(test::Solid(20, 10, QColor::fromRgb(kDisabled)));
  EXPECT_EQ(Face(), kDisabled);
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5));
  Release(button, QPoint(5, 5));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Face(), kDisabled);
  button->OnClick = nullptr;
  button->SetEnabled(true);
  EXPECT_EQ(Face(), kOver) << "the pointer stayed over it while disabled";
}

TEST_F(ImageButtonTest, DisablingWhilePressedCancelsThePress) {
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5));
  button->SetEnabled(false);
  Release(button, QPoint(5, 5));
  button->SetEnabled(true);
  EXPECT_FALSE(button->Pressed());
  EXPECT_NE(Face(), kDown);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ImageButtonTest, OnlyPicNormalShowsInEveryState) {
  button->PicMouseOn().Clear();
  button->PicMouseDown().Clear();
  EXPECT_EQ(Face(), kNormal);
  Move(button, QPoint(5, 5));
  EXPECT_EQ(Face(), kNormal);
  Press(button, QPoint(5, 5));
  EXPECT_EQ(button->State(), TButtonState::bsPressed);
  EXPECT_EQ(Face(), kNormal);
  Release(button, QPoint(5, 5));
  button->SetEnabled(false);
  EXPECT_EQ(Face(), kNormal);
}

TEST_F(ImageButtonTest, NoPictureAtAllDrawsTheButtonColourAndCaption) {
  button->PicNormal().Clear();
  button->PicMouseOn().Clear();
  button->PicMouseDown().Clear();
  QPalette palette = button->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(0x102030));
  button->setPalette(palette);
  EXPECT_EQ(Face(), 0x102030u);
}

TEST_F(ImageButtonTest, SettingPicNormalSizesTheButtonButDirectAssignmentDoesNot) {
  button->PicNormal().Assign(test::Solid(33, 17, Qt::white));
  EXPECT_EQ(button->size(), QSize(20, 10));
  button->SetPicNormal(test::Solid(33, 17, Qt::white));
  EXPECT_EQ(button->size(), QSize(33, 17));
  EXPECT_TRUE(button->AutoSize());
  // Without a parent there is nothing to size for.
  TVeskoImageButton loose;
  loose.resize(5, 5);
  loose.SetPicNormal(test::Solid(33, 17, Qt::white));
  EXPECT_EQ(loose.size(), QSize(5, 5));
  EXPECT_FALSE(loose.AutoSize());
}

TEST_F(ImageButtonTest, DisabledCaptionIsEmbossedWhiteAndGrey) {
  button->setGeometry(10, 10, 80, 30);
  button->SetPicNormal(QImage());
  button->PicNormal().Assign(test::Solid(80, 30, Qt::black));
  button->SetCaption("&Play");
  auto colours = [&] {
    QSet<QRgb> seen;
    const QImage face = test::Painted(button);
    for (int y = 0; y < face.height(); ++y)
      for (int x = 0; x < face.width(); ++x) seen.insert(face.pixel(x, y) & RGB_MASK);
    return seen;
  };
  const QSet<QRgb> enabled = colours();
  EXPECT_FALSE(enabled.contains(0x808080));
  button->SetEnabled(false);
  const QSet<QRgb> disabled = colours();
  EXPECT_TRUE(disabled.contains(0xFFFFFF));
  EXPECT_TRUE(disabled.contains(0x808080));
}

TEST_F(ImageButtonTest, PressedCaptionMovesOnePixelRightAndDown) {
  button->setGeometry(10, 10, 80, 30);
  button->PicNormal().Assign(test::Solid(80, 30, Qt::black));
  button->PicMouseOn().Clear();
  button->PicMouseDown().Clear();
  QPalette palette = button->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  button->setPalette(palette);
  button->SetCaption("Stop");
  const QImage up = test::Painted(button);
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5));
  const QImage down = test::Painted(button);
  Release(button, QPoint(5, 5));
  ASSERT_NE(up, down);
  EXPECT_EQ(down.copy(1, 1, 79, 29), up.copy(0, 0, 79, 29));
}

TEST_F(ImageButtonTest, KeyboardPressAndReleaseClickOnceAndRepeatsDoNot) {
  button->SetTabStop(true);
  host->activateWindow();
  button->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }));
  QTest::keyPress(button, Qt::Key_Space);
  EXPECT_TRUE(button->Pressed());
  EXPECT_EQ(Face(), kDown);
  QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(button, &repeatUp);
  EXPECT_EQ(clicks, 0);
  QTest::keyRelease(button, Qt::Key_Space);
  EXPECT_EQ(clicks, 1);
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(clicks, 2);
  QTest::keyClick(button, Qt::Key_A);
  EXPECT_EQ(clicks, 2);
}

TEST_F(ImageButtonTest, AcceleratorOfTheCaptionClicksWhenEnabled) {
  button->SetCaption("&Play");
  host->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
  QTest::keyClick(host.get(), Qt::Key_P, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
  button->SetEnabled(false);
  QTest::keyClick(host.get(), Qt::Key_P, Qt::AltModifier);
  EXPECT_EQ(clicks, 1);
}

TEST(ImageButtonDialogTest, ClickGivesAModalDialogItsResult) {
  QDialog dialog;
  auto* ok = new TVeskoImageButton(&dialog);
  ok->setGeometry(10, 10, 40, 20);
  ok->SetModalResult(QDialog::Accepted);
  dialog.open();
  test::Expose(&dialog);
  Move(ok, QPoint(5, 5));
  Press(ok, QPoint(5, 5));
  Release(ok, QPoint(5, 5));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ImageButtonTest, FocusLostDuringAKeyPressCancelsIt) {
  auto* other = new QWidget(host.get());
  other->setFocusPolicy(Qt::StrongFocus);
  other->show();
  button->SetTabStop(true);
  host->activateWindow();
  button->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }));
  QTest::keyPress(button, Qt::Key_Space);
  other->setFocus();
  QTest::keyRelease(other, Qt::Key_Space);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(clicks, 0);
}

TEST_F(ImageButtonTest, HiddenUnderThePointerShowsNormalWhenShownAgain) {
  Move(button, QPoint(5, 5));
  ASSERT_TRUE(button->MouseOver());
  button->hide();
  test::MoveAway(host.get());
  button->show();
  EXPECT_FALSE(button->MouseOver());
  EXPECT_EQ(Face(), kNormal);
}

TEST_F(ImageButtonTest, ClickHandlerMayDestroyTheButton) {
  button->OnClick = [this](QObject*) {
    ++clicks;
    delete button;
    button = nullptr;
  };
  QPoint at = button->mapTo(host.get(), QPoint(5, 5));
  Move(host.get(), at);
  Press(host.get(), at);
  Release(host.get(), at);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button, nullptr);
}

TEST_F(ImageButtonTest, ActionGivesCaptionAndRunsWhenThereIsNoOnClick) {
  QAction action("&Open", host.get());
  int triggered = 0;
  QObject::connect(&action, &QAction::triggered, [&] { ++triggered; });
  button->SetAction(&action);
  EXPECT_EQ(button->Caption(), "&Open");
  button->OnClick = nullptr;
  Move(button, QPoint(5, 5));
  Press(button, QPoint(5, 5));
  Release(button, QPoint(5, 5));
  EXPECT_EQ(triggered, 1);
  action.setText("&Close");
  EXPECT_EQ(button->Caption(), "&Close");
  action.setEnabled(false);
  EXPECT_FALSE(button->Enabled());
}

TEST_F(ImageButtonTest, TransparentShowsTheParentAndItsWindowlessControlsBehindThePicture) {
  // The parent is green; a windowless control beneath the button paints its right half blue.
  QPalette palette = host->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(0x00FF00));
  host->setPalette(palette);
  QPalette own = button->palette();
  own.setColor(QPalette::Window, QColor::fromRgb(0x333333));
  button->setPalette(own);
  auto* under = new TGraphicControl(host.get());
  under->setGeometry(20, 0, 100, 100);
  under->setAutoFillBackground(true);
  QPalette blue = under->palette();
  blue.setColor(QPalette::Window, QColor::fromRgb(0x0000FF));
  under->setPalette(blue);
  under->show();
  QImage see(20, 10, QImage::Format_ARGB32);
  see.fill(Qt::transparent);
  QPainter(&see).fillRect(0, 0, 4, 10, QColor::fromRgb(0xC00000));
  button->PicNormal().Assign(see);
  button->SetTransparent(true);
  EXPECT_EQ(PixelAt(button, QPoint(2, 5)), 0xC00000u);
  EXPECT_EQ(PixelAt(button, QPoint(6, 5)), 0x00FF00u);
  EXPECT_EQ(PixelAt(button, QPoint(12, 5)), 0x0000FFu);
  button->SetTransparent(false);
  EXPECT_EQ(PixelAt(button, QPoint(6, 5)), 0x333333u);
}

// The resource-based picture source of the custom button.
class ResourceButton : public TVeskoCustomButton {
 public:
  using TVeskoCustomButton::TVeskoCustomButton;
 protected:
  void ApplyStyle(TUIStyle) override {}
};

TEST(CustomButtonTest, MissingResourcePaintsABlankPicture) {
  auto host = test::ShownHost();
  ResourceButton button(host.get());
  button.setGeometry(0, 0, 100, 40);
  QPalette palette = button.palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(0x123456));
  button.setPalette(palette);
  button.SetNormalResource("no/such/picture.bmp");
  button.show();
  const QImage face = test::Painted(&button);
  EXPECT_EQ(face.pixel(0, 0) & RGB_MASK, 0xFFFFFFu);
  EXPECT_EQ(face.pixel(73, 20) & RGB_MASK, 0xFFFFFFu);
  EXPECT_EQ(face.pixel(74, 20) & RGB_MASK, 0x123456u);
  EXPECT_EQ(face.pixel(10, 21) & RGB_MASK, 0x123456u);
}

}  // namespace
}  // namespace kavoro::controls
