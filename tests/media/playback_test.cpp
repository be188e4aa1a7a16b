// Playback of a real file through the whole graph: duration, the end of the file, seeking,
// pausing and rate. These run in real time; bounds are generous so a busy machine cannot
// break them, but a graph that ignores the clock or the rate does.
#include <chrono>
#include <thread>

#include "MediaTestSupport.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr LONG kNotifyMessage = os::WM_APP + 1;
constexpr REFERENCE_TIME kFileLength = 3 * kSecond;
// Positions are read from the clock and the decoder's frame times: within a frame or two.
constexpr REFERENCE_TIME kPositionSlack = kSecond / 10;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

enum class Colour { Red, Green, Blue, Other };
Colour ColourOf(std::uint32_t argb) {
  const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  if (r > 180 && g < 80 && b < 80) return Colour::Red;
  if (g > 180 && r < 80 && b < 80) return Colour::Green;
  if (b > 180 && r < 80 && g < 80) return Colour::Blue;
  return Colour::Other;
}

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    g = MakeGraph();
    ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
    auto renderers = FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer);
    ASSERT_EQ(renderers.size(), 1u);
    video = renderers.front().As<IVideoPresentation>();
    ASSERT_TRUE(video);
  }
  void TearDown() override {
    if (g.control) g.control->Stop();
  }
  Colour Shown() {
    PresentedImage image;
    if (video->GetPresentedImage(&image) != S_OK) return Colour::Other;
    return ColourOf(image.Pixel(image.width / 2, image.height / 2));
  }
  LONGLONG Position() {
    LONGLONG p = -1;
    EXPECT_EQ(g.seeking->GetCurrentPosition(&p), S_OK);
    return p;
  }
  // Runs and returns the seconds until EC_COMPLETE (negative when it never came).
  double RunToEnd() {
    const auto start = Clock::now();
    EXPECT_TRUE(SUCCEEDED(g.control->Run()));
    if (!WaitForEvent(g.events.Get(), EC_COMPLETE, 15000)) return -1;
    return Seconds(Clock::now() - start);
  }
  Graph g;
  ComPtr<IVideoPresentation> video;
};

TEST_F(PlaybackTest, BuildsTheWholeChainAndKnowsTheDuration) {
  for (const CLSID& c : {CLSID_KavoroFileSource, CLSID_KavoroVideoDecoder, CLSID_KavoroAudioDecoder,
                         CLSID_AudioRender, CLSID_VideoMixingRenderer})
    EXPECT_EQ(FiltersOfClass(g.builder.Get(), c).size(), 1u) << c.ToString();
  LONGLONG duration = 0;
  ASSERT_EQ(g.seeking->GetDuration(&duration), S_OK);
  EXPECT_NEAR(static_cast<double>(duration), static_cast<double>(kFileLength), kPositionSlack);
  LONGLONG stop = 0;
  ASSERT_EQ(g.seeking->GetStopPosition(&stop), S_OK);
  EXPECT_EQ(stop, duration);
}

TEST_F(PlaybackTest, PlaysInRealTimeAndPostsOneCompletionToTheNotifyWindow) {
  std::vector<LONG> codes;
  int posts = 0;
  bool complete = false;
  os::MessageWindow window([&](os::UINT message, os::WPARAM, os::LPARAM instance) {
    ASSERT_EQ(message, static_cast<os::UINT>(kNotifyMessage));
    EXPECT_EQ(instance, 42);
    ++posts;
    LONG code;
    LONG_PTR p1, p2;
    while (g.events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
      codes.push_back(code);
      complete |= code == EC_COMPLETE;
      g.events->FreeEventParams(code, p1, p2);
    }
  });
  ASSERT_EQ(g.events->SetNotifyWindow(window.Handle(), kNotifyMessage, 42), S_OK);
  const auto start = Clock::now();
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  while (!complete && Clock::now() - start < std::chrono::seconds(15)) os::Sim().ProcessMessages(20);
  const double took = Seconds(Clock::now() - start);
  ASSERT_TRUE(complete);
  EXPECT_GE(took, 2.7);
  EXPECT_LT(took, 6.0);
  EXPECT_GT(posts, 0);
  // Both renderers finished, and the graph said so once; a little later nothing more came.
  os::Sim().ProcessMessages(200);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EC_COMPLETE), 1);
  // The first run chose the graph's clock, and said so.
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EC_CLOCK_CHANGED), 1);
  EXPECT_NEAR(static_cast<double>(Position()), static_cast<double>(kFileLength), kPositionSlack);
  LONGLONG presented = 0, dropped = 0;
  video->GetFrameCounts(&presented, &dropped);
  EXPECT_GE(presented + dropped, 70);
}

TEST_F(PlaybackTest, SeekingWhilePausedShowsThePictureAtTheTarget) {
  PauseAndWait(g);
  EXPECT_EQ(Shown(), Colour::Red);
  struct Case {
    REFERENCE_TIME target;
    Colour colour;
  };
  for (const Case& c : {Case{kSecond * 3 / 2, Colour::Green}, Case{kSecond * 5 / 2, Colour::Blue},
                        Case{kSecond / 2, Colour::Red}}) {
    LONGLONG target = c.target;
    ASSERT_EQ(g.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning),
              S_OK);
    OAFilterState s;
    ASSERT_EQ(g.control->GetState(5000, &s), S_OK);
    EXPECT_EQ(Position(), c.target);
    EXPECT_EQ(Shown(), c.colour) << c.target;
  }
}

TEST_F(PlaybackTest, SeekingWhileRunningGoesOnFromTheTarget) {
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  LONGLONG target = 2 * kSecond;
  ASSERT_EQ(g.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                    AM_SEEKING_NoPositioning),
            S_OK);
  const auto start = Clock::now();
  ASSERT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
  // One second was left after the target.
  EXPECT_GE(Seconds(Clock::now() - start), 0.7);
  EXPECT_LT(Seconds(Clock::now() - start), 3.0);
  EXPECT_EQ(Shown(), Colour::Blue);
}

TEST_F(PlaybackTest, PauseHoldsThePictureAndThePosition) {
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  PauseAndWait(g);
  const LONGLONG paused = Position();
  LONGLONG before = 0, dropped = 0;
  video->GetFrameCounts(&before, &dropped);
  const Colour shown = Shown();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(Position(), paused);
  LONGLONG after = 0;
  video->GetFrameCounts(&after, &dropped);
  EXPECT_EQ(after, before);
  EXPECT_EQ(Shown(), shown);
  EXPECT_EQ(shown, Colour::Green);
  // Running again finishes what was left, about 1.7 s.
  const double rest = RunToEnd();
  EXPECT_GT(rest, 1.2);
  EXPECT_LT(rest, 4.0);
}

TEST_F(PlaybackTest, RateTwoHalvesThePlayingTime) {
  EXPECT_EQ(g.seeking->SetRate(0.0), E_INVALIDARG);
  EXPECT_EQ(g.seeking->SetRate(-1.0), E_INVALIDARG);
  ASSERT_EQ(g.seeking->SetRate(2.0), S_OK);
  double rate = 0;
  g.seeking->GetRate(&rate);
  EXPECT_EQ(rate, 2.0);
  const double took = RunToEnd();
  EXPECT_GT(took, 1.2);
  EXPECT_LT(took, 2.7);  // at rate 1 it takes 3 s
  EXPECT_NEAR(static_cast<double>(Position()), static_cast<double>(kFileLength), kPositionSlack);
}

TEST_F(PlaybackTest, StopKeepsThePositionAndAClearedGraphIsEmpty) {
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ASSERT_EQ(g.control->Stop(), S_OK);
  const LONGLONG stopped = Position();
  EXPECT_GT(stopped, kSecond / 2);
  EXPECT_LT(stopped, 2 * kSecond);
  PauseAndWait(g);
  EXPECT_NEAR(static_cast<double>(Position()), static_cast<double>(stopped), kPositionSlack);
  g.control->Stop();
  ClearGraph(g.builder.Get());
  EXPECT_TRUE(FiltersOf(g.builder.Get()).empty());
}

}  // namespace
}  // namespace kavoro::testing
