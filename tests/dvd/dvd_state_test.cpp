// Saved DVD places: the state object's saved form (round trip, damage of every kind), and
// bookmarks on the fixture disc: saved into a compound file, the graph built anew, restored.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "DvdTestSupport.h"
#include "support/WaitFor.h"
#include "platform/com/storage/Persist.h"
#include "platform/com/storage/Storage.h"
#include "platform/media/dvd/DvdState.h"

namespace kavoro::testing {
namespace {

using media::DvdPlace;

std::vector<std::uint8_t> Saved(IDvdState* state) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, stream.Put()), S_OK);
  EXPECT_EQ(ComPtr<IDvdState>(state).As<IPersistStream>()->Save(stream.Get(), 1), S_OK);
  STATSTG st;
  stream->Stat(&st, STATFLAG_NONAME);
  std::vector<std::uint8_t> bytes(st.cbSize);
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  return bytes;
}

DvdPlace PlaceOf(IDvdState* state) {
  DvdPlace p;
  ComPtr<media::IDvdSavedPlace> saved;
  EXPECT_EQ(state->QueryInterface(IIDOf<media::IDvdSavedPlace>(), saved.PutVoid()), S_OK);
  if (saved) saved->GetPlace(&p);
  return p;
}

// Loads `bytes` into a fresh state object; the object's place is left in *place.
HRESULT LoadInto(const std::vector<std::uint8_t>& bytes, DvdPlace* place) {
  media::RegisterDvdState();
  ComPtr<IPersistStream> persist = CreateInstance<IPersistStream>(CLSID_KavoroDvdState);
  if (!persist) return E_FAIL;
  ComPtr<IStream> stream;
  CreateStreamOnMemory(bytes.data(), bytes.size(), stream.Put());
  const HRESULT hr = persist->Load(stream.Get());
  *place = PlaceOf(persist.As<IDvdState>().Get());
  return hr;
}

const DvdPlace kPlace{0x1122334455667788ull, DVD_DOMAIN_Title, 1, 2, 6 * 90000 + 123, 1, 1, true,
                      1};

TEST(DvdState, SavedFormRoundTripsThroughTheClassRegistry) {
  media::RegisterDvdState();
  ComPtr<IDvdState> state = media::MakeDvdState(kPlace);
  std::uint64_t id = 0;
  ASSERT_EQ(state->GetDiscID(&id), S_OK);
  EXPECT_EQ(id, kPlace.discId);
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, stream.Put()), S_OK);
  ASSERT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), stream.Get()), S_OK);
  ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ComPtr<IDvdState> loaded;
  ASSERT_EQ(OleLoadFromStream(stream.Get(), IIDOf<IDvdState>(), loaded.PutVoid()), S_OK);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(PlaceOf(loaded.Get()), kPlace);
  ULARGE_INTEGER max = 0;
  ASSERT_EQ(loaded.As<IPersistStream>()->GetSizeMax(&max), S_OK);
  EXPECT_EQ(max, Saved(state.Get()).size());
}

TEST(DvdState, DamagedSavedFormsFailWithACodeAndChangeNothing) {
  const std::vector<std::uint8_t> good = Saved(media::MakeDvdState(kPlace).Get());
  DvdPlace place;
  ASSERT_EQ(LoadInto(good, &place), S_OK);
  const DvdPlace untouched{};
  // Every cut short of the whole.
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_EQ(LoadInto(cut, &place), STG_E_READFAULT) << "cut at " << n;
    EXPECT_EQ(place, untouched);
  }
  // Every single byte changed, the version apart, is corruption.
  for (std::size_t i = 0; i < good.size(); ++i) {
    std::vector<std::uint8_t> bad = good;
    bad[i] ^= 0x41;
    const HRESULT hr = LoadInto(bad, &place);
    EXPECT_EQ(hr, i == 4 || i == 5 ? VFW_E_DVD_STATE_WRONG_VERSION : VFW_E_DVD_STATE_CORRUPT)
        << "byte " << i;
    EXPECT_EQ(place, untouched);
  }
}

// A saved form written field by field, as version `version` lays it out.
std::vector<std::uint8_t> FormOf(std::uint16_t version, const DvdPlace& p) {
  std::vector<std::uint8_t> s(44, 0);
  auto put = [&](std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::memcpy(s.data(), "KDVS", 4);
  put(4, version, 2);
  put(6, 36, 2);
  put(8, p.discId, 8);
  s[16] = static_cast<std::uint8_t>(p.domain);
  s[17] = static_cast<std::uint8_t>(p.audio);
  s[18] = static_cast<std::uint8_t>(p.spu);
  s[19] = p.spuOn ? 1 : 0;
  put(20, p.title, 2);
  put(22, p.chapter, 2);
  put(24, static_cast<std::uint64_t>(p.time90k), 8);
  s[32] = static_cast<std::uint8_t>(p.angle);
  if (version >= 2) s[33] = static_cast<std::uint8_t>(p.titleSet);
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < 40; ++i) h = (h ^ s[i]) * 16777619u;
  put(40, h, 4);
  return s;
}

// The title set joined the saved form in version 2; version 1 forms still load, without it.
TEST(DvdState, BothVersionsLoadAndTheTitleSetIsKept) {
  DvdPlace menu{0x0102030405060708ull, DVD_DOMAIN_VideoTitleSetMenu, 0, 0, 0, 0, 0, false, 1, 2};
  DvdPlace title = kPlace;
  title.titleSet = 1;
  DvdPlace manager = menu;
  manager.domain = DVD_DOMAIN_VideoManagerMenu;
  manager.titleSet = 0;
  struct Case {
    const char* what;
    std::uint16_t version;
    DvdPlace written;
    HRESULT hr;
    ULONG titleSetRead;
  };
  const Case cases[] = {
      {"title set menu, version 2", 2, menu, S_OK, 2},
      {"title, version 2", 2, title, S_OK, 1},
      {"video manager menu, version 2", 2, manager, S_OK, 0},
      {"title set menu, version 1", 1, menu, S_OK, 0},
      {"title, version 1", 1, title, S_OK, 0},
      {"title set menu without its title set", 2, {menu.discId, menu.domain}, VFW_E_DVD_STATE_CORRUPT, 0},
      {"video manager menu with a title set", 2, {manager.discId, manager.domain, 0, 0, 0, 0, 0, false, 1, 3},
       VFW_E_DVD_STATE_CORRUPT, 0},
      {"title set past the last there can be", 2, {menu.discId, menu.domain, 0, 0, 0, 0, 0, false, 1, 100},
       VFW_E_DVD_STATE_CORRUPT, 0},
      {"version 3", 3, menu, VFW_E_DVD_STATE_WRONG_VERSION, 0},
  };
  for (const Case& c : cases) {
    DvdPlace read;
    EXPECT_EQ(LoadInto(FormOf(c.version, c.written), &read), c.hr) << c.what;
    if (c.hr != S_OK) continue;
    DvdPlace expected = c.written;
    expected.titleSet = c.titleSetRead;
    EXPECT_EQ(read, expected) << c.what;
  }
  // What is saved now is version 2, byte for byte.
  EXPECT_EQ(Saved(media::MakeDvdState(menu).Get()), FormOf(2, menu));
}

// A state read from a first-version form is saved so that it reads back as the same place: a
// title set's menu without its title set (which the current form refuses) keeps the first form.
TEST(DvdState, FirstVersionStatesSavedAgainLoadBack) {
  const DvdPlace menu{0x0102030405060708ull, DVD_DOMAIN_VideoTitleSetMenu, 0, 0, 0, 0, 0, false, 1, 0};
  DvdPlace manager = menu;
  manager.domain = DVD_DOMAIN_VideoManagerMenu;
  DvdPlace title = kPlace;
  title.titleSet = 0;
  for (const DvdPlace& written : {menu, manager, title}) {
    DvdPlace first;
    ASSERT_EQ(LoadInto(FormOf(1, written), &first), S_OK) << written.domain;
    ASSERT_EQ(first, written);
    DvdPlace again;
    EXPECT_EQ(LoadInto(Saved(media::MakeDvdState(first).Get()), &again), S_OK) << written.domain;
    EXPECT_EQ(again, written) << written.domain;
  }
  EXPECT_EQ(Saved(media::MakeDvdState(menu).Get()), FormOf(1, menu));
}

// A session on the fixture disc that plays title 1 chapter 2 and lets it run a while.
class DvdBookmarkTest : public DvdSessionTest {
 protected:
  fs::path Bookmark() const { return kFixtures / "dvd-test-bookmark.bmk"; }

  // The title time of the newest time event.
  static int Seconds(const Event& e) {
    const DVD_HMSF_TIMECODE t = HmsfFromParam(static_cast<std::uint32_t>(e.p1));
    return t.bHours * 3600 + t.bMinutes * 60 + t.bSeconds;
  }
};

TEST_F(DvdBookmarkTest, SavedInAFileAndRestoredInANewGraph) {
  IntoChapter2();
  ASSERT_EQ(dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_EQ(dvd->SelectSubpictureStream(1, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_SUBPICTURE_STREAM_CHANGE, 1, seen, 5000));
  // Let it play on to 6 s or so.
  do {
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  } while (Seconds(seen.back()) < 6);

  ComPtr<IDvdState> state;
  ASSERT_EQ(info->GetState(state.Put()), S_OK);
  const DvdPlace saved = PlaceOf(state.Get());
  EXPECT_EQ(saved.domain, DVD_DOMAIN_Title);
  EXPECT_EQ(saved.title, 1u);
  EXPECT_EQ(saved.audio, 1u);
  EXPECT_EQ(saved.spu, 1u);
  EXPECT_GE(saved.time90k, 6 * 90000);

  const std::string path = Bookmark().string();
  std::remove(path.c_str());
  {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0,
                               storage.Put()),
              S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream("BookMark", STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE,
                                    0, 0, stream.Put()),
              S_OK);
    ASSERT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), stream.Get()), S_OK);
  }
  state = nullptr;

  // The independent tool sees the one stream.
  const std::string tool = KAVORO_GSF_TOOL;
  ASSERT_FALSE(tool.empty()) << "the gsf tool (Debian's libgsf-bin) is missing";
  std::string listing;
  if (FILE* p = ::popen(("'" + tool + "' list '" + path + "' 2>&1").c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) listing += buf;
    EXPECT_EQ(::pclose(p), 0) << listing;
  }
  std::istringstream lines(listing);
  std::string line, word;
  std::vector<std::string> names;
  std::getline(lines, line);  // the file's own name
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string last;
    while (words >> word) last = word;
    names.push_back(last);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"*root*", "BookMark"})) << listing;

  RenderAnew();
  ComPtr<IDvdState> loaded;
  {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0,
                             storage.Put()),
              S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(storage->OpenStream("BookMark", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0,
                                  stream.Put()),
              S_OK);
    ASSERT_EQ(OleLoadFromStream(stream.Get(), IIDOf<IDvdState>(), loaded.PutVoid()), S_OK);
  }
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SetState(loaded.Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);

  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.TitleNum, 1u);
  const std::int64_t at90k = (where.TimeCode.bMinutes * 60 + where.TimeCode.bSeconds) * 90000 +
                             where.TimeCode.bFrames * 90000 / 25;
  EXPECT_LE(std::abs(at90k - saved.time90k), 90000)
      << "saved at " << saved.time90k << ", landed at " << at90k;
  ULONG available = 0, current = 0;
  BOOL disabled = 1;
  ASSERT_EQ(info->GetCurrentAudio(&available, &current), S_OK);
  EXPECT_EQ(current, 1u);
  ASSERT_EQ(info->GetCurrentSubpicture(&available, &current, &disabled), S_OK);
  EXPECT_EQ(current, 1u);
  EXPECT_EQ(disabled != 0, !saved.spuOn);
  EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_AUDIO_STREAM_CHANGE, 1, seen, 5000)) << Trace();
}

TEST_F(DvdBookmarkTest, StateTakenInTheTitleMenuReturnsToIt) {
  ComPtr<IDvdState> menu;
  ASSERT_EQ(info->GetState(menu.Put()), S_OK);
  EXPECT_EQ(PlaceOf(menu.Get()).domain, DVD_DOMAIN_VideoManagerMenu);
  IntoChapter2();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SetState(menu.Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, seen))
      << Trace();
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen)) << Trace();
}

TEST_F(DvdBookmarkTest, StateTakenInTheRootMenuReturnsToItsTitleSet) {
  IntoChapter2();
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoTitleSetMenu, seen))
      << Trace();
  ComPtr<IDvdState> root;
  ASSERT_TRUE(WaitFor([&] { return info->GetState(root.Put()) == S_OK; }));
  EXPECT_EQ(PlaceOf(root.Get()).domain, DVD_DOMAIN_VideoTitleSetMenu);
  EXPECT_EQ(PlaceOf(root.Get()).titleSet, 1u);
  ASSERT_EQ(dvd->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, nullptr), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, seen))
      << Trace();
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(dvd->SetState(root.Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  DVD_DOMAIN domain{};
  ASSERT_EQ(info->GetCurrentDomain(&domain), S_OK);
  EXPECT_EQ(domain, DVD_DOMAIN_VideoTitleSetMenu);
}

TEST_F(DvdBookmarkTest, StateOfAnotherDiscIsRefusedAndChangesNothing) {
  IntoChapter2();
  ComPtr<IDvdState> mine;
  ASSERT_EQ(info->GetState(mine.Put()), S_OK);
  DvdPlace other = PlaceOf(mine.Get());
  other.discId ^= 1;
  other.chapter = 3;
  ComPtr<IDvdCmd> cmd;
  EXPECT_EQ(dvd->SetState(media::MakeDvdState(other).Get(), DVD_CMD_FLAG_None, cmd.Put()),
            VFW_E_DVD_STATE_WRONG_DISC);
  EXPECT_FALSE(cmd);
  // Still in chapter 2, time running on.
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CURRENT_HMSF_TIME, std::nullopt, seen, 5000));
  DVD_PLAYBACK_LOCATION2 where;
  ASSERT_EQ(info->GetCurrentLocation(&where), S_OK);
  EXPECT_EQ(where.ChapterNum, 2u);
  EXPECT_FALSE(Saw(EC_DVD_CHAPTER_START, 3)) << Trace();
  // Nor does the stopped navigator give a state.
  ASSERT_EQ(dvd->Stop(), S_OK);
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_STOPPED, std::nullopt, seen));
  ComPtr<IDvdState> none;
  EXPECT_EQ(info->GetState(none.Put()), VFW_E_DVD_INVALIDDOMAIN);
  EXPECT_FALSE(none);
}

}  // namespace
}  // namespace kavoro::testing
