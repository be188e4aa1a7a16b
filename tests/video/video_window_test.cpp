// The video window and its video control on the real media framework, in the sim world with
// Qt's offscreen platform: files and the fixture disc really play, the picture is keyed into
// the control, and what the window shows is read back from its painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "../controls/ControlsTestSupport.h"
#include "../media/MediaTestSupport.h"
#include "media/FilterGraph.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/sim/SimPlatform.h"
#include "support/DvdDisc.h"
#include "support/SimTime.h"
#include "video/ColorControl.h"
#include "controls/VeskoTrackBar.h"
#include "video/ColorSet.h"

#include <QCheckBox>
#include "video/DSVideoWindowEx2.h"
#include "video/Video.h"

namespace kavoro::video::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
constexpr auto kPatience = 20s;

// A red MPEG-2 picture 160 x 120 of the given display shape ("4:3", "16:9"), 3 s.
std::string ShapedFile(const std::string& aspect) {
  std::string name = aspect;
  std::replace(name.begin(), name.end(), ':', 'x');
  const fs::path path = fs::path(KAVORO_MEDIA_FIXTURES) / ("red-" + name + ".mpg");
  if (!fs::exists(path)) {
    fs::create_directories(path.parent_path());
    const std::string tmp = path.string() + ".tmp.mpg";
    const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=red:s=160x120:r=25:d=3 "
                            "-c:v mpeg2video -aspect " + aspect + " -an -f mpeg '" + tmp + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    fs::rename(tmp, path);
  }
  return path.string();
}

bool Reddish(QRgb p) { return qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80; }
bool Dark(QRgb p) { return qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40; }

class VideoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    media::RegisterDvdPlayback();
    form = std::make_unique<TFrm_Video>();
    form->move(0, 0);
    form->VideoPanel->show();
    form->show();
    controls::test::Expose(form.get());
    graph = std::make_unique<TFilterGraph>();
    video()->SetFilterGraph(graph.get());
    form->FilterGraph = graph.get();
  }
  void TearDown() override {
    if (graph) graph->SetActive(false);
    Pump();
    form.reset();
    graph.reset();
  }
  TDSVideoWindowEx2* video() { return form->VideoWindowEx; }

  static void Pump() { kavoro::test::PumpSim(); }
  // Real time passes on the GUI thread (sim clock in step) until `done` or the patience ends.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience) {
    return kavoro::test::RunSimUntil(done, limit);
  }
  void Settle(std::chrono::milliseconds time = 300ms) {
    RunUntil([] { return false; }, time);
  }
  // What the video panel shows, the keyed picture included.
  QImage Shown() { return form->VideoPanel->grab().toImage(); }

  // Sizes the video area so that the control is `w` x `h`.
  void SizeVideo(int w, int h) {
    const QMargins frame(form->Image_Left->width(), form->Image_Top_Center->height(),
                         form->Image_Right->width(), form->Image_Bottom_Center->height());
    form->resize(w + frame.left() + frame.right(), h + frame.top() + frame.bottom());
    Pump();
    ASSERT_EQ(video()->size(), QSize(w, h));
  }

  void PlayFile(const std::string& file) {
    graph->SetActive(true);
    ASSERT_EQ(graph->RenderFile(file), S_OK);
    ASSERT_TRUE(video()->OverlayActive());
    ASSERT_TRUE(graph->Play());
    ASSERT_TRUE(RunUntil([&] { return Presented() > 0; }));
  }
  LONGLONG Presented() {
    ComPtr<IVideoPresentation> presentation;
    LONGLONG presented = 0, dropped = 0;
    if (video()->GraphRenderer() &&
        SUCCEEDED(video()->GraphRenderer()->QueryInterface(IIDOf<IVideoPresentation>(),
                                                           presentation.PutVoid())))
      presentation->GetFrameCounts(&presented, &dropped);
    return presented;
  }

  std::unique_ptr<TFrm_Video> form;
  std::unique_ptr<TFilterGraph> graph;
};

// ---- The keyed picture and its geometry.

TEST_F(VideoWindowTest, LetterBoxKeysThePictureWhereItsShapeFits) {
  struct Case {
    const char* aspect;
    int w, h;
    QRect expected;
  } cases[] = {
      {"4:3", 400, 200, QRect(QPoint(66, 0), QPoint(332, 199))},    // 267 wide: 266.7 rounds up
      {"16:9", 400, 200, QRect(QPoint(22, 0), QPoint(377, 199))},   // 356 wide
      {"4:3", 200, 400, QRect(QPoint(0, 125), QPoint(199, 274))},   // 150 high
      {"16:9", 200, 400, QRect(QPoint(0, 143), QPoint(199, 255))},  // 112.5 rounds to 113
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.aspect) + " in " + std::to_string(c.w) + "x" + std::to_string(c.h));
    SizeVideo(c.w, c.h);
    PlayFile(ShapedFile(c.aspect));
    const RECT& r = video()->VideoRect();
    EXPECT_EQ(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)), c.expected);
    // The picture shows inside the rectangle and the control's black outside it.
    ASSERT_TRUE(RunUntil([&] { return Reddish(Shown().pixel(c.expected.center())); }, 5s));
    const QImage shown = Shown();
    EXPECT_TRUE(Reddish(shown.pixel(c.expected.center())));
    EXPECT_TRUE(Reddish(shown.pixel(c.expected.topLeft() + QPoint(2, 2))));
    EXPECT_TRUE(Reddish(shown.pixel(c.expected.bottomRight() - QPoint(2, 2))));
    const QPoint outside = c.expected.left() > 2 ? QPoint(c.expected.left() - 3, c.h / 2)
                                                 : QPoint(c.w / 2, c.expected.top() - 3);
    EXPECT_TRUE(Dark(shown.pixel(outside)));
    graph->Stop();
    graph->SetActive(false);
  }
}

TEST_F(VideoWindowTest, StopTakesTheKeyAwayAndPlayBringsItBack) {
  std::vector<bool> seen;
  video()->OnOverlayVisible = [&](bool visible) { seen.push_back(visible); };
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  ASSERT_TRUE(video()->OverlayVisible());
  graph->Stop();
  Settle();
  EXPECT_FALSE(video()->OverlayVisible());
  EXPECT_TRUE(Dark(Shown().pixel(160, 120)));
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(VideoWindowTest, DigitalZoomCutsTheSourceAtThePicturesProportionsAndRefusesOutOfRange) {
  graph->SetMode(gmDVD);
  graph->SetActive(true);
  AM_DVD_RENDERSTATUS status;
  ASSERT_TRUE(SUCCEEDED(graph->RenderDvd(&status, testing::FixtureDisc().string(), 0)));
  ASSERT_TRUE(video()->OverlayActive());
  video()->SetDigitalZoom(50);
  ComPtr<IBasicVideo2> basic;
  ASSERT_EQ(video()->GraphRenderer()->QueryInterface(IIDOf<IBasicVideo2>(), basic.PutVoid()), S_OK);
  LONG l, t, w, h;
  ASSERT_EQ(basic->GetSourcePosition(&l, &t, &w, &h), S_OK);
  EXPECT_EQ((std::vector<LONG>{l, t, w, h}), (std::vector<LONG>{180, 144, 360, 288}));
  for (int bad : {100, -1}) {
    try {
      video()->SetDigitalZoom(bad);
      ADD_FAILURE() << bad << " accepted";
    } catch (const ERangeError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Value " + std::to_string(bad) + " out of range. Value must bee between 0 -> 99");
    }
    EXPECT_EQ(video()->DigitalZoom(), 50);
  }
  video()->SetDigitalZoom(0);
  ASSERT_EQ(basic->GetSourcePosition(&l, &t, &w, &h), S_OK);
  EXPECT_EQ((std::vector<LONG>{l, t, w, h}), (std::vector<LONG>{0, 0, 720, 576}));
}

// ---- DVD menu buttons under the pointer.

class VideoDvdTest : public VideoWindowTest {
 protected:
  void SetUp() override {
    VideoWindowTest::SetUp();
    graph->OnDVDChapterStart = [this](TFilterGraph*, int c) { chapter = c; };
    graph->SetMode(gmDVD);
  }
  // Renders and plays the disc in a control of w x h, zoomed, until the menu's buttons show.
  void ShowMenu(int w, int h, int zoom) {
    SizeVideo(w, h);
    graph->SetActive(true);
    AM_DVD_RENDERSTATUS status;
    ASSERT_TRUE(SUCCEEDED(graph->RenderDvd(&status, testing::FixtureDisc().string(), 0)));
    ASSERT_TRUE(video()->OverlayActive());
    video()->SetDigitalZoom(zoom);
    ASSERT_TRUE(graph->Play());
    info = graph->Query<IDvdInfo2>();
    ASSERT_TRUE(info);
    ASSERT_TRUE(RunUntil([&] {
      ULONG available = 0, current = 0;
      return SUCCEEDED(info->GetCurrentButton(&available, &current)) && available >= 3;
    }));
  }
  // Where a point of the disc's 720 x 576 4:3 picture shows in a w x h control: letter-boxed,
  // with `zoom` percent of the width cut away around the centre. Worked out here on its own,
  // not through the player's transform.
  static QPoint WindowPointOf(int px, int py, int w, int h, int zoom) {
    const double sw = 720 - zoom * 720 / 100.0, sh = sw * 576 / 720;
    const double sl = (720 - sw) / 2, st = (576 - sh) / 2;
    double vw = w, vh = h;
    if (static_cast<double>(h) / 3 > static_cast<double>(w) / 4) vh = w * 3.0 / 4;
    else vw = h * 4.0 / 3;
    const double vl = (w - vw) / 2, vt = (h - vh) / 2;
    return QPoint(static_cast<int>(vl + (px - sl) * vw / sw), static_cast<int>(vt + (py - st) * vh / sh));
  }
  void ClickSecondButton(int w, int h, int zoom) {
    ShowMenu(w, h, zoom);
    const QPoint outside = WindowPointOf(100, 100, w, h, zoom);
    const QPoint onButton = WindowPointOf(kButton2X, kButton2Y, w, h, zoom);
    controls::test::Move(video(), outside);
    Pump();
    EXPECT_EQ(video()->cursor().shape(), Qt::ArrowCursor);
    controls::test::Move(video(), onButton);
    Pump();
    EXPECT_EQ(video()->cursor().shape(), Qt::PointingHandCursor);
    ULONG available = 0, current = 0;
    ASSERT_TRUE(RunUntil([&] {
      return SUCCEEDED(info->GetCurrentButton(&available, &current)) && current == 2;
    }, 5s)) << current;
    controls::test::Press(video(), onButton, Qt::RightButton);
    controls::test::Release(video(), onButton, Qt::RightButton);  // any button activates
    EXPECT_TRUE(RunUntil([&] { return chapter == 2; })) << chapter;
  }
  // A point well inside the fixture disc's second menu button.
  static constexpr int kButton2X = 260, kButton2Y = 340;

  int chapter = 0;
  ComPtr<IDvdInfo2> info;
};

TEST_F(VideoDvdTest, AClickOnAMenuButtonPlaysItsChapter) { ClickSecondButton(720, 576, 0); }
TEST_F(VideoDvdTest, AClickHitsTheButtonWhenZoomed) { ClickSecondButton(720, 576, 50); }
TEST_F(VideoDvdTest, AClickHitsTheButtonBesideLetterBoxBars) { ClickSecondButton(800, 300, 0); }

TEST_F(VideoDvdTest, AFilePlayingLeavesThePointerAlone) {
  graph->SetMode(gmNormal);
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  video()->setCursor(Qt::CrossCursor);
  controls::test::Move(video(), QPoint(100, 100));
  controls::test::Move(video(), QPoint(160, 120));
  Pump();
  EXPECT_EQ(video()->cursor().shape(), Qt::CrossCursor);
}

// ---- Colours.

TEST_F(VideoWindowTest, TheColourPopUpChangesThePicture) {
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  graph->Pause();
  ASSERT_TRUE(RunUntil([&] { return Reddish(Shown().pixel(160, 120)); }, 5s));
  TFrm_ColorSet popUp(video());
  popUp.show();
  Pump();
  // "Utilized colors" off: the picture turns grey.
  QTest::mouseClick(popUp.CheckBox, Qt::LeftButton, {}, QPoint(8, popUp.CheckBox->height() / 2));
  ASSERT_FALSE(video()->ColorControl()->ColorEnable());
  EXPECT_TRUE(RunUntil([&] {
    const QRgb p = Shown().pixel(160, 120);
    return std::abs(qRed(p) - qGreen(p)) < 12 && std::abs(qRed(p) - qBlue(p)) < 12;
  }, 5s)) << std::hex << Shown().pixel(160, 120);
  const int grey = qRed(Shown().pixel(160, 120));
  // Brightness dragged to the right end: the grey gets lighter.
  controls::TVeskoTrackBar* bar = popUp.VeskoTrackBar1;
  const int y = bar->height() / 2;
  controls::test::Press(bar, QPoint(bar->width() - 2, y));
  controls::test::Release(bar, QPoint(bar->width() - 2, y));
  EXPECT_GT(video()->ColorControl()->Brightness(), kBrightnessRange.Default);
  EXPECT_TRUE(RunUntil([&] { return qRed(Shown().pixel(160, 120)) > grey + 20; }, 5s))
      << grey << " " << std::hex << Shown().pixel(160, 120);
  // Leaving the graph puts back what the overlay had, so the next graph starts as found.
  graph->SetActive(false);
  EXPECT_TRUE(video()->ColorControl()->ColorEnable());
  EXPECT_EQ(video()->ColorControl()->Brightness(), kBrightnessRange.Default);
}

// ---- Presentation modes.

TEST_F(VideoWindowTest, FullScreenCoversTheChosenMonitorAndReturns) {
  os::Sim().Screens().SetMonitors({{{0, 0, 1024, 768}, {0, 0, 1024, 740}, true},
                                   {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, false}});
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  video()->ShowFullScreen(1);
  Pump();
  ASSERT_TRUE(video()->FullScreen());
  EXPECT_EQ(video()->FullScreenForm()->geometry(), QRect(1920, 0, 1280, 1024));
  EXPECT_EQ(video()->parentWidget(), video()->FullScreenForm());
  EXPECT_EQ(video()->size(), QSize(1280, 1024));
  // The form refuses to be closed while the player runs.
  EXPECT_FALSE(video()->FullScreenForm()->close());
  EXPECT_TRUE(video()->FullScreen());
  video()->ShowInWindow();
  Pump();
  EXPECT_FALSE(video()->FullScreen());
  EXPECT_EQ(video()->parentWidget(), form->VideoPanel);
  EXPECT_EQ(video()->size(), QSize(320, 240));
  EXPECT_TRUE(video()->OverlayVisible());
  // No monitor at that index: the one nearest the control (the primary here).
  video()->ShowFullScreen(7);
  Pump();
  EXPECT_EQ(video()->FullScreenForm()->geometry(), QRect(0, 0, 1024, 768));
  video()->ShowInWindow();
}

TEST_F(VideoWindowTest, DesktopModeSavesAndRestoresTheWallpaperAndColour) {
  os::IDesktop& desktop = os::Os().Desktop();
  constexpr os::COLORREF kBlue = os::RGB(0, 0, 200);
  const std::string kPicture = "/home/user/Pictures/beach.bmp";
  desktop.SetWallpaper(kPicture, os::SPIF_UPDATEINIFILE);
  desktop.SetSysColor(os::COLOR_BACKGROUND, kBlue);
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  const TColor key = video()->ColorKey();
  ASSERT_NE(key, clNone);

  video()->ShowOnDesktop();
  Pump();
  EXPECT_TRUE(video()->DesktopMode());
  EXPECT_EQ(desktop.Wallpaper(), "");
  EXPECT_EQ(desktop.GetSysColor(os::COLOR_BACKGROUND), key & 0xFFFFFF);
  EXPECT_FALSE(video()->OverlayVisible());
  // The renderer's own window carries the picture across the screen, with no owner.
  OAHWND owner = 1;
  video()->VideoWindow()->get_Owner(&owner);
  EXPECT_EQ(owner, 0u);
  LONG l, t, w, h;
  video()->VideoWindow()->GetWindowPosition(&l, &t, &w, &h);
  EXPECT_EQ((std::vector<LONG>{l, t, w, h}), (std::vector<LONG>{0, 0, 1024, 768}));

  video()->ShowOnDesktop();  // a second time changes nothing: the saved values stay
  video()->ShowInWindow();
  Pump();
  EXPECT_FALSE(video()->DesktopMode());
  EXPECT_EQ(desktop.Wallpaper(), kPicture);
  EXPECT_EQ(desktop.GetSysColor(os::COLOR_BACKGROUND), kBlue);
  EXPECT_TRUE(video()->OverlayVisible());
}

TEST_F(VideoWindowTest, FullScreenFromTheDesktopRestoresTheDesktopFirst) {
  os::IDesktop& desktop = os::Os().Desktop();
  desktop.SetWallpaper("/w.bmp", os::SPIF_UPDATEINIFILE);
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  video()->ShowOnDesktop();
  video()->ShowFullScreen(0);
  Pump();
  EXPECT_FALSE(video()->DesktopMode());
  EXPECT_TRUE(video()->FullScreen());
  EXPECT_EQ(desktop.Wallpaper(), "/w.bmp");
  video()->ShowOnDesktop();  // from full screen: back to the frame first
  EXPECT_FALSE(video()->FullScreen());
  EXPECT_TRUE(video()->DesktopMode());
  video()->ShowInWindow();
}

// ---- The graph and the control.

TEST_F(VideoWindowTest, ScreenSaverIsHeldOffOnlyWhileVideoPlays) {
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  EXPECT_TRUE(video()->ScreenSaverInhibited());
  EXPECT_EQ(os::Os().ScreenSaver().ActiveInhibitions(), 1);
  graph->Pause();
  EXPECT_EQ(os::Os().ScreenSaver().ActiveInhibitions(), 0);
  graph->Play();
  EXPECT_EQ(os::Os().ScreenSaver().ActiveInhibitions(), 1);
  graph->Stop();
  EXPECT_EQ(os::Os().ScreenSaver().ActiveInhibitions(), 0);
}

TEST_F(VideoWindowTest, AnIdlePointerHidesAndComesBackOnMovement) {
  SizeVideo(320, 240);
  PlayFile(ShapedFile("4:3"));
  video()->SetAutoHideCursor(500);
  controls::test::Move(video(), QPoint(50, 50));
  Settle(200ms);
  EXPECT_FALSE(video()->CursorHiddenByIdle());
  os::Sim().AdvanceTime(600);
  ASSERT_TRUE(RunUntil([&] { return video()->CursorHiddenByIdle(); }, 2s));
  controls::test::Move(video(), QPoint(60, 60));
  Pump();
  EXPECT_FALSE(video()->CursorHiddenByIdle());
}

TEST_F(VideoWindowTest, DestroyingTheGraphLeavesTheControlUnbound) {
  graph->SetActive(true);
  graph.reset();
  EXPECT_EQ(video()->FilterGraph(), nullptr);
  form->FilterGraph = nullptr;
  video()->SetDigitalZoom(20);  // only stored: nothing left to reach
  EXPECT_EQ(video()->DigitalZoom(), 20);
}

// ---- The frame.

TEST(VideoFrameTest, HitTestZonesOfTheFrame) {
  struct Case {
    int x, y, w, h;
    THitZone zone;
  } cases[] = {
      {3, 3, 400, 300, htTopLeft},        {400 - 7, 300 - 7, 400, 300, htBottomRight},
      {400 - 7, 300 - 20, 400, 300, htInherited},
      {396, 150, 400, 300, htRight},      {200, 296, 400, 300, htBottom},
      {398, 2, 400, 300, htTopRight},     {2, 298, 400, 300, htBottomLeft},
      {2, 150, 400, 300, htLeft},         {200, 2, 400, 300, htTop},
      {200, 150, 400, 300, htInherited},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTestZone(c.x, c.y, c.w, c.h), c.zone) << c.x << "," << c.y;
  }
  EXPECT_EQ(EdgesOfZone(htBottomRight), Qt::BottomEdge | Qt::RightEdge);
  EXPECT_EQ(CursorOfZone(htTopRight), Qt::SizeBDiagCursor);
}

TEST(VideoFrameTest, DroppedLocalFilesGoToThePlayListInOrder) {
  os::Sim().Reset();
  TFrm_Video form;
  std::vector<std::string> added;
  form.OnAddToPlayList = [&](const std::string& path) { added.push_back(path); };
  const std::string longName = "/media/" + std::string(300, 'a') + ".mpg";
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/media/one.mpg"), QUrl("http://example.invalid/two.mpg"),
                QUrl::fromLocalFile("/media/three.vob"), QUrl::fromLocalFile(QString::fromStdString(longName))});
  // As the window system delivers a drop: the drag enters, then the files are let go.
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &drop);
  // A web address is no file; a long name is kept whole.
  EXPECT_EQ(added, (std::vector<std::string>{"/media/one.mpg", "/media/three.vob", longName}));
}

// Only this machine's files reach the play list, each with a name: a host other than this one
// would otherwise read as a local folder ("//server/..."), and a folder, a relative path or a
// path cut at a zero byte would give a line that names no file.
TEST(VideoFrameTest, DropsGiveOnlyThisMachinesFilesWithNames) {
  struct Case {
    const char* uriList;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"file:///m/a%20b.mpg\r\nfile:///m/%C3%A9.vob\r\n", {"/m/a b.mpg", "/m/\xC3\xA9.vob"}},
      {"file://localhost/m/x.mpg\nfile://LocalHost/m/y.mpg\n", {"/m/x.mpg", "/m/y.mpg"}},
      {"file://server/share/x.mpg\r\nfile:///m/kept.mpg\r\n", {"/m/kept.mpg"}},
      {"http://example.invalid/x.mpg\r\nsmb://server/share/x.mpg\r\n", {}},
      {"file:///m/folder/\r\nfile:///\r\nfile:\r\nfile:relative.mpg\r\n", {}},
      {"file:///m/a%00b.mpg\r\nfile:///m/ends-in%5C\r\n", {}},
  };
  for (const Case& c : cases) {
    QMimeData data;
    data.setData("text/uri-list", QByteArray(c.uriList));
    EXPECT_EQ(DroppedFiles(data), c.files) << c.uriList;
  }
  // A drop of nothing playable is not taken.
  os::Sim().Reset();
  TFrm_Video form;
  std::vector<std::string> added;
  form.OnAddToPlayList = [&](const std::string& path) { added.push_back(path); };
  QMimeData remote;
  remote.setData("text/uri-list", "file://server/share/x.mpg\r\n");
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  EXPECT_FALSE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &drop);
  EXPECT_TRUE(added.empty());
}

TEST(VideoFrameTest, TheFrameFollowsTheFormsSize) {
  os::Sim().Reset();
  TFrm_Video form;
  form.resize(400, 300);
  form.FormResize();
  EXPECT_EQ(form.Image_Top_Right->geometry().topRight(), QPoint(399, 0));
  EXPECT_EQ(form.Image_Bottom_Right->geometry().bottomRight(), QPoint(399, 299));
  EXPECT_EQ(form.Image_Bottom_Left->geometry().bottomLeft(), QPoint(0, 299));
  const QRect inside = form.VideoPanel->geometry();
  EXPECT_EQ(inside.top(), form.Image_Top_Center->height());
  EXPECT_EQ(inside.left(), form.Image_Left->width());
  EXPECT_EQ(inside.right(), 399 - form.Image_Right->width());
  EXPECT_EQ(inside.bottom(), 299 - form.Image_Bottom_Center->height());
  EXPECT_EQ(form.PlayListPanel->geometry(), inside);
  // A taller title row alone moves the list down under it (the skin loader lays out again).
  form.Image_PlayListBoxTitle->resize(form.Image_PlayListBoxTitle->width(), 60);
  form.FormResize();
  EXPECT_EQ(form.PlayListBox->geometry(),
            QRect(0, 60, inside.width(), inside.height() - 60));
  form.resize(20, 20);
  EXPECT_EQ(form.size(), QSize(kVideoFormMinSize, kVideoFormMinSize));
}

}  // namespace
}  // namespace kavoro::video::test
