// The graph component and the seek bar on the real media framework: a generated file and the
// fixture disc really play while the sim world carries the GUI thread's messages and the bar's
// timer ticks. The bar for a DVD is moved the way the main window moves it: from the time
// events, with the title length as its maximum.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "../media/MediaTestSupport.h"
#include "SeekBarTestSupport.h"
#include "media/FilterGraph.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/sim/SimPlatform.h"
#include "support/DvdDisc.h"
#include "support/SimTime.h"

namespace kavoro::test {
namespace {

using controls::test::Press;
using controls::test::Release;
using namespace std::chrono_literals;

constexpr std::uint32_t kPollMs = 100;
constexpr auto kPatience = 20s;

int Seconds(const TDVD_HMSF_TIMECODE& t) { return t.bHours * 3600 + t.bMinutes * 60 + t.bSeconds; }

class GraphPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    media::RegisterDvdPlayback();
    host = controls::test::ShownHost();
    bar = PlacedSeekBar(host.get());
    bar->SetTimerInterval(kPollMs);
    controls::test::MoveAway(host.get());
    graph = std::make_unique<TFilterGraph>();
    bar->SetFilterGraph(graph.get());
  }
  void TearDown() override {
    graph->SetActive(false);
    Pump();
    bar->SetFilterGraph(nullptr);
    graph.reset();
    host.reset();
  }

  // Lets real time pass on the GUI thread: messages are pumped and the sim clock (which the
  // bar's timer runs on) keeps pace, until `done` or the patience runs out.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience) {
    return RunSimUntil(done, limit);
  }
  static void Pump() { PumpSim(); }
  void ClickBar(int x) {
    Press(bar, QPoint(x, 5));
    Release(bar, QPoint(x, 5));
  }
  LONGLONG Position() {
    LONGLONG now = -1;
    EXPECT_EQ(graph->Query<IMediaSeeking>()->GetCurrentPosition(&now), S_OK);
    return now;
  }

  std::unique_ptr<QWidget> host;
  TVesko_TrackBar* bar = nullptr;
  std::unique_ptr<TFilterGraph> graph;
};

TEST_F(GraphPlaybackTest, AFilePlaysTheBarFollowsAndAReleaseSeeks) {
  int completions = 0;
  HRESULT completion = E_FAIL;
  graph->OnGraphComplete = [&](TFilterGraph*, HRESULT result, IBaseFilter*) {
    ++completions;
    completion = result;
  };
  graph->SetActive(true);
  ASSERT_TRUE(bar->HasSeeking());
  ASSERT_EQ(graph->RenderFile(testing::Fixture("colors.mpg")), S_OK);
  graph->Play();
  ASSERT_TRUE(bar->TimerRunning());

  // 3 s of media in 100 ms steps; the slider moves on with the playing position.
  ASSERT_TRUE(RunUntil([&] { return bar->Position() >= 8; })) << bar->Position();
  EXPECT_EQ(bar->Max(), 30);
  EXPECT_LT(bar->Position(), 20);

  // A click two thirds along the bar seeks there.
  ClickBar(65);
  EXPECT_FALSE(bar->Tracking());
  const LONGLONG after = Position();
  EXPECT_GE(after, 2 * testing::kSecond - testing::kSecond / 10);
  EXPECT_LT(after, 2 * testing::kSecond + testing::kSecond / 2);
  ASSERT_TRUE(RunUntil([&] { return completions > 0; }, 5s));
  EXPECT_EQ(completion, S_OK);
  EXPECT_GE(bar->Position(), 20);
}

class GraphDvdTest : public GraphPlaybackTest {
 protected:
  void SetUp() override {
    GraphPlaybackTest::SetUp();
    // As the main window does: the title length is the bar's length, the time its position.
    graph->OnDVDCurrentHMSFTime = [this](TFilterGraph*, const TDVD_HMSF_TIMECODE& t,
                                         const TDVD_TimeCode&) {
      ++timeEvents;
      if (!bar->Tracking()) bar->SetPosition(Seconds(t));
    };
    graph->OnDVDChapterStart = [this](TFilterGraph*, int chapter) { this->chapter = chapter; };
    graph->SetMode(gmDVD);
    graph->SetActive(true);
  }
  // Renders the disc, plays, and goes from the title menu into title 1 at chapter 2.
  void PlayChapter2() {
    AM_DVD_RENDERSTATUS status;
    ASSERT_TRUE(SUCCEEDED(graph->RenderDvd(&status, testing::FixtureDisc().string(), 0)));
    control = graph->Query<IDvdControl2>();
    info = graph->Query<IDvdInfo2>();
    ASSERT_TRUE(control && info);
    ASSERT_EQ(control->SetOption(DVD_HMSF_TimeCodeEvents, 1), S_OK);
    graph->Play();
    ASSERT_EQ(control->PlayChapterInTitle(1, 2, DVD_CMD_FLAG_None, nullptr), S_OK);
    ASSERT_TRUE(RunUntil([&] { return chapter == 2; })) << chapter;
    DVD_HMSF_TIMECODE total;
    ULONG flags = 0;
    ASSERT_EQ(info->GetTotalTitleTime(&total, &flags), S_OK);
    bar->SetMax(total.bHours * 3600 + total.bMinutes * 60 + total.bSeconds);
  }
  int Now() {
    DVD_PLAYBACK_LOCATION2 where;
    EXPECT_EQ(info->GetCurrentLocation(&where), S_OK);
    return where.TimeCode.bHours * 3600 + where.TimeCode.bMinutes * 60 + where.TimeCode.bSeconds;
  }

  int timeEvents = 0;
  int chapter = 0;
  ComPtr<IDvdControl2> control;
  ComPtr<IDvdInfo2> info;
};

TEST_F(GraphDvdTest, TimeEventsMoveTheBarAndAReleasePlaysFromTheTime) {
  PlayChapter2();
  ASSERT_GE(bar->Max(), 11);
  // Chapter 2 starts 4 s into the title.
  ASSERT_TRUE(RunUntil([&] { return timeEvents >= 2 && bar->Position() >= 5; }))
      << timeEvents << " " << bar->Position();
  EXPECT_LE(bar->Position(), 8);

  // A release at 10 s (x = 5 + 10 * 90 / Max) plays the title from there.
  const int target = 10;
  ClickBar(5 + (target * 90 + bar->Max() - 1) / bar->Max());
  ASSERT_EQ(bar->Position(), target);
  ASSERT_TRUE(RunUntil([&] { return chapter == 3; })) << chapter;
  EXPECT_GE(Now(), target - 1);
  ASSERT_TRUE(RunUntil([&] { return bar->Position() >= target; }));
}

TEST_F(GraphDvdTest, ABookmarkSavedAndRestoredLandsAtItsPlace) {
  PlayChapter2();
  ASSERT_TRUE(RunUntil([&] { return Now() >= 6; })) << Now();
  ULONG audio = 0, audioCount = 0;
  ASSERT_EQ(control->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(RunUntil([&] {
    info->GetCurrentAudio(&audioCount, &audio);
    return audio == 1;
  }));
  const int saved = Now();
  const std::string file =
      (std::filesystem::path(KAVORO_FIXTURES_DIR) / "graph-playback-bookmark.bmk").string();
  std::filesystem::remove(file);
  graph->SaveDvdBookmark(file);
  ASSERT_TRUE(std::filesystem::exists(file));

  // A new graph from scratch, back at the title menu, then the bookmark.
  graph->SetActive(false);
  graph->SetActive(true);
  chapter = 0;
  AM_DVD_RENDERSTATUS status;
  ASSERT_TRUE(SUCCEEDED(graph->RenderDvd(&status, testing::FixtureDisc().string(), 0)));
  control = graph->Query<IDvdControl2>();
  info = graph->Query<IDvdInfo2>();
  graph->Play();
  ASSERT_TRUE(RunUntil([&] {
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    return info->GetCurrentDomain(&domain) == S_OK && domain == DVD_DOMAIN_VideoManagerMenu;
  }));
  graph->RestoreDvdBookmark(file);
  const int restored = Now();
  EXPECT_GE(restored, saved - 1);
  EXPECT_LE(restored, saved + 1);
  ASSERT_EQ(info->GetCurrentAudio(&audioCount, &audio), S_OK);
  EXPECT_EQ(audio, 1u);
  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.TitleNum, 1u);
}

}  // namespace
}  // namespace kavoro::test
