// kavoro-keyed-bench WxH FILE: plays FILE at normal speed through the overlay mixer and the
// classic renderer, the picture keyed (letter-boxed) in a frameless W x H owner window at
// (0, 0) that paints the colour key all over, as the video control shows it.
// kavoro-keyed-bench --desktop WxH FILE: plays FILE in the classic renderer's own window as the
// W x H desktop layer, the picture letter-boxed by the destination rectangle, as desktop
// playback shows it.
// Both print "frames=N dropped=N wall=SECONDS cpu=SECONDS" (the processor time of the whole
// process from Run to the end). They need a display: xvfb-run -s "-screen 0 1920x1080x24" ...
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <string>

#include "CpuTime.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/Enumerators.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaFramework.h"
#include "platform/media/PictureFit.h"

using namespace kavoro;

namespace {

constexpr int kEventPollMs = 50;
constexpr int kMaxMinutes = 60;

// Paints the colour key all over, as the video control does over the picture's place.
class KeyPainter final : public QWidget {
 public:
  KeyPainter(QWidget* parent, QColor key) : QWidget(parent), key_(key) {}

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), key_); }

 private:
  QColor key_;
};

ComPtr<IPin> PinWithId(IBaseFilter* f, const std::string& id) {
  ComPtr<IPin> pin;
  f->FindPin(id, pin.Put());
  return pin;
}

int Fail(const char* what, HRESULT hr) {
  std::fprintf(stderr, "%s failed: %s\n", what, HResultToString(hr).c_str());
  return 1;
}

// Puts an overlay mixer in front of `renderer`, as the video control does, and keys the
// picture in `owner` (frameless, width x height at (0, 0)), which a child paints all over
// with the colour key. Returns 0, or the exit code of a failure.
int ShowKeyed(IGraphBuilder* graph, IBaseFilter* renderer, IVideoWindow* window, QWidget* owner,
              int width, int height) {
  ComPtr<IBaseFilter> mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
  if (!mixer) return Fail("making the mixer", E_FAIL);
  ComPtr<IPin> rendererIn = media::PinsOf(renderer).front();
  ComPtr<IPin> decoderOut = media::PeerOf(rendererIn.Get());
  if (!decoderOut) return Fail("finding the video", VFW_E_NOT_CONNECTED);
  rendererIn->Disconnect();
  decoderOut->Disconnect();
  HRESULT hr = graph->AddFilter(mixer.Get(), "Overlay Mixer");
  if (SUCCEEDED(hr)) hr = graph->Connect(decoderOut.Get(), PinWithId(mixer.Get(), "Input0").Get());
  if (SUCCEEDED(hr)) hr = graph->Connect(PinWithId(mixer.Get(), "Output").Get(), rendererIn.Get());
  if (FAILED(hr)) return Fail("putting the mixer in front", hr);

  COLORKEY key{};
  DWORD color = 0;
  PinWithId(mixer.Get(), "Input0").As<IMixerPinConfig2>()->GetColorKey(&key, &color);
  owner->setGeometry(0, 0, width, height);
  auto* control =
      new KeyPainter(owner, QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  control->setGeometry(0, 0, width, height);
  owner->show();
  window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
  window->put_Owner(reinterpret_cast<OAHWND>(owner));
  window->SetWindowPosition(0, 0, width, height);
  for (QWidget* w : owner->findChildren<QWidget*>())
    if (w->property("windowClass").toString() == kVideoRendererWindowClass) w->stackUnder(control);
  return 0;
}

// Makes the renderer's window the width x height desktop layer with the picture letter-boxed
// by the destination rectangle, as desktop playback places it.
void ShowOnDesktop(IBaseFilter* renderer, IVideoWindow* window, int width, int height) {
  ComPtr<IBaseFilter> r(renderer);
  r.As<IVideoPresentation>()->SetDesktopLayer(1);
  window->put_Owner(0);
  window->SetWindowPosition(0, 0, width, height);
  auto video = r.As<IBasicVideo2>();
  LONG ax = 0, ay = 0;
  video->GetPreferredAspectRatio(&ax, &ay);
  const RECT box =
      media::FitPictureRect({0, 0, width, height}, ax, ay, media::PictureFit::LetterBox);
  video->SetDestinationPosition(box.left, box.top, RectWidth(box), RectHeight(box));
}

}  // namespace

int main(int argc, char** argv) {
  const bool desktop = argc == 4 && std::string(argv[1]) == "--desktop";
  const int first = desktop ? 2 : 1;
  int width = 0, height = 0;
  if (argc != first + 2 || std::sscanf(argv[first], "%dx%d", &width, &height) != 2 ||
      width <= 0 || height <= 0) {
    std::fprintf(stderr, "usage: kavoro-keyed-bench [--desktop] WxH FILE\n");
    return 2;
  }
  const std::string file = argv[first + 1];
  QApplication app(argc, argv);  // before the framework, so repaints reach this thread
  media::RegisterMediaFramework();
  ComPtr<IGraphBuilder> graph = CreateInstance<IGraphBuilder>(CLSID_FilterGraph);
  ComPtr<IBaseFilter> renderer = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
  if (!graph || !renderer) return Fail("making the filters", E_FAIL);
  HRESULT hr = graph->AddFilter(renderer.Get(), "Video Renderer");
  if (SUCCEEDED(hr)) hr = graph->RenderFile(file, {});
  if (FAILED(hr)) return Fail("RenderFile", hr);
  auto window = renderer.As<IVideoWindow>();
  QWidget owner(nullptr, Qt::FramelessWindowHint);
  if (desktop) {
    ShowOnDesktop(renderer.Get(), window.Get(), width, height);
  } else if (int failed =
                 ShowKeyed(graph.Get(), renderer.Get(), window.Get(), &owner, width, height)) {
    return failed;
  }

  auto playback = graph.As<IMediaControl>();
  auto events = graph.As<IMediaEvent>();
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = bench::CpuSeconds();
  hr = playback->Run();
  if (FAILED(hr)) return Fail("Run", hr);
  int exitCode = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
      events->FreeEventParams(code, p1, p2);
      if (code == EC_ERRORABORT || code == EC_USERABORT) exitCode = 1;
      if (code == EC_COMPLETE || exitCode != 0) app.quit();
    }
    if (std::chrono::steady_clock::now() - wallStart > std::chrono::minutes(kMaxMinutes)) {
      std::fprintf(stderr, "no end of playback within %d minutes\n", kMaxMinutes);
      exitCode = 1;
      app.quit();
    }
  });
  poll.start(kEventPollMs);
  app.exec();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = bench::CpuSeconds() - cpuStart;
  playback->Stop();
  LONGLONG frames = 0, dropped = 0;
  renderer.As<IVideoPresentation>()->GetFrameCounts(&frames, &dropped);
  std::printf("frames=%lld dropped=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames),
              static_cast<long long>(dropped), wall, cpu);
  return exitCode;
}
