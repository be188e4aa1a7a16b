#include "ControlsTestSupport.h"

#include "controls/VeskoSkinForm.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace kavoro::controls {
namespace {

constexpr QRgb kFuchsia = 0xFF00FF;

QImage Row(std::initializer_list<QRgb> pixels) {
  QImage image(static_cast<int>(pixels.size()), 1, QImage::Format_RGB32);
  int x = 0;
  for (QRgb pixel : pixels) image.setPixel(x++, 0, pixel);
  return image;
}

// The region as the rule states it: one rectangle per pixel that is not the colour.
QRegion PixelByPixel(const QImage& image, QRgb transparent) {
  QRegion region;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & RGB_MASK) != transparent) region += QRect(x, y, 1, 1);
  return region;
}

TEST(SkinFormRegionTest, FourByOnePictureKeepsExactlyColumnsOneAndTwo) {
  const QRegion region =
      TVeskoSkinForm::BuildRegion(Row({kFuchsia, 0xFF0000, 0xFF0000, kFuchsia}),
                                  QColor::fromRgb(kFuchsia));
  ASSERT_EQ(region.rectCount(), 1);
  EXPECT_EQ(*region.begin(), QRect(1, 0, 2, 1));
}

TEST(SkinFormRegionTest, RegionMatchesThePixelsForAnyPicture) {
  struct Case {
    const char* what;
    QImage picture;
  };
  QImage noKey = test::Solid(7, 5, Qt::red);
  QImage emptyRow = test::Solid(6, 4, Qt::blue);
  for (int x = 0; x < 6; ++x) emptyRow.setPixel(x, 2, kFuchsia);
  // Only red, green and blue count: the same colour with another alpha is still cut out.
  QImage alpha(3, 1, QImage::Format_ARGB32);
  alpha.setPixel(0, 0, 0x10FF00FF);
  alpha.setPixel(1, 0, 0xFFFF00FE);
  alpha.setPixel(2, 0, 0xFFFF00FF);
  QImage noise(61, 47, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < noise.height(); ++y)
    for (int x = 0; x < noise.width(); ++x)
      noise.setPixel(x, y, random.bounded(3) == 0 ? kFuchsia : 0x102030);
  const Case cases[] = {{"no fuchsia", noKey},
                        {"an all-fuchsia row", emptyRow},
                        {"alpha", alpha},
                        {"noise", noise},
                        {"all fuchsia", test::Solid(5, 5, QColor::fromRgb(kFuchsia))}};
  for (const Case& c : cases) {
    const QRegion built = TVeskoSkinForm::BuildRegion(c.picture, QColor::fromRgb(kFuchsia));
    EXPECT_TRUE((built ^ PixelByPixel(c.picture, kFuchsia)).isEmpty()) << c.what;
  }
  EXPECT_EQ(TVeskoSkinForm::BuildRegion(noKey, QColor::fromRgb(kFuchsia)),
            QRegion(0, 0, 7, 5));
  EXPECT_TRUE(TVeskoSkinForm::BuildRegion(QImage(), Qt::red).isEmpty());
}

TEST(SkinFormTest, CreationMakesTheFormACaptionlessWindow) {
  QWidget form;
  TVeskoSkinForm skin(&form);
  EXPECT_EQ(skin.Form(), &form);
  EXPECT_EQ(skin.size(), QSize(200, 100));
  EXPECT_EQ(form.size(), QSize(200, 100));
  EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(skin.TransparentColor(), QColor::fromRgb(kFuchsia));
}

TEST(SkinFormTest, GlyphShapesAndSizesTheFormAndPaints) {
  auto form = test::ShownHost(QSize(300, 300));
  TVeskoSkinForm skin(form.get());
  int regionChanges = 0;
  skin.OnRegionChanged = [&](QObject*) { ++regionChanges; };
  skin.move(5, 5);
  QImage picture = test::Solid(40, 30, QColor::fromRgb(0x336699));
  for (int y = 0; y < 30; ++y) picture.setPixel(0, y, kFuchsia);
  // Loaded straight into the picture object: nothing happens until the colour is set.
  skin.Glyph().Assign(picture);
  EXPECT_EQ(regionChanges, 0);
  EXPECT_EQ(form->size(), QSize(200, 100));
  skin.SetTransparentColor(QColor::fromRgb(kFuchsia));
  EXPECT_EQ(regionChanges, 1);
  EXPECT_EQ(skin.geometry(), QRect(0, 0, 40, 30));
  EXPECT_EQ(form->size(), QSize(40, 30));
  EXPECT_EQ(form->mask(), QRegion(1, 0, 39, 30));
  EXPECT_EQ(test::PixelAt(&skin, QPoint(20, 10)), 0x336699u);
  // An empty picture leaves shape and size as they were.
  skin.SetGlyph(QImage());
  EXPECT_EQ(regionChanges, 1);
  EXPECT_EQ(form->mask(), QRegion(1, 0, 39, 30));
  EXPECT_EQ(form->size(), QSize(40, 30));
  EXPECT_EQ(test::PixelAt(&skin, QPoint(0, 0)), 0x000000u) << "the frame of an empty glyph";
}

TEST(SkinFormTest, LeftPressDragsTheWindowAndOtherButtonsDoNot) {
  auto form = test::ShownHost(QSize(300, 300));
  TVeskoSkinForm skin(form.get());
  skin.SetGlyph(test::Solid(120, 80, Qt::darkGreen));
  skin.show();
  test::Expose(form.get());
  int downs = 0;
  skin.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
  const QPoint start = form->pos();
  test::Move(&skin, QPoint(10, 10));
  test::Press(&skin, QPoint(10, 10), Qt::RightButton);
  test::Move(&skin, QPoint(30, 25));
  test::Release(&skin, QPoint(30, 25), Qt::RightButton);
  EXPECT_EQ(form->pos(), start);
  // The offscreen window system cannot move windows: the control follows the pointer itself.
  test::Move(&skin, QPoint(10, 10));
  test::Press(&skin, QPoint(10, 10));
  test::Move(&skin, QPoint(30, 25));
  EXPECT_EQ(form->pos(), start + QPoint(20, 15));
  test::Release(&skin, QPoint(10, 10));
  EXPECT_EQ(downs, 2);
}

TEST(SkinFormTest, WithoutAFormItIsOnlyAControl) {
  QWidget form;
  QWidget inner(&form);
  inner.resize(10, 10);
  TVeskoSkinForm skin(&inner);
  EXPECT_EQ(skin.Form(), nullptr);
  skin.SetGlyph(Row({kFuchsia, 0xFF0000}));
  EXPECT_TRUE(inner.mask().isEmpty());
  EXPECT_TRUE(form.mask().isEmpty());
  EXPECT_EQ(inner.size(), QSize(10, 10));
}

}  // namespace
}  // namespace kavoro::controls
