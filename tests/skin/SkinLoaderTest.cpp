#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

#include "SkinTestSupport.h"
#include "app/Label.h"
#include "app/Main.h"
#include "controls/Image.h"
#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"
#include "media/Vesko_TrackBar.h"
#include "platform/os/Mixer.h"
#include "platform/os/sim/SimPlatform.h"
#include "skin/SkinLoader.h"
#include "skin/TimeDisplay.h"
#include "video/Video.h"

namespace kavoro::skin {
namespace {

using controls::TVeskoProgressBarOrientation;
using os::Sim;
using test::MakeSkinData;

class SkinLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sim().Reset();
    Fresh();
  }
  // New windows, as the program creates them.
  void Fresh() {
    Video.reset();
    Main.reset();
    Main = std::make_unique<app::TFrm_Main>();
    Video = std::make_unique<video::TFrm_Video>();
  }
  // The windows shown, as after a load, then what the skin set on them.
  std::string Describe() {
    Main->show();
    Video->show();
    QCoreApplication::processEvents();
    return test::DescribeSkinState(*Main, *Video);
  }

  std::unique_ptr<app::TFrm_Main> Main;
  std::unique_ptr<video::TFrm_Video> Video;
};

// A sheet of 2 x 2 blocks, each of its own colour, so any sampling inside a block agrees.
QImage BlockSheet(int width, int height) {
  QImage sheet(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) sheet.setPixel(x, y, qRgb(x / 2 * 5 % 256, y / 2 * 7 % 256, 77));
  return sheet;
}

TEST_F(SkinLoaderTest, ButtonPicturesAreTheSheetRectanglesStretchedOverTheButton) {
  const QImage sheet = BlockSheet(300, 200);
  struct Case {
    const char* name;
    QRect normal, mouseOn, down;
    int scale;  // sheet pixels per button pixel
  };
  const Case cases[] = {
      {"half size", QRect(10, 4, 98, 82), QRect(120, 4, 98, 82), QRect(10, 100, 98, 82), 2},
      {"one to one", QRect(0, 0, 49, 41), QRect(50, 0, 49, 41), QRect(100, 60, 49, 41), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    controls::TVeskoImageButton& button = *Main->Button_Play;
    TButtonInfo info;
    info.Left = 7;
    info.Top = 9;
    info.Width = 49;
    info.Height = 41;
    info.Normal = c.normal;
    info.MouseOn = c.mouseOn;
    info.Down = c.down;
    ApplyButtonInfo(button, info, sheet);
    EXPECT_EQ(button.geometry(), QRect(7, 9, 49, 41));
    const std::pair<controls::TPicture*, QRect> pictures[] = {
        {&button.PicNormal(), c.normal}, {&button.PicMouseOn(), c.mouseOn}, {&button.PicMouseDown(), c.down}};
    for (const auto& [picture, source] : pictures) {
      const QImage& image = picture->Graphic();
      ASSERT_EQ(image.size(), QSize(49, 41));
      int wrong = 0;
      for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 49; ++x)
          if (image.pixel(x, y) != sheet.pixel(source.x() + x * c.scale, source.y() + y * c.scale))
            ++wrong;
      EXPECT_EQ(wrong, 0) << "pixels off the scaled sheet rectangle";
    }
  }
}

TEST_F(SkinLoaderTest, MainWindowTakesThePictureShapeHintColoursAndButtons) {
  const TSkinData data = MakeSkinData(0);
  ASSERT_TRUE(ApplySkin(*Main, *Video, data));
  EXPECT_EQ(Main->size(), data.MainPicture.size());
  EXPECT_FALSE(Main->mask().contains(QPoint(2, 2))) << "fuchsia corner cut away";
  EXPECT_TRUE(Main->mask().contains(QPoint(20, 20)));
  // The default "Arrow" 0,153,255 is 0x00FF9900 as a skin colour.
  EXPECT_EQ(ToQColor(0x00FF9900), QColor(0, 153, 255));
  EXPECT_EQ(Main->VeskoHint->ColorArrow(), ToQColor(data.Hint.Arrow));
  EXPECT_EQ(Main->VeskoHint->ColorArrowBackground(), ToQColor(data.Hint.ArrowBackground));
  EXPECT_EQ(Main->VeskoHint->ColorBackground(), ToQColor(data.Hint.Background));
  EXPECT_EQ(Main->VeskoHint->ColorBorder(), ToQColor(data.Hint.Border));
  EXPECT_EQ(Main->VeskoHint->FontColor(), ToQColor(data.Hint.Font));
  for (std::size_t i = 0; i < kButtonKeys.size(); ++i) {
    SCOPED_TRACE(kButtonKeys[i]);
    controls::TVeskoImageButton* button = Main->ButtonByName(kButtonKeys[i]);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->objectName(), QString::fromLatin1(kButtonKeys[i]));
    const TButtonInfo& b = data.Buttons[i];
    EXPECT_EQ(button->geometry(), QRect(b.Left, b.Top, b.Width, b.Height));
    EXPECT_EQ(button->PicNormal().Graphic().pixel(3, 3), test::ButtonColor(0, int(i), 0));
    EXPECT_EQ(button->PicMouseOn().Graphic().pixel(3, 3), test::ButtonColor(0, int(i), 1));
    EXPECT_EQ(button->PicMouseDown().Graphic().pixel(3, 3), test::ButtonColor(0, int(i), 2));
  }
}

TEST_F(SkinLoaderTest, ExactlyOneMuteButtonShowsForTheMasterMute) {
  for (bool muted : {false, true, false}) {
    SCOPED_TRACE(muted);
    Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->muted = muted;
    ASSERT_TRUE(ApplySkin(*Main, *Video, MakeSkinData(0)));
    EXPECT_EQ(Main->Button_MuteON->isHidden(), muted);
    EXPECT_EQ(Main->Button_MuteOFF->isHidden(), !muted);
  }
}

TEST_F(SkinLoaderTest, TrackBarsTakePlaceOrientationLengthAndPictures) {
  const TSkinData data = MakeSkinData(1);  // its video bar is vertical
  ASSERT_TRUE(ApplySkin(*Main, *Video, data));
  controls::TVeskoTrackBar* bars[] = {Main->VolumeBar, Main->TrackBar, Main->VideoBar,
                                            Main->ZoomBar};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(kTrackBarSections[i].Name);
    const TTrackBarInfo& t = data.TrackBars[i];
    controls::TVeskoTrackBar& bar = *bars[i];
    EXPECT_EQ(bar.pos(), QPoint(t.Left, t.Top));
    const QSize slider = t.Slider.size();
    if (t.Horizontal) {
      EXPECT_EQ(bar.Orientation(), TVeskoProgressBarOrientation::VeskoHorizontal);
      EXPECT_EQ(bar.size(), QSize(t.WidthOrHeight, slider.height())) << "thickness of the slider";
    } else {
      EXPECT_EQ(bar.Orientation(), TVeskoProgressBarOrientation::VeskoVertical);
      EXPECT_EQ(bar.size(), QSize(slider.width(), t.WidthOrHeight));
    }
    // The bar was rebuilt from the new picture at the new length.
    const QImage& built = bar.BarBitmap();
    ASSERT_EQ(built.size(), t.Horizontal ? QSize(t.WidthOrHeight, t.Bar.height())
                                         : QSize(t.Bar.height(), t.WidthOrHeight));
    EXPECT_EQ(built.pixel(built.width() / 2, built.height() / 2), t.Bar.pixel(4, 2));
    EXPECT_EQ(bar.SliderImage().Graphic().pixel(0, 0), t.Slider.pixel(0, 0));
  }
}

TEST_F(SkinLoaderTest, LabelsTakePlaceTypeSizeAndColour) {
  const TSkinData data = MakeSkinData(1);
  ASSERT_TRUE(ApplySkin(*Main, *Video, data));
  const std::pair<app::TLabel*, TLabelInfo> labels[] = {{Main->Label_PlayName, data.PlayName},
                                                        {Main->Label_PlayState, data.PlayState},
                                                        {Main->Label_Title, data.Title},
                                                        {Main->Label_Chapter, data.Chapter}};
  for (const auto& [label, info] : labels) {
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_EQ(label->pos(), QPoint(info.Left, info.Top));
    EXPECT_EQ(label->FontSize(), info.FontSize);
    EXPECT_EQ(label->FontColor(), ToQColor(info.Color));
  }
  // The play name has the skin's fixed width; the others fit their text in the new type.
  EXPECT_FALSE(Main->Label_PlayName->AutoSize());
  EXPECT_EQ(Main->Label_PlayName->width(), data.PlayNameMax);
  for (app::TLabel* label : {Main->Label_PlayState, Main->Label_Title, Main->Label_Chapter}) {
    EXPECT_TRUE(label->AutoSize());
    EXPECT_EQ(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->Caption()));
  }
}

TEST_F(SkinLoaderTest, LoadShowsTheClockAtZeroAndThePlayName) {
  Main->PlayName = "A name much too long for the play-name label of this skin";
  const TSkinData data = MakeSkinData(0);
  ASSERT_TRUE(ApplySkin(*Main, *Video, data));
  EXPECT_EQ(Main->TimePanel->geometry(),
            QRect(data.Clock.PanelLeft, data.Clock.PanelTop, data.Clock.PanelWidth,
                  data.Clock.PanelHeight));
  EXPECT_EQ(Main->DigitHeight, data.Clock.DigitStrip.height());
  const QImage& panel = Main->TimePanel->Picture().Graphic();
  for (const QPoint& cell : data.Clock.Cells) EXPECT_EQ(panel.pixel(cell), test::DigitColor(0, 0));
  EXPECT_EQ(Main->Label_PlayName->Caption(), QString());
  EXPECT_EQ(Main->Label_PlayName->EllipsisText().toStdString(), Main->PlayName);
}

TEST_F(SkinLoaderTest, VideoWindowIsSizedToItsPictureInsideTheFrame) {
  const TSkinData data = MakeSkinData(0);
  ASSERT_TRUE(ApplySkin(*Main, *Video, data));
  EXPECT_EQ(Video->size(), QSize(340, 290));
  EXPECT_EQ(Video->Image_Main->geometry(), QRect(10, 20, 320, 240));
  EXPECT_EQ(Video->Image_Top_Left->size(), QSize(16, 20));
  EXPECT_EQ(Video->Image_Bottom_Right->geometry(), QRect(340 - 14, 290 - 30, 14, 30));
  EXPECT_EQ(Video->Image_Main->Picture().Graphic(), data.Video.Pictures[vpMain]);
  EXPECT_EQ(Video->Image_PlayListBoxTitle->height(), data.Video.Title.height());
  // The play list as it is drawn: its background and the colour of its text.
  Video->PlayListBox->resize(100, 60);
  Video->PlayListBox->addItem(QStringLiteral("line"));
  const QImage list = Video->PlayListBox->grab().toImage();
  EXPECT_EQ(list.pixel(90, 50), ToQColor(data.Video.ListBackground).rgb());
  EXPECT_EQ(Video->PlayListBox->palette().color(QPalette::Text), ToQColor(data.Video.ListFont));
  EXPECT_EQ(Video->PlayListBox->font().pointSize(), data.Video.ListFontSize);
  EXPECT_EQ(Video->PlayListPanel->palette().color(QPalette::Window),
            ToQColor(data.Video.TitleBackground));
}

TEST_F(SkinLoaderTest, AFailedStepLeavesTheStepsBeforeItAndNothingAfter) {
  const TSkinData full = MakeSkinData(0);
  // Whether each step's mark is on the windows.
  const std::pair<TSkinStep, std::function<bool()>> marks[] = {
      {TSkinStep::ssMainPicture, [&] { return Main->size() == full.MainPicture.size(); }},
      {TSkinStep::ssHintColors, [&] { return Main->VeskoHint->ColorBorder() == ToQColor(full.Hint.Border); }},
      {TSkinStep::ssButtons, [&] { return Main->Button_Play->pos() == QPoint(full.Buttons[5].Left, full.Buttons[5].Top); }},
      {TSkinStep::ssTrackBars, [&] { return Main->ZoomBar->pos() == QPoint(full.TrackBars[3].Left, full.TrackBars[3].Top); }},
      {TSkinStep::ssLabels, [&] { return Main->Label_Chapter->pos() == QPoint(full.Chapter.Left, full.Chapter.Top); }},
      {TSkinStep::ssClock, [&] { return Main->DigitWidth == full.Clock.DigitWidth; }},
      {TSkinStep::ssVideoWindow, [&] { return Video->size() == QSize(340, 290); }},
  };
  for (int complete = 0; complete <= kSkinStepCount; ++complete) {
    SCOPED_TRACE(complete);
    Fresh();
    Main->PlayName = "Another name";
    Sim().Mixer().Line(os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)->muted = true;
    TSkinData data = full;
    data.CompleteSteps = complete;
    EXPECT_EQ(ApplySkin(*Main, *Video, data), complete == kSkinStepCount);
    for (const auto& [step, applied] : marks)
      EXPECT_EQ(applied(), complete >= static_cast<int>(step)) << "step " << static_cast<int>(step);
    // The mute buttons and the play name come after the last step.
    const bool whole = complete == kSkinStepCount;
    EXPECT_EQ(Main->Button_MuteOFF->isHidden(), !whole);
    EXPECT_EQ(Main->Label_PlayName->Caption() == QStringLiteral("Another name"), whole);
  }
}

TEST_F(SkinLoaderTest, ASecondLoadLeavesNothingOfTheFirst) {
  for (const auto& [first, second] : {std::pair{0, 1}, std::pair{1, 0}}) {
    SCOPED_TRACE(first);
    Fresh();
    ASSERT_TRUE(ApplySkin(*Main, *Video, MakeSkinData(second)));
    const std::string alone = Describe();
    Fresh();
    ASSERT_TRUE(ApplySkin(*Main, *Video, MakeSkinData(first)));
    ASSERT_NE(Describe(), alone);
    ShowTime(*Main, "12:34:56");  // the clock starts again at zero
    ASSERT_TRUE(ApplySkin(*Main, *Video, MakeSkinData(second)));
    EXPECT_EQ(Describe(), alone);
    if (second == 1) {
      // The second skin names no "Button_About": it is gone, not left as the first had it.
      EXPECT_EQ(Main->Button_About->size(), QSize(0, 0));
      EXPECT_FALSE(Main->Button_About->PicNormal().HasGraphic());
    }
  }
}

// Through skin folders on disk: the reader's data reaches the windows as the data alone does.
class SkinFolderLoadTest : public SkinLoaderTest {
 protected:
  void SetUp() override {
    SkinLoaderTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    App = Dir.path().toStdString() + "/";
    test::WriteSkinFolder(App + "Skins/First", MakeSkinData(0));
    test::WriteSkinFolder(App + "Skins/Second", MakeSkinData(1));
  }
  TSkinSettings Settings(const char* skin) const { return {App, skin}; }

  QTemporaryDir Dir;
  std::string App;
};

TEST_F(SkinFolderLoadTest, LoadedFolderLooksAsItsData) {
  ASSERT_TRUE(ApplySkin(*Main, *Video, MakeSkinData(1)));
  const std::string expected = Describe();
  Fresh();
  ASSERT_TRUE(LoadSkin(*Main, *Video, Settings("First")));
  ASSERT_TRUE(LoadSkin(*Main, *Video, Settings("Second")));
  EXPECT_EQ(Describe(), expected);
  // "horizontal" in lower case is not "Horizontal": the bar stands, its length the height.
  EXPECT_EQ(Main->VideoBar->Orientation(), TVeskoProgressBarOrientation::VeskoVertical);
  EXPECT_EQ(Main->VideoBar->height(), MakeSkinData(1).TrackBars[2].WidthOrHeight);
}

TEST_F(SkinFolderLoadTest, MissingBottomRightFramePictureFailsAfterTheMainWindowWasSet) {
  QFile::remove(QString::fromStdString(App + "Skins/First/Video_Bottom_Right.bmp"));
  const QSize videoBefore = Video->size();
  EXPECT_FALSE(LoadSkin(*Main, *Video, Settings("First")));
  const TSkinData data = MakeSkinData(0);
  EXPECT_EQ(Main->size(), data.MainPicture.size());
  EXPECT_EQ(Main->Button_Stop->geometry(),
            QRect(data.Buttons[6].Left, data.Buttons[6].Top, data.Buttons[6].Width, data.Buttons[6].Height));
  EXPECT_EQ(Main->VolumeBar->width(), data.TrackBars[0].WidthOrHeight);
  EXPECT_EQ(Main->Label_Title->pos(), QPoint(data.Title.Left, data.Title.Top));
  EXPECT_EQ(Main->TimePanel->Picture().Graphic().pixel(data.Clock.Cells[0]), test::DigitColor(0, 0));
  EXPECT_EQ(Video->size(), videoBefore);
}

TEST_F(SkinLoaderTest, ShippedSkinsLoadWhole) {
  const QByteArray app = qgetenv("KAVORO_APP_DIR");
  ASSERT_FALSE(app.isEmpty());
  const QDir skins(QString::fromUtf8(app) + QStringLiteral("/Skins"));
  const QStringList names = skins.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_FALSE(names.isEmpty()) << "the build paints the shipped skins";
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    Fresh();
    ASSERT_TRUE(LoadSkin(*Main, *Video, {QString::fromUtf8(app).toStdString() + "/", name.toStdString()}));
    const QImage picture(skins.filePath(name + QStringLiteral("/Main.bmp")));
    EXPECT_EQ(Main->size(), picture.size());
    EXPECT_EQ(Main->Label_PlayName->Caption(), QString::fromLatin1(app::kInitialPlayName));
    for (const char* key : kButtonKeys) {
      controls::TVeskoImageButton& button = *Main->ButtonByName(key);
      EXPECT_EQ(button.PicNormal().Graphic().size(), button.size()) << key;
    }
  }
}

TEST_F(SkinFolderLoadTest, MissingSkinFolderChangesNothing) {
  const std::string before = Describe();
  EXPECT_FALSE(LoadSkin(*Main, *Video, Settings("Absent")));
  EXPECT_EQ(Describe(), before);
}

}  // namespace
}  // namespace kavoro::skin
