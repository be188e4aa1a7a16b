// Damaged blocks on the fixture disc: this program runs with read_faults preloaded, which makes
// reads of chosen bytes of the title's VOB file fail as a scratched disc does.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
}

#include "DvdTestSupport.h"

namespace kavoro::testing {
namespace {

using SetReadFault = int (*)(const char*, std::uint64_t, std::uint64_t);
using ReadFaults = unsigned long (*)();

// Title 1's cells as byte ranges of VTS_01_1.VOB.
struct CellBytes {
  std::uint64_t first = 0, end = 0;
};
std::vector<CellBytes> TitleCells(const fs::path& disc) {
  std::vector<CellBytes> cells;
  dvd_reader_t* dvd = DVDOpen(disc.c_str());
  if (!dvd) return cells;
  if (ifo_handle_t* vts = ifoOpen(dvd, 1)) {
    const pgc_t* pgc = vts->vts_pgcit->pgci_srp[0].pgc;
    for (int i = 0; i < pgc->nr_of_cells; ++i) {
      const cell_playback_t& c = pgc->cell_playback[i];
      cells.push_back({std::uint64_t{c.first_sector} * DVD_VIDEO_LB_LEN,
                       (std::uint64_t{c.last_sector} + 1) * DVD_VIDEO_LB_LEN});
    }
    ifoClose(vts);
  }
  DVDClose(dvd);
  return cells;
}

class DvdDamageTest : public DvdSessionTest {
 protected:
  void SetUp() override {
    setFault = reinterpret_cast<SetReadFault>(dlsym(RTLD_DEFAULT, "kavoro_set_read_fault"));
    faults = reinterpret_cast<ReadFaults>(dlsym(RTLD_DEFAULT, "kavoro_read_faults"));
    ASSERT_TRUE(setFault && faults) << "read_faults is not preloaded";
    cells = TitleCells(Disc());
    ASSERT_EQ(cells.size(), 3u);
    DvdSessionTest::SetUp();
  }
  void TearDown() override {
    DvdSessionTest::TearDown();
    if (setFault) setFault(nullptr, 0, 0);
  }
  // Chapter 2 (cell 2) plays with the bytes [from, to) of the title's VOB unreadable.
  void Chapter2Damaged(std::uint64_t from, std::uint64_t to) {
    ASSERT_EQ(setFault((Disc() / "VIDEO_TS" / "VTS_01_1.VOB").c_str(), from, to), 0);
    IntoChapter2();
  }
  bool SawCode(LONG code) const {
    return std::any_of(seen.begin(), seen.end(), [&](const Event& e) { return e.code == code; });
  }
  SetReadFault setFault = nullptr;
  ReadFaults faults = nullptr;
  std::vector<CellBytes> cells;
};

// A second of chapter 2 unreadable: a warning, and playback goes on past it into chapter 3.
TEST_F(DvdDamageTest, DamagedBlocksAreSkippedWithAWarning) {
  const std::uint64_t middle = (cells[1].first + cells[1].end) / 2;
  const std::uint64_t second = (cells[1].end - cells[1].first) / 4;
  Chapter2Damaged(middle - second / 2, middle + second / 2);
  EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_CHAPTER_START, 3, seen)) << Trace();
  control->Stop();
  EXPECT_GT(faults(), 0u);
  EXPECT_TRUE(Saw(EC_DVD_WARNING, DVD_WARNING_Read)) << Trace();
  EXPECT_FALSE(SawCode(EC_DVD_ERROR)) << Trace();
  EXPECT_FALSE(SawCode(EC_DVD_PLAYBACK_STOPPED)) << Trace();
}

// Nothing of chapter 2's cell reads: playback stops with an error instead of going on.
TEST_F(DvdDamageTest, AWholeCellUnreadableStopsWithAnError) {
  Chapter2Damaged(cells[1].first, cells[1].end);
  EXPECT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_PLAYBACK_STOPPED, std::nullopt, seen)) << Trace();
  EXPECT_TRUE(Saw(EC_DVD_WARNING, DVD_WARNING_Read)) << Trace();
  EXPECT_TRUE(Saw(EC_DVD_ERROR, DVD_ERROR_Unexpected)) << Trace();
  EXPECT_FALSE(Saw(EC_DVD_CHAPTER_START, 3)) << Trace();
}

}  // namespace
}  // namespace kavoro::testing
