#include "platform/os/linux/LinuxDrives.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::os::linuxos {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const DirEntry& e : entries) names.push_back(e.name);
  return names;
}

const DirEntry* Entry(const std::vector<DirEntry>& entries, const std::string& name) {
  for (const DirEntry& e : entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

bool HaveGenisoimage() { return std::system("command -v genisoimage >/dev/null 2>&1") == 0; }

class LinuxDrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kavoro-drives-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1), 0);
    iniPath_ = ConfigFolder() + "/drives.ini";
    fs::create_directories(root_ / "dev");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  LinuxDrives Drives() const { return LinuxDrives(iniPath_, (root_ / "dev").string()); }

  void WriteIni(const std::string& text) const { std::ofstream(iniPath_) << text; }
  void BindE(const fs::path& path) const { WriteIni("[Drives]\nE=" + path.string() + "\n"); }

  fs::path Folder(const std::string& relative) const {
    fs::create_directories(root_ / relative);
    return root_ / relative;
  }
  fs::path File(const std::string& relative, const std::string& content = "") const {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << content;
    return root_ / relative;
  }
  // An image of `source` made by genisoimage with `options`; empty path when it failed.
  fs::path Iso(const fs::path& source, const std::string& options) const {
    fs::path iso = root_ / ("image" + std::to_string(++images_) + ".iso");
    std::string command = "cd '" + source.string() + "' && genisoimage -quiet " + options +
                          " -o '" + iso.string() + "' . 2>/dev/null";
    return std::system(command.c_str()) == 0 && fs::exists(iso) ? iso : fs::path();
  }

  fs::path root_;
  std::string iniPath_;
  mutable int images_ = 0;
};

TEST_F(LinuxDrivesTest, FolderDriveIsADiscNamedAfterItsFolder) {
  fs::path disc = Folder("Movies/MYDISC");
  Folder("Movies/MYDISC/AUDIO_TS");
  File("Movies/MYDISC/VIDEO_TS/VIDEO_TS.IFO", "12345");
  WriteIni("[Drives]\nE=" + disc.string() + "/\n");
  LinuxDrives drives = Drives();

  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);
  EXPECT_EQ(drives.GetDriveType("e:"), DRIVE_CDROM);
  EXPECT_EQ(drives.GetDriveType("D:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(drives.GetDriveType("C:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(drives.GetDriveType("E:\\VIDEO_TS"), DRIVE_NO_ROOT_DIR);
  std::optional<VolumeInfo> volume = drives.GetVolumeInformation("E:\\");
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->label, "MYDISC");
  EXPECT_EQ(volume->fileSystem, "FOLDER");

  std::vector<DirEntry> root = drives.ListFolder("E:\\", false);
  EXPECT_EQ(Names(root), (std::vector<std::string>{"AUDIO_TS", "VIDEO_TS"}));
  for (const DirEntry& e : root) EXPECT_TRUE(e.IsDirectory()) << e.name;
  std::vector<DirEntry> video = drives.ListFolder("E:\\VIDEO_TS", false);
  ASSERT_EQ(video.size(), 1u);
  EXPECT_EQ(video[0].name, "VIDEO_TS.IFO");
  EXPECT_EQ(video[0].size, 5u);
  EXPECT_FALSE(video[0].IsDirectory());

  EXPECT_TRUE(drives.DirectoryExists("E:\\"));
  EXPECT_TRUE(drives.DirectoryExists("E:\\AUDIO_TS"));
  EXPECT_FALSE(drives.DirectoryExists("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  EXPECT_TRUE(drives.FileExists("E:/VIDEO_TS/VIDEO_TS.IFO"));
  EXPECT_FALSE(drives.FileExists("E:\\VIDEO_TS"));
  EXPECT_FALSE(drives.FileExists("E:\\VIDEO_TS\\VTS_01_0.IFO"));

  std::optional<ResolvedPath> resolved = drives.Resolve("E:\\VIDEO_TS\\VIDEO_TS.IFO");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->medium, DriveMedium::Folder);
  EXPECT_EQ(resolved->native, disc.string() + "/");
  EXPECT_EQ(resolved->relative, "VIDEO_TS/VIDEO_TS.IFO");
  EXPECT_TRUE(fs::equivalent(resolved->nativeFile, disc / "VIDEO_TS/VIDEO_TS.IFO"));
}

TEST_F(LinuxDrivesTest, DotNamesAreHiddenAndLeftOutOfListings) {
  fs::path disc = Folder("VCDCOPY");
  for (const char* folder : {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD", ".sixth"}) {
    Folder(std::string("VCDCOPY/") + folder);
  }
  File("VCDCOPY/.hidden");
  File("VCDCOPY/INFO.TXT", "x");
  BindE(disc);
  LinuxDrives drives = Drives();

  EXPECT_EQ(Names(drives.ListFolder("E:\\", false)),
            (std::vector<std::string>{"CDI", "EXT", "INFO.TXT", "MPEGAV", "SEGMENT", "VCD"}));
  std::vector<DirEntry> all = drives.ListFolder("E:\\", true);
  ASSERT_EQ(all.size(), 8u);
  ASSERT_TRUE(Entry(all, ".sixth"));
  EXPECT_EQ(Entry(all, ".sixth")->attributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(Entry(all, ".hidden"));
  EXPECT_EQ(Entry(all, ".hidden")->attributes, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Entry(all, "VCD")->attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(drives.DirectoryExists("E:\\.sixth"));
}

TEST_F(LinuxDrivesTest, DriveNamesMatchWithoutCaseExactFirst) {
  fs::path disc = Folder("lower");
  File("lower/video_ts/Video_Ts.Ifo", "abc");
  Folder("lower/audio_ts");
  File("lower/Dir/inner", "mixed");
  File("lower/DIR/INNER", "upper");
  BindE(disc);
  LinuxDrives drives = Drives();

  EXPECT_TRUE(drives.DirectoryExists("E:\\VIDEO_TS"));
  EXPECT_TRUE(drives.DirectoryExists("E:\\AUDIO_TS"));
  EXPECT_TRUE(drives.FileExists("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  EXPECT_EQ(Names(drives.ListFolder("E:\\VIDEO_TS", false)),
            std::vector<std::string>{"Video_Ts.Ifo"});
  std::optional<ResolvedPath> resolved = drives.Resolve("E:\\VIDEO_TS\\VIDEO_TS.IFO");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->relative, "video_ts/Video_Ts.Ifo");
  EXPECT_EQ(resolved->nativeFile, (disc / "video_ts/Video_Ts.Ifo").string());

  EXPECT_EQ(Names(drives.ListFolder("E:\\Dir", false)), std::vector<std::string>{"inner"});
  EXPECT_EQ(Names(drives.ListFolder("E:\\DIR", false)), std::vector<std::string>{"INNER"});
  EXPECT_EQ(Names(drives.ListFolder("E:\\dir", false)), std::vector<std::string>{"INNER"});
  // Native paths are Linux paths: taken as they are.
  EXPECT_FALSE(drives.DirectoryExists((disc / "VIDEO_TS").string()));
}

TEST_F(LinuxDrivesTest, MissingFolderIsADriveWithoutDisc) {
  BindE(root_ / "not-there");
  LinuxDrives drives = Drives();
  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);
  EXPECT_FALSE(drives.GetVolumeInformation("E:\\"));
  EXPECT_TRUE(drives.ListFolder("E:\\", true).empty());
  EXPECT_FALSE(drives.DirectoryExists("E:\\"));
  EXPECT_FALSE(drives.Resolve("E:\\VIDEO_TS\\VIDEO_TS.IFO"));

  if (::geteuid() != 0) {  // permissions do not stop root
    fs::path locked = Folder("locked");
    ::chmod(locked.c_str(), 0);
    BindE(locked);
    EXPECT_FALSE(drives.GetVolumeInformation("E:\\"));
    ::chmod(locked.c_str(), S_IRWXU);
  }
}

TEST_F(LinuxDrivesTest, BrokenDrivesFileMeansNoVirtualDrives) {
  struct Case {
    const char* name;
    void (*make)(const std::string& ini);
  };
  const std::vector<Case> cases = {
      {"missing", [](const std::string&) {}},
      {"garbage", [](const std::string& ini) { std::ofstream(ini) << "\x7f\x01\n[Drives\nE\n"; }},
      {"a folder", [](const std::string& ini) { fs::create_directories(ini); }},
      // Opening a FIFO for reading would wait for a writer forever.
      {"a fifo", [](const std::string& ini) { ::mkfifo(ini.c_str(), S_IRUSR | S_IWUSR); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    fs::remove_all(iniPath_, ec);
    c.make(iniPath_);
    LinuxDrives drives = Drives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      EXPECT_EQ(drives.GetDriveType(std::string{letter, ':', '\\'}), DRIVE_NO_ROOT_DIR);
    }
  }
}

TEST_F(LinuxDrivesTest, EveryCallLooksAfresh) {
  fs::path first = Folder("FIRST");
  fs::path second = Folder("SECOND");
  LinuxDrives drives = Drives();
  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_NO_ROOT_DIR);
  BindE(first);
  EXPECT_EQ(drives.GetVolumeInformation("E:\\")->label, "FIRST");
  BindE(second);
  EXPECT_EQ(drives.GetVolumeInformation("E:\\")->label, "SECOND");
  fs::remove(second);
  EXPECT_FALSE(drives.GetVolumeInformation("E:\\"));
  fs::remove(iniPath_);
  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(LinuxDrivesTest, DrivePathsStayInsideTheirFolder) {
  fs::path disc = Folder("jail/DISC");
  File("jail/secret.txt", "s");
  BindE(disc);
  LinuxDrives drives = Drives();
  EXPECT_FALSE(drives.FileExists("E:\\..\\secret.txt"));
  EXPECT_TRUE(drives.ListFolder("E:\\..", true).empty());
  std::optional<ResolvedPath> resolved = drives.Resolve("E:\\..\\..\\secret.txt");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->relative, "secret.txt");
  EXPECT_EQ(resolved->nativeFile, (disc / "secret.txt").string());
}

TEST_F(LinuxDrivesTest, NativePathsAreUsedAsTheyAre) {
  fs::path folder = Folder("native");
  fs::path file = File("native/film.mpg", "1234");
  File("native/.dot");
  LinuxDrives drives = Drives();
  EXPECT_TRUE(drives.DirectoryExists(folder.string()));
  EXPECT_TRUE(drives.FileExists(file.string()));
  EXPECT_FALSE(drives.FileExists(folder.string()));
  EXPECT_EQ(Names(drives.ListFolder(folder.string(), false)), std::vector<std::string>{"film.mpg"});
  EXPECT_EQ(drives.ListFolder(folder.string(), true).size(), 2u);

  std::optional<ResolvedPath> resolved = drives.Resolve(file.string());
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->medium, DriveMedium::Folder);
  EXPECT_EQ(resolved->native, file.string());
  EXPECT_EQ(resolved->nativeFile, file.string());

  // A NUL would cut the path short: "<folder>\0/x" must not name the folder.
  std::string withNul = folder.string() + std::string(1, '\0') + "/x";
  EXPECT_FALSE(drives.DirectoryExists(withNul));
  EXPECT_FALSE(drives.Resolve(withNul));
  EXPECT_FALSE(drives.DirectoryExists(""));
  EXPECT_FALSE(drives.Resolve(""));
}

TEST_F(LinuxDrivesTest, OpticalDrivesTakeTheLettersLeftAndNeedADisc) {
  // Nodes that are no drives: listed as drives, never holding a disc.
  File("dev/sr1");
  File("dev/sr0");
  BindE(Folder("DISC"));
  LinuxDrives drives = Drives();
  EXPECT_EQ(drives.GetDriveType("D:\\"), DRIVE_CDROM);
  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);
  EXPECT_EQ(drives.GetDriveType("F:\\"), DRIVE_CDROM);
  EXPECT_EQ(drives.GetDriveType("G:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_FALSE(drives.GetVolumeInformation("D:\\"));
  EXPECT_FALSE(drives.GetVolumeInformation("F:\\"));
  EXPECT_EQ(drives.GetVolumeInformation("E:\\")->label, "DISC");
  EXPECT_FALSE(drives.Resolve("D:\\VIDEO_TS"));
  EXPECT_TRUE(drives.ListFolder("F:\\", true).empty());
}

TEST_F(LinuxDrivesTest, IsoImageDriveListsTheImage) {
  if (!HaveGenisoimage()) GTEST_SKIP() << "genisoimage is not on PATH";
  fs::path source = Folder("src");
  Folder("src/AUDIO_TS");
  File("src/VIDEO_TS/VIDEO_TS.IFO", "hello");
  File("src/README", "r");
  File("src/hid.txt", "h");
  fs::path iso = Iso(source, "-V MYDISC -hidden hid.txt");
  ASSERT_FALSE(iso.empty());
  BindE(iso);
  LinuxDrives drives = Drives();

  EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);
  std::optional<VolumeInfo> volume = drives.GetVolumeInformation("E:\\");
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->label, "MYDISC");
  EXPECT_EQ(volume->fileSystem, "CDFS");

  // Plain ISO names: the ";1" version and the trailing '.' of "README." are dropped.
  std::vector<DirEntry> root = drives.ListFolder("E:\\", false);
  EXPECT_EQ(Names(root), (std::vector<std::string>{"AUDIO_TS", "README", "VIDEO_TS"}));
  EXPECT_TRUE(Entry(root, "VIDEO_TS")->IsDirectory());
  EXPECT_EQ(Entry(root, "README")->size, 1u);
  std::vector<DirEntry> all = drives.ListFolder("E:\\", true);
  ASSERT_TRUE(Entry(all, "HID.TXT"));
  EXPECT_EQ(Entry(all, "HID.TXT")->attributes, FILE_ATTRIBUTE_HIDDEN);

  std::vector<DirEntry> video = drives.ListFolder("e:\\video_ts", false);
  ASSERT_EQ(video.size(), 1u);
  EXPECT_EQ(video[0].name, "VIDEO_TS.IFO");
  EXPECT_EQ(video[0].size, 5u);
  EXPECT_TRUE(drives.FileExists("E:\\VIDEO_TS\\video_ts.ifo"));
  EXPECT_TRUE(drives.DirectoryExists("E:\\AUDIO_TS"));
  EXPECT_FALSE(drives.DirectoryExists("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  EXPECT_FALSE(drives.FileExists("E:\\VIDEO_TS\\VIDEO_TS.IFO\\x"));
  EXPECT_TRUE(drives.ListFolder("E:\\README", true).empty());

  std::optional<ResolvedPath> resolved = drives.Resolve("E:\\video_ts\\video_ts.ifo");
  ASSERT_TRUE(resolved);
  EXPECT_EQ(resolved->medium, DriveMedium::Image);
  EXPECT_EQ(resolved->native, iso.string());
  EXPECT_EQ(resolved->relative, "VIDEO_TS/VIDEO_TS.IFO");
  EXPECT_TRUE(resolved->nativeFile.empty());
  EXPECT_TRUE(resolved->mountPoint.empty());
}

TEST_F(LinuxDrivesTest, IsoImageNamesFromItsExtensions) {
  if (!HaveGenisoimage()) GTEST_SKIP() << "genisoimage is not on PATH";
  fs::path source = Folder("mixed");
  File("mixed/Video_TS/Video_TS.ifo", "x");
  File("mixed/Notes.txt", "n");
  File("mixed/hid.txt", "h");
  struct Case {
    std::string options;
    std::string label;
    std::vector<std::string> names;
    std::string fileSystem;
  };
  const std::vector<Case> cases = {
      {"-V 'MY DISC'", "MY DISC", {"NOTES.TXT", "VIDEO_TS"}, "CDFS"},
      {"-V JOLIET -J", "JOLIET", {"Notes.txt", "Video_TS"}, "CDFS"},
      {"-V ROCK -R", "ROCK", {"Notes.txt", "Video_TS"}, "CDFS"},
      {"-V BOTH -J -R", "BOTH", {"Notes.txt", "Video_TS"}, "CDFS"},
      {"-V BRIDGE -udf", "BRIDGE", {"NOTES.TXT", "VIDEO_TS"}, "UDF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    fs::path iso = Iso(source, c.options + " -hidden hid.txt");
    ASSERT_FALSE(iso.empty());
    BindE(iso);
    LinuxDrives drives = Drives();
    std::optional<VolumeInfo> volume = drives.GetVolumeInformation("E:\\");
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->label, c.label);
    EXPECT_EQ(volume->fileSystem, c.fileSystem);
    EXPECT_EQ(Names(drives.ListFolder("E:\\", false)), c.names);
    EXPECT_EQ(drives.ListFolder("E:\\", true).size(), c.names.size() + 1);
    EXPECT_TRUE(drives.FileExists("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  }
}

TEST_F(LinuxDrivesTest, WhatIsNoWholeIsoImageIsNoDisc) {
  if (!HaveGenisoimage()) GTEST_SKIP() << "genisoimage is not on PATH";
  fs::path source = Folder("whole");
  File("whole/VIDEO_TS/VIDEO_TS.IFO", std::string(10000, 'v'));
  Folder("whole/AUDIO_TS");
  fs::path iso = Iso(source, "-V WHOLE");
  ASSERT_FALSE(iso.empty());
  const std::uintmax_t size = fs::file_size(iso);
  constexpr std::uintmax_t kSector = 2048;
  constexpr std::uintmax_t kPvdEnd = 17 * kSector;

  struct Case {
    std::string name;
    fs::path path;
  };
  std::vector<Case> cases = {
      {"text file", File("notes.iso", "this is not an image\n")},
      {"empty file", File("empty.iso")},
      {"zeros", File("zeros.iso", std::string(40 * kSector, '\0'))},
  };
  for (std::uintmax_t length : {kPvdEnd - 100, kPvdEnd, kPvdEnd + kSector, size / 2, size - 1}) {
    fs::path cut = root_ / ("cut" + std::to_string(length) + ".iso");
    fs::copy_file(iso, cut);
    fs::resize_file(cut, length);
    cases.push_back({"cut to " + std::to_string(length), cut});
  }
  fs::path fifo = root_ / "fifo.iso";
  ASSERT_EQ(::mkfifo(fifo.c_str(), S_IRUSR | S_IWUSR), 0);
  cases.push_back({"fifo", fifo});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BindE(c.path);
    LinuxDrives drives = Drives();
    EXPECT_EQ(drives.GetDriveType("E:\\"), DRIVE_CDROM);
    EXPECT_FALSE(drives.GetVolumeInformation("E:\\"));
    EXPECT_TRUE(drives.ListFolder("E:\\", true).empty());
    EXPECT_FALSE(drives.DirectoryExists("E:\\VIDEO_TS"));
    EXPECT_FALSE(drives.Resolve("E:\\VIDEO_TS\\VIDEO_TS.IFO"));
  }

  BindE(iso);
  EXPECT_EQ(Drives().GetVolumeInformation("E:\\")->label, "WHOLE");
}

}  // namespace
}  // namespace kavoro::os::linuxos
