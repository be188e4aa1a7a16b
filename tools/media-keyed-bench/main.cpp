// kavoro-keyed-bench WxH FILE: plays FILE at normal speed through the overlay mixer and the
// classic renderer, the picture keyed (letter-boxed) in a frameless W x H owner window at
// (0, 0) that paints the colour key all over, as the video control shows it; prints
// "frames=N dropped=N wall=SECONDS cpu=SECONDS" (the processor time of the whole process from
// Run to the end). Needs a display: xvfb-run -s "-screen 0 1920x1080x24" ...
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

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc != 3 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 ||
      height <= 0) {
    std::fprintf(stderr, "usage: kavoro-keyed-bench WxH FILE\n");
    return 2;
  }
  const std::string file = argv[2];
  QApplication app(argc, argv);  // before the framework, so repaints reach this thread
  media::RegisterMediaFramework();
  ComPtr<IGraphBuilder> graph = CreateInstance<IGraphBuilder>(CLSID_FilterGraph);
  ComPtr<IBaseFilter> renderer = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
  ComPtr<IBaseFilter> mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
  if (!graph || !renderer || !mixer) return Fail("making the filters", E_FAIL);
  HRESULT hr = graph->AddFilter(renderer.Get(), "Video Renderer");
  if (SUCCEEDED(hr)) hr = graph->RenderFile(file, {});
  if (FAILED(hr)) return Fail("RenderFile", hr);
  // The mixer in front of the renderer, as the video control puts it.
  ComPtr<IPin> rendererIn = media::PinsOf(renderer.Get()).front();
  ComPtr<IPin> decoderOut = media::PeerOf(rendererIn.Get());
  if (!decoderOut) return Fail("finding the video", VFW_E_NOT_CONNECTED);
  rendererIn->Disconnect();
  decoderOut->Disconnect();
  hr = graph->AddFilter(mixer.Get(), "Overlay Mixer");
  if (SUCCEEDED(hr)) hr = graph->Connect(decoderOut.Get(), PinWithId(mixer.Get(), "Input0").Get());
  if (SUCCEEDED(hr)) hr = graph->Connect(PinWithId(mixer.Get(), "Output").Get(), rendererIn.Get());
  if (FAILED(hr)) return Fail("putting the mixer in front", hr);

  COLORKEY key{};
  DWORD color = 0;
  PinWithId(mixer.Get(), "Input0").As<IMixerPinConfig2>()->GetColorKey(&key, &color);
  QWidget owner(nullptr, Qt::FramelessWindowHint);
  owner.setGeometry(0, 0, width, height);
  auto* control = new KeyPainter(&owner, QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  control->setGeometry(0, 0, width, height);
  owner.show();
  auto window = renderer.As<IVideoWindow>();
  window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
  window->put_Owner(reinterpret_cast<OAHWND>(&owner));
  window->SetWindowPosition(0, 0, width, height);
  for (QWidget* w : owner.findChildren<QWidget*>())
    if (w->property("windowClass").toString() == kVideoRendererWindowClass) w->stackUnder(control);

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
