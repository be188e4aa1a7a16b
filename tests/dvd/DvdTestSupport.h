#pragma once
// What the DVD tests share: the fixture disc and its menu buttons, waiting for events, and a
// rendered DVD graph (a session begins in the title menu).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {

namespace fs = std::filesystem;
inline const fs::path kFixtures = KAVORO_FIXTURES_DIR;

// The fixture disc, made once per run (the maker does nothing when it is up to date).
inline fs::path Disc() {
  static const bool made = [] {
    const std::string cmd = std::string("bash '") + KAVORO_MAKE_DVD + "' '" +
                            kFixtures.string() + "' >/dev/null";
    return std::system(cmd.c_str()) == 0;
  }();
  EXPECT_TRUE(made);
  return kFixtures / "DVD";
}

// The stream test disc (two title sets, a 16:9 title with a subpicture stream per display,
// audio numbered apart from its ids, LPCM), made once per run.
inline fs::path StreamsDisc() {
  static const bool made = [] {
    const std::string cmd = std::string("bash '") + KAVORO_MAKE_DVD_STREAMS + "' '" +
                            kFixtures.string() + "' >/dev/null";
    return std::system(cmd.c_str()) == 0;
  }();
  EXPECT_TRUE(made);
  return kFixtures / "DVD-STREAMS";
}

// A copy of the disc folder with both copies of the disc's main table overwritten.
inline fs::path DamagedDisc() {
  const fs::path to = kFixtures / "dvd-test-damaged";
  fs::remove_all(to);
  fs::create_directories(to);
  fs::copy(Disc(), to, fs::copy_options::recursive);
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
    std::ofstream out(to / "VIDEO_TS" / name, std::ios::binary | std::ios::trunc);
    out << std::string(4096, '\x5a');
  }
  return to;
}

// Menu buttons of the fixture disc (picture pixels): a 6-pixel frame along the inside of
// each, yellow when selected.
inline constexpr LONG kButtonLeft = 200, kButtonRight = 519;
inline constexpr LONG kButtonTops[] = {220, 320, 420};
inline constexpr LONG kDiscWidth = 720, kDiscHeight = 576;

inline bool Yellowish(std::uint32_t p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return r > 170 && g > 170 && b < 110;
}

// The pixel of a picture of any size at a point of the disc's picture.
inline std::uint32_t DiscPixel(const PresentedImage& image, LONG x, LONG y) {
  return image.Pixel(x * image.width / kDiscWidth, y * image.height / kDiscHeight);
}

// Yellow pixels along the top edge of button `b` (from 1), inside its frame, of a picture of
// any size.
inline int LitPixels(const PresentedImage& image, int b) {
  if (image.width <= 0) return 0;
  int n = 0;
  for (LONG x = kButtonLeft + 10; x < kButtonRight - 10; x += 4)
    for (LONG y = kButtonTops[b - 1] + 1; y < kButtonTops[b - 1] + 5; ++y)
      n += Yellowish(DiscPixel(image, x, y)) ? 1 : 0;
  return n;
}

struct Event {
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
};

// Takes events until one with `code` (and, when given, parameter 1 equal to `p1`) comes;
// everything taken is appended to `seen`.
inline bool WaitForDvdEvent(IMediaEvent* events, LONG code, std::optional<LONG_PTR> p1,
                     std::vector<Event>& seen, int timeoutMs = 15000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    Event e;
    if (events->GetEvent(&e.code, &e.p1, &e.p2, 20) != S_OK) continue;
    events->FreeEventParams(e.code, e.p1, e.p2);
    seen.push_back(e);
    if (e.code == EC_ERRORABORT) return false;
    if (e.code == code && (!p1 || *p1 == e.p1)) return true;
  }
  return false;
}

class DvdBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    media::RegisterDvdPlayback();
    builder = CreateInstance<IDvdGraphBuilder>(CLSID_DvdGraphBuilder);
    ASSERT_TRUE(builder);
    ASSERT_EQ(builder->GetFiltergraph(graph.Put()), S_OK);
    control = graph.As<IMediaControl>();
    events = graph.As<IMediaEventEx>();
    ASSERT_TRUE(control && events);
  }
  void TearDown() override {
    if (control) control->Stop();
  }
  ComPtr<IDvdGraphBuilder> builder;
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEventEx> events;
};

// A whole session: the title menu, a button by position, chapters, streams, time.
class DvdSessionTest : public DvdBuilderTest {
 protected:
  void SetUp() override {
    DvdBuilderTest::SetUp();
    AM_DVD_RENDERSTATUS status;
    ASSERT_TRUE(SUCCEEDED(builder->RenderDvdVideoVolume(Volume().string().c_str(),
                                                        AM_DVD_HWDEC_PREFER, &status)));
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdInfo2>(), info.PutVoid()), S_OK);
    ASSERT_EQ(dvd->SetOption(DVD_HMSF_TimeCodeEvents, 1), S_OK);
    BeforeRun();
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    // First play jumps to the title menu, a still waiting for a button.
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, seen));
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen));
  }
  // The volume the session plays.
  virtual fs::path Volume() { return Disc(); }
  // The rendered graph before it first runs.
  virtual void BeforeRun() {}
  // Tears the graph down and renders the volume again: a new session in the title menu.
  void RenderAnew() {
    control->Stop();
    dvd = nullptr;
    info = nullptr;
    control = nullptr;
    events = nullptr;
    graph = nullptr;
    builder = nullptr;
    seen.clear();
    SetUp();
  }
  // Plays title 1 chapter 2 through the menu's second button.
  void IntoChapter2() {
    ASSERT_EQ(dvd->ActivateAtPosition({360, 355}), S_OK);
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 2, seen));
  }
  // The events taken so far, for failure messages.
  std::string Trace() const {
    std::string t;
    char one[48];
    for (const Event& e : seen) {
      std::snprintf(one, sizeof one, " %#lx(%ld,%ld)", static_cast<long>(e.code),
                    static_cast<long>(e.p1), static_cast<long>(e.p2));
      t += one;
    }
    return t;
  }
  bool Saw(LONG code, LONG_PTR p1) const {
    for (const Event& e : seen)
      if (e.code == code && e.p1 == p1) return true;
    return false;
  }
  ComPtr<IDvdControl2> dvd;
  ComPtr<IDvdInfo2> info;
  std::vector<Event> seen;
};

// A session whose sound is listened to where it reaches the audio renderer: the left
// channel, as it comes.
class DvdAudioTest : public DvdSessionTest {
 protected:
  void BeforeRun() override {
    ComPtr<IEnumFilters> filters;
    ASSERT_EQ(graph->EnumFilters(filters.Put()), S_OK);
    IBaseFilter* f = nullptr;
    while (filters->Next(1, &f, nullptr) == S_OK) {
      ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
      if (ComPtr<IAudioTap> tap = held.As<IAudioTap>()) {
        tap->SetTap([this](const std::int16_t* s, std::size_t frames, int channels, int) {
          std::lock_guard g(lock);
          for (std::size_t i = 0; i < frames; ++i) left.push_back(s[i * channels]);
        });
        tapped = true;
      }
    }
    ASSERT_TRUE(tapped);
  }
  // Zero crossings per second over the newest quarter second (0 before there is one): about
  // twice the frequency of a steady tone.
  double CrossingsPerSecond() {
    constexpr std::size_t kWindow = 48000 / 4;
    std::lock_guard g(lock);
    if (left.size() < kWindow) return 0;
    int crossings = 0;
    for (std::size_t i = left.size() - kWindow + 1; i < left.size(); ++i)
      if ((left[i - 1] < 0) != (left[i] < 0)) ++crossings;
    return crossings * 4.0;
  }
  std::mutex lock;
  std::vector<std::int16_t> left;  // guarded by lock
  bool tapped = false;
};

}  // namespace kavoro::testing
