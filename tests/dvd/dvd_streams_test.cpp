// Streams as an authored disc maps them, on the stream test disc (tools/make-fixtures/README.md):
// logical audio streams played by other ids (en 0x81, fr 0x80, de LPCM 0xA2), a 16:9 title with
// a subpicture stream per display, a chapter of two cells, and a second title set with a menu.
#include <gtest/gtest.h>

#include <thread>

extern "C" {
#include <dvdread/dvd_reader.h>
}

#include "DvdTestSupport.h"
#include "platform/media/dvd/DvdState.h"
#include "platform/media/dvd/DvdTitleStreams.h"
#include "platform/media/dvd/IDvdDeliveredStream.h"
#include "support/WaitFor.h"

namespace kavoro::testing {
namespace {

using media::DvdDisplay;

constexpr std::uint16_t Lang(const char (&two)[3]) {
  return static_cast<std::uint16_t>((two[0] << 8) | two[1]);
}

TEST(DvdTitleStreams, TheProgramChainsTablesMapLogicalStreamsToTheirIds) {
  dvd_reader_t* dvd = DVDOpen(StreamsDisc().c_str());
  ASSERT_TRUE(dvd);
  const std::vector<media::DvdTitleStreams> titles = media::ReadDvdTitleStreams(dvd);
  DVDClose(dvd);
  ASSERT_EQ(titles.size(), 2u);

  const media::DvdTitleStreams& t1 = titles[0];
  EXPECT_TRUE(t1.wide);
  EXPECT_FALSE(t1.panScanAllowed);
  struct Audio {
    std::uint16_t lang;
    int id;
  };
  const Audio audio[] = {{Lang("en"), 0x81}, {Lang("fr"), 0x80}, {Lang("de"), 0xA2}};
  ASSERT_EQ(t1.audio.size(), std::size(audio));
  for (std::size_t i = 0; i < std::size(audio); ++i) {
    EXPECT_TRUE(t1.audio[i].present) << i;
    EXPECT_EQ(t1.audio[i].language, audio[i].lang) << i;
    EXPECT_EQ(t1.audio[i].Id(), audio[i].id) << i;
  }
  EXPECT_EQ(t1.audio[2].coding, media::DvdAudioCoding::Lpcm);
  // Subpicture numbers per display; pan-scan is not allowed, so it shows the letter box's.
  struct Spu {
    DvdDisplay display;
    int en, de;
  };
  const Spu spu[] = {{DvdDisplay::Wide, 0, 2}, {DvdDisplay::LetterBox, 1, 3}, {DvdDisplay::PanScan, 1, 3}};
  ASSERT_EQ(t1.spu.size(), 2u);
  for (const Spu& s : spu) {
    EXPECT_EQ(t1.SubpictureNumber(0, s.display), s.en);
    EXPECT_EQ(t1.SubpictureNumber(1, s.display), s.de);
  }
  EXPECT_EQ(t1.SubpictureNumber(2, DvdDisplay::Wide), -1);

  const media::DvdTitleStreams& t2 = titles[1];
  EXPECT_FALSE(t2.wide);
  ASSERT_EQ(t2.audio.size(), 1u);
  EXPECT_EQ(t2.audio[0].Id(), 0x80);
  EXPECT_TRUE(t2.spu.empty());
}

class DvdStreamsTest : public DvdAudioTest {
 protected:
  fs::path Volume() override { return StreamsDisc(); }
  // The id of the stream the navigator's pin `name` delivered last; 0 before any.
  ULONG Delivered(const char* name) {
    ComPtr<IBaseFilter> nav;
    if (builder->GetDvdInterface(IIDOf<IBaseFilter>(), nav.PutVoid()) != S_OK) return 0;
    ComPtr<IPin> pin;
    if (nav->FindPin(name, pin.Put()) != S_OK) return 0;
    ComPtr<IDvdDeliveredStream> d = pin.As<IDvdDeliveredStream>();
    ULONG id = 0;
    if (d) d->GetDeliveredStreamId(&id);
    return id;
  }
  // Waits until pin `name` delivers stream `id`.
  bool Delivers(const char* name, ULONG id) {
    return WaitFor([&] { return Delivered(name) == id; }, std::chrono::seconds(4));
  }
  // Waits for a tone of about `hz` (zero crossings at twice that, within a tenth).
  bool Hears(double hz) {
    return WaitFor([&] {
      const double c = CrossingsPerSecond();
      return c > 2 * hz * 0.9 && c < 2 * hz * 1.1;
    }, std::chrono::seconds(4));
  }
  void PlayTitle1() {
    ASSERT_EQ(dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr), S_OK);
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_TITLE_CHANGE, 1, seen)) << Trace();
  }
};

// English is logical stream 0 but id 0x81 (440 Hz); French logical 1, id 0x80 (880 Hz); German
// logical 2, LPCM 0xA2 (660 Hz). Each chosen language is the one heard.
TEST_F(DvdStreamsTest, TheChosenLanguagesAudioIsTheOneDelivered) {
  PlayTitle1();
  ULONG available = 0, current = 9;
  ASSERT_EQ(info->GetCurrentAudio(&available, &current), S_OK);
  EXPECT_EQ(available, 3u);
  EXPECT_EQ(current, 0u);
  const LCID english = 0x0409, french = 0x040C, german = 0x0407;
  const LCID langs[] = {english, french, german};
  for (ULONG i = 0; i < 3; ++i) {
    LCID l = 0;
    EXPECT_EQ(info->GetAudioLanguage(i, &l), S_OK);
    EXPECT_EQ(l, langs[i]) << i;
  }
  EXPECT_TRUE(Delivers("Audio", 0x81)) << std::hex << Delivered("Audio");
  EXPECT_TRUE(Hears(440)) << CrossingsPerSecond();
  struct Choice {
    ULONG stream, id;
    double hz;
  };
  for (const Choice& c : {Choice{1, 0x80, 880}, Choice{2, 0xA2, 660}, Choice{0, 0x81, 440}}) {
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->SelectAudioStream(c.stream, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
    EXPECT_EQ(cmd->WaitForEnd(), S_OK);
    EXPECT_TRUE(Delivers("Audio", c.id)) << c.stream << ": " << std::hex << Delivered("Audio");
    EXPECT_TRUE(Hears(c.hz)) << c.stream << ": " << CrossingsPerSecond();
  }
  EXPECT_EQ(Delivered("Video"), 0xE0u);
}

// Where the title ends its post command calls the title menu, whose sound is 0x80. The new
// place is told before any of it is delivered, so a caller that reads a pin's stream and then
// sees the title still playing knows the id was the title's: a menu unit delivered while the
// title is still told playing fails here.
TEST_F(DvdStreamsTest, TheTitlesEndIsToldBeforeTheMenusStreamsAreDelivered) {
  PlayTitle1();
  ASSERT_TRUE(Delivers("Audio", 0x81)) << std::hex << Delivered("Audio");
  DVD_HMSF_TIMECODE nearEnd{};
  nearEnd.bSeconds = 9;
  ASSERT_EQ(dvd->PlayAtTime(&nearEnd, DVD_CMD_FLAG_None, nullptr), S_OK);
  bool menuHeard = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
  while (!menuHeard && std::chrono::steady_clock::now() < deadline) {
    const ULONG id = Delivered("Audio");
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    ASSERT_EQ(info->GetCurrentDomain(&domain), S_OK);
    if (id == 0x81) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(id, 0x80u);
    ASSERT_NE(domain, DVD_DOMAIN_Title) << "the menu's sound was delivered in the title";
    EXPECT_EQ(domain, DVD_DOMAIN_VideoManagerMenu);
    menuHeard = true;
  }
  EXPECT_TRUE(menuHeard) << Trace();
}

// The subpicture stream follows the language and the display: en wide 0x20, en letter box
// 0x21, de wide 0x22, de letter box 0x23; pan-scan is not allowed for this title and shows the
// letter box's.
TEST_F(DvdStreamsTest, TheSubpictureStreamFollowsLanguageAndDisplay) {
  ASSERT_EQ(dvd->SetSubpictureState(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  PlayTitle1();
  ULONG available = 0, current = 9;
  BOOL disabled = 1;
  ASSERT_EQ(info->GetCurrentSubpicture(&available, &current, &disabled), S_OK);
  EXPECT_EQ(available, 2u);
  EXPECT_EQ(current, 0u);
  EXPECT_TRUE(Delivers("SubPicture", 0x20)) << std::hex << Delivered("SubPicture");
  ASSERT_EQ(dvd->SelectVideoModePreference(DISPLAY_4x3_LETTERBOX_PREFERRED), S_OK);
  EXPECT_TRUE(Delivers("SubPicture", 0x21)) << std::hex << Delivered("SubPicture");
  ASSERT_EQ(dvd->SelectSubpictureStream(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  EXPECT_TRUE(Delivers("SubPicture", 0x23)) << std::hex << Delivered("SubPicture");
  ASSERT_EQ(dvd->SelectVideoModePreference(DISPLAY_16x9), S_OK);
  EXPECT_TRUE(Delivers("SubPicture", 0x22)) << std::hex << Delivered("SubPicture");
  ASSERT_EQ(dvd->SelectVideoModePreference(DISPLAY_4x3_PANSCAN_PREFERRED), S_OK);
  EXPECT_TRUE(Delivers("SubPicture", 0x23)) << std::hex << Delivered("SubPicture");
  EXPECT_EQ(dvd->SelectVideoModePreference(7), E_INVALIDARG);
}

// Chapter 1 is two cells (0 to 4.8 s); chapter 2 starts at 4.8 s, not at the second cell.
// Title 2, of the other title set, offers its one audio stream and no subpictures.
TEST_F(DvdStreamsTest, ChaptersOverCellsAndTheSecondTitleSetsStreams) {
  ULONG chapters = 0;
  ASSERT_EQ(info->GetNumberOfChapters(1, &chapters), S_OK);
  EXPECT_EQ(chapters, 3u);
  PlayTitle1();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 2, seen)) << Trace();
  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.ChapterNum, 2u);
  EXPECT_GE(where.TimeCode.bSeconds, 4);
  EXPECT_LE(where.TimeCode.bSeconds, 5);

  ASSERT_EQ(dvd->PlayTitle(2, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_TITLE_CHANGE, 2, seen)) << Trace();
  ULONG available = 9, current = 9;
  BOOL disabled = 0;
  ASSERT_TRUE(WaitFor([&] {
    return info->GetCurrentAudio(&available, &current) == S_OK && available == 1;
  })) << available;
  ASSERT_EQ(info->GetCurrentSubpicture(&available, &current, &disabled), S_OK);
  EXPECT_EQ(available, 0u);
  LCID l = 0;
  EXPECT_EQ(info->GetAudioLanguage(1, &l), E_INVALIDARG);
  EXPECT_EQ(dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr), E_INVALIDARG);
  EXPECT_TRUE(Delivers("Audio", 0x80)) << std::hex << Delivered("Audio");
}

// A bookmark taken in title set 2's menu returns there from a title of title set 1: the root
// menu libdvdnav would call from there is title set 1's, which has none.
TEST_F(DvdStreamsTest, AStateTakenInTheSecondTitleSetsMenuReturnsThere) {
  ASSERT_EQ(dvd->PlayTitle(2, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_TITLE_CHANGE, 2, seen)) << Trace();
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu, seen))
      << Trace();
  ComPtr<IDvdState> menu;
  ASSERT_TRUE(WaitFor([&] { return info->GetState(menu.Put()) == S_OK; }));
  media::DvdPlace place;
  ASSERT_EQ(menu.As<media::IDvdSavedPlace>()->GetPlace(&place), S_OK);
  EXPECT_EQ(place.domain, DVD_DOMAIN_VideoTitleSetMenu);
  EXPECT_EQ(place.titleSet, 2u);

  PlayTitle1();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SetState(menu.Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ComPtr<IDvdState> back;
  ASSERT_EQ(info->GetState(back.Put()), S_OK);
  media::DvdPlace there;
  ASSERT_EQ(back.As<media::IDvdSavedPlace>()->GetPlace(&there), S_OK);
  EXPECT_EQ(there.domain, DVD_DOMAIN_VideoTitleSetMenu);
  EXPECT_EQ(there.titleSet, 2u);

  // The same place without its title set (a version 1 bookmark) can only mean the title set
  // playing, whose menu this disc has not got: the command says so.
  PlayTitle1();
  place.titleSet = 0;
  ASSERT_EQ(dvd->SetState(media::MakeDvdState(place).Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), VFW_E_DVD_MENU_DOES_NOT_EXIST);
}

}  // namespace
}  // namespace kavoro::testing
