#include "platform/os/common/DrivePaths.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kavoro::os {
namespace {

TEST(DrivePaths, ParsesLetterAndRelativePart) {
  struct Case {
    std::string path;
    char letter;
    std::string relative;
  };
  const std::vector<Case> cases = {
      {"e:\\Video_TS\\x.ifo", 'E', "Video_TS/x.ifo"},
      {"E:/Video_TS/x.ifo", 'E', "Video_TS/x.ifo"},
      {"E:\\Video_TS/x.ifo", 'E', "Video_TS/x.ifo"},
      {"z:", 'Z', ""},
      {"D:\\", 'D', ""},
      {"E:\\\\VCD\\\\", 'E', "VCD"},
      {"E:\\a\\.\\b\\..\\c", 'E', "a/c"},
      // Stepping up stops at the root: no drive path reaches outside its drive.
      {"E:\\..\\..\\etc\\passwd", 'E', "etc/passwd"},
      {"E:\\a\\..\\..\\..", 'E', ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_TRUE(IsDrivePath(c.path));
    std::optional<DrivePath> parsed = ParseDrivePath(c.path);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->letter, c.letter);
    EXPECT_EQ(parsed->Relative(), c.relative);
    EXPECT_EQ(parsed->IsRoot(), c.relative.empty());
  }
}

TEST(DrivePaths, RejectsWhatIsNoDrivePath) {
  const std::vector<std::string> cases = {
      "",
      "E",
      "E\\",
      "1:\\x",
      "::\\",
      "E:x",
      "EE:\\",
      "/home/me/film",
      "\\\\server\\share",
      std::string("E:\\a\0b", 6),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(IsDrivePath(path));
    EXPECT_FALSE(ParseDrivePath(path));
  }
}

TEST(DrivePaths, DriveRootUpperCasesTheLetter) {
  EXPECT_EQ(DriveRoot('e'), "E:\\");
  EXPECT_EQ(DriveRoot('Z'), "Z:\\");
}

TEST(DrivePaths, MatchNamePrefersExactThenSmallestFoldedMatch) {
  const std::vector<std::string> names = {"video_ts", "Video_TS", "VIDEO_TS", "AUDIO_TS"};
  EXPECT_EQ(MatchName("Video_TS", names), 1u);
  EXPECT_EQ(MatchName("vIdEo_Ts", names), 2u);  // "VIDEO_TS" sorts first by byte order
  EXPECT_EQ(MatchName("audio_ts", names), 3u);
  EXPECT_FALSE(MatchName("VIDEO_T", names));
  EXPECT_FALSE(MatchName("x", {}));
}

TEST(DrivePaths, FinishListingFiltersUnlistedAttributesAndSortsFolded) {
  std::vector<DirEntry> entries = {
      {"b", 0, 1},
      {"Hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, 0},
      {"System", FILE_ATTRIBUTE_SYSTEM, 0},
      {"Label", FILE_ATTRIBUTE_VOLUME_LABEL, 0},
      {"A", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, 0},
      {"a", 0, 2},
  };
  std::vector<std::string> visible;
  for (const DirEntry& e : FinishListing(entries, false)) visible.push_back(e.name);
  EXPECT_EQ(visible, (std::vector<std::string>{"A", "a", "b"}));

  std::vector<std::string> all;
  for (const DirEntry& e : FinishListing(entries, true)) all.push_back(e.name);
  EXPECT_EQ(all, (std::vector<std::string>{"A", "a", "b", "Hidden", "Label", "System"}));
}

}  // namespace
}  // namespace kavoro::os
