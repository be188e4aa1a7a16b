// The DVD navigator and the DVD graph builder on the fixture disc: opening volumes, the
// builder's status, and scripted sessions from the title menu into the title, with the
// events the navigator posts on the way.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/dvd/DvdLanguages.h"
#include "platform/media/dvd/DvdNavigator.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/sim/SimPlatform.h"
#include "support/WaitFor.h"
#include "DvdTestSupport.h"

namespace kavoro::testing {
namespace {

TEST(DvdLanguages, DiscCodesMapToLanguageIdentifiers) {
  struct Row {
    const char* code;
    LCID expected;
  } rows[] = {{"en", 0x0409}, {"fr", 0x040C}, {"de", 0x0407}, {"es", 0x040A},
              {"ja", 0x0411}, {"EN", 0x0409}, {"xx", 0},      {"", 0}};
  for (const Row& r : rows) {
    const std::uint16_t code =
        r.code[0] ? static_cast<std::uint16_t>((r.code[0] << 8) | r.code[1]) : 0;
    EXPECT_EQ(media::LanguageFromDiscCode(code), r.expected) << r.code;
  }
  EXPECT_EQ(media::LanguageFromDiscCode(0xffff), 0u);
}

TEST(DvdNavigatorOpen, VolumesThatOpenAndVolumesThatDoNot) {
  const fs::path disc = Disc();
  const fs::path empty = kFixtures / "dvd-test-empty";
  fs::create_directories(empty);
  struct Row {
    std::string path;
    bool opens;
  } rows[] = {
      {disc.string(), true},
      {(disc / "VIDEO_TS").string(), true},
      {(disc / "VIDEO_TS" / "VIDEO_TS.IFO").string(), true},
      {(kFixtures / "DVD.iso").string(), true},
      {(kFixtures / "no-such-folder").string(), false},
      {empty.string(), false},  // no VIDEO_TS
      {DamagedDisc().string(), false},
      {(disc / "VIDEO_TS" / "VTS_01_1.VOB").string(), false},  // not an image
      {"", false},
  };
  for (const Row& r : rows) {
    ComPtr<media::DvdNavigator> nav = MakeCom<media::DvdNavigator>();
    const HRESULT hr = nav->Open(r.path);
    if (r.opens) {
      EXPECT_EQ(hr, S_OK) << r.path;
      EXPECT_NE(nav->OutputPin(media::DvdNavigator::Output::Video), nullptr);
      ULONG chapters = 0;
      EXPECT_EQ(nav->GetNumberOfChapters(1, &chapters), S_OK);
      EXPECT_EQ(chapters, 3u) << r.path;
      EXPECT_EQ(nav->GetNumberOfChapters(2, &chapters), E_INVALIDARG);
    } else {
      EXPECT_TRUE(FAILED(hr)) << r.path;
      EXPECT_EQ(nav->OutputPin(media::DvdNavigator::Output::Video), nullptr);
      DVD_DOMAIN d;
      EXPECT_EQ(nav->GetCurrentDomain(&d), VFW_E_DVD_GRAPHNOTREADY);
    }
  }
}

TEST_F(DvdBuilderTest, RendersTheDiscWhereTheFrameworkHasDecodersAndRenderers) {
  ComPtr<IDvdControl2> dvd;
  EXPECT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), E_NOINTERFACE);
  AM_DVD_RENDERSTATUS status;
  const std::string ifo = (Disc() / "VIDEO_TS" / "VIDEO_TS.IFO").string();
  // Video, audio and subpictures all render.
  EXPECT_EQ(builder->RenderDvdVideoVolume(ifo.c_str(), AM_DVD_HWDEC_PREFER, &status), S_OK);
  EXPECT_EQ(status.iNumStreams, 3);
  EXPECT_EQ(status.iNumStreamsFailed, 0);
  EXPECT_EQ(status.dwFailedStreamsFlag, 0u);
  EXPECT_FALSE(status.bDvdVolInvalid);
  EXPECT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);
  ComPtr<IDvdInfo2> info;
  EXPECT_EQ(builder->GetDvdInterface(IIDOf<IDvdInfo2>(), info.PutVoid()), S_OK);
  // A second volume in the same builder is refused.
  EXPECT_EQ(builder->RenderDvdVideoVolume(ifo.c_str(), 0, &status), VFW_E_DVD_RENDERFAIL);
}

TEST_F(DvdBuilderTest, BadVolumesAndFlags) {
  const std::string missing = (kFixtures / "no-such-disc" / "VIDEO_TS" / "VIDEO_TS.IFO").string();
  const std::string damaged = DamagedDisc().string();
  const std::string good = Disc().string();
  struct Row {
    const char* path;
    DWORD flags;
    HRESULT expected;
    bool invalid, unknown;
  } rows[] = {
      {missing.c_str(), AM_DVD_HWDEC_PREFER, S_FALSE, true, false},
      {damaged.c_str(), AM_DVD_HWDEC_PREFER, S_FALSE, true, false},
      {nullptr, AM_DVD_HWDEC_PREFER, S_FALSE, false, true},  // the sim drive table has no disc
      {"", 0, E_INVALIDARG, false, false},
      {good.c_str(), AM_DVD_HWDEC_PREFER | AM_DVD_SWDEC_ONLY, E_INVALIDARG, false, false},
      {good.c_str(), 0x40, E_INVALIDARG, false, false},
      {good.c_str(), AM_DVD_HWDEC_ONLY, VFW_E_DVD_DECNOTENOUGH, false, false},
  };
  for (const Row& r : rows) {
    ComPtr<IDvdGraphBuilder> b = CreateInstance<IDvdGraphBuilder>(CLSID_DvdGraphBuilder);
    AM_DVD_RENDERSTATUS status;
    status.iNumStreams = 99;
    const HRESULT hr = b->RenderDvdVideoVolume(r.path, r.flags, &status);
    EXPECT_EQ(hr, r.expected) << (r.path ? r.path : "(none)") << " " << r.flags;
    if (hr == S_FALSE) {
      EXPECT_EQ(status.bDvdVolInvalid != 0, r.invalid);
      EXPECT_EQ(status.bDvdVolUnknown != 0, r.unknown);
      EXPECT_EQ(status.iNumStreams, 0);
      ComPtr<IDvdControl2> dvd;
      EXPECT_EQ(b->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), E_NOINTERFACE);
    }
  }
}

TEST_F(DvdSessionTest, TitleMenuButtonsByPosition) {
  DVD_DOMAIN domain;
  ASSERT_EQ(info->GetCurrentDomain(&domain), S_OK);
  EXPECT_EQ(domain, DVD_DOMAIN_VideoManagerMenu);
  ULONG available = 0, current = 0;
  EXPECT_EQ(info->GetCurrentButton(&available, &current), S_OK);
  EXPECT_EQ(available, 3u);
  EXPECT_EQ(current, 1u);
  struct Row {
    POINT at;
    HRESULT hr;
    ULONG button;
  } rows[] = {{{360, 255}, S_OK, 1}, {{200, 320}, S_OK, 2}, {{519, 489}, S_OK, 3},
              {{360, 300}, VFW_E_DVD_NO_BUTTON, 0}, {{10, 10}, VFW_E_DVD_NO_BUTTON, 0},
              {{199, 255}, VFW_E_DVD_NO_BUTTON, 0}};
  for (const Row& r : rows) {
    ULONG b = 0;
    EXPECT_EQ(info->GetButtonAtPosition(r.at, &b), r.hr) << r.at.x << "," << r.at.y;
    if (r.hr == S_OK) {
      EXPECT_EQ(b, r.button);
    }
  }
  EXPECT_EQ(dvd->ActivateAtPosition({10, 10}), VFW_E_DVD_NO_BUTTON);
  EXPECT_EQ(dvd->SelectAtPosition({360, 455}), S_OK);
  do {
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_BUTTON_CHANGE, 3, seen, 5000));
  } while (seen.back().p2 != 3);
  ASSERT_EQ(info->GetCurrentButton(&available, &current), S_OK);
  EXPECT_EQ(current, 3u);
  // Not in a title: title-only commands are refused.
  EXPECT_EQ(dvd->PlayNextChapter(DVD_CMD_FLAG_None, nullptr), VFW_E_DVD_INVALIDDOMAIN);
  DVD_HMSF_TIMECODE t{0, 0, 1, 0};
  EXPECT_EQ(dvd->PlayAtTime(&t, DVD_CMD_FLAG_None, nullptr), VFW_E_DVD_INVALIDDOMAIN);
}

TEST_F(DvdSessionTest, ButtonByPositionPlaysChapter2ThenNextAndPrevious) {
  IntoChapter2();
  EXPECT_TRUE(Saw(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Title));
  EXPECT_TRUE(Saw(EC_DVD_TITLE_CHANGE, 1));
  EXPECT_TRUE(Saw(EC_DVD_STILL_OFF, 0));
  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.TitleNum, 1u);
  EXPECT_EQ(where.ChapterNum, 2u);
  EXPECT_EQ(where.TimeCodeFlags, DVD_TC_FLAG_25fps);

  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayNextChapter(DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 3, seen));
  ASSERT_EQ(dvd->PlayPrevChapter(DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 2, seen));
  ASSERT_EQ(dvd->PlayChapterInTitle(1, 1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 1, seen));
  EXPECT_EQ(dvd->PlayChapterInTitle(1, 4, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
  EXPECT_EQ(dvd->PlayTitle(2, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
}

TEST_F(DvdSessionTest, StreamsAndTheirLanguages) {
  IntoChapter2();
  ULONG available = 0, current = 9;
  ASSERT_EQ(info->GetCurrentAudio(&available, &current), S_OK);
  EXPECT_EQ(available, 2u);
  EXPECT_EQ(current, 0u);
  BOOL disabled = 0;
  ASSERT_EQ(info->GetCurrentSubpicture(&available, &current, &disabled), S_OK);
  EXPECT_EQ(available, 2u);
  struct Row {
    bool audio;
    ULONG stream;
    LCID language;
  } rows[] = {{true, 0, 0x0409}, {true, 1, 0x040C}, {false, 0, 0x0409}, {false, 1, 0x0407}};
  for (const Row& r : rows) {
    LCID l = 0;
    ASSERT_EQ(r.audio ? info->GetAudioLanguage(r.stream, &l) : info->GetSubpictureLanguage(r.stream, &l),
              S_OK);
    EXPECT_EQ(l, r.language) << (r.audio ? "audio " : "subpicture ") << r.stream;
  }
  LCID l;
  EXPECT_EQ(info->GetAudioLanguage(2, &l), E_INVALIDARG);

  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_AUDIO_STREAM_CHANGE, 1, seen, 5000));
  EXPECT_EQ(seen.back().p2, 0x040C);
  ASSERT_EQ(info->GetCurrentAudio(&available, &current), S_OK);
  EXPECT_EQ(current, 1u);
  EXPECT_EQ(dvd->SelectAudioStream(2, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);

  ASSERT_EQ(dvd->SelectSubpictureStream(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_SUBPICTURE_STREAM_CHANGE, 1, seen, 5000));
  EXPECT_EQ(seen.back().p2, 0x0407);
  ASSERT_EQ(dvd->SetSubpictureState(1, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_EQ(info->GetCurrentSubpicture(&available, &current, &disabled), S_OK);
  EXPECT_EQ(current, 1u);
  EXPECT_FALSE(disabled);
}

TEST_F(DvdSessionTest, TimeEventsTotalTimeAndPlayAtTime) {
  IntoChapter2();
  DVD_HMSF_TIMECODE total;
  ULONG flags = 0;
  ASSERT_EQ(info->GetTotalTitleTime(&total, &flags), S_OK);
  EXPECT_EQ(flags, DVD_TC_FLAG_25fps);
  EXPECT_EQ(total.bHours, 0);
  EXPECT_EQ(total.bMinutes, 0);
  EXPECT_GE(total.bSeconds, 11);
  EXPECT_LE(total.bSeconds, 12);

  // Chapter 2 starts at 4 s; the time events count on from there, a second apart.
  std::vector<int> seconds;
  for (int n = 0; n < 3; ++n) {
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
    seconds.push_back(HmsfFromParam(static_cast<std::uint32_t>(seen.back().p1)).bSeconds);
    EXPECT_EQ(static_cast<ULONG>(seen.back().p2), DVD_TC_FLAG_25fps);
  }
  EXPECT_GE(seconds.front(), 4);
  EXPECT_EQ(seconds[1], seconds[0] + 1);
  EXPECT_EQ(seconds[2], seconds[1] + 1);

  DVD_HMSF_TIMECODE outside{0, 0, 30, 0};
  EXPECT_EQ(dvd->PlayAtTime(&outside, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
  DVD_HMSF_TIMECODE badFrames{0, 0, 1, 25};
  EXPECT_EQ(dvd->PlayAtTime(&badFrames, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
  DVD_HMSF_TIMECODE chapter3{0, 0, 9, 0};
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->PlayAtTime(&chapter3, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 3, seen));
  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.ChapterNum, 3u);
  EXPECT_GE(where.TimeCode.bSeconds, 8);
}

TEST_F(DvdSessionTest, RootMenuFromTheTitleAndStop) {
  IntoChapter2();
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu, seen))
      << Trace();
  // The root menu's three buttons.
  ULONG available = 0, current = 0;
  EXPECT_TRUE(WaitFor([&] {
    return info->GetCurrentButton(&available, &current) == S_OK && available == 3;
  })) << Trace();
  ASSERT_EQ(dvd->Stop(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_STOPPED, std::nullopt, seen));
  EXPECT_TRUE(Saw(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop));
}

}  // namespace
}  // namespace kavoro::testing
