// kavoro-bench FILE             renders FILE and plays it with every renderer presenting each
//                               frame as it arrives (no clock), into an off-screen surface;
//                               prints "frames=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --realtime FILE  plays FILE at normal speed; prints
//                               "frames=N dropped=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --dvd PATH [--title N] [--audio K] [--subpicture K]
//                               plays a title (1 unless given) of the DVD volume at PATH with
//                               the given logical audio and subpicture streams (DvdBench.h).
// kavoro-bench --realtime --fullscreen WxH FILE
//                               plays FILE through the player's video control, full screen
//                               (VideoBench.h).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CpuTime.h"
#include "DvdBench.h"
#include "VideoBench.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaFramework.h"

using namespace kavoro;

namespace {

constexpr LONG kEventWaitMs = 100;
constexpr int kMaxMinutes = 60;

std::vector<ComPtr<IBaseFilter>> Filters(IGraphBuilder* graph) {
  std::vector<ComPtr<IBaseFilter>> out;
  ComPtr<IEnumFilters> e;
  graph->EnumFilters(e.Put());
  IBaseFilter* f = nullptr;
  while (e && e->Next(1, &f, nullptr) == S_OK) out.push_back(ComPtr<IBaseFilter>::Attach(f));
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: kavoro-bench [--realtime [--fullscreen WxH]] FILE\n"
               "       kavoro-bench --dvd PATH [--title N] [--audio K] [--subpicture K]\n");
  return 2;
}

// --dvd PATH and its options, from argv[first] (the PATH) on.
int DvdMain(int argc, char** argv, int first) {
  if (first >= argc) return Usage();
  bench::DvdBenchOptions options;
  const std::string path = argv[first];
  for (int i = first + 1; i < argc; i += 2) {
    const std::string a = argv[i];
    unsigned long value = 0;
    char* end = nullptr;
    if (i + 1 >= argc) return Usage();
    value = std::strtoul(argv[i + 1], &end, 10);
    if (end == argv[i + 1] || *end != '\0') return Usage();
    if (a == "--title" && value >= 1) options.title = value;
    else if (a == "--audio") options.audio = value;
    else if (a == "--subpicture") options.subpicture = value;
    else return Usage();
  }
  return bench::RunDvdBench(path, options);
}

}  // namespace

int main(int argc, char** argv) {
  bool realtime = false;
  int fullWidth = 0, fullHeight = 0;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--dvd") return i == 1 ? DvdMain(argc, argv, i + 1) : Usage();
    if (a == "--realtime") realtime = true;
    else if (a == "--fullscreen") {
      if (i + 1 >= argc || std::sscanf(argv[++i], "%dx%d", &fullWidth, &fullHeight) != 2 ||
          fullWidth <= 0 || fullHeight <= 0)
        return Usage();
    }
    else if (file.empty()) file = a;
    else return Usage();
  }
  if (file.empty()) return Usage();
  if (fullWidth > 0) {
    if (!realtime) return Usage();
    return bench::RunVideoBench(argc, argv, file, fullWidth, fullHeight);
  }
  // Measuring decode speed: a sound device would pace the audio stream.
  if (!realtime) setenv("KAVORO_AUDIO_DEVICE", "none", 1);

  media::RegisterMediaFramework();
  ComPtr<IGraphBuilder> graph;
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                IIDOf<IGraphBuilder>(), graph.PutVoid());
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot create the graph: %s\n", HResultToString(hr).c_str());
    return 1;
  }
  hr = graph->RenderFile(file, {});
  if (FAILED(hr)) {
    std::fprintf(stderr, "RenderFile failed: %s\n", HResultToString(hr).c_str());
    return 1;
  }
  if (hr != S_OK) std::fprintf(stderr, "RenderFile: %s\n", HResultToString(hr).c_str());

  std::vector<ComPtr<IVideoPresentation>> videos;
  for (auto& f : Filters(graph.Get())) {
    if (auto v = f.As<IVideoPresentation>()) {
      v->SetPresentationMode(kPresentOffscreen);
      videos.push_back(v);
    }
    if (!realtime)
      if (auto s = f.As<IRendererScheduling>()) s->SetClockScheduling(0);
  }

  auto control = graph.As<IMediaControl>();
  auto events = graph.As<IMediaEvent>();
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = bench::CpuSeconds();
  hr = control->Run();
  if (FAILED(hr)) {
    std::fprintf(stderr, "Run failed: %s\n", HResultToString(hr).c_str());
    return 1;
  }
  int exitCode = 0;
  const auto deadline = wallStart + std::chrono::minutes(kMaxMinutes);
  for (;;) {
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    if (events->GetEvent(&code, &p1, &p2, kEventWaitMs) == S_OK) {
      events->FreeEventParams(code, p1, p2);
      if (code == EC_COMPLETE) break;
      if (code == EC_ERRORABORT || code == EC_USERABORT) {
        std::fprintf(stderr, "playback aborted: %s\n", HResultToString(static_cast<HRESULT>(p1)).c_str());
        exitCode = 1;
        break;
      }
    }
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "no end of playback within %d minutes\n", kMaxMinutes);
      exitCode = 1;
      break;
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = bench::CpuSeconds() - cpuStart;
  control->Stop();
  LONGLONG frames = 0, dropped = 0;
  for (auto& v : videos) {
    LONGLONG p = 0, d = 0;
    v->GetFrameCounts(&p, &d);
    frames += p;
    dropped += d;
  }
  if (realtime)
    std::printf("frames=%lld dropped=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames),
                static_cast<long long>(dropped), wall, cpu);
  else
    std::printf("frames=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames), wall, cpu);
  return exitCode;
}
