#include "platform/os/sim/SimDrives.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavoro::os {
namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  return names;
}

TEST(SimDrives, DrivesOfAnyTypeWithAndWithoutVolumes) {
  SimDrives drives;
  ASSERT_TRUE(drives.AddDrive('C', DRIVE_CDROM));
  ASSERT_TRUE(drives.AddDrive('d', DRIVE_FIXED));
  ASSERT_TRUE(drives.AddDrive('E', DRIVE_CDROM));
  ASSERT_TRUE(drives.AddDrive('F', DRIVE_CDROM));
  ASSERT_TRUE(drives.InsertDisc('C', "SYSTEM_CD"));
  ASSERT_TRUE(drives.InsertDisc('D', "DATA", "NTFS", 0x1234));
  ASSERT_TRUE(drives.InsertDisc('F', ""));
  EXPECT_FALSE(drives.AddDrive('1', DRIVE_CDROM));
  EXPECT_FALSE(drives.InsertDisc('G', "NO DRIVE"));

  struct Case {
    std::string root;
    DriveType type;
    bool hasVolume;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"C:\\", DRIVE_CDROM, true, "SYSTEM_CD"},   {"d:\\", DRIVE_FIXED, true, "DATA"},
      {"E:\\", DRIVE_CDROM, false, ""},           {"F:", DRIVE_CDROM, true, ""},
      {"G:\\", DRIVE_NO_ROOT_DIR, false, ""},     {"C:\\folder", DRIVE_NO_ROOT_DIR, false, ""},
      {"nonsense", DRIVE_NO_ROOT_DIR, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    EXPECT_EQ(drives.GetDriveType(c.root), c.type);
    std::optional<VolumeInfo> volume = drives.GetVolumeInformation(c.root);
    ASSERT_EQ(volume.has_value(), c.hasVolume);
    if (volume) {
      EXPECT_EQ(volume->label, c.label);
    }
  }
  EXPECT_EQ(drives.GetVolumeInformation("D:\\")->serial, 0x1234u);
  EXPECT_EQ(drives.GetVolumeInformation("D:\\")->fileSystem, "NTFS");

  drives.Reset();
  EXPECT_EQ(drives.GetDriveType("C:\\"), DRIVE_NO_ROOT_DIR);
}

TEST(SimDrives, FolderTreeListsFindsWithoutCaseAndHidesAttributes) {
  SimDrives drives;
  drives.AddDrive('E', DRIVE_CDROM);
  drives.InsertDisc('E', "VCD");
  for (const char* folder : {"E:\\EXT", "E:\\CDI", "E:\\MPEGAV", "E:\\SEGMENT", "E:\\VCD"}) {
    ASSERT_TRUE(drives.AddFolder(folder));
  }
  ASSERT_TRUE(drives.AddFolder("E:\\Sixth", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(drives.AddFolder("E:\\Sys", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(drives.AddFile("E:\\MPEGAV\\AVSEQ01.DAT", 4096));
  ASSERT_TRUE(drives.AddFile("E:\\README.TXT", 10));

  EXPECT_EQ(Names(drives.ListFolder("E:\\", false)),
            (std::vector<std::string>{"CDI", "EXT", "MPEGAV", "README.TXT", "SEGMENT", "VCD"}));
  EXPECT_EQ(drives.ListFolder("e:", true).size(), 8u);

  std::vector<DirEntry> mpegav = drives.ListFolder("e:/mpegav", false);
  ASSERT_EQ(mpegav.size(), 1u);
  EXPECT_EQ(mpegav[0].name, "AVSEQ01.DAT");
  EXPECT_EQ(mpegav[0].size, 4096u);
  EXPECT_FALSE(mpegav[0].IsDirectory());

  EXPECT_TRUE(drives.DirectoryExists("e:\\segment"));
  EXPECT_TRUE(drives.DirectoryExists("E:\\Sixth"));  // existence ignores attributes
  EXPECT_TRUE(drives.DirectoryExists("E:\\"));
  EXPECT_FALSE(drives.DirectoryExists("E:\\README.TXT"));
  EXPECT_TRUE(drives.FileExists("E:\\readme.txt"));
  EXPECT_FALSE(drives.FileExists("E:\\MPEGAV"));
  EXPECT_TRUE(drives.ListFolder("E:\\README.TXT", true).empty());
  EXPECT_TRUE(drives.ListFolder("E:\\Missing", true).empty());
}

TEST(SimDrives, SetupRefusesWhatTheWorldCannotHold) {
  SimDrives drives;
  drives.AddDrive('E', DRIVE_CDROM);
  EXPECT_FALSE(drives.AddFolder("E:\\VIDEO_TS"));  // no disc yet
  drives.InsertDisc('E', "DVD");
  ASSERT_TRUE(drives.AddFile("E:\\FILE", 1));
  EXPECT_FALSE(drives.AddFolder("E:\\FILE\\SUB"));
  EXPECT_FALSE(drives.AddFolder("E:\\file"));  // the file is in the way, whatever the case
  ASSERT_TRUE(drives.AddFolder("E:\\VIDEO_TS"));
  EXPECT_FALSE(drives.AddFile("E:\\video_ts", 1));
  EXPECT_FALSE(drives.AddFolder("E:\\"));
  EXPECT_FALSE(drives.AddFolder("relative/native"));

  // A folder named again in another case is the same folder.
  ASSERT_TRUE(drives.AddFile("E:\\video_ts\\VIDEO_TS.IFO", 2048));
  EXPECT_EQ(Names(drives.ListFolder("E:\\", false)),
            (std::vector<std::string>{"FILE", "VIDEO_TS"}));
}

TEST(SimDrives, EjectTakesTheTreeAndResolveFollowsTheDisc) {
  SimDrives drives;
  drives.AddDrive('E', DRIVE_CDROM);
  drives.InsertDisc('E', "MOVIE");
  drives.AddFolder("E:\\AUDIO_TS");
  drives.AddFile("E:\\VIDEO_TS\\VIDEO_TS.IFO", 2048);

  std::optional<ResolvedPath> resolved = drives.Resolve("e:\\video_ts\\video_ts.ifo");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->medium, DriveMedium::Folder);
  EXPECT_EQ(resolved->native, "sim:E");
  EXPECT_EQ(resolved->relative, "VIDEO_TS/VIDEO_TS.IFO");
  EXPECT_TRUE(resolved->nativeFile.empty());
  // Parts that do not exist are kept as given.
  EXPECT_EQ(drives.Resolve("E:\\video_ts\\new\\x")->relative, "VIDEO_TS/new/x");

  ASSERT_TRUE(drives.EjectDisc('e'));
  EXPECT_FALSE(drives.EjectDisc('E'));
  EXPECT_FALSE(drives.GetVolumeInformation("E:\\"));
  EXPECT_FALSE(drives.Resolve("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  EXPECT_FALSE(drives.DirectoryExists("E:\\"));
  EXPECT_TRUE(drives.ListFolder("E:\\", true).empty());
  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);

  drives.InsertDisc('E', "OTHER");
  EXPECT_TRUE(drives.ListFolder("E:\\", true).empty());
  EXPECT_FALSE(drives.Resolve("F:\\x"));
}

TEST(SimDrives, NativeTreeIsCaseSensitiveAndResolvesToItself) {
  SimDrives drives;
  ASSERT_TRUE(drives.AddFile("/home/me/Film.mpg", 100));
  EXPECT_TRUE(drives.FileExists("/home/me/Film.mpg"));
  EXPECT_TRUE(drives.FileExists("/home//me/./x/../Film.mpg"));
  EXPECT_FALSE(drives.FileExists("/home/me/film.mpg"));
  EXPECT_TRUE(drives.DirectoryExists("/home/me"));
  EXPECT_TRUE(drives.DirectoryExists("/"));
  EXPECT_EQ(Names(drives.ListFolder("/home/me", false)), std::vector<std::string>{"Film.mpg"});

  std::optional<ResolvedPath> resolved = drives.Resolve("/home/me/Film.mpg");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->medium, DriveMedium::Folder);
  EXPECT_EQ(resolved->native, "/home/me/Film.mpg");
  EXPECT_EQ(resolved->nativeFile, "/home/me/Film.mpg");
  EXPECT_FALSE(drives.Resolve(""));

  drives.Reset();
  EXPECT_FALSE(drives.FileExists("/home/me/Film.mpg"));
}

}  // namespace
}  // namespace kavoro::os
