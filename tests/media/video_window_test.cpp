// The video renderer's own window: found by its class and caption, placed into its owner,
// showing the picture (1:1, letter-boxed by the destination), passing input to the message
// drain and hiding the cursor.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "MediaTestSupport.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

class Drain final : public QWidget {
 public:
  int presses = 0;
  QPoint last;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    ++presses;
    last = e->position().toPoint();
  }
};

// Red (the split picture's left half) or blue (its right half).
bool IsRedOrBlue(const QColor& c, bool red) {
  const int mine = red ? c.red() : c.blue(), other = red ? c.blue() : c.red();
  return mine > 180 && other < 80;
}

QWidget* RendererWindow(const QString& caption) {
  for (QWidget* w : QApplication::allWidgets())
    if (w->property("windowClass").toString() == kVideoRendererWindowClass &&
        w->windowTitle() == caption)
      return w;
  return nullptr;
}

class VideoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    g = MakeGraph();
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                               IIDOf<IBaseFilter>(), renderer.PutVoid()),
              S_OK);
    window = renderer.As<IVideoWindow>();
    ASSERT_EQ(g.builder->AddFilter(renderer.Get(), "VideoWindowEx"), S_OK);
    ASSERT_EQ(window->put_Caption("VideoWindowEx"), S_OK);
  }
  void TearDown() override {
    g.control->Stop();
    os::Sim().ProcessMessages();
  }
  Graph g;
  ComPtr<IBaseFilter> renderer;
  ComPtr<IVideoWindow> window;
};

TEST_F(VideoWindowTest, ChildOfItsOwnerShowingThePicture) {
  QWidget owner;
  owner.resize(300, 200);
  ASSERT_EQ(window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS), S_OK);
  ASSERT_EQ(window->put_Owner(reinterpret_cast<OAHWND>(&owner)), S_OK);
  ASSERT_EQ(window->SetWindowPosition(10, 20, 128, 96), S_OK);
  QWidget* w = RendererWindow("VideoWindowEx");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->parentWidget(), &owner);
  EXPECT_EQ(w->geometry(), QRect(10, 20, 128, 96));

  ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  PauseAndWait(g);
  os::Sim().ProcessMessages();  // the repaint request and auto-show
  EXPECT_TRUE(w->isVisibleTo(&owner));
  const QImage shot = w->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(128, 96));
  const QColor left = shot.pixelColor(20, 48), right = shot.pixelColor(108, 48);
  EXPECT_GT(left.red(), 180);
  EXPECT_LT(left.blue(), 80);
  EXPECT_GT(right.blue(), 180);
  EXPECT_LT(right.red(), 80);
}

// A top-level 1920 x 1080 window with the destination letter-boxing a 4:3 picture, as the
// desktop picture is placed: the picture in the middle exactly as presented, black bars (the
// border colour) at the sides.
TEST_F(VideoWindowTest, DestinationLetterBoxIsPaintedOneToOne) {
  const QRect box(240, 0, 1440, 1080);
  const int rows[] = {0, 539, 1079};
  ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  ASSERT_EQ(window->SetWindowPosition(0, 0, 1920, 1080), S_OK);
  ASSERT_EQ(renderer.As<IBasicVideo>()->SetDestinationPosition(box.x(), box.y(), box.width(),
                                                               box.height()),
            S_OK);
  PauseAndWait(g);
  os::Sim().ProcessMessages();
  PresentedImage picture;
  ASSERT_EQ(renderer.As<IVideoPresentation>()->GetPresentedImage(&picture), S_OK);
  ASSERT_EQ(QSize(picture.width, picture.height), box.size());
  QWidget* w = RendererWindow("VideoWindowEx");
  ASSERT_NE(w, nullptr);
  const QImage shot = w->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(1920, 1080));
  for (int y : rows) {
    int wrong = 0;
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb expected = box.contains(x, y) ? picture.Pixel(x - box.x(), y - box.y()) | 0xFF000000
                                               : qRgb(0, 0, 0);
      if ((shot.pixel(x, y) | 0xFF000000) != expected) ++wrong;
    }
    EXPECT_EQ(wrong, 0) << "row " << y;
  }
  EXPECT_TRUE(IsRedOrBlue(shot.pixelColor(box.left(), 539), true));
  EXPECT_TRUE(IsRedOrBlue(shot.pixelColor(box.right(), 539), false));
}

TEST_F(VideoWindowTest, InputGoesToTheDrainAndTheCursorHides) {
  Drain drain;
  drain.resize(200, 200);
  ASSERT_EQ(window->put_MessageDrain(reinterpret_cast<OAHWND>(&drain)), S_OK);
  QWidget* w = RendererWindow("VideoWindowEx");
  ASSERT_NE(w, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 6), w->mapToGlobal(QPointF(5, 6)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  EXPECT_EQ(drain.presses, 1);
  EXPECT_EQ(drain.last, drain.mapFromGlobal(w->mapToGlobal(QPoint(5, 6))));

  LONG hidden = OATRUE;
  window->IsCursorHidden(&hidden);
  EXPECT_EQ(hidden, OAFALSE);
  ASSERT_EQ(window->HideCursor(OATRUE), S_OK);
  window->IsCursorHidden(&hidden);
  EXPECT_EQ(hidden, OATRUE);
  EXPECT_EQ(w->cursor().shape(), Qt::BlankCursor);
  window->HideCursor(OAFALSE);
  EXPECT_NE(w->cursor().shape(), Qt::BlankCursor);
}

}  // namespace
}  // namespace kavoro::testing
