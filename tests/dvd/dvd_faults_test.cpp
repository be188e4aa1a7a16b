// Faults met while playing, each brought about on purpose: a command posted while the streaming
// thread ends the flush of another, a volume gone before the next run, calls libdvdnav refuses,
// subpicture units that give no usable size. (Damaged blocks: dvd_damage_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "DvdTestSupport.h"
#include "platform/media/dvd/DvdJumpFlush.h"
#include "platform/media/dvd/DvdState.h"
#include "platform/media/dvd/SubpictureAssembler.h"
#include "support/WaitFor.h"

namespace kavoro::testing {
namespace {

using media::DvdJumpFlush;

// The order in which the application thread (posting commands that move) and the streaming
// thread (taking commands, then ending the flush) meet. Each step: 'P' posts a command, 'T'
// has the streaming thread take what was posted so far, 'E' has it end the flush for what it
// took last. The flush must stay on until every posted command was taken before an end.
struct FlushCase {
  const char* steps;
  bool flushingAtEnd;
  int begun;  // flushes begun on the outputs
};

TEST(DvdJumpFlush, EndsOnlyOnceTheNewestCommandHasRun) {
  const FlushCase cases[] = {
      {"PTE", false, 1},
      // The streaming thread's loop ends the flush without having taken the command.
      {"PE", true, 1},
      // A second command posted between taking the first and ending the flush.
      {"PTPE", true, 1},
      {"PTPETE", false, 1},
      // Two posted before the take: one flush covers both.
      {"PPTE", false, 1},
      // After an end, the next command flushes anew.
      {"PTEPTE", false, 2},
      {"PTEPE", true, 2},
  };
  for (const FlushCase& c : cases) {
    DvdJumpFlush flush;
    int begun = 0;
    bool flushing = false;
    std::uint64_t posted = DvdJumpFlush::kNoFlush, taken = DvdJumpFlush::kNoFlush;
    for (const char* s = c.steps; *s; ++s) {
      switch (*s) {
        case 'P':
          posted = flush.Begin([&] {
            ++begun;
            flushing = true;
          });
          break;
        case 'T': taken = posted; break;
        case 'E': flush.EndIfCovered(taken, [&] { flushing = false; }); break;
      }
    }
    EXPECT_EQ(flushing, c.flushingAtEnd) << c.steps;
    EXPECT_EQ(begun, c.begun) << c.steps;
  }
}

// A size field that cannot be a unit's (0 to 3) is dropped with its packet instead of
// gathering everything after it; a unit split over packets still comes whole.
TEST(SubpictureAssembler, UnitsWithoutAUsableSizeGatherNothing) {
  std::vector<std::vector<std::uint8_t>> units;
  auto take = [&](const std::uint8_t* d, std::size_t n, std::int64_t) {
    units.emplace_back(d, d + n);
  };
  media::SubpictureAssembler a;
  for (std::uint8_t size : {0, 1, 3}) {
    std::vector<std::uint8_t> bad(2000, 0xAB);
    bad[0] = 0;
    bad[1] = size;
    a.Feed(bad.data(), bad.size(), 1, take);
    // What would have continued it: payloads that begin like a zero-size unit again.
    std::vector<std::uint8_t> more(2000, 0);
    for (int i = 0; i < 100; ++i) a.Feed(more.data(), more.size(), 2, take);
    EXPECT_EQ(a.Gathered(), 0u) << int{size};
  }
  EXPECT_TRUE(units.empty());

  std::vector<std::uint8_t> unit(5000);
  for (std::size_t i = 0; i < unit.size(); ++i) unit[i] = static_cast<std::uint8_t>(i * 7);
  unit[0] = static_cast<std::uint8_t>(unit.size() >> 8);
  unit[1] = static_cast<std::uint8_t>(unit.size());
  a.Feed(unit.data(), 2000, 42, take);
  a.Feed(unit.data() + 2000, 2000, 43, take);
  EXPECT_TRUE(units.empty());
  // The last packet carries padding past the unit's end: it is not part of the unit.
  std::vector<std::uint8_t> last(unit.begin() + 4000, unit.end());
  last.resize(1500, 0xFF);
  a.Feed(last.data(), last.size(), 44, take);
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0], unit);
  EXPECT_EQ(a.Gathered(), 0u);
}

// Sessions on a copy of the fixture folder that can be taken away between runs.
class DvdReopenTest : public DvdSessionTest {
 protected:
  void SetUp() override {
    copy = kFixtures / "dvd-test-reopen";
    fs::remove_all(copy);
    fs::remove_all(Moved());
    fs::copy(Disc(), copy, fs::copy_options::recursive);
    DvdSessionTest::SetUp();
  }
  void TearDown() override {
    DvdSessionTest::TearDown();
    fs::remove_all(copy);
    fs::remove_all(Moved());
  }
  fs::path Volume() override { return copy; }
  fs::path Moved() const { return kFixtures / "dvd-test-reopen-moved"; }
  fs::path copy;
};

// Each run from stopped starts the disc afresh, which opens the volume again: gone, the run
// fails instead of reporting a run without anything to play, and so does each command after.
TEST_F(DvdReopenTest, AVolumeGoneBeforeTheNextRunFailsThatRun) {
  ASSERT_EQ(control->Stop(), S_OK);
  fs::rename(copy, Moved());
  EXPECT_TRUE(FAILED(control->Run()));
  EXPECT_TRUE(FAILED(control->Pause()));
  EXPECT_EQ(dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr), VFW_E_DVD_GRAPHNOTREADY);
  EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DISC_EJECTED, std::nullopt, seen, 2000));
}

// Calls libdvdnav turns down report it: a button selected after an activation left the menu,
// an angle the title has not got, a saved place whose stream the title lacks.
TEST_F(DvdSessionTest, RefusedCallsReportAFailure) {
  ASSERT_EQ(dvd->ActivateAtPosition({360, 255}), S_OK);  // "Play movie"
  const HRESULT select = dvd->SelectButton(2);
  EXPECT_TRUE(FAILED(select)) << std::hex << select;
  EXPECT_TRUE(FAILED(dvd->SelectRelativeButton(DVD_Relative_Lower)));
  ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 1, seen)) << Trace();

  ComPtr<IDvdCmd> cmd;
  EXPECT_EQ(dvd->SelectAngle(2, DVD_CMD_FLAG_None, cmd.Put()), E_INVALIDARG);
  EXPECT_FALSE(cmd);
  ASSERT_EQ(dvd->SelectAngle(1, DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);

  ComPtr<IDvdState> state;
  ASSERT_EQ(info->GetState(state.Put()), S_OK);
  media::DvdPlace place;
  ComPtr<media::IDvdSavedPlace> saved = state.As<media::IDvdSavedPlace>();
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->GetPlace(&place), S_OK);
  place.audio = 5;  // the title has two
  ASSERT_EQ(dvd->SetState(media::MakeDvdState(place).Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), VFW_E_DVD_STATE_CORRUPT);
  place.audio = 1;
  ASSERT_EQ(dvd->SetState(media::MakeDvdState(place).Get(), DVD_CMD_FLAG_None, cmd.Put()), S_OK);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
}

}  // namespace
}  // namespace kavoro::testing
