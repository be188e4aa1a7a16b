#include "ControlsTestSupport.h"

#include "controls/VeskoImagePanel.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace kavoro::controls {
namespace {

TEST(ImagePanelTest, AutoSizeTakesOnlyWhatTheAlignmentLeavesFree) {
  auto host = test::ShownHost(QSize(200, 150));
  struct Case {
    TAlign align;
    QSize size;
  };
  const Case cases[] = {{TAlign::alNone, {30, 20}},  {TAlign::alTop, {200, 20}},
                        {TAlign::alBottom, {200, 20}}, {TAlign::alLeft, {30, 150}},
                        {TAlign::alRight, {30, 150}}, {TAlign::alClient, {200, 150}}};
  for (const Case& c : cases) {
    TVeskoImagePanel panel(host.get());
    panel.resize(50, 50);
    panel.SetAlign(c.align);
    panel.SetAutoSize(true);
    panel.SetPicture(test::Solid(30, 20, Qt::red));
    EXPECT_EQ(panel.size(), c.size) << static_cast<int>(c.align);
  }
  TVeskoImagePanel bottom(host.get());
  bottom.SetAlign(TAlign::alBottom);
  bottom.SetAutoSize(true);
  bottom.SetPicture(test::Solid(30, 20, Qt::red));
  host->resize(240, 170);
  EXPECT_EQ(bottom.geometry(), QRect(0, 150, 240, 20)) << "keeps docked as the parent resizes";
}

TEST(ImagePanelTest, DrawStylesAndColour) {
  auto host = test::ShownHost();
  TVeskoImagePanel panel(host.get());
  panel.setGeometry(0, 0, 25, 15);
  panel.SetColor(QColor::fromRgb(0x0000FF));
  panel.show();
  EXPECT_EQ(test::PixelAt(&panel, QPoint(20, 10)), 0x0000FFu) << "no picture: the colour";
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(QColor::fromRgb(0xFF0000));
  QPainter(&picture).fillRect(0, 0, 5, 5, QColor::fromRgb(0x00FF00));
  panel.SetPicture(picture);
  struct Probe {
    QPoint at;
    QRgb normal, tile, stretch;
  };
  const Probe probes[] = {{{2, 2}, 0x00FF00, 0x00FF00, 0x00FF00},
                          {{12, 2}, 0x0000FF, 0x00FF00, 0x00FF00},
                          {{22, 12}, 0x0000FF, 0x00FF00, 0xFF0000},
                          {{14, 9}, 0x0000FF, 0xFF0000, 0xFF0000},
                          {{20, 4}, 0x0000FF, 0x00FF00, 0xFF0000}};
  for (const Probe& p : probes) {
    panel.SetDrawStyle(TVeskoDrawStyle::VeskoNormal);
    EXPECT_EQ(test::PixelAt(&panel, p.at), p.normal) << "normal " << p.at.x() << "," << p.at.y();
    panel.SetDrawStyle(TVeskoDrawStyle::VeskoTile);
    EXPECT_EQ(test::PixelAt(&panel, p.at), p.tile) << "tile " << p.at.x() << "," << p.at.y();
    panel.SetDrawStyle(TVeskoDrawStyle::VeskoStretch);
    EXPECT_EQ(test::PixelAt(&panel, p.at), p.stretch) << "stretch " << p.at.x() << "," << p.at.y();
  }
}

TEST(ImagePanelTest, TransparentPanelShowsItsParentInsteadOfThePictureKeyColour) {
  auto host = test::ShownHost();
  QPalette palette = host->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(0x00FF00));
  host->setPalette(palette);
  TVeskoImagePanel panel(host.get());
  panel.setGeometry(30, 40, 10, 10);
  panel.show();
  // The key is the colour of the bottom-left pixel.
  QImage picture = test::Solid(10, 10, QColor::fromRgb(0xFF00FF));
  QPainter(&picture).fillRect(0, 0, 4, 4, QColor::fromRgb(0x884422));
  panel.SetPicture(picture);
  EXPECT_EQ(test::PixelAt(&panel, QPoint(8, 8)), 0xFF00FFu);
  panel.SetTransparent(true);
  EXPECT_TRUE(panel.Picture().Transparent());
  EXPECT_EQ(test::PixelAt(&panel, QPoint(8, 8)), 0x00FF00u);
  EXPECT_EQ(test::PixelAt(&panel, QPoint(1, 1)), 0x884422u);
}

TEST(ImagePanelTest, CaptionFollowsAlignment) {
  auto host = test::ShownHost();
  TVeskoImagePanel panel(host.get());
  panel.setGeometry(0, 0, 200, 30);
  panel.SetColor(Qt::black);
  QPalette palette = panel.palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  panel.setPalette(palette);
  panel.SetCaption("Kavoro");
  panel.show();
  auto inkColumns = [&] {
    const QImage face = test::Painted(&panel);
    int first = -1, last = -1;
    for (int x = 0; x < face.width(); ++x)
      for (int y = 0; y < face.height(); ++y)
        if ((face.pixel(x, y) & RGB_MASK) != 0) {
          if (first < 0) first = x;
          last = x;
        }
    return std::pair{first, last};
  };
  panel.SetAlignment(TAlignment::taLeftJustify);
  EXPECT_LT(inkColumns().first, 5);
  panel.SetAlignment(TAlignment::taRightJustify);
  EXPECT_GT(inkColumns().second, 194);
  panel.SetAlignment(TAlignment::taCenter);
  const auto [first, last] = inkColumns();
  EXPECT_NEAR(first + last, 199, 4);
}

}  // namespace
}  // namespace kavoro::controls
