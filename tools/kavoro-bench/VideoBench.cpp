#include "VideoBench.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

#include "CpuTime.h"
#include "media/FilterGraph.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaFramework.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::bench {
namespace {

constexpr int kMaxMinutes = 60;

}  // namespace

int RunVideoBench(int argc, char** argv, const std::string& file, int width, int height) {
  QApplication app(argc, argv);
  media::RegisterMediaFramework();
  QWidget frame;
  frame.resize(width / 2, height / 2);
  auto* video = new video::TDSVideoWindowEx2(&frame);
  video->SetName("VideoWindowEx");
  video->resize(frame.size());
  frame.show();
  video->Loaded();
  TFilterGraph graph;
  video->SetFilterGraph(&graph);
  graph.SetActive(true);
  HRESULT result = graph.RenderFile(file);
  if (FAILED(result)) {
    std::fprintf(stderr, "RenderFile failed: %s\n", HResultToString(result).c_str());
    return 1;
  }
  if (!video->OverlayActive()) std::fprintf(stderr, "no overlay: the renderer's window shows the picture\n");
  frame.hide();
  video->ShowFullScreen(0);
  const QSize shown = video->size();
  if (shown != QSize(width, height))
    std::fprintf(stderr, "the screen is %dx%d, not %dx%d\n", shown.width(), shown.height(), width, height);

  int exitCode = 0;
  // exit, not quit: quit asks every window to close first, and the full-screen form refuses.
  graph.OnGraphComplete = [&](TFilterGraph*, HRESULT, IBaseFilter*) { QCoreApplication::exit(0); };
  graph.OnGraphErrorAbort = [&](TFilterGraph*, HRESULT hr) {
    std::fprintf(stderr, "playback aborted: %s\n", HResultToString(hr).c_str());
    exitCode = 1;
    QCoreApplication::exit(0);
  };
  QTimer::singleShot(std::chrono::minutes(kMaxMinutes), &app, [&] {
    std::fprintf(stderr, "no end of playback within %d minutes\n", kMaxMinutes);
    exitCode = 1;
    QCoreApplication::exit(0);
  });
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  if (!graph.Play()) {
    std::fprintf(stderr, "Run failed\n");
    return 1;
  }
  app.exec();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  LONGLONG frames = 0, dropped = 0;
  ComPtr<IVideoPresentation> presentation;
  if (video->GraphRenderer() &&
      SUCCEEDED(video->GraphRenderer()->QueryInterface(IIDOf<IVideoPresentation>(), presentation.PutVoid())))
    presentation->GetFrameCounts(&frames, &dropped);
  graph.Stop();
  video->ShowInWindow();
  graph.SetActive(false);
  std::printf("frames=%lld dropped=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames),
              static_cast<long long>(dropped), wall, cpu);
  return exitCode;
}

}  // namespace kavoro::bench
