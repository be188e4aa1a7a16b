// Failures on the way from the file to the renderers reach the application: a filter that
// fails a sample aborts the run with its code while the other stream plays on; streams that
// never decode are reported, and a file none of whose streams decode ends in an error; seeks
// and rate changes that fail say so.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "FakeFilters.h"
#include "MediaTestSupport.h"
#include "platform/media/DecodeWatch.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IDecodeStatistics.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Event {
  LONG code;
  LONG_PTR p1, p2;
};

// Every event until `until` comes or `timeoutMs` passes.
std::vector<Event> EventsUntil(IMediaEvent* events, LONG until, int timeoutMs) {
  std::vector<Event> seen;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline) {
    Event e{};
    if (events->GetEvent(&e.code, &e.p1, &e.p2, 20) != S_OK) continue;
    events->FreeEventParams(e.code, e.p1, e.p2);
    seen.push_back(e);
    if (e.code == until) break;
  }
  return seen;
}

int Count(const std::vector<Event>& events, LONG code) {
  return static_cast<int>(
      std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.code == code; }));
}

const Event* Find(const std::vector<Event>& events, LONG code) {
  for (auto& e : events)
    if (e.code == code) return &e;
  return nullptr;
}

ComPtr<IPin> OutputOf(IBaseFilter* f, const std::string& id) {
  ComPtr<IPin> pin = PinNamed(f, id);
  EXPECT_TRUE(pin) << id;
  return pin;
}

// Counts the sound frames the audio renderer writes.
struct SoundCounter {
  explicit SoundCounter(IFilterGraph* graph) {
    auto renderers = FiltersOfClass(graph, CLSID_AudioRender);
    EXPECT_EQ(renderers.size(), 1u);
    if (renderers.empty()) return;
    auto tap = renderers.front().As<IAudioTap>();
    EXPECT_TRUE(tap);
    if (tap)
      tap->SetTap([this](const std::int16_t*, std::size_t n, int, int rate) {
        frames += n;
        sampleRate = rate;
      });
  }
  double Seconds() const { return sampleRate ? static_cast<double>(frames) / sampleRate : 0; }
  std::atomic<std::size_t> frames{0};
  std::atomic<int> sampleRate{0};
};

class StreamFailureTest : public ::testing::Test {
 protected:
  void SetUp() override { os::Sim().Reset(); }
  void TearDown() override {
    if (g.control) g.control->Stop();
  }
  Graph g;
};

// Where a filter fails on the video stream while the sound goes on: a compressed packet the
// decoder would not take, a picture a renderer would not take, each with its own code.
struct FailureCase {
  const char* what;
  CLSID after;  // the failing filter goes after this filter's video output
  const char* pin;
  HRESULT failure;
};

const FailureCase kFailures[] = {
    {"before the decoder", CLSID_KavoroFileSource, "Video", E_FAIL},
    {"after the decoder, out of memory", CLSID_KavoroVideoDecoder, "Video Output", E_OUTOFMEMORY},
    {"after the decoder, renderer error", CLSID_KavoroVideoDecoder, "Video Output",
     VFW_E_RUNTIME_ERROR},
};

class DownstreamFailureTest : public StreamFailureTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DownstreamFailureTest, AbortsWithTheCodeAndTheOtherStreamPlaysOn) {
  const FailureCase& c = GetParam();
  g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
  auto upstream = FiltersOfClass(g.builder.Get(), c.after);
  ASSERT_EQ(upstream.size(), 1u);
  auto failing = MakeFailingPassThrough(10, c.failure);
  ASSERT_EQ(g.builder->AddFilter(failing.Get(), "Failing"), S_OK);
  InsertAfter(g.builder.Get(), OutputOf(upstream.front().Get(), c.pin).Get(), failing.Get());
  SoundCounter sound(g.builder.Get());

  const auto start = Clock::now();
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  auto events = EventsUntil(g.events.Get(), EC_ERRORABORT, 5000);
  const Event* abort = Find(events, EC_ERRORABORT);
  ASSERT_TRUE(abort) << "the failure stalled the stream in silence";
  EXPECT_EQ(static_cast<HRESULT>(abort->p1), c.failure) << HResultToString(static_cast<HRESULT>(abort->p1));
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.5);
  // The sound is not held up by the given-up stream: it plays to the file's end (3 s).
  while (sound.Seconds() < 2.8 && Clock::now() - start < std::chrono::seconds(8))
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_GE(sound.Seconds(), 2.8);
  // An aborted run makes up no completion.
  events = EventsUntil(g.events.Get(), EC_COMPLETE, 700);
  EXPECT_EQ(Count(events, EC_COMPLETE), 0);
  EXPECT_EQ(g.control->Stop(), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Where, DownstreamFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                           std::string n = info.param.what;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

// Files whose streams do not decode, played as fast as they decode.
struct UndecodableCase {
  const char* file;
  std::vector<CLSID> undecodable;  // the decoders reported
  LONG ending;                     // EC_COMPLETE or EC_ERRORABORT
};

class UndecodableTest : public StreamFailureTest,
                        public ::testing::WithParamInterface<UndecodableCase> {};

TEST_P(UndecodableTest, StreamsThatNeverDecodeAreReportedAndNoneDecodingIsAnError) {
  const UndecodableCase& c = GetParam();
  g = MakeGraph();
  ASSERT_TRUE(SUCCEEDED(g.builder->RenderFile(Fixture(c.file), {})));
  for (auto& f : FiltersOf(g.builder.Get()))
    if (auto s = f.As<IRendererScheduling>()) s->SetClockScheduling(0);
  SoundCounter sound(g.builder.Get());
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  std::vector<Event> events;
  for (auto more = EventsUntil(g.events.Get(), c.ending, 10000); !more.empty();
       more = EventsUntil(g.events.Get(), c.ending, 300)) {
    events.insert(events.end(), more.begin(), more.end());
    if (more.back().code == c.ending) break;
  }
  const Event* end = Find(events, c.ending);
  ASSERT_TRUE(end) << "the run did not end as expected";
  EXPECT_EQ(Count(events, c.ending == EC_COMPLETE ? EC_ERRORABORT : EC_COMPLETE), 0);
  if (c.ending == EC_ERRORABORT) {
    EXPECT_EQ(static_cast<HRESULT>(end->p1), KAVORO_E_UNDECODABLE_STREAM);
  } else {
    EXPECT_GT(sound.Seconds(), 2.5) << "the sound plays on";
  }
  std::vector<const void*> reported;
  for (auto& e : events)
    if (e.code == EC_KAVORO_STREAM_UNDECODABLE) {
      EXPECT_EQ(static_cast<HRESULT>(e.p1), KAVORO_E_UNDECODABLE_STREAM);
      reported.push_back(reinterpret_cast<const void*>(e.p2));
    }
  ASSERT_EQ(reported.size(), c.undecodable.size()) << "each stream once";
  for (const CLSID& clsid : c.undecodable) {
    auto decoders = FiltersOfClass(g.builder.Get(), clsid);
    ASSERT_EQ(decoders.size(), 1u);
    IBaseFilter* decoder = decoders.front().Get();
    EXPECT_NE(std::find(reported.begin(), reported.end(), decoder), reported.end())
        << clsid.ToString();
    LONGLONG damaged = 0;
    ASSERT_EQ(decoders.front().As<IDecodeStatistics>()->GetDamagedCount(&damaged), S_OK);
    EXPECT_GT(damaged, 10) << "each refused packet counted";
  }
  EXPECT_EQ(g.control->Stop(), S_OK);
}

const UndecodableCase kUndecodable[] = {
    {"undecodable.mkv", {CLSID_KavoroVideoDecoder, CLSID_KavoroAudioDecoder}, EC_ERRORABORT},
    {"novideo.mkv", {CLSID_KavoroVideoDecoder}, EC_COMPLETE},
};

INSTANTIATE_TEST_SUITE_P(Files, UndecodableTest, ::testing::ValuesIn(kUndecodable),
                         [](const ::testing::TestParamInfo<UndecodableCase>& info) {
                           std::string n = info.param.file;
                           return n.substr(0, n.find('.'));
                         });

// The decoders' rule on its own: a stream is reported once a run, when a whole second of its
// input (by the input's times) brought nothing out, or at its end when nothing ever came out.
TEST(DecodeWatchTest, ReportsASecondWithoutOutputOnceARun) {
  constexpr REFERENCE_TIME ms = kUnitsPerMillisecond;
  struct Step {
    char what;  // 'i' input at `at` (-1: untimed), 'o' output, 'r' reset, 'e' end
    REFERENCE_TIME at;
    bool reported;  // what Input or EndsUndecodable answers
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"silent from the start",
       {{'i', 0, false}, {'i', 960 * ms, false}, {'i', 1000 * ms, true}, {'i', 1040 * ms, false},
        {'e', 0, false}}},
      {"silent after some output",
       {{'i', 0, false}, {'o', 0, false}, {'i', 400 * ms, false}, {'i', 1360 * ms, false},
        {'i', 1400 * ms, true}}},
      {"output in time every time",
       {{'i', 0, false}, {'i', 900 * ms, false}, {'o', 0, false}, {'i', 1800 * ms, false},
        {'o', 0, false}, {'i', 2700 * ms, false}, {'e', 0, false}}},
      {"untimed input: only the end tells",
       {{'i', -1, false}, {'i', -1, false}, {'e', 0, true}, {'e', 0, false}}},
      {"a seek starts a new run",
       {{'i', 0, false}, {'i', 1000 * ms, true}, {'r', 0, false}, {'i', 5000 * ms, false},
        {'i', 6000 * ms, true}}},
      {"no input, no report", {{'e', 0, false}}},
  };
  for (const Case& c : cases) {
    media::DecodeWatch watch;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      bool got = false;
      switch (s.what) {
        case 'i': got = watch.Input(s.at < 0 ? std::nullopt : std::optional(s.at)); break;
        case 'o': watch.Output(); break;
        case 'r': watch.Reset(); break;
        case 'e': got = watch.EndsUndecodable(); break;
      }
      EXPECT_EQ(got, s.reported) << c.name << ", step " << i;
    }
  }
}

TEST_F(StreamFailureTest, AFailedSeekIsReportedAndDoesNotClaimTheTarget) {
  // The file is cut short under the open source: the demuxer cannot find the target.
  const std::string path = WriteFile("shrinking.mpg", ReadFile(Fixture("colors.mpg")));
  g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(path, {}), S_OK);
  PauseAndWait(g);
  std::filesystem::resize_file(path, 4096);
  LONGLONG target = 2 * kSecond;
  const HRESULT hr = g.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                             AM_SEEKING_NoPositioning);
  EXPECT_EQ(hr, KAVORO_E_SEEK_FAILED) << HResultToString(hr);
  LONGLONG at = -1;
  ASSERT_EQ(g.seeking->GetCurrentPosition(&at), S_OK);
  EXPECT_LT(at, kSecond) << "the position is where playback stands, not the target";
  EXPECT_EQ(g.control->Stop(), S_OK);
}

TEST_F(StreamFailureTest, ASeekOrRateChangeWhoseRestartFailsReturnsTheFailure) {
  g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
  auto decoder = FiltersOfClass(g.builder.Get(), CLSID_KavoroVideoDecoder);
  ASSERT_EQ(decoder.size(), 1u);
  // Runs once, then refuses every further run.
  auto failing = MakeFailingPassThrough(0, S_OK, 2);
  ASSERT_EQ(g.builder->AddFilter(failing.Get(), "Failing"), S_OK);
  InsertAfter(g.builder.Get(), OutputOf(decoder.front().Get(), "Video Output").Get(),
              failing.Get());
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  LONGLONG target = kSecond;
  EXPECT_EQ(g.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                    AM_SEEKING_NoPositioning),
            VFW_E_RUNTIME_ERROR);
  ASSERT_EQ(g.control->Stop(), S_OK);
  PauseAndWait(g);
  // Paused, the rate change needs no new run: it succeeds; running, it fails.
  EXPECT_EQ(g.seeking->SetRate(2.0), S_OK);
  EXPECT_EQ(g.control->Run(), VFW_E_RUNTIME_ERROR);
}

TEST_F(StreamFailureTest, TheRateChangesWhilePlaying) {
  g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
  SoundCounter sound(g.builder.Get());
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_EQ(g.seeking->SetRate(2.0), S_OK);
  double rate = 0;
  ASSERT_EQ(g.seeking->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, 2.0);
  // Let the new run settle, then watch the position for half a second of wall time.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  LONGLONG before = 0, after = 0;
  ASSERT_EQ(g.seeking->GetCurrentPosition(&before), S_OK);
  const std::size_t soundBefore = sound.frames;
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(g.seeking->GetCurrentPosition(&after), S_OK);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double advanced = static_cast<double>(after - before) / kSecond;
  EXPECT_NEAR(advanced / wall, 2.0, 0.4) << "position advanced " << advanced << " s in " << wall;
  EXPECT_GT(sound.frames, soundBefore) << "the sound goes on at the new rate";
  // The stream plays to its end at that speed: 3 s of file, a good part of it at 2x.
  std::vector<LONG> seen;
  EXPECT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 4000, &seen));
}

}  // namespace
}  // namespace kavoro::testing
