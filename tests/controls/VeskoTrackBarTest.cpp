#include "ControlsTestSupport.h"

#include "controls/VeskoImagePanel.h"
#include "controls/VeskoTrackBar.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <limits>
#include <vector>

namespace kavoro::controls {
namespace {

using test::Move;
using test::Press;
using test::Release;
using Orientation = TVeskoProgressBarOrientation;

constexpr QRgb kSlider = 0x2040F0;

// A bar picture of three 10-pixel pieces whose columns all differ: red for the left cap,
// green rising for the middle, blue for the right cap.
QImage ThreePieceBar(int height) {
  QImage picture(30, height, QImage::Format_RGB32);
  for (int x = 0; x < 30; ++x) {
    QColor colour = x < 10 ? QColor(200 + x, 0, 0)
                    : x < 20 ? QColor(0, 100 + (x - 10) * 10, 0)
                             : QColor(0, 0, 200 + (x - 20));
    for (int y = 0; y < height; ++y) picture.setPixel(x, y, colour.rgb());
  }
  return picture;
}

// Builds a bar the way the skin loader does: length, pictures, then one pixel longer and
// shorter again so the pictures take effect.
TVeskoTrackBar* MakeBar(QWidget* host, Orientation orientation, int length, QSize slider,
                        const QImage& barPicture) {
  auto* bar = new TVeskoTrackBar(host);
  bar->move(20, 20);
  bar->show();
  bar->SetOrientation(orientation);
  const bool horizontal = orientation == Orientation::VeskoHorizontal;
  if (horizontal) {
    bar->resize(length, 30);
  } else {
    bar->resize(30, length);
  }
  bar->SetBarImage(barPicture);
  bar->SetSliderImage(test::Solid(slider.width(), slider.height(), QColor::fromRgb(kSlider)));
  if (horizontal) {
    bar->resize(bar->width() + 1, bar->height());
    bar->resize(bar->width() - 1, bar->height());
  } else {
    bar->resize(bar->width(), bar->height() + 1);
    bar->resize(bar->width(), bar->height() - 1);
  }
  return bar;
}

class HorizontalBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = test::ShownHost();
    bar = MakeBar(host.get(), Orientation::VeskoHorizontal, 100, QSize(10, 10),
                  ThreePieceBar(10));
    bar->SetMax(255);
    bar->OnChange = [this](QObject*) { changes.push_back(bar->Position()); };
    test::MoveAway(host.get());
  }
  int SliderLeft() const { return bar->Slider()->x(); }

  std::unique_ptr<QWidget> host;
  TVeskoTrackBar* bar = nullptr;
  std::vector<int> changes;
};

TEST_F(HorizontalBarTest, FitsThicknessAndSizesTheSliderToItsPicture) {
  EXPECT_EQ(bar->size(), QSize(100, 10));
  EXPECT_EQ(bar->Slider()->size(), QSize(10, 10));
  EXPECT_EQ(bar->Slider()->y(), 0);
}

TEST_F(HorizontalBarTest, PositionPlacesTheSlider) {
  struct Case {
    int position;
    int left;
  };
  // 300 lies beyond Max: stored as it is, the slider beyond the bar's end.
  const Case cases[] = {{255, 90}, {128, 45}, {0, 0}, {1, 0}, {3, 1}, {300, 105}, {-10, -3}};
  for (const Case& c : cases) {
    changes.clear();
    bar->SetPosition(c.position);
    EXPECT_EQ(bar->Position(), c.position);
    EXPECT_EQ(SliderLeft(), c.left) << "position " << c.position;
    EXPECT_EQ(changes, std::vector<int>{c.position});
  }
}

TEST_F(HorizontalBarTest, PressOnTheBarJumpsWithTheSliderCentredUnderThePointer) {
  struct Case {
    int x;
    int position;
    int left;
  };
  // Each press lands beside the slider the previous one left.
  const Case cases[] = {{50, 127, 44}, {2, 0, 0}, {99, 255, 90}, {30, 70, 24}};
  for (const Case& c : cases) {
    changes.clear();
    Press(bar, QPoint(c.x, 5));
    EXPECT_EQ(bar->Position(), c.position) << "x " << c.x;
    EXPECT_EQ(SliderLeft(), c.left) << "x " << c.x;
    EXPECT_FALSE(bar->Dragging());
    Release(bar, QPoint(c.x, 5));
    EXPECT_EQ(changes, std::vector<int>{c.position}) << "the release raises nothing";
  }
}

TEST_F(HorizontalBarTest, PressBringsAnOutOfRangePositionBack) {
  bar->SetPosition(300);
  Press(bar, QPoint(20, 5));
  Release(bar, QPoint(20, 5));
  EXPECT_EQ(bar->Position(), 42);
  EXPECT_EQ(SliderLeft(), 14);
}

TEST_F(HorizontalBarTest, DragFollowsThePointerWithTheMouseCapturedAndStopsAtTheEnds) {
  bar->SetPosition(128);  // slider at 45..54
  changes.clear();
  Press(bar->Slider(), QPoint(5, 5));
  ASSERT_TRUE(bar->Dragging());
  EXPECT_EQ(bar->GrabOffset(), 5);
  struct Step {
    QPoint at;  // in bar coordinates; far off the bar still reaches it
    int left;
    int position;
  };
  const Step steps[] = {{{60, 5}, 55, 155},   {{61, 40}, 56, 158}, {{-50, 5}, 0, 0},
                        {{500, -30}, 90, 255}, {{5, 5}, 0, 0},     {{95, 5}, 90, 255}};
  for (const Step& s : steps) {
    changes.clear();
    Move(bar, s.at);
    EXPECT_EQ(SliderLeft(), s.left) << s.at.x();
    EXPECT_EQ(bar->Position(), s.position) << s.at.x();
    EXPECT_EQ(changes, std::vector<int>{s.position}) << "one change, already holding the value";
  }
  changes.clear();
  Release(bar, QPoint(95, 5));
  EXPECT_FALSE(bar->Dragging());
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  // Idle again: moves drag nothing.
  Move(bar, QPoint(30, 5));
  EXPECT_EQ(SliderLeft(), 90);
}

TEST_F(HorizontalBarTest, ThreePartBarKeepsItsCapsAndStretchesTheMiddle) {
  const QImage painted = test::Painted(bar);
  const QImage picture = ThreePieceBar(10);
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(bar->BarBitmap().pixel(x, 3), picture.pixel(x, 3)) << x;
    EXPECT_EQ(bar->BarBitmap().pixel(90 + x, 3), picture.pixel(20 + x, 3)) << x;
  }
  // The middle columns 10..19 cover 10..89, each 8 wide, in order.
  for (int x = 10; x < 90; ++x) {
    EXPECT_EQ(bar->BarBitmap().pixel(x, 3), picture.pixel(10 + (x - 10) / 8, 3)) << x;
  }
  EXPECT_EQ(painted.pixel(95, 3), picture.pixel(25, 3)) << "as painted beside the slider";
}

TEST(TrackBarTest, VerticalBarHasItsMinimumAtTheBottom) {
  auto host = test::ShownHost();
  auto* bar = MakeBar(host.get(), Orientation::VeskoVertical, 100, QSize(10, 10),
                      ThreePieceBar(10));
  EXPECT_EQ(bar->size(), QSize(10, 100));
  struct Case {
    int position;
    int top;
  };
  for (const Case& c : {Case{0, 90}, Case{100, 0}, Case{50, 45}}) {
    bar->SetPosition(c.position);
    EXPECT_EQ(bar->Slider()->pos(), QPoint(0, c.top)) << c.position;
  }
  // The left cap lies at the bottom, the right cap at the top.
  const QImage picture = ThreePieceBar(10);
  EXPECT_EQ(bar->BarBitmap().size(), QSize(10, 100));
  EXPECT_EQ(bar->BarBitmap().pixel(4, 99), picture.pixel(0, 4));
  EXPECT_EQ(bar->BarBitmap().pixel(4, 0), picture.pixel(29, 4));
  // A press takes the point as the slider's centre, counted from the bottom.
  test::MoveAway(host.get());
  Press(bar, QPoint(5, 20));
  Release(bar, QPoint(5, 20));
  EXPECT_EQ(bar->Position(), 83);
  EXPECT_EQ(bar->Slider()->y(), 16);
}

TEST(TrackBarTest, BarBuiltWhileHiddenIsRightOnceShown) {
  QWidget host;
  host.resize(300, 100);
  auto* bar = new TVeskoTrackBar(&host);
  bar->SetMax(255);
  bar->SetPosition(128);
  bar->resize(100, 30);
  bar->SetBarImage(ThreePieceBar(10));
  bar->SetSliderImage(test::Solid(10, 10, QColor::fromRgb(kSlider)));
  bar->resize(101, 30);
  bar->resize(100, 30);
  test::Expose(&host);
  EXPECT_EQ(bar->size(), QSize(100, 10));
  EXPECT_EQ(bar->Slider()->geometry(), QRect(45, 0, 10, 10));
  EXPECT_EQ(test::PixelAt(bar, QPoint(50, 5)), kSlider);
}

TEST(TrackBarTest, RotateLeftTurnsAQuarterCounterClockwise) {
  QImage source(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) source.setPixel(x, y, qRgb(x, y, 7));
  const QImage turned = TVeskoTrackBar::RotateLeft(source);
  ASSERT_EQ(turned.size(), QSize(2, 3));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(turned.pixel(y, 2 - x), source.pixel(x, y));
}

TEST(TrackBarTest, ThinBarPictureLeavesTheColourShowing) {
  auto host = test::ShownHost();
  auto* bar = MakeBar(host.get(), Orientation::VeskoHorizontal, 60, QSize(10, 12),
                      ThreePieceBar(4));
  bar->SetColor(QColor::fromRgb(0x445566));
  const QImage painted = test::Painted(bar);
  EXPECT_EQ(bar->height(), 12);
  EXPECT_EQ(painted.pixel(30, 2) & RGB_MASK, ThreePieceBar(4).pixel(15, 2) & RGB_MASK);
  EXPECT_EQ(painted.pixel(30, 8) & RGB_MASK, 0x445566u);
  // Without a bar picture only the colour shows.
  bar->SetBarImage(QImage());
  EXPECT_TRUE(bar->BarBitmap().isNull());
  EXPECT_EQ(test::PixelAt(bar, QPoint(30, 2)), 0x445566u);
}

TEST(TrackBarTest, DegenerateBarsNeverDivideByZero) {
  auto host = test::ShownHost();
  struct Case {
    const char* what;
    int length;
    int sliderLength;
    int min;
    int max;
  };
  const Case cases[] = {
      {"Max equal to Min", 100, 10, 5, 5},
      {"bar as long as its slider", 10, 10, 0, 100},
      {"bar shorter than its slider", 8, 10, 0, 100},
  };
  for (const Case& c : cases) {
    for (Orientation orientation : {Orientation::VeskoHorizontal, Orientation::VeskoVertical}) {
      const bool horizontal = orientation == Orientation::VeskoHorizontal;
      auto* bar = MakeBar(host.get(), orientation, c.length, QSize(c.sliderLength, c.sliderLength),
                          ThreePieceBar(10));
      bar->SetMin(c.min);
      bar->SetMax(c.max);
      bar->SetPosition(c.max);
      const QPoint end = horizontal ? QPoint(0, 0) : QPoint(0, c.length - c.sliderLength);
      EXPECT_EQ(bar->Slider()->pos(), end) << c.what << " stays at the minimum end";
      EXPECT_EQ(bar->PositionAtPoint(c.length - 1, c.length - 1), c.min) << c.what;
      bar->SetPositionFromPoint(c.length, 0, true);
      EXPECT_EQ(bar->Position(), c.min) << c.what;
      test::Painted(bar);
      delete bar;
    }
  }
}

TEST(TrackBarTest, NarrowBarPictureIsStretchedWhole) {
  auto host = test::ShownHost();
  QImage picture(2, 10, QImage::Format_RGB32);
  picture.fill(Qt::yellow);
  auto* bar = MakeBar(host.get(), Orientation::VeskoHorizontal, 100, QSize(10, 10), picture);
  EXPECT_EQ(bar->BarBitmap().pixel(50, 5) & RGB_MASK, 0xFFFF00u);
  EXPECT_EQ(bar->BarBitmap().pixel(99, 5) & RGB_MASK, 0xFFFF00u);
}

TEST(TrackBarTest, WideRangesDoNotOverflow) {
  auto host = test::ShownHost();
  auto* bar = MakeBar(host.get(), Orientation::VeskoHorizontal, 100, QSize(10, 10),
                      ThreePieceBar(10));
  constexpr int kLow = std::numeric_limits<int>::min() + 1;
  constexpr int kHigh = std::numeric_limits<int>::max();
  bar->SetMin(kLow);
  bar->SetMax(kHigh);
  bar->SetPosition(kHigh);
  EXPECT_EQ(bar->Slider()->x(), 90);
  bar->SetPosition(0);
  EXPECT_EQ(bar->Slider()->x(), 45);
  EXPECT_EQ(bar->PositionAtPoint(95, 5), kHigh);
  EXPECT_EQ(bar->PositionAtPoint(5, 5), kLow);
}

}  // namespace
}  // namespace kavoro::controls
