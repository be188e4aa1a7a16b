#include "DvdBench.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCheck.h"
#include "CpuTime.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdDeliveredStream.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/media/dvd/IDvdInfo2.h"

namespace kavoro::bench {
namespace {

constexpr LONG kEventWaitMs = 100;
// While the title plays its streams are read this often: a title at full speed lasts moments.
constexpr LONG kTitleEventWaitMs = 20;
constexpr int kMaxMinutes = 30;

LONGLONG PresentedFrames(const std::vector<ComPtr<IVideoPresentation>>& videos) {
  LONGLONG frames = 0;
  for (const auto& v : videos) {
    LONGLONG presented = 0, dropped = 0;
    v->GetFrameCounts(&presented, &dropped);
    frames += presented;
  }
  return frames;
}

// "0x81", or "none" before the pin delivered anything.
std::string DeliveredId(IBaseFilter* navigator, const char* pin) {
  ComPtr<IPin> p;
  ComPtr<IDvdDeliveredStream> d;
  ULONG id = 0;
  if (navigator && navigator->FindPin(pin, p.Put()) == S_OK && (d = p.As<IDvdDeliveredStream>()) &&
      d->GetDeliveredStreamId(&id) == S_OK) {
    char text[16];
    std::snprintf(text, sizeof text, "%#lx", static_cast<unsigned long>(id));
    return text;
  }
  return "none";
}

std::string DeliveredStreams(IBaseFilter* navigator) {
  return "streams: video " + DeliveredId(navigator, "Video") + " audio " +
         DeliveredId(navigator, "Audio") + " subpicture " + DeliveredId(navigator, "SubPicture");
}

bool PlaysTitle(IDvdInfo2* info, ULONG title) {
  DVD_DOMAIN domain = DVD_DOMAIN_Stop;
  DVD_PLAYBACK_LOCATION2 where;
  return info->GetCurrentDomain(&domain) == S_OK && domain == DVD_DOMAIN_Title &&
         info->GetCurrentLocation(&where) == S_OK && where.TitleNum == title;
}

// The chosen streams, once the title plays (the navigator offers streams in a title only).
HRESULT ChooseStreams(IDvdControl2* dvd, const DvdBenchOptions& options) {
  HRESULT hr = S_OK;
  if (options.audio && FAILED(hr = dvd->SelectAudioStream(*options.audio, DVD_CMD_FLAG_None, nullptr))) {
    std::fprintf(stderr, "SelectAudioStream(%lu) failed: %s\n",
                 static_cast<unsigned long>(*options.audio), HResultToString(hr).c_str());
    return hr;
  }
  if (options.subpicture &&
      (FAILED(hr = dvd->SelectSubpictureStream(*options.subpicture, DVD_CMD_FLAG_None, nullptr)) ||
       FAILED(hr = dvd->SetSubpictureState(1, DVD_CMD_FLAG_None, nullptr)))) {
    std::fprintf(stderr, "subpicture stream %lu failed: %s\n",
                 static_cast<unsigned long>(*options.subpicture), HResultToString(hr).c_str());
    return hr;
  }
  return S_OK;
}

}  // namespace

int RunDvdBench(const std::string& path, const DvdBenchOptions& options) {
  const ULONG title = options.title;
  // Measuring decode speed: a sound device would pace the audio stream.
  setenv("KAVORO_AUDIO_DEVICE", "none", 1);
  media::RegisterDvdPlayback();
  ComPtr<IDvdGraphBuilder> builder = CreateInstance<IDvdGraphBuilder>(CLSID_DvdGraphBuilder);
  if (!builder) {
    std::fprintf(stderr, "cannot create the DVD graph builder\n");
    return kExitSetup;
  }
  AM_DVD_RENDERSTATUS status;
  HRESULT hr = S_OK;
  {
    Watchdog open(kOpenSeconds, "opening the disc", kExitStalled);
    hr = builder->RenderDvdVideoVolume(path.c_str(), AM_DVD_HWDEC_PREFER, &status);
  }
  if (FAILED(hr) || status.bDvdVolInvalid || status.bDvdVolUnknown)
    return ReportError(FAILED(hr) ? hr : VFW_E_DVD_INVALID_DISC,
                       ("RenderDvdVideoVolume failed: " + HResultToString(hr)).c_str());
  if (hr != S_OK)
    std::fprintf(stderr, "RenderDvdVideoVolume: %d of %d streams failed (flags %#lx)\n",
                 status.iNumStreamsFailed, status.iNumStreams,
                 static_cast<unsigned long>(status.dwFailedStreamsFlag));
  ComPtr<IGraphBuilder> graph;
  ComPtr<IDvdControl2> dvd;
  ComPtr<IDvdInfo2> info;
  ComPtr<IBaseFilter> navigator;
  if (FAILED(builder->GetFiltergraph(graph.Put())) ||
      FAILED(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid())) ||
      FAILED(builder->GetDvdInterface(IIDOf<IDvdInfo2>(), info.PutVoid())) ||
      FAILED(builder->GetDvdInterface(IIDOf<IBaseFilter>(), navigator.PutVoid()))) {
    std::fprintf(stderr, "the DVD graph has no navigator\n");
    return kExitSetup;
  }

  std::vector<ComPtr<IVideoPresentation>> videos;
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(filters.Put());
  IBaseFilter* f = nullptr;
  while (filters && filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
    if (auto v = held.As<IVideoPresentation>()) {
      v->SetPresentationMode(kPresentOffscreen);
      videos.push_back(v);
    }
    if (auto s = held.As<IRendererScheduling>()) s->SetClockScheduling(0);
  }

  auto control = graph.As<IMediaControl>();
  auto events = graph.As<IMediaEvent>();
  // Stops the graph within its bound, whatever ends the run.
  auto stop = [&] {
    Watchdog teardown(kTeardownSeconds, "stopping the graph", kExitStalled);
    control->Stop();
  };
  // Paused first when streams are to be chosen: the renderers then hold the navigator to what
  // its pins' pools take, so the choice, made once the title plays, is not overtaken by a
  // short title read to its end before it.
  const bool choose = options.audio || options.subpicture;
  auto run = [&](bool paused) {
    Watchdog starting(kOpenSeconds, "starting the graph", kExitStalled);
    return paused ? control->Pause() : control->Run();
  };
  if (FAILED(hr = run(choose))) {
    stop();
    return ReportError(hr, ("Run failed: " + HResultToString(hr)).c_str());
  }
  bool running = !choose;
  // The disc starts wherever its first play goes (a menu, often a still): straight to the title.
  if (FAILED(hr = dvd->PlayTitle(title, DVD_CMD_FLAG_None, nullptr))) {
    stop();
    return ReportError(hr, ("PlayTitle failed: " + HResultToString(hr)).c_str());
  }
  const LONGLONG framesBefore = PresentedFrames(videos);
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  const auto deadline = wallStart + std::chrono::minutes(kMaxMinutes);
  LONGLONG progress = framesBefore;
  auto lastProgress = wallStart;
  int exitCode = kExitPlayed;
  bool inTitle = false;
  // The streams the title delivered, read while it plays: once it ends the disc goes on (its
  // menu, say) and the pins deliver that place's streams before this thread hears of the end.
  // The navigator tells a new place before it delivers any of it, so ids read while the title
  // is still seen playing afterwards are the title's (or, until its first units come, those of
  // the place before it: later reads replace them).
  std::string titleStreams;
  for (bool done = false; !done;) {
    if (inTitle) {
      std::string read = DeliveredStreams(navigator.Get());
      if (PlaysTitle(info.Get(), title)) titleStreams = std::move(read);
    }
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    if (events->GetEvent(&code, &p1, &p2, inTitle ? kTitleEventWaitMs : kEventWaitMs) == S_OK) {
      events->FreeEventParams(code, p1, p2);
      switch (code) {
        case EC_DVD_TITLE_CHANGE:
          std::printf("title %ld\n", static_cast<long>(p1));
          inTitle = static_cast<ULONG>(p1) == title;
          if (inTitle && FAILED(hr = ChooseStreams(dvd.Get(), options))) {
            exitCode = ReportError(hr, "the streams asked for cannot be played");
            done = true;
          } else if (inTitle && !running) {
            if (FAILED(hr = run(false))) {
              exitCode = ReportError(hr, ("Run failed: " + HResultToString(hr)).c_str());
              done = true;
            }
            running = true;
          }
          break;
        case EC_DVD_CHAPTER_START:
          std::printf("chapter %ld\n", static_cast<long>(p1));
          break;
        case EC_DVD_DOMAIN_CHANGE:
          // The title ends where the disc goes on elsewhere (its menu, another title, stop).
          if (inTitle && p1 != DVD_DOMAIN_Title) done = true;
          break;
        case EC_DVD_PLAYBACK_STOPPED:
        case EC_COMPLETE:
          done = true;
          break;
        case EC_DVD_WARNING:
          std::fprintf(stderr, "warning %ld\n", static_cast<long>(p1));
          break;
        case EC_DVD_ERROR:
          exitCode = ReportError(p1 == DVD_ERROR_Unexpected ? E_UNEXPECTED : E_FAIL,
                                 "the navigator gave up");
          done = true;
          break;
        case EC_DVD_DISC_EJECTED:
          exitCode = ReportError(VFW_E_DVD_INVALID_DISC, "the disc went away");
          done = true;
          break;
        case EC_ERRORABORT:
        case EC_USERABORT:
          exitCode = ReportError(static_cast<HRESULT>(p1), "playback was aborted");
          done = true;
          break;
        default:
          break;
      }
    }
    if (done) break;
    const auto now = std::chrono::steady_clock::now();
    if (const LONGLONG frames = PresentedFrames(videos); frames != progress) {
      progress = frames;
      lastProgress = now;
    } else if (now - lastProgress > std::chrono::seconds(kStallSeconds)) {
      exitCode = ReportStall();
      break;
    }
    if (now > deadline) {
      std::fprintf(stderr, "title %lu did not end within %d minutes\n",
                   static_cast<unsigned long>(title), kMaxMinutes);
      exitCode = ReportStall();
      break;
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  const LONGLONG frames = PresentedFrames(videos) - framesBefore;
  // A run that never saw its title play tells what was delivered at all.
  const std::string streams =
      titleStreams.empty() ? DeliveredStreams(navigator.Get()) : titleStreams;
  stop();
  std::printf("%s\n", streams.c_str());
  std::printf("frames=%lld wall=%.3f cpu=%.3f\n", static_cast<long long>(frames), wall, cpu);
  return exitCode;
}

}  // namespace kavoro::bench
