// The renderer's window as the desktop layer, on a real X server without a window manager
// (run under xvfb-run): its window type, states and focus hint as xprop reads them, its place
// at the bottom of the stacking order as xwininfo lists it, the letter-boxed picture on the
// screen, and the ordinary window it becomes again when the layer is turned off or an owner
// takes it.
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <QWidget>

#include <algorithm>

#include "MediaTestSupport.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

constexpr int kToolTimeoutMs = 10000;
constexpr int kSettleMs = 300;
const QRect kScreen(0, 0, 1920, 1080);
const QRect kLetterBox(240, 0, 1440, 1080);  // 4:3 in the 16:9 screen

// Runs our event loop for a while, so our requests reach the X server and its answers us.
void Pump(int ms = kSettleMs) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    os::Sim().ProcessMessages();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
}

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(kToolTimeoutMs)) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// xprop's lines for the window's type, states and hints.
QString Properties(WId id) {
  return RunTool(KAVORO_XPROP, {"-id", QString::number(id), "_NET_WM_WINDOW_TYPE",
                                "_NET_WM_STATE", "WM_HINTS"});
}

// The first type of the window's type list ("" when it has none).
QString FirstType(const QString& properties) {
  const auto m = QRegularExpression("_NET_WM_WINDOW_TYPE\\(ATOM\\) = (\\w+)").match(properties);
  return m.hasMatch() ? m.captured(1) : QString();
}

// The root window's children, bottom of the stacking order first. xwininfo lists them top
// first (the reverse of XQueryTree's order); the test that shows a second window checks that
// reading against a window mapped later, which X puts on top.
std::vector<WId> StackBottomFirst() {
  const QString out = RunTool(KAVORO_XWININFO, {"-root", "-children"});
  std::vector<WId> ids;
  const QString children = out.mid(out.indexOf("children:"));
  auto it = QRegularExpression("^\\s+(0x[0-9a-f]+) ", QRegularExpression::MultilineOption)
                .globalMatch(children);
  while (it.hasNext()) ids.push_back(it.next().captured(1).toULongLong(nullptr, 16));
  std::reverse(ids.begin(), ids.end());
  return ids;
}

// Where `id` lies in `stack`, or -1.
long Place(const std::vector<WId>& stack, WId id) {
  const auto at = std::find(stack.begin(), stack.end(), id);
  return at == stack.end() ? -1 : static_cast<long>(at - stack.begin());
}

// The X window of a top-level widget (the platform window's: Qt may have made it again).
WId Id(QWidget* w) { return w->windowHandle() ? w->windowHandle()->winId() : 0; }

QWidget* RendererWindow() {
  for (QWidget* w : QApplication::allWidgets())
    if (w->property("windowClass").toString() == kVideoRendererWindowClass) return w;
  return nullptr;
}

class DesktopLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run with the xcb platform";
    os::Sim().Reset();
    g = MakeGraph();
    renderer = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(g.builder->AddFilter(renderer.Get(), "Video Renderer"), S_OK);
    ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);  // 4:3, red | blue
    window = renderer.As<IVideoWindow>();
    presentation = renderer.As<IVideoPresentation>();
    layer = RendererWindow();
    ASSERT_NE(layer, nullptr);
  }
  void TearDown() override {
    g.control->Stop();
    Pump(0);
  }
  // The window as desktop playback places it: the layer, the whole screen, the picture
  // letter-boxed, shown.
  void ShowAsLayer() {
    ASSERT_EQ(presentation->SetDesktopLayer(1), S_OK);
    ASSERT_EQ(window->put_Owner(0), S_OK);
    ASSERT_EQ(window->SetWindowPosition(kScreen.x(), kScreen.y(), kScreen.width(), kScreen.height()),
              S_OK);
    ASSERT_EQ(renderer.As<IBasicVideo>()->SetDestinationPosition(
                  kLetterBox.x(), kLetterBox.y(), kLetterBox.width(), kLetterBox.height()),
              S_OK);
    ASSERT_EQ(window->put_Visible(OATRUE), S_OK);
  }
  Graph g;
  ComPtr<IBaseFilter> renderer;
  ComPtr<IVideoWindow> window;
  ComPtr<IVideoPresentation> presentation;
  QWidget* layer = nullptr;
};

TEST_F(DesktopLayerTest, LayerIsADesktopWindowBelowEveryOtherShowingThePicture) {
  // A window of ours already up when the layer comes: the layer goes below it all the same.
  QWidget before;
  before.setGeometry(40, 40, 200, 100);
  before.show();
  Pump();
  ShowAsLayer();
  PauseAndWait(g);
  Pump();
  ASSERT_TRUE(layer->isWindow());
  EXPECT_EQ(layer->geometry(), kScreen);

  const QString props = Properties(Id(layer));
  EXPECT_EQ(FirstType(props), "_NET_WM_WINDOW_TYPE_DESKTOP") << props.toStdString();
  EXPECT_TRUE(props.contains("_NET_WM_STATE_BELOW")) << props.toStdString();
  EXPECT_TRUE(props.contains("_NET_WM_STATE_SKIP_TASKBAR")) << props.toStdString();
  EXPECT_TRUE(props.contains("_NET_WM_STATE_SKIP_PAGER")) << props.toStdString();
  EXPECT_TRUE(props.contains("input focus: False")) << props.toStdString();
  EXPECT_EQ(layer->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);

  // A window shown later is mapped on top; the layer stays under both.
  QWidget after;
  after.setGeometry(60, 60, 200, 100);
  after.show();
  Pump();
  const std::vector<WId> stack = StackBottomFirst();
  const long layerAt = Place(stack, Id(layer));
  const long beforeAt = Place(stack, Id(&before));
  const long afterAt = Place(stack, Id(&after));
  ASSERT_GE(layerAt, 0);
  ASSERT_GE(beforeAt, 0);
  ASSERT_GE(afterAt, 0);
  EXPECT_LT(beforeAt, afterAt) << "a window mapped later must be listed above";
  EXPECT_LT(layerAt, beforeAt);
  EXPECT_LT(layerAt, afterAt);

  // On the screen: the picture in the middle as presented, black bars beside it.
  PresentedImage picture;
  ASSERT_EQ(presentation->GetPresentedImage(&picture), S_OK);
  ASSERT_EQ(QSize(picture.width, picture.height), kLetterBox.size());
  constexpr int kRow = 540;  // clear of the two small windows
  const QImage row = QGuiApplication::primaryScreen()->grabWindow(0, 0, kRow, kScreen.width(), 1)
                         .toImage();
  ASSERT_EQ(row.width(), kScreen.width());
  int wrong = 0;
  for (int x = 0; x < kScreen.width(); ++x) {
    const QRgb expected = kLetterBox.contains(x, kRow)
                              ? picture.Pixel(x - kLetterBox.x(), kRow - kLetterBox.y()) | 0xFF000000
                              : qRgb(0, 0, 0);
    if ((row.pixel(x, 0) | 0xFF000000) != expected) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(qRed(row.pixel(kLetterBox.left(), 0)), 180);
  EXPECT_GT(qBlue(row.pixel(kLetterBox.right(), 0)), 180);
}

TEST_F(DesktopLayerTest, OffOrOwnedItIsAnOrdinaryWindowAgain) {
  ShowAsLayer();
  Pump();
  ASSERT_EQ(FirstType(Properties(Id(layer))), "_NET_WM_WINDOW_TYPE_DESKTOP");

  // Off: a framed top-level window again, in the task bar, taking the focus.
  ASSERT_EQ(presentation->SetDesktopLayer(0), S_OK);
  Pump();
  ASSERT_TRUE(layer->isWindow());
  EXPECT_TRUE(layer->isVisible());
  QString props = Properties(Id(layer));
  EXPECT_NE(FirstType(props), "_NET_WM_WINDOW_TYPE_DESKTOP") << props.toStdString();
  EXPECT_FALSE(props.contains("_NET_WM_STATE_BELOW")) << props.toStdString();
  EXPECT_FALSE(props.contains("_NET_WM_STATE_SKIP_TASKBAR")) << props.toStdString();
  EXPECT_FALSE(props.contains("input focus: False")) << props.toStdString();
  EXPECT_FALSE(layer->windowFlags() & Qt::WindowStaysOnBottomHint);

  // On while an owner holds it as a child: still the owner's child.
  QWidget owner;
  owner.setGeometry(100, 100, 320, 240);
  owner.show();
  ASSERT_EQ(window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS), S_OK);
  ASSERT_EQ(window->put_Owner(reinterpret_cast<OAHWND>(&owner)), S_OK);
  ASSERT_EQ(presentation->SetDesktopLayer(1), S_OK);
  Pump();
  EXPECT_EQ(layer->parentWidget(), &owner);
  EXPECT_FALSE(layer->isWindow());

  // The owner lets it go: the flag still holds, and it is the layer again.
  ASSERT_EQ(window->put_Owner(0), S_OK);
  ASSERT_EQ(window->put_Visible(OATRUE), S_OK);
  Pump();
  ASSERT_TRUE(layer->isWindow());
  props = Properties(Id(layer));
  EXPECT_EQ(FirstType(props), "_NET_WM_WINDOW_TYPE_DESKTOP") << props.toStdString();
  EXPECT_TRUE(props.contains("_NET_WM_STATE_BELOW")) << props.toStdString();
  const std::vector<WId> stack = StackBottomFirst();
  EXPECT_LT(Place(stack, Id(layer)), Place(stack, Id(&owner)));
}

}  // namespace
}  // namespace kavoro::testing
