// The colour pop-up on a real video control bound to a real graph component with a fake mixer
// pin: its controls, the real mouse on its sliders, check box and button, the refused value,
// its place when shown and its disappearing when the user goes elsewhere.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "../controls/ControlsTestSupport.h"
#include "ColorFakes.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoTrackBar.h"
#include "platform/media/MediaClasses.h"
#include "platform/os/sim/SimPlatform.h"
#include "video/ColorControl.h"
#include "video/ColorSet.h"

namespace kavoro::test {
namespace {

using controls::TVeskoTrackBar;
using controls::test::Expose;
using controls::test::Move;
using controls::test::Press;
using controls::test::Release;
using video::TFrm_ColorSet;

class ColorSetTest : public ColorTest {
 protected:
  void SetUp() override {
    ColorTest::SetUp();
    host = std::make_unique<QWidget>();
    video->setParent(host.get());
    Place(QPoint(100, 80), QSize(640, 480), QRect(20, 30, 400, 300));
  }
  void TearDown() override {
    form.reset();
    ColorTest::TearDown();  // the control leaves its host first
    host.reset();
  }
  void Place(QPoint hostAt, QSize hostSize, QRect control) {
    host->setGeometry(QRect(hostAt, hostSize));
    video->setGeometry(control);
    host->show();
    Expose(host.get());
  }
  // Creates the pop-up and shows it over the control.
  void ShowForm() {
    if (!form) form = std::make_unique<TFrm_ColorSet>(video.get());
    form->show();
    Expose(form.get());
  }
  // A single click on a bar at (x, middle).
  static void ClickBar(TVeskoTrackBar* bar, int x) {
    const QPoint at(x, bar->height() / 2);
    Press(bar, at);
    Release(bar, at);
  }
  static void Click(QWidget* w, QPoint at) {
    Press(w, at);
    Release(w, at);
  }

  std::unique_ptr<QWidget> host;
  std::unique_ptr<TFrm_ColorSet> form;
};

TEST_F(ColorSetTest, ControlsSitAtTheirPlacesWithTheirRangesAndSharedPictures) {
  form = std::make_unique<TFrm_ColorSet>(video.get());
  EXPECT_EQ(form->size(), QSize(300, 158));
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(form->font().pointSize(), 9);

  const std::pair<QLabel*, const char*> labels[] = {{form->Label1, "Brightness"},
                                                    {form->Label2, "Contrast"},
                                                    {form->Label3, "Hue"},
                                                    {form->Label4, "Saturation"}};
  struct BarCase {
    TVeskoTrackBar* bar;
    int max, position;
  };
  const BarCase bars[] = {{form->VeskoTrackBar1, 10000, 750},
                          {form->VeskoTrackBar2, 20000, 10000},
                          {form->VeskoTrackBar3, 360, 180},
                          {form->VeskoTrackBar4, 20000, 10000}};
  const QImage& barPicture = form->VeskoTrackBar1->BarImage().Graphic();
  const QImage& knob = form->VeskoTrackBar1->SliderImage().Graphic();
  ASSERT_FALSE(barPicture.isNull());
  ASSERT_FALSE(knob.isNull());
  EXPECT_EQ(barPicture.width() % TVeskoTrackBar::BarPieces, 0);
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    const int top = 16 + 24 * row;
    EXPECT_EQ(labels[row].first->text().toStdString(), labels[row].second);
    EXPECT_EQ(labels[row].first->pos(), QPoint(16, top));
    TVeskoTrackBar* bar = bars[row].bar;
    EXPECT_EQ(bar->geometry().topLeft(), QPoint(80, top));
    EXPECT_EQ(bar->width(), 201);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), bars[row].max);
    EXPECT_EQ(bar->Position(), bars[row].position);
    EXPECT_EQ(bar->BarImage().Graphic(), barPicture);
    EXPECT_EQ(bar->SliderImage().Graphic(), knob);
    // Every bar is as thick as its knob, so the knob runs along the groove.
    EXPECT_EQ(bar->height(), knob.height());
    EXPECT_EQ(bar->Slider()->y(), 0);
  }
  EXPECT_EQ(form->CheckBox->text().toStdString(), "Utilized colors");
  EXPECT_TRUE(form->CheckBox->isChecked());
  EXPECT_EQ(form->CheckBox->pos(), QPoint(16, 124));
  EXPECT_GE(form->CheckBox->width(), form->CheckBox->sizeHint().width()) << "caption not cut";
  EXPECT_EQ(form->Button->text().toStdString(), "Reset to Default");
  EXPECT_EQ(form->Button->geometry(), QRect(165, 120, 113, 25));
}

TEST_F(ColorSetTest, CreationShowsTheCurrentSettingsAndLeavesThemAlone) {
  video::TColorControl& colors = *video->ColorControl();
  colors.SetBrightness(3000);
  colors.SetContrast(500);
  colors.SetHue(-45);
  colors.SetSaturation(19000);
  colors.SetColorEnable(false);
  form = std::make_unique<TFrm_ColorSet>(video.get());
  EXPECT_EQ(colors.Brightness(), 3000);
  EXPECT_EQ(colors.Contrast(), 500);
  EXPECT_EQ(colors.Hue(), -45);
  EXPECT_EQ(colors.Saturation(), 19000);
  EXPECT_FALSE(colors.ColorEnable());
  EXPECT_EQ(form->VeskoTrackBar1->Position(), 3000);
  EXPECT_EQ(form->VeskoTrackBar2->Position(), 500);
  EXPECT_EQ(form->VeskoTrackBar3->Position(), 135);
  EXPECT_EQ(form->VeskoTrackBar4->Position(), 19000);
  EXPECT_FALSE(form->CheckBox->isChecked());
}

TEST_F(ColorSetTest, HueSliderEndsGiveMinus180And180OnTheLiveSurface) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  ShowForm();
  TVeskoTrackBar* bar = form->VeskoTrackBar3;

  ClickBar(bar, 0);
  EXPECT_EQ(video->ColorControl()->Hue(), -180);
  EXPECT_EQ(pin->record.lHue, -180);
  ClickBar(bar, bar->width() - 1);
  EXPECT_EQ(video->ColorControl()->Hue(), 180);
  EXPECT_EQ(pin->record.lHue, 180);

  // Dragging the knob past either end of the bar.
  const QPoint grip(bar->Slider()->width() / 2, bar->Slider()->height() / 2);
  Press(bar->Slider(), grip);
  ASSERT_TRUE(bar->Dragging());
  Move(bar, QPoint(-60, grip.y()));
  EXPECT_EQ(pin->record.lHue, -180);
  Move(bar, QPoint(bar->width() / 2, grip.y()));
  EXPECT_NEAR(pin->record.lHue, 0, 2);
  Move(bar, QPoint(bar->width() + 60, grip.y()));
  Release(bar, QPoint(bar->width() + 60, grip.y()));
  EXPECT_EQ(pin->record.lHue, 180);
  EXPECT_EQ(video->ColorControl()->Hue(), 180);
  EXPECT_TRUE(form->isVisible()) << "clicks on the pop-up itself keep it";
}

TEST_F(ColorSetTest, UncheckingUtilizedColorsWritesColourEnableZero) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  ShowForm();
  pin->writes.clear();
  Click(form->CheckBox, QPoint(6, form->CheckBox->height() / 2));
  EXPECT_FALSE(form->CheckBox->isChecked());
  ASSERT_FALSE(pin->writes.empty());
  EXPECT_EQ(pin->writes.back().lColorEnable, 0);
  EXPECT_EQ(pin->record.lColorEnable, 0);
  EXPECT_FALSE(video->ColorControl()->ColorEnable());

  Click(form->CheckBox, QPoint(6, form->CheckBox->height() / 2));
  EXPECT_EQ(pin->record.lColorEnable, 1);
}

TEST_F(ColorSetTest, ResetButtonPutsBackTheHardwareRecordAndShowsIt) {
  FakeColorPin* pin = ActivateWithMixer(CLSID_OverlayMixer);
  pin->record.lBrightness = 6000;
  pin->record.lContrast = 12000;
  pin->record.lHue = -30;
  pin->record.lSaturation = 9000;
  const DDCOLORCONTROL found = pin->record;
  video->ColorControl()->ReadHardwareSettings();
  ShowForm();
  form->VeskoTrackBar1->SetPosition(100);
  form->VeskoTrackBar3->SetPosition(300);
  form->CheckBox->setChecked(false);
  ASSERT_EQ(pin->record.lBrightness, 100);
  ASSERT_EQ(pin->record.lHue, 120);

  Click(form->Button, QPoint(form->Button->width() / 2, form->Button->height() / 2));
  EXPECT_EQ(ValuesOf(pin->record), ValuesOf(found));
  EXPECT_EQ(form->VeskoTrackBar1->Position(), 6000);
  EXPECT_EQ(form->VeskoTrackBar2->Position(), 12000);
  EXPECT_EQ(form->VeskoTrackBar3->Position(), 150);
  EXPECT_EQ(form->VeskoTrackBar4->Position(), 9000);
  EXPECT_TRUE(form->CheckBox->isChecked());
}

TEST_F(ColorSetTest, ARefusedSliderValueIsReportedAndTheSettingKeepsItsValue) {
  form = std::make_unique<TFrm_ColorSet>(video.get());
  form->VeskoTrackBar1->SetPosition(10001);
  const auto boxes = os::Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Value 10001 out of range. Value must bee between 0 -> 10.000");
  EXPECT_EQ(video->ColorControl()->Brightness(), 750);
}

struct PlaceCase {
  const char* name;
  QPoint hostAt;
  QSize hostSize;
  QRect control;
  bool frameless;
};

TEST_F(ColorSetTest, ShowingCentresItOverTheControlInTheKeyColourWithCurrentValues) {
  auto callback = MakeCom<video::TOverlayCallback>(video.get());
  COLORKEY key;
  key.KeyType = CK_RGB;
  key.LowColorValue = key.HighColorValue = 0x00100010;
  callback->OnUpdateColorKey(&key, key.HighColorValue);
  ASSERT_EQ(video->ColorKey(), 0x00100010u);

  const PlaceCase cases[] = {
      {"in the frame", {100, 80}, {640, 480}, {20, 30, 400, 300}, false},
      // Odd sizes: halves truncate.
      {"odd sizes", {10, 10}, {500, 400}, {7, 9, 301, 159}, false},
      // A full-screen window on a second monitor to the right of the first.
      {"full screen at an offset", {1920, 0}, {1920, 1080}, {0, 0, 1920, 1080}, true},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (form) form->hide();
    host->setWindowFlag(Qt::FramelessWindowHint, c.frameless);
    Place(c.hostAt, c.hostSize, c.control);
    video->ColorControl()->SetSaturation(1000 + c.control.width());
    ShowForm();
    const QPoint origin = c.hostAt + c.control.topLeft();
    ASSERT_EQ(video->mapToGlobal(QPoint(0, 0)), origin);
    EXPECT_EQ(form->pos(), QPoint(origin.x() + c.control.width() / 2 - 150,
                                  origin.y() + c.control.height() / 2 - 79));
    EXPECT_EQ(form->Color(), 0x00100010u);
    EXPECT_EQ(form->VeskoTrackBar4->Position(), 1000 + c.control.width());
  }

  // The rounded shape: blue border, fill inside; the corners outside it are cut away.
  QImage painted(form->size(), QImage::Format_RGB32);
  form->render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  EXPECT_EQ(painted.pixel(150, 0) & RGB_MASK, qRgb(0, 128, 255) & RGB_MASK);
  EXPECT_EQ(painted.pixel(299, 79) & RGB_MASK, qRgb(0, 128, 255) & RGB_MASK);
  EXPECT_EQ(painted.pixel(150, 112) & RGB_MASK, qRgb(248, 246, 230) & RGB_MASK);
  const QRegion shape = form->mask();
  for (QPoint corner : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 157), QPoint(299, 157)}) {
    EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
  }
  EXPECT_TRUE(shape.contains(QPoint(150, 0)));
  EXPECT_TRUE(shape.contains(QPoint(0, 79)));
}

TEST_F(ColorSetTest, GoingElsewhereHidesIt) {
  struct Way {
    const char* name;
    std::function<void(QWidget* other)> act;
  };
  const Way ways[] = {
      {"another window is activated",
       [](QWidget* other) {
         other->activateWindow();
         QApplication::processEvents();
       }},
      {"a click on another window", [](QWidget* other) { Click(other, QPoint(5, 5)); }},
  };
  for (const Way& w : ways) {
    SCOPED_TRACE(w.name);
    ShowForm();
    ASSERT_TRUE(form->isVisible());
    w.act(host.get());
    EXPECT_FALSE(form->isVisible());
  }
}

}  // namespace
}  // namespace kavoro::test
