#include "FileBench.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchCheck.h"
#include "CpuTime.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MediaFramework.h"

namespace kavoro::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr LONG kEventWaitMs = 100;
constexpr int kMaxMinutes = 60;
constexpr int kStateWaitMs = 5000;
// The seek measurement.
constexpr int kSeeks = 20;
constexpr int kSeekStride = 7;  // visits the kSeeks places in a jumping order (coprime to it)
constexpr auto kPlayBeforeSeek = std::chrono::milliseconds(300);
constexpr LONG kSeekPollMs = 1;

std::vector<ComPtr<IBaseFilter>> Filters(IGraphBuilder* graph) {
  std::vector<ComPtr<IBaseFilter>> out;
  ComPtr<IEnumFilters> e;
  graph->EnumFilters(e.Put());
  IBaseFilter* f = nullptr;
  while (e && e->Next(1, &f, nullptr) == S_OK) out.push_back(ComPtr<IBaseFilter>::Attach(f));
  return out;
}

// The stream a decoder's report names: its filter name and input pin.
std::string StreamName(IBaseFilter* decoder) {
  FILTER_INFO info;
  std::string name = "?";
  if (SUCCEEDED(decoder->QueryFilterInfo(&info))) {
    name = info.achName;
    if (info.pGraph) info.pGraph->Release();  // handed out counted
  }
  ComPtr<IEnumPins> pins;
  IPin* pin = nullptr;
  if (SUCCEEDED(decoder->EnumPins(pins.Put())) && pins->Next(1, &pin, nullptr) == S_OK) {
    auto held = ComPtr<IPin>::Attach(pin);
    std::string id;
    if (SUCCEEDED(held->QueryId(&id))) name += "/" + id;
  }
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

// A rendered graph with what the checker watches: the video renderers and the sound written.
struct Session {
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  ComPtr<IMediaSeeking> seeking;
  std::vector<ComPtr<IVideoPresentation>> videos;
  std::shared_ptr<std::atomic<std::uint64_t>> soundFrames =
      std::make_shared<std::atomic<std::uint64_t>>(0);

  // Pictures and sound put out so far: what tells a playing graph from a stalled one.
  std::uint64_t Progress() const {
    std::uint64_t n = *soundFrames;
    for (auto& v : videos) {
      LONGLONG p = 0, d = 0;
      v->GetFrameCounts(&p, &d);
      n += static_cast<std::uint64_t>(p + d);
    }
    return n;
  }

  // Stops the graph and lets it go, within a bound.
  void TearDown() {
    Watchdog dog(kTeardownSeconds, "teardown", kExitStalled);
    if (control) control->Stop();
    videos.clear();
    seeking = nullptr;
    events = nullptr;
    control = nullptr;
    graph = nullptr;
  }
};

// Makes and renders the graph; 0 or the exit code.
int Open(const std::string& file, bool clockScheduling, Session* s) {
  media::RegisterMediaFramework();
  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                IIDOf<IGraphBuilder>(), s->graph.PutVoid());
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot create the graph: %s\n", HResultToString(hr).c_str());
    return kExitSetup;
  }
  {
    Watchdog dog(kOpenSeconds, "RenderFile", kExitStalled);
    hr = s->graph->RenderFile(file, {});
  }
  if (FAILED(hr)) return ReportError(hr, "RenderFile failed");
  if (hr != S_OK) std::fprintf(stderr, "RenderFile: %s\n", HResultToString(hr).c_str());
  for (auto& f : Filters(s->graph.Get())) {
    if (auto v = f.As<IVideoPresentation>()) {
      v->SetPresentationMode(kPresentOffscreen);
      s->videos.push_back(v);
    }
    if (!clockScheduling)
      if (auto r = f.As<IRendererScheduling>()) r->SetClockScheduling(0);
    if (auto tap = f.As<IAudioTap>())
      tap->SetTap([frames = s->soundFrames](const std::int16_t*, std::size_t n, int, int) {
        *frames += n;
      });
  }
  s->control = s->graph.As<IMediaControl>();
  s->events = s->graph.As<IMediaEvent>();
  s->seeking = s->graph.As<IMediaSeeking>();
  return 0;
}

// Takes the events that are there (waiting up to `waitMs` for the first). Sets *complete on
// EC_COMPLETE; returns kExitError after printing the error of an error event, else 0.
int TakeEvents(Session& s, LONG waitMs, bool* complete) {
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  while (s.events->GetEvent(&code, &p1, &p2, waitMs) == S_OK) {
    waitMs = 0;
    s.events->FreeEventParams(code, p1, p2);
    switch (code) {
      case EC_COMPLETE:
        if (complete) *complete = true;
        break;
      case EC_KAVORO_STREAM_UNDECODABLE:
        std::fprintf(stderr, "undecodable=%s\n",
                     StreamName(reinterpret_cast<IBaseFilter*>(p2)).c_str());
        break;
      case EC_ERRORABORT:
      case EC_USERABORT:
      case EC_ERROR_STILLPLAYING:
        return ReportError(static_cast<HRESULT>(p1), "the graph reported an error");
      case EC_STREAM_ERROR_STOPPED:
        return ReportError(static_cast<HRESULT>(p1), "a stream stopped on an error");
      default:
        break;
    }
  }
  return 0;
}

// Waits (taking events) until `done` holds, the graph reports an error, or nothing comes out
// for kStallSeconds. 0 when done.
// Events are waited for up to `pollMs` between looks at `done`.
template <class Done>
int WaitWhilePlaying(Session& s, LONG pollMs, Done done, Clock::time_point deadline) {
  std::uint64_t progress = s.Progress();
  auto lastProgress = Clock::now();
  for (;;) {
    bool complete = false;
    if (int rc = TakeEvents(s, pollMs, &complete)) return rc;
    if (done(complete)) return 0;
    const std::uint64_t now = s.Progress();
    if (now != progress) {
      progress = now;
      lastProgress = Clock::now();
    } else if (Clock::now() - lastProgress > std::chrono::seconds(kStallSeconds)) {
      return ReportStall();
    }
    if (Clock::now() > deadline) {
      std::fprintf(stderr, "no end within its bound\n");
      return ReportStall();
    }
  }
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int RunFileBench(const std::string& file, bool realtime) {
  // Measuring decode speed: a sound device would pace the audio stream.
  if (!realtime) setenv("KAVORO_AUDIO_DEVICE", "none", 1);
  Session s;
  if (int rc = Open(file, realtime, &s)) return rc;
  const auto wallStart = Clock::now();
  const double cpuStart = CpuSeconds();
  HRESULT hr = s.control->Run();
  if (FAILED(hr)) {
    const int rc = ReportError(hr, "Run failed");
    s.TearDown();
    return rc;
  }
  const int exitCode = WaitWhilePlaying(
      s, kEventWaitMs, [](bool complete) { return complete; },
      wallStart + std::chrono::minutes(kMaxMinutes));
  const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  LONGLONG frames = 0, dropped = 0;
  for (auto& v : s.videos) {
    LONGLONG p = 0, d = 0;
    v->GetFrameCounts(&p, &d);
    frames += p;
    dropped += d;
  }
  s.TearDown();
  if (realtime)
    std::printf("frames=%lld dropped=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames),
                static_cast<long long>(dropped), wall, cpu);
  else
    std::printf("frames=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames), wall, cpu);
  return exitCode;
}

int RunSeekBench(const std::string& file) {
  setenv("KAVORO_AUDIO_DEVICE", "none", 1);
  Session s;
  if (int rc = Open(file, true, &s)) return rc;
  if (s.videos.size() != 1) {
    std::fprintf(stderr, "the seek measurement needs one video stream, the file has %zu\n",
                 s.videos.size());
    s.TearDown();
    return kExitSetup;
  }
  IVideoPresentation* video = s.videos.front().Get();
  LONGLONG duration = 0;
  if (FAILED(s.seeking->GetDuration(&duration)) || duration <= 0) {
    std::fprintf(stderr, "the file has no known duration\n");
    s.TearDown();
    return kExitSetup;
  }
  std::vector<double> times, errors;
  int exitCode = 0;
  for (int i = 0; i < kSeeks && exitCode == 0; ++i) {
    const bool paused = i % 2 == 0;
    HRESULT hr = paused ? s.control->Pause() : s.control->Run();
    if (FAILED(hr)) {
      exitCode = ReportError(hr, paused ? "Pause failed" : "Run failed");
      break;
    }
    OAFilterState state;
    s.control->GetState(kStateWaitMs, &state);
    if (!paused) std::this_thread::sleep_for(kPlayBeforeSeek);
    if ((exitCode = TakeEvents(s, 0, nullptr))) break;
    // Places spread over the file (the middle of each of kSeeks parts), in a jumping order.
    const int part = (i * kSeekStride) % kSeeks;
    LONGLONG target = duration * (2 * part + 1) / (2 * kSeeks);
    PresentationStamp before;
    LONGLONG runBefore = 0;
    video->GetLastPresented(&before, &runBefore);
    const auto t0 = Clock::now();
    hr = s.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                 AM_SEEKING_NoPositioning);
    if (FAILED(hr)) {
      exitCode = ReportError(hr, "SetPositions failed");
      break;
    }
    PresentationStamp shown;
    exitCode = WaitWhilePlaying(
        s, kSeekPollMs,
        [&](bool) {
          LONGLONG run = 0;
          video->GetLastPresented(&shown, &run);
          return shown.run > runBefore;
        },
        t0 + std::chrono::seconds(kStallSeconds));
    if (exitCode) break;
    times.push_back(Ms(Clock::now() - t0));
    // The new segment starts at the target: the picture's stream time is its distance from it.
    errors.push_back(std::abs(static_cast<double>(shown.start)) / kUnitsPerMillisecond);
    std::fprintf(stderr, "seek %2d %-7s to %8.3f s: %7.1f ms, shown %+6.1f ms from it\n", i,
                 paused ? "paused" : "playing", static_cast<double>(target) / kUnitsPerSecond,
                 times.back(), static_cast<double>(shown.start) / kUnitsPerMillisecond);
  }
  s.TearDown();
  if (exitCode) return exitCode;
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  const double median = (sorted[(kSeeks - 1) / 2] + sorted[kSeeks / 2]) / 2;
  std::printf("seeks=%d seek_median_ms=%.1f seek_worst_ms=%.1f seek_max_error_ms=%.1f\n", kSeeks,
              median, sorted.back(), *std::max_element(errors.begin(), errors.end()));
  return kExitPlayed;
}

}  // namespace kavoro::bench
