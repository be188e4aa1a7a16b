// DVD bookmarks: the navigator's state saved into a compound file with one stream "BookMark"
// and put back from it.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "GraphTestSupport.h"
#include "platform/com/storage/Storage.h"

namespace kavoro::test {
namespace {

using Lines = std::vector<std::string>;

class BookmarkTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    ClassRegistry::Instance().RegisterClass(CLSID_FakeDvdState, "fake DVD state",
                                            [](REFIID riid, void** ppv) {
                                              auto s = MakeCom<FakeDvdState>();
                                              return s->QueryInterface(riid, ppv);
                                            });
    path = ::testing::TempDir() + "bookmark_" + std::to_string(::getpid()) + ".bmk";
    std::remove(path.c_str());
  }
  void TearDown() override {
    ClassRegistry::Instance().UnregisterClass(CLSID_FakeDvdState);
    std::remove(path.c_str());
    GraphTest::TearDown();
  }
  void ActivateDvd() {
    graph->SetMode(gmDVD);
    graph->SetActive(true);
  }
  // Rebuilds the graph, so the navigator is a new one that stands nowhere.
  void Rebuild() {
    graph->SetActive(false);
    graph->SetActive(true);
    ASSERT_EQ(dvd->navigator->place, 0u);
    CallLog().clear();
  }
  bool Exists() const { return std::ifstream(path).good(); }
  std::string path;
};

TEST_F(BookmarkTest, SavedStateIsPutBackAndWaitedFor) {
  ActivateDvd();
  dvd->navigator->place = 0x1122334455667788ULL;
  graph->SaveDvdBookmark(path);
  EXPECT_EQ(StgIsStorageFile(path.c_str()), S_OK);

  Rebuild();
  graph->RestoreDvdBookmark(path);
  EXPECT_EQ(dvd->navigator->place, 0x1122334455667788ULL);
  EXPECT_EQ(CallLog(), (Lines{"SetState 1234605616436508552 flags 0", "WaitForEnd"}));
}

TEST_F(BookmarkTest, SavingReplacesAnExistingFile) {
  { std::ofstream(path) << "not a bookmark"; }
  ActivateDvd();
  dvd->navigator->place = 7;
  graph->SaveDvdBookmark(path);
  dvd->navigator->place = 9;
  graph->SaveDvdBookmark(path);
  Rebuild();
  graph->RestoreDvdBookmark(path);
  EXPECT_EQ(dvd->navigator->place, 9u);
}

TEST_F(BookmarkTest, SavingActsOnlyOnAnActiveDvdGraph) {
  graph->SaveDvdBookmark(path);
  EXPECT_FALSE(Exists()) << "inactive";
  graph->SetActive(true);
  graph->SaveDvdBookmark(path);
  EXPECT_FALSE(Exists()) << "normal mode";
  graph->SetActive(false);
  dvdScript.navigator = false;
  ActivateDvd();
  graph->SaveDvdBookmark(path);
  EXPECT_FALSE(Exists()) << "no DVD information";
}

// A save that fails on its way reports it and leaves the bookmark that was there: a state that
// cannot save itself writes no empty bookmark over a good one.
TEST_F(BookmarkTest, FailedSaveReportsAndKeepsTheOldBookmark) {
  ActivateDvd();
  dvd->navigator->place = 7;
  ASSERT_EQ(graph->SaveDvdBookmark(path), S_OK);
  dvd->navigator->place = 9;
  dvd->navigator->statePersists = false;
  EXPECT_TRUE(FAILED(graph->SaveDvdBookmark(path)));

  Rebuild();
  EXPECT_EQ(graph->RestoreDvdBookmark(path), S_OK);
  EXPECT_EQ(dvd->navigator->place, 7u);

  // Without a file before, a failed save leaves none.
  std::remove(path.c_str());
  dvd->navigator->statePersists = false;
  ActivateDvd();
  EXPECT_TRUE(FAILED(graph->SaveDvdBookmark(path)));
  EXPECT_FALSE(Exists());
}

// While it lives, files of this process cannot grow past `bytes` (as on a full disk): writes
// beyond fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = old_;
    lower.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};

std::string Contents(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// A disk that fills while the bookmark is written: the save fails and the old bookmark is
// there byte for byte, still restorable.
TEST_F(BookmarkTest, ASaveOntoAFullDiskFailsAndKeepsTheOldBookmark) {
  constexpr rlim_t kRoomLeft = 700;  // less than the smallest compound file
  ActivateDvd();
  dvd->navigator->place = 7;
  ASSERT_EQ(graph->SaveDvdBookmark(path), S_OK);
  const std::string before = Contents(path);
  ASSERT_GT(before.size(), kRoomLeft);

  dvd->navigator->place = 9;
  HRESULT saved = S_OK;
  {
    FileSizeLimit full(kRoomLeft);
    saved = graph->SaveDvdBookmark(path);
  }
  EXPECT_TRUE(FAILED(saved));
  EXPECT_EQ(Contents(path), before);
  Rebuild();
  EXPECT_EQ(graph->RestoreDvdBookmark(path), S_OK);
  EXPECT_EQ(dvd->navigator->place, 7u);
}

TEST_F(BookmarkTest, UnreadableFilesAndMissingControlRestoreNothing) {
  ActivateDvd();
  dvd->navigator->place = 5;
  graph->SaveDvdBookmark(path);

  graph->SetMode(gmNormal);  // a media file plays: no DVD control to be had
  CallLog().clear();
  graph->RestoreDvdBookmark(path);
  EXPECT_TRUE(LogLines("SetState").empty());

  graph->SetMode(gmDVD);
  CallLog().clear();
  graph->RestoreDvdBookmark(path + ".missing");
  std::string junk = path + ".junk";
  { std::ofstream(junk) << "no compound file here"; }
  graph->RestoreDvdBookmark(junk);
  std::remove(junk.c_str());
  EXPECT_TRUE(LogLines("SetState").empty());
  EXPECT_TRUE(os::Sim().Dialogs().MessageBoxes().empty());
}

TEST_F(BookmarkTest, FailedSetStateIsNotWaitedFor) {
  ActivateDvd();
  dvd->navigator->place = 3;
  graph->SaveDvdBookmark(path);
  Rebuild();
  dvd->navigator->setStateResult = VFW_E_DVD_STATE_WRONG_DISC;
  EXPECT_EQ(graph->RestoreDvdBookmark(path), VFW_E_DVD_STATE_WRONG_DISC);
  EXPECT_EQ(CallLog(), Lines{"SetState 3 flags 0"});
  EXPECT_EQ(dvd->navigator->place, 0u);
}

TEST_F(BookmarkTest, SavingIntoAMissingFolderDoesNothing) {
  ActivateDvd();
  std::string bad = ::testing::TempDir() + "no-such-folder-" + std::to_string(::getpid()) + "/b.bmk";
  EXPECT_TRUE(FAILED(graph->SaveDvdBookmark(bad)));
  EXPECT_FALSE(std::ifstream(bad).good());
}

}  // namespace
}  // namespace kavoro::test
