#include "controls/Image.h"
#include "controls/Picture.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

namespace kavoro::controls {
namespace {

class PictureFileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return FDir.path().toStdString() + "/" + name; }
  QTemporaryDir FDir;
};

TEST_F(PictureFileTest, LoadsOnlyWindowsBitmaps) {
  QImage picture(5, 3, QImage::Format_RGB32);
  picture.fill(Qt::cyan);
  ASSERT_TRUE(picture.save(QString::fromStdString(Path("good.bmp")), "BMP"));
  ASSERT_TRUE(picture.save(QString::fromStdString(Path("png.bmp")), "PNG"));
  ASSERT_TRUE(picture.save(QString::fromStdString(Path("bitmap.png")), "BMP"));

  TPicture target;
  int changes = 0;
  target.OnChange = [&] { ++changes; };
  std::string error;
  ASSERT_TRUE(target.LoadFromFile(Path("good.bmp"), &error)) << error;
  EXPECT_EQ(target.Graphic().size(), QSize(5, 3));
  EXPECT_EQ(target.Graphic().pixelColor(4, 2), QColor(Qt::cyan));
  EXPECT_EQ(changes, 1);
  // The content decides, never the name.
  QImage read;
  EXPECT_TRUE(LoadBitmapFile(Path("bitmap.png"), &read, &error)) << error;

  struct Case {
    const char* Name;
    const char* Why;
  };
  for (const Case c : {Case{"png.bmp", "not a readable Windows bitmap"},
                       Case{"missing.bmp", "does not exist"}, Case{"", "not a regular file"}}) {
    error.clear();
    EXPECT_FALSE(target.LoadFromFile(Path(c.Name), &error)) << c.Name;
    EXPECT_NE(error.find(c.Why), std::string::npos) << c.Name << ": " << error;
  }
  // A failed load keeps the picture as it was.
  EXPECT_EQ(target.Graphic().size(), QSize(5, 3));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(target.LoadFromFile(Path("png.bmp"), nullptr));
}

TEST(Image, ShowsItsPictureAtNaturalSizeOrStretched) {
  QWidget parent;
  parent.resize(40, 40);
  parent.setAutoFillBackground(true);
  QPalette palette;
  palette.setColor(QPalette::Window, Qt::white);
  parent.setPalette(palette);
  TImage image(&parent);
  image.setGeometry(0, 0, 20, 10);
  QImage picture(4, 2, QImage::Format_RGB32);
  picture.fill(Qt::red);
  image.Picture().Assign(picture);

  QImage shown = parent.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(3, 1), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(4, 1), QColor(Qt::white));  // the parent shows where it does not reach
  EXPECT_EQ(shown.pixelColor(19, 9), QColor(Qt::white));

  image.SetStretch(true);
  shown = parent.grab().toImage();
  EXPECT_EQ(shown.pixelColor(19, 9), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(20, 10), QColor(Qt::white));

  // Pixels changed in a copy and assigned back show at once.
  QImage changed = image.Picture().Graphic();
  changed.fill(Qt::blue);
  image.Picture().Assign(changed);
  EXPECT_EQ(parent.grab().toImage().pixelColor(10, 5), QColor(Qt::blue));
}

}  // namespace
}  // namespace kavoro::controls
