// The seek bar on the graph component with fake graphs, in the sim world: real presses and
// releases under the offscreen platform, ticks on the sim clock.
#include <QColor>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../controls/ControlsTestSupport.h"
#include "GraphTestSupport.h"
#include "SeekBarTestSupport.h"
#include "media/Vesko_TrackBar.h"
#include "platform/media/EventCodes.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::test {
namespace {

using controls::test::Press;
using controls::test::Release;

// 100 ns units in a second.
constexpr LONGLONG kSecond = 10'000'000;

struct Tick {
  std::uint32_t current;
  std::uint32_t stop;
};

class SeekBarTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    seeking = MakeCom<FakeSeeking>();
    graphScript.seeking = seeking;
    dvdScript.graph.seeking = seeking;
    host = controls::test::ShownHost();
    bar = PlacedSeekBar(host.get());
    bar->resize(101, 30);
    bar->resize(100, 30);
    bar->SetOnTimer([this](QObject* sender, std::uint32_t current, std::uint32_t stop) {
      EXPECT_EQ(sender, bar);
      ticks.push_back({current, stop});
    });
    controls::test::MoveAway(host.get());
  }
  void TearDown() override {
    host.reset();
    GraphTest::TearDown();
  }

  // A file of `seconds` that has played `elapsed` 100 ns units, bound, active and playing.
  void PlayFile(LONGLONG seconds, LONGLONG elapsed) {
    seeking->duration = seeking->stop = seconds * kSecond;
    seeking->current = elapsed;
    bar->SetFilterGraph(graph.get());
    graph->SetActive(true);
    graph->Play();
  }
  void PlayDvd() {
    graph->SetMode(gmDVD);
    bar->SetFilterGraph(graph.get());
    graph->SetActive(true);
    graph->Play();
  }
  void Click(int x, Qt::MouseButton button = Qt::LeftButton) {
    Press(bar, QPoint(x, 5), button);
    Release(bar, QPoint(x, 5), button);
  }

  ComPtr<FakeSeeking> seeking;
  std::unique_ptr<QWidget> host;
  TVesko_TrackBar* bar = nullptr;
  std::vector<Tick> ticks;
};

TEST_F(SeekBarTest, StartsWithoutGraphTimerOrTracking) {
  EXPECT_EQ(bar->FilterGraph(), nullptr);
  EXPECT_EQ(bar->TimerInterval(), 1000u);
  EXPECT_FALSE(bar->TimerRunning());
  EXPECT_FALSE(bar->Tracking());
  EXPECT_FALSE(bar->HasSeeking());
}

TEST_F(SeekBarTest, EachTickShowsThePositionInIntervalsAndReportsMilliseconds) {
  struct Case {
    std::uint32_t interval;
    LONGLONG elapsed;  // 100 ns units
    int max, position;
    std::uint32_t currentMs;
  };
  const Case cases[] = {
      {1000, 42 * kSecond + 5'000'000, 90, 42, 42'500},
      {500, 42 * kSecond + 5'000'000, 180, 85, 42'500},
      {1000, 0, 90, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.interval);
    ticks.clear();
    bar->SetTimerInterval(c.interval);
    PlayFile(90, c.elapsed);
    os::Sim().AdvanceTime(c.interval);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), c.max);
    EXPECT_EQ(bar->Position(), c.position);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].current, c.currentMs);
    EXPECT_EQ(ticks[0].stop, 90'000u);
    graph->SetActive(false);
  }
}

TEST_F(SeekBarTest, PollingFollowsTheGraphFromTickToTick) {
  PlayFile(90, 10 * kSecond);
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(bar->Position(), 10);
  seeking->current = 11 * kSecond;
  os::Sim().AdvanceTime(999);
  EXPECT_EQ(bar->Position(), 10);
  os::Sim().AdvanceTime(1);
  EXPECT_EQ(bar->Position(), 11);
  EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(SeekBarTest, AFailedReadSkipsTheTick) {
  struct Case {
    const char* name;
    HRESULT FakeSeeking::*result;
  };
  const Case cases[] = {{"duration", &FakeSeeking::durationResult},
                        {"current", &FakeSeeking::currentResult}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ticks.clear();
    bar->SetMax(100);
    bar->SetPosition(7);
    seeking.Get()->*c.result = E_FAIL;
    PlayFile(90, 30 * kSecond);
    os::Sim().AdvanceTime(1000);
    EXPECT_TRUE(ticks.empty());
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->Position(), 7);
    seeking.Get()->*c.result = S_OK;
    os::Sim().AdvanceTime(1000);
    EXPECT_EQ(ticks.size(), 1u);
    graph->SetActive(false);
  }
}

TEST_F(SeekBarTest, TheTimerFollowsPlayPauseAndStop) {
  PlayFile(90, 0);
  EXPECT_TRUE(bar->TimerRunning());
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 1u);

  graph->Pause();
  EXPECT_FALSE(bar->TimerRunning());
  os::Sim().AdvanceTime(3000);
  EXPECT_EQ(ticks.size(), 1u);

  graph->Play();
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 2u);

  graph->Stop();
  os::Sim().AdvanceTime(3000);
  EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(SeekBarTest, ADisabledBarDoesNotTickAfterPlay) {
  bar->setEnabled(false);
  PlayFile(90, 0);
  EXPECT_FALSE(bar->TimerRunning());
  os::Sim().AdvanceTime(5000);
  EXPECT_TRUE(ticks.empty());
}

TEST_F(SeekBarTest, ANewIntervalRestartsTheRunningTimerAndZeroStopsIt) {
  PlayFile(90, 0);
  bar->SetTimerInterval(250);
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 4u);
  EXPECT_EQ(bar->Max(), 360);
  bar->SetTimerInterval(0);
  os::Sim().AdvanceTime(5000);
  EXPECT_EQ(ticks.size(), 4u);
}

TEST_F(SeekBarTest, AnExceptionInATickIsReportedAndTheTimerGoesOn) {
  int raised = 0;
  bar->SetOnTimer([&](QObject*, std::uint32_t, std::uint32_t) {
    ++raised;
    throw std::runtime_error("tick failed");
  });
  PlayFile(90, 0);
  os::Sim().AdvanceTime(2000);
  EXPECT_EQ(raised, 2);
  const auto boxes = os::Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "tick failed");
}

TEST_F(SeekBarTest, AReleaseSeeksToTheShareOfTheStopPosition) {
  PlayFile(90, 0);
  os::Sim().AdvanceTime(1000);
  ASSERT_EQ(bar->Max(), 90);
  struct Case {
    Qt::MouseButton button;
    bool tracking;  // while pressed
  };
  for (const auto& c : {Case{Qt::LeftButton, true}, Case{Qt::RightButton, false}}) {
    SCOPED_TRACE(c.button);
    CallLog().clear();
    Press(bar, QPoint(72, 5), c.button);
    EXPECT_EQ(bar->Position(), 67);
    EXPECT_EQ(bar->Tracking(), c.tracking);
    Release(bar, QPoint(72, 5), c.button);
    EXPECT_FALSE(bar->Tracking());
    const LONGLONG target = 90 * kSecond * 67 / 90;
    EXPECT_EQ(LogLines("SetPositions"),
              std::vector<std::string>{"SetPositions " + std::to_string(target) + " flags 1 " +
                                       std::to_string(90 * kSecond) + " flags 0"});
    EXPECT_EQ(seeking->current, target);
  }
}

TEST_F(SeekBarTest, WhileTrackingTicksLeaveTheBarAlone) {
  PlayFile(90, 10 * kSecond);
  os::Sim().AdvanceTime(1000);
  Press(bar, QPoint(72, 5));
  seeking->current = 20 * kSecond;
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(bar->Position(), 67);
  EXPECT_EQ(ticks.size(), 1u);
  Release(bar, QPoint(72, 5));
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(SeekBarTest, ReleasesThatDoNotSeek) {
  struct Case {
    const char* name;
    LONGLONG seconds;  // shorter than the interval: Max 0
    HRESULT stopResult;
  };
  const Case cases[] = {{"a file shorter than one interval", 0, S_OK},
                        {"the stop position cannot be read", 90, E_FAIL}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlayFile(c.seconds, 0);
    if (c.seconds == 0) seeking->duration = seeking->stop = 4'000'000;  // 0.4 s
    seeking->stopResult = c.stopResult;
    os::Sim().AdvanceTime(1000);
    CallLog().clear();
    Click(72);
    EXPECT_TRUE(LogLines("SetPositions").empty());
    EXPECT_FALSE(bar->Tracking());
    seeking->stopResult = S_OK;
    graph->SetActive(false);
  }
}

TEST_F(SeekBarTest, ALeftReleaseWhileTheGraphIsInactiveOnlyEndsTracking) {
  bar->SetFilterGraph(graph.get());
  Press(bar, QPoint(50, 5));
  EXPECT_TRUE(bar->Tracking());
  Release(bar, QPoint(50, 5));
  EXPECT_FALSE(bar->Tracking());
  EXPECT_TRUE(LogLines("SetPositions").empty());
}

TEST_F(SeekBarTest, TheClockChangePutsTheFileBackToItsStart) {
  PlayFile(90, 30 * kSecond);
  CallLog().clear();
  Manager()->QueueEvent(EC_CLOCK_CHANGED, 0, 0);
  Pump();
  EXPECT_EQ(LogLines("SetPositions"),
            std::vector<std::string>{"SetPositions 0 flags 1 " + std::to_string(90 * kSecond) +
                                     " flags 0"});
  EXPECT_EQ(seeking->current, 0);
}

TEST_F(SeekBarTest, ABarBoundToAnActiveGraphWaitsForTheNextActivation) {
  graph->SetActive(true);
  seeking->duration = seeking->stop = 90 * kSecond;
  bar->SetFilterGraph(graph.get());
  graph->Play();
  os::Sim().AdvanceTime(1000);
  EXPECT_FALSE(bar->HasSeeking());
  EXPECT_TRUE(ticks.empty());
  Click(72);
  EXPECT_TRUE(LogLines("SetPositions").empty());

  graph->SetActive(false);
  graph->SetActive(true);
  EXPECT_TRUE(bar->HasSeeking());
  graph->Play();
  os::Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(SeekBarTest, ChangingTheGraphMovesTheListener) {
  TFilterGraph other;
  bar->SetFilterGraph(graph.get());
  EXPECT_TRUE(graph->HasListenerList());
  bar->SetFilterGraph(&other);
  EXPECT_FALSE(graph->HasListenerList());
  EXPECT_TRUE(other.HasListenerList());
  EXPECT_EQ(bar->FilterGraph(), &other);
  bar->SetFilterGraph(nullptr);
  EXPECT_FALSE(other.HasListenerList());
}

TEST_F(SeekBarTest, ADestroyedGraphIsForgotten) {
  PlayFile(90, 0);
  EXPECT_TRUE(bar->HasSeeking());
  graph.reset();
  EXPECT_EQ(bar->FilterGraph(), nullptr);
  EXPECT_FALSE(bar->HasSeeking());
  Click(72);  // must not reach the graph that is gone
}

TEST_F(SeekBarTest, DestroyingTheBarLeavesTheGraphAndStopsTheTimer) {
  PlayFile(90, 0);
  delete bar;
  bar = nullptr;
  EXPECT_FALSE(graph->HasListenerList());
  os::Sim().AdvanceTime(3000);
  EXPECT_TRUE(ticks.empty());
}

TEST_F(SeekBarTest, ADvdSeekPlaysFromTheTimeAtFrameOne) {
  PlayDvd();
  struct Case {
    int seconds;
    const char* time;
  };
  const Case cases[] = {{3725, "1:02:05.1"}, {59, "0:00:59.1"}, {3600, "1:00:00.1"}, {0, "0:00:00.1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    CallLog().clear();
    bar->SeekDvd(c.seconds);
    EXPECT_EQ(LogLines("SetOption"), std::vector<std::string>{"SetOption 3 1"});
    EXPECT_EQ(LogLines("PlayAtTime"),
              std::vector<std::string>{std::string("PlayAtTime ") + c.time + " flags 0"});
  }
  EXPECT_TRUE(os::Sim().Dialogs().MessageBoxes().empty());
}

TEST_F(SeekBarTest, ADvdReleasePlaysFromThePositionAndLeavesTheFileSeekAlone) {
  PlayDvd();
  bar->SetMax(7200);
  CallLog().clear();
  Click(72);  // Position 67 * 80 = 5360 s
  EXPECT_EQ(bar->Position(), 5360);
  EXPECT_EQ(LogLines("PlayAtTime"), std::vector<std::string>{"PlayAtTime 1:29:20.1 flags 0"});
  EXPECT_TRUE(LogLines("SetPositions").empty());
  EXPECT_FALSE(bar->Tracking());
}

TEST_F(SeekBarTest, OnlyADvdSeekRefusedAsInvalidIsShown) {
  struct Case {
    HRESULT result;
    std::vector<std::string> shown;
  };
  const Case cases[] = {{E_INVALIDARG, {"SeekResult=80070057"}},
                        {VFW_E_DVD_OPERATION_INHIBITED, {}},
                        {E_FAIL, {}}};
  PlayDvd();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    os::Sim().Dialogs().Reset();
    dvd->navigator->playAtTimeResult = c.result;
    bar->SeekDvd(3725);
    std::vector<std::string> shown;
    for (const auto& box : os::Sim().Dialogs().MessageBoxes()) shown.push_back(box.text);
    EXPECT_EQ(shown, c.shown);
  }
}

TEST_F(SeekBarTest, ADvdSeekWithoutDvdControlDoesNothing) {
  dvdScript.navigator = false;
  PlayDvd();
  CallLog().clear();
  bar->SeekDvd(3725);
  Click(72);
  EXPECT_TRUE(LogLines("PlayAtTime").empty());
  EXPECT_TRUE(LogLines("SetPositions").empty());
}

}  // namespace
}  // namespace kavoro::test
