// The navigator's commands in sessions on the fixture disc: speeds forwards and backwards, menus
// called from the title, audio streams of another coding, the volume going away while it plays,
// commands the disc forbids.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>

#include "DvdTestSupport.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IVideoPresentation.h"
#include "support/WaitFor.h"

namespace kavoro::testing {
namespace {

int Seconds(const Event& e) {
  const DVD_HMSF_TIMECODE t = HmsfFromParam(static_cast<std::uint32_t>(e.p1));
  return t.bHours * 3600 + t.bMinutes * 60 + t.bSeconds;
}

class DvdSpeedTest : public DvdSessionTest {
 protected:
  // Pictures the video renderers have presented so far.
  LONGLONG Presented() {
    LONGLONG total = 0;
    ComPtr<IEnumFilters> filters;
    graph->EnumFilters(filters.Put());
    IBaseFilter* f = nullptr;
    while (filters && filters->Next(1, &f, nullptr) == S_OK) {
      ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
      LONGLONG presented = 0, dropped = 0;
      if (auto v = held.As<IVideoPresentation>(); v && v->GetFrameCounts(&presented, &dropped) == S_OK)
        total += presented;
    }
    return total;
  }
};

// The rates of the player's speed menu.
constexpr double kRates[] = {0.2, 0.4, 0.8, 1.0, 2.0, 4.0, 6.0, 8.0};

LONG_PTR RateParam(double rate, bool backward) {
  const LONG_PTR p = static_cast<LONG_PTR>(std::lround(rate * 10000));
  return backward ? -p : p;
}

TEST_F(DvdSpeedTest, EveryRateForwardsIsToldAndFastPlayRunsAhead) {
  IntoChapter2();
  for (double rate : kRates) {
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayForwards(rate, DVD_CMD_FLAG_None, cmd.Put()), S_OK) << rate;
    EXPECT_EQ(cmd->WaitForEnd(), S_OK);
    EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(rate, false),
                                seen, 5000))
        << rate << Trace();
  }
  // At 8x the rest of the title (some 7 s of it) plays out within a few seconds; the disc then
  // goes to its root menu, which plays at normal speed.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu,
                              seen, 15000))
      << Trace();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(Saw(EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(1.0, false)));
  EXPECT_EQ(dvd->PlayForwards(0, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
  EXPECT_EQ(dvd->PlayForwards(-1, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
}

TEST_F(DvdSpeedTest, SlowPlayStretchesTheTitleTime) {
  IntoChapter2();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayForwards(0.4, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  // Past what was queued at normal speed, a second of the title takes 2.5 s.
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1800)) << Trace();
}

TEST_F(DvdSpeedTest, BackwardAt8FromLateInTheTitleCountsDownToTheStart) {
  IntoChapter2();
  DVD_HMSF_TIMECODE late{0, 0, 10, 0};
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayAtTime(&late, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  ASSERT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_EQ(dvd->PlayBackwards(8.0, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(8.0, true),
                              seen, 5000))
      << Trace();
  const LONGLONG before = Presented();
  // The time events count down to 0; then normal play resumes there.
  std::vector<int> seconds;
  while (seconds.empty() || seconds.back() > 0) {
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000))
        << Trace();
    seconds.push_back(Seconds(seen.back()));
  }
  ASSERT_GE(seconds.size(), 3u) << Trace();
  // Key frames were shown on the way: some 10 s back at 8x, a picture every 2 s of the disc.
  EXPECT_TRUE(WaitFor([&] { return Presented() - before >= 3; }, std::chrono::seconds(3)))
      << Presented() - before;
  EXPECT_GE(seconds.front(), 8);
  for (std::size_t n = 1; n < seconds.size(); ++n) EXPECT_LT(seconds[n], seconds[n - 1]) << Trace();
  // Told as the first VOBU of the title is read, with or just before its time.
  if (!Saw(EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(1.0, false))) {
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(1.0, false),
                                seen, 5000))
        << Trace();
  }
  // Playing on forwards from the start.
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  EXPECT_EQ(Seconds(seen.back()), 1) << Trace();
  EXPECT_TRUE(Saw(EC_DVD_CHAPTER_START, 1)) << Trace();
}

TEST_F(DvdSpeedTest, BackwardAtEveryRateStepsBackAndMenusRefuseSpeeds) {
  EXPECT_EQ(dvd->PlayBackwards(2.0, DVD_CMD_FLAG_None, nullptr), VFW_E_DVD_INVALIDDOMAIN);
  EXPECT_EQ(dvd->PlayForwards(2.0, DVD_CMD_FLAG_None, nullptr), VFW_E_DVD_INVALIDDOMAIN);
  IntoChapter2();
  for (double rate : kRates) {
    DVD_HMSF_TIMECODE late{0, 0, 9, 0};
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayAtTime(&late, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
    ASSERT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_EQ(dvd->PlayBackwards(rate, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
    EXPECT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_RATE_CHANGE, RateParam(rate, true),
                                seen, 5000))
        << rate << Trace();
    // Two time events that go back in time.
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 15000));
    const int first = Seconds(seen.back());
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 15000));
    EXPECT_LT(Seconds(seen.back()), first) << rate << Trace();
  }
}

// The title's end calls the root menu, a moving one, and its pictures follow at once. Held
// over from the title and stamped with the menu's timing, the title's last frames once lay as
// far in the future as the title had played, and kept everything behind them back that long.
TEST_F(DvdSpeedTest, TheMenuAfterTheTitlesEndPlaysOnAtOnce) {
  IntoChapter2();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu, seen, 20000))
      << Trace();
  const LONGLONG atMenu = Presented();
  constexpr LONGLONG kOneSecondOfPictures = 25;
  EXPECT_TRUE(WaitFor([&] { return Presented() >= atMenu + kOneSecondOfPictures; }, std::chrono::seconds(4)))
      << "presented " << Presented() - atMenu << " pictures of the menu" << Trace();
}

using DvdMenuTest = DvdSessionTest;

TEST_F(DvdMenuTest, TitleMenuFromTheTitleShowsTheMenuAndItsButtonsWork) {
  IntoChapter2();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, seen))
      << Trace();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen)) << Trace();
  EXPECT_FALSE(Saw(EC_DVD_PLAYBACK_STOPPED, 0)) << Trace();
  ULONG available = 0, current = 0;
  EXPECT_TRUE(WaitFor([&] {
    return info->GetCurrentButton(&available, &current) == S_OK && available == 3;
  })) << Trace();
  // The menu still leads into the title.
  IntoChapter2();
}

TEST_F(DvdMenuTest, TitleMenuRightAfterPlayTitleFromTheMenuStill) {
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayTitle(1, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  ASSERT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 1, seen)) << Trace();
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, seen))
      << Trace();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen)) << Trace();
  EXPECT_FALSE(Saw(EC_DVD_PLAYBACK_STOPPED, 0)) << Trace();
}

// English is a 440 Hz tone in AC3 (some 880 crossings a second), French 880 Hz in MP2 (1760).
TEST_F(DvdAudioTest, TheOtherStreamOfAnotherCodingIsHeard) {
  IntoChapter2();
  ASSERT_TRUE(WaitFor([&] {
    const double c = CrossingsPerSecond();
    return c > 800 && c < 960;
  }, std::chrono::seconds(5))) << CrossingsPerSecond();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  EXPECT_TRUE(WaitFor([&] { return CrossingsPerSecond() > 1600; }, std::chrono::seconds(5)))
      << CrossingsPerSecond();
  // And back.
  ASSERT_EQ(dvd->SelectAudioStream(0, DVD_CMD_FLAG_None, nullptr), S_OK);
  EXPECT_TRUE(WaitFor([&] {
    const double c = CrossingsPerSecond();
    return c > 800 && c < 960;
  }, std::chrono::seconds(5))) << CrossingsPerSecond();
}

// Sessions on a copy of the fixture folder, whose files then go away while the title plays.
class DvdEjectTest : public DvdSessionTest {
 protected:
  void SetUp() override {
    copy = kFixtures / "dvd-test-eject";
    fs::remove_all(copy);
    fs::remove_all(moved());
    fs::copy(Disc(), copy, fs::copy_options::recursive);
    DvdSessionTest::SetUp();
  }
  void TearDown() override {
    DvdSessionTest::TearDown();
    fs::remove_all(copy);
    fs::remove_all(moved());
  }
  fs::path Volume() override { return copy; }
  fs::path moved() const { return kFixtures / "dvd-test-eject-moved"; }
  fs::path copy;
};

TEST_F(DvdEjectTest, FolderRenamedOrDeletedWhilePlayingStopsWithEjected) {
  const std::function<void()> ways[] = {[&] { fs::rename(copy, moved()); },
                                        [&] { fs::remove_all(copy); }};
  for (const auto& goAway : ways) {
    IntoChapter2();
    goAway();
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DISC_EJECTED, std::nullopt, seen, 5000))
        << Trace();
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_STOPPED, std::nullopt, seen, 5000))
        << Trace();
    DVD_DOMAIN domain;
    ASSERT_EQ(info->GetCurrentDomain(&domain), S_OK);
    EXPECT_EQ(domain, DVD_DOMAIN_Stop);
    // Commands on the vanished volume neither hang nor bring it back.
    ComPtr<IDvdCmd> cmd;
    if (SUCCEEDED(dvd->PlayTitle(1, DVD_CMD_FLAG_None, cmd.Put()))) cmd->WaitForEnd();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(SUCCEEDED(control->Stop()));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    // The next way on a fresh copy.
    fs::remove_all(moved());
    fs::copy(Disc(), copy, fs::copy_options::recursive);
    RenderAnew();
  }
}

// A copy of the fixture disc whose title forbids forward scan and the change of audio stream:
// the title's program chain has those bits set in its prohibited user operations.
class DvdForbiddenTest : public DvdSessionTest {
 protected:
  static constexpr std::uint32_t kForwardScan = 1u << 8;
  static constexpr std::uint32_t kAudioStreamChange = 1u << 20;
  void SetUp() override {
    copy = kFixtures / "dvd-test-forbidden";
    fs::remove_all(copy);
    fs::copy(Disc(), copy, fs::copy_options::recursive);
    for (const char* name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) Forbid(copy / "VIDEO_TS" / name);
    DvdSessionTest::SetUp();
  }
  void TearDown() override {
    DvdSessionTest::TearDown();
    fs::remove_all(copy);
  }
  fs::path Volume() override { return copy; }
  // The title set's table: its program chain table's sector at 0xCC; the first chain's offset
  // in its first search pointer; the prohibited operations 8 bytes into the chain. All
  // numbers big-endian.
  static void Forbid(const fs::path& ifo) {
    std::fstream f(ifo, std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(f) << ifo;
    auto read32 = [&](std::streamoff at) {
      unsigned char b[4] = {};
      f.seekg(at);
      f.read(reinterpret_cast<char*>(b), 4);
      return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    };
    const std::streamoff pgcit = static_cast<std::streamoff>(read32(0xCC)) * 2048;
    const std::streamoff ops = pgcit + read32(pgcit + 8 + 4) + 8;
    const std::uint32_t v = read32(ops) | kForwardScan | kAudioStreamChange;
    const unsigned char out[4] = {static_cast<unsigned char>(v >> 24),
                                  static_cast<unsigned char>(v >> 16),
                                  static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    f.seekp(ops);
    f.write(reinterpret_cast<const char*>(out), 4);
    ASSERT_TRUE(f) << ifo;
  }
  fs::path copy;
};

TEST_F(DvdForbiddenTest, ForbiddenCommandsAreRefusedAtOnceAndChangeNothing) {
  IntoChapter2();
  ULONG uops = 0;
  ASSERT_TRUE(WaitFor([&] {
    return info->GetCurrentUOPS(&uops) == S_OK && (uops & kForwardScan) && (uops & kAudioStreamChange);
  })) << std::hex << uops;
  ComPtr<IDvdCmd> cmd;
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(dvd->PlayForwards(8.0, DVD_CMD_FLAG_None, cmd.Put()), VFW_E_DVD_OPERATION_INHIBITED);
  EXPECT_FALSE(cmd);
  EXPECT_EQ(dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, cmd.Put()), VFW_E_DVD_OPERATION_INHIBITED);
  EXPECT_FALSE(cmd);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
  // What is not forbidden still works; the title plays on at normal speed with its first stream.
  EXPECT_EQ(dvd->PlayBackwards(2.0, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  EXPECT_EQ(dvd->PlayForwards(1.0, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  EXPECT_FALSE(Saw(EC_DVD_PLAYBACK_RATE_CHANGE, 80000)) << Trace();
  EXPECT_FALSE(Saw(EC_DVD_AUDIO_STREAM_CHANGE, 1)) << Trace();
  ULONG available = 0, current = 9;
  ASSERT_EQ(info->GetCurrentAudio(&available, &current), S_OK);
  EXPECT_EQ(current, 0u);
}

// Pausing from stopped prerolls every stream: the audio renderer holding its first sample must
// not keep the menu picture from reaching the video renderer.
TEST_F(DvdBuilderTest, PauseFromStoppedCompletesWithTheMenuPictureShown) {
  AM_DVD_RENDERSTATUS status;
  ASSERT_TRUE(SUCCEEDED(builder->RenderDvdVideoVolume(Disc().string().c_str(), 0, &status)));
  ASSERT_TRUE(SUCCEEDED(control->Pause()));
  OAFilterState state = State_Stopped;
  HRESULT hr = VFW_S_STATE_INTERMEDIATE;
  for (int tries = 0; tries < 50 && hr != S_OK; ++tries) hr = control->GetState(200, &state);
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(state, State_Paused);
  ComPtr<IVideoPresentation> renderer;
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(filters.Put());
  IBaseFilter* f = nullptr;
  while (filters && filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
    if (auto v = held.As<IVideoPresentation>()) renderer = v;
  }
  ASSERT_TRUE(renderer);
  PresentedImage image;
  ASSERT_EQ(renderer->GetPresentedImage(&image), S_OK);
  EXPECT_EQ(image.width, 720);
  EXPECT_FALSE(image.pixels.empty());
}

// A command given before the graph runs waits for the run; a wait on it must not block the
// caller meanwhile.
TEST_F(DvdBuilderTest, ACommandGivenWhileStoppedIsNotWaitedForAndRunsWithTheGraph) {
  AM_DVD_RENDERSTATUS status;
  ASSERT_TRUE(SUCCEEDED(builder->RenderDvdVideoVolume(Disc().string().c_str(), 0, &status)));
  ComPtr<IDvdControl2> dvd;
  ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayChapterInTitle(1, 3, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  auto waited = std::async(std::launch::async, [&] { return cmd->WaitForEnd(); });
  const bool returned = waited.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  EXPECT_TRUE(returned) << "the wait blocks while the graph is stopped";
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  if (returned) {
    EXPECT_EQ(waited.get(), VFW_E_DVD_GRAPHNOTREADY);
  }
  std::vector<Event> seen;
  EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 3, seen));
}

}  // namespace
}  // namespace kavoro::testing
