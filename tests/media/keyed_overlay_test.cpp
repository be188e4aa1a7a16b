// The keyed picture: the overlay mixer feeds the classic renderer, whose window lies behind a
// control that paints the colour key with a patch of another colour over it. The video shows
// where the key is, the patch and everything outside the key stay as painted. The picture is
// scaled once, to the size it is drawn at, and a new frame repaints nothing but the picture.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPaintEvent>
#include <QThread>
#include <QWidget>

#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/KeyedOverlay.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

const QColor kPatch(255, 255, 0);
const QColor kBackground(0, 0, 0);

// Paints its background, the key over `keyRect` and a patch over `patch`, as the video
// control does.
class KeyPainter final : public QWidget {
 public:
  using QWidget::QWidget;
  QColor key;
  QRect keyRect, patch;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    p.fillRect(keyRect, key);
    p.fillRect(patch, kPatch);
  }
};

void Settle() {
  for (int i = 0; i < 5; ++i) {
    os::Sim().ProcessMessages();
    QCoreApplication::processEvents();
  }
}

bool IsRed(const QColor& c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; }

// Counts the paints of the widgets it watches and gathers their regions.
class PaintLog final : public QObject {
 public:
  int count = 0;
  QRegion painted;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++count;
      painted += static_cast<QPaintEvent*>(e)->region();
    }
    return false;
  }
};

class KeyedOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    g = MakeGraph();
    renderer = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(g.builder->AddFilter(renderer.Get(), "VideoWindowEx"), S_OK);
    ASSERT_EQ(g.builder->RenderFile(Fixture(File()), {}), S_OK);
    mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
    ASSERT_EQ(g.builder->AddFilter(mixer.Get(), "Overlay Mixer"), S_OK);
    PutMixerInFront(g, mixer.Get(), renderer.Get());
    if (HasFatalFailure()) return;

    owner.resize(480, 300);
    owner.setAutoFillBackground(true);
    QPalette pal = owner.palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 0));
    owner.setPalette(pal);
    control = new KeyPainter(&owner);
    control->setGeometry(20, 30, 400, 240);
    COLORKEY key;
    DWORD color = 0;
    PinNamed(mixer.Get(), "Input0").As<IMixerPinConfig2>()->GetColorKey(&key, &color);
    control->key = QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    // The 4:3 picture letter-boxed in 400 x 240: 320 wide in the middle.
    control->keyRect = QRect(40, 0, 320, 240);
    control->patch = QRect(170, 100, 60, 40);
    owner.show();

    window = renderer.As<IVideoWindow>();
    ASSERT_EQ(window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS), S_OK);
    ASSERT_EQ(window->put_Owner(reinterpret_cast<OAHWND>(&owner)), S_OK);
    ASSERT_EQ(window->SetWindowPosition(20, 30, 400, 240), S_OK);
    ASSERT_EQ(window->put_Visible(OATRUE), S_OK);
    for (QWidget* w : owner.findChildren<QWidget*>())
      if (w->property("windowClass").toString() == kVideoRendererWindowClass) w->stackUnder(control);
  }
  void TearDown() override {
    g.control->Stop();
    Settle();
  }
  // 4:3, red first.
  virtual std::string File() const { return "colors.mpg"; }
  Graph g;
  ComPtr<IBaseFilter> renderer, mixer;
  ComPtr<IVideoWindow> window;
  QWidget owner;
  KeyPainter* control = nullptr;
};

TEST_F(KeyedOverlayTest, VideoShowsUnderTheKeyOnlyAndFollowsThePainting) {
  PauseAndWait(g);
  Settle();
  QImage shot = owner.grab().toImage();
  shot.save(QString::fromStdString(WriteFile("keyed-overlay.png", "")));
  const QPoint at = control->pos();
  // Under the key, around the patch: the red picture.
  EXPECT_TRUE(IsRed(shot.pixelColor(at + QPoint(60, 20))));
  EXPECT_TRUE(IsRed(shot.pixelColor(at + QPoint(340, 220))));
  EXPECT_TRUE(IsRed(shot.pixelColor(at + QPoint(150, 120))));
  // The patch, the control's black bars and the owner around it as they were painted.
  EXPECT_EQ(shot.pixelColor(at + QPoint(200, 120)), kPatch);
  EXPECT_EQ(shot.pixelColor(at + QPoint(20, 120)), kBackground);
  EXPECT_EQ(shot.pixelColor(at + QPoint(380, 120)), kBackground);
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 128, 0));

  // The control paints the patch elsewhere: the picture fills the old place.
  control->patch = QRect(60, 10, 30, 30);
  control->update();
  Settle();
  shot = owner.grab().toImage();
  EXPECT_TRUE(IsRed(shot.pixelColor(at + QPoint(200, 120))));
  EXPECT_EQ(shot.pixelColor(at + QPoint(70, 20)), kPatch);

  // The mixer's destination (screen pixels) limits the picture to its left half.
  const QPoint screen = control->mapToGlobal(QPoint(0, 0));
  const RECT dest{screen.x(), screen.y(), screen.x() + 200, screen.y() + 240};
  ASSERT_EQ(mixer.As<IDDrawExclModeVideo>()->SetDrawParameters(nullptr, &dest), S_OK);
  control->update();
  Settle();
  shot = owner.grab().toImage();
  EXPECT_TRUE(IsRed(shot.pixelColor(at + QPoint(150, 120))));
  EXPECT_EQ(shot.pixelColor(at + QPoint(300, 120)), control->key);
  ASSERT_EQ(mixer.As<IDDrawExclModeVideo>()->SetDrawParameters(nullptr, nullptr), S_OK);

  // Without a key painted nothing of the video shows.
  control->keyRect = QRect();
  control->update();
  Settle();
  shot = owner.grab().toImage();
  EXPECT_EQ(shot.pixelColor(at + QPoint(200, 120)), kBackground);
}

TEST_F(KeyedOverlayTest, PictureFitsByTheAspectRatioMode) {
  OverlayKeying k;
  k.aspectX = 4;
  k.aspectY = 3;
  struct Case {
    AM_ASPECT_RATIO_MODE mode;
    QSize size;
    QRect expected;
  } cases[] = {
      {AM_ARMODE_LETTER_BOX, {400, 200}, {66, 0, 267, 200}},  // 266.7 rounds up
      {AM_ARMODE_LETTER_BOX, {320, 480}, {0, 120, 320, 240}},
      {AM_ARMODE_CROP, {400, 200}, {0, -50, 400, 300}},
      {AM_ARMODE_STRETCHED, {400, 200}, {0, 0, 400, 200}},
  };
  for (const Case& c : cases) {
    k.aspectMode = c.mode;
    EXPECT_EQ(media::KeyedOverlay::FitPicture(c.size, k), c.expected) << c.mode;
  }
}

}  // namespace
}  // namespace kavoro::testing

namespace kavoro::testing {
namespace {

// A picture with an edge down its middle (left half red, right half blue), 4:3.
class KeyedSplitTest : public KeyedOverlayTest {
 protected:
  std::string File() const override { return "split.avi"; }
};

// Whatever the aspect-ratio mode, the surface holds the picture at the size the layer draws
// it, and the screen shows exactly that image: pixel for pixel where the picture lies, black
// bars where the key shows beside it, the patch as painted.
TEST_F(KeyedSplitTest, PictureIsScaledOnceToItsFittedSizeAndShownOneToOne) {
  control->keyRect = control->rect();  // 400 x 240: wider than the picture
  PauseAndWait(g);
  const struct Case {
    AM_ASPECT_RATIO_MODE mode;
    QRect fit;  // control coordinates
  } cases[] = {
      {AM_ARMODE_LETTER_BOX, {40, 0, 320, 240}},
      {AM_ARMODE_CROP, {0, -30, 400, 300}},
      {AM_ARMODE_STRETCHED, {0, 0, 400, 240}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(PinNamed(mixer.Get(), "Input0").As<IMixerPinConfig2>()->SetAspectRatioMode(c.mode),
              S_OK);
    // As the video control does after a mode change: repaints its key and tells the renderer.
    control->update();
    ASSERT_EQ(window->NotifyOwnerMessage(reinterpret_cast<OAHWND>(&owner), WM_PAINT, 0, 0), S_OK);
    Settle();
    PresentedImage picture;
    ASSERT_EQ(renderer.As<IVideoPresentation>()->GetPresentedImage(&picture), S_OK);
    EXPECT_EQ(QSize(picture.width, picture.height), c.fit.size()) << "mode " << c.mode;
    if (QSize(picture.width, picture.height) != c.fit.size()) continue;
    const QImage shot = owner.grab().toImage();
    const QPoint at = control->pos();
    int wrong = 0;
    for (int y = 0; y < control->height(); ++y) {
      for (int x = 0; x < control->width(); ++x) {
        const QPoint p(x, y);
        QRgb expected = qRgb(0, 0, 0);
        if (control->patch.contains(p)) expected = kPatch.rgb();
        else if (c.fit.contains(p)) expected = picture.Pixel(x - c.fit.x(), y - c.fit.y()) | 0xFF000000;
        if ((shot.pixel(at + p) | 0xFF000000) != expected) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "mode " << c.mode;
  }
}

// While playing, each frame repaints the picture's rectangle of the layer and nothing of the
// owner or the control under it.
TEST_F(KeyedOverlayTest, NewFramesRepaintThePictureOnly) {
  constexpr int kPlayMs = 600;
  constexpr int kMinFrames = 5;
  PauseAndWait(g);
  Settle();
  auto* layer = owner.findChild<media::KeyedOverlay*>();
  ASSERT_NE(layer, nullptr);
  PaintLog layerPaints, underPaints;
  layer->installEventFilter(&layerPaints);
  owner.installEventFilter(&underPaints);
  control->installEventFilter(&underPaints);
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  QElapsedTimer played;
  played.start();
  while (played.elapsed() < kPlayMs) {
    Settle();
    QThread::msleep(5);
  }
  LONGLONG presented = 0, dropped = 0;
  renderer.As<IVideoPresentation>()->GetFrameCounts(&presented, &dropped);
  EXPECT_GE(presented, kMinFrames);
  EXPECT_GE(layerPaints.count, kMinFrames);
  EXPECT_EQ(underPaints.count, 0);
  EXPECT_EQ(layer->PictureRect(), QRect(40, 0, 320, 240));
  EXPECT_TRUE((layerPaints.painted - layer->PictureRect()).isEmpty())
      << "painted beyond the picture: " << (layerPaints.painted - layer->PictureRect()).rectCount()
      << " rectangles";
}

}  // namespace
}  // namespace kavoro::testing
