#include <gtest/gtest.h>

#include "platform/os/sim/SimPlatform.h"
#include "system/DriveScan.h"

namespace kavoro {
namespace {
using os::Sim;

class DriveScanTest : public ::testing::Test {
 protected:
  void SetUp() override { Sim().Reset(); }
  static void Disc(char letter, const char* label, std::vector<std::string> folders,
                   std::uint32_t lastFolderAttributes = 0) {
    auto& d = Sim().Drives();
    d.AddDrive(letter, os::DRIVE_CDROM);
    d.InsertDisc(letter, label);
    for (std::size_t i = 0; i < folders.size(); ++i)
      d.AddFolder(std::string(1, letter) + ":\\" + folders[i],
                  i + 1 == folders.size() ? lastFolderAttributes : 0);
  }
};

TEST_F(DriveScanTest, ListsOnlyCdDrivesFromDToZInLetterOrder) {
  auto& d = Sim().Drives();
  d.AddDrive('C', os::DRIVE_CDROM);  // never examined
  d.AddDrive('Z', os::DRIVE_CDROM);
  d.AddDrive('F', os::DRIVE_FIXED);
  d.AddDrive('E', os::DRIVE_CDROM);
  d.AddDrive('D', os::DRIVE_REMOVABLE);
  EXPECT_EQ(ListOpticalDrives(), (std::vector<std::string>{"E:\\", "Z:\\"}));

  Sim().Reset();
  Sim().Drives().AddDrive('C', os::DRIVE_CDROM);
  EXPECT_TRUE(ListOpticalDrives().empty());
}

TEST_F(DriveScanTest, DiscKindFollowsTheExactRootFolders) {
  struct Case {
    const char* what;
    std::vector<std::string> folders;
    std::uint32_t lastAttributes;
    int kind;
  };
  const Case cases[] = {
      {"DVD-Video", {"AUDIO_TS", "VIDEO_TS"}, 0, dkDvdVideo},
      {"DVD in lower case", {"audio_ts", "video_ts"}, 0, dkDvdVideo},
      {"DVD with a third folder", {"AUDIO_TS", "VIDEO_TS", "EXTRAS"}, 0, dkNone},
      {"DVD with a hidden third folder", {"AUDIO_TS", "VIDEO_TS", "EXTRAS"},
       os::FILE_ATTRIBUTE_HIDDEN, dkDvdVideo},
      {"DVD without AUDIO_TS", {"VIDEO_TS"}, 0, dkNone},
      {"two other folders", {"VIDEO_TS", "PHOTOS"}, 0, dkNone},
      {"Video CD", {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD"}, 0, dkVideoCd},
      {"Video CD with a hidden sixth folder", {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD", "X"},
       os::FILE_ATTRIBUTE_HIDDEN, dkVideoCd},
      {"Video CD with a system sixth folder", {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD", "X"},
       os::FILE_ATTRIBUTE_SYSTEM, dkVideoCd},
      {"Video CD with an extra folder", {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD", "X"}, 0, dkNone},
      {"Video CD missing SEGMENT", {"EXT", "CDI", "MPEGAV", "KARAOKE", "VCD"}, 0, dkNone},
      {"empty disc", {}, 0, dkNone},
  };
  for (const Case& c : cases) {
    Sim().Reset();
    Disc('E', "MOVIE", c.folders, c.lastAttributes);
    EXPECT_EQ(DiscKindOf('E'), c.kind) << c.what;
  }
}

TEST_F(DriveScanTest, FilesBesideTheFoldersDoNotCountAndHiddenFoldersStillPassTheExistenceTest) {
  Disc('E', "VCD", {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD"});
  Sim().Drives().AddFile("E:\\README.TXT", 10);
  Sim().Drives().AddFile("E:\\AUTORUN.INF", 10);
  EXPECT_EQ(DiscKindOf('E'), dkVideoCd);

  // A hidden AUDIO_TS is not counted, so only one folder counts: not a DVD.
  Sim().Reset();
  Disc('E', "DVD", {"VIDEO_TS", "AUDIO_TS"}, os::FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(DiscKindOf('E'), dkNone);
}

TEST_F(DriveScanTest, StateLabelAndCaptionOfDrivesWithAndWithoutDiscs) {
  auto& d = Sim().Drives();
  d.AddDrive('D', os::DRIVE_CDROM);  // empty
  Disc('E', "MOVIE", {"AUDIO_TS", "VIDEO_TS"});
  Disc('F', "", {});
  struct Case {
    const char* root;
    const char* state;
    const char* label;
    const char* caption;
    int kind;
  };
  const Case cases[] = {
      {"D:\\", "No Disc", "Unknown Volume", "D:\\No Disc", dkNone},
      {"E:\\", "Y", "MOVIE", "E:\\MOVIE", dkDvdVideo},
      {"F:\\", "Y", "Unknown Volume", "F:\\Unknown Volume", dkNone},
      {"Q:\\", "No Disc", "Unknown Volume", "Q:\\No Disc", dkNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiscStateOf(c.root), c.state) << c.root;
    EXPECT_EQ(VolumeLabelOf(c.root), c.label) << c.root;
    EXPECT_EQ(DriveCaption(c.root), c.caption) << c.root;
    EXPECT_EQ(DiscKindOf(c.root[0]), c.kind) << c.root;
  }
}

}  // namespace
}  // namespace kavoro
