#include "platform/os/linux/DriveTable.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/linux/OpticalDrives.h"

namespace kavoro::os::linuxos {
namespace {

namespace fs = std::filesystem;

std::string Describe(const std::vector<DriveBinding>& drives) {
  std::string out;
  for (const DriveBinding& d : drives) {
    out += d.letter;
    out += d.kind == DriveBinding::Kind::Optical ? "(dev)" : "";
    out += "=" + d.path + ";";
  }
  return out;
}

TEST(DriveTable, DrivesFileKeepsOnlyWellFormedBindings) {
  struct Case {
    const char* name;
    std::string text;
    std::string drives;
  };
  const std::vector<Case> cases = {
      {"plain", "[Drives]\nE=/home/me/Movies/MYDISC\nF=/srv/x.iso\n",
       "E=/home/me/Movies/MYDISC;F=/srv/x.iso;"},
      {"crlf, blanks, lower case, bom", "\xEF\xBB\xBF[drives]\r\n  e = /a b/c  \r\n", "E=/a b/c;"},
      {"comments", "[Drives]\n; E=/no\n# F=/no\nG=/yes\n", "G=/yes;"},
      {"letters A-C and non-letters", "[Drives]\nA=/a\nB=/b\nC=/c\n1=/1\nEE=/ee\n=/x\nD=/d\n",
       "D=/d;"},
      {"relative and empty paths", "[Drives]\nE=relative/path\nF=\nG=./x\nH=/ok\n", "H=/ok;"},
      {"first binding wins", "[Drives]\nE=/first\ne=/second\n", "E=/first;"},
      {"other sections", "E=/before\n[Other]\nF=/other\n[Drives]\nG=/g\n[More]\nH=/h\n", "G=/g;"},
      {"garbage", "\x01\x02 binary\n[Drives\nE=/x\n]]\n==\n", ""},
      {"no section", "", ""},
      {"nul in path", std::string("[Drives]\nE=/a") + '\0' + "b\nF=/f\n", "F=/f;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Describe(ParseDrivesIni(c.text)), c.drives);
  }
}

TEST(DriveTable, OpticalDrivesTakeTheFreeLettersFromD) {
  std::vector<DriveBinding> virtuals = ParseDrivesIni("[Drives]\nE=/e\nD=/d\nG=/g\n");
  EXPECT_EQ(Describe(AssignDriveLetters(virtuals, {"/dev/sr0", "/dev/sr1", "/dev/sr2"})),
            "D=/d;E=/e;F(dev)=/dev/sr0;G=/g;H(dev)=/dev/sr1;I(dev)=/dev/sr2;");
  EXPECT_EQ(Describe(AssignDriveLetters({}, {"/dev/sr0"})), "D(dev)=/dev/sr0;");

  std::vector<std::string> many;
  for (int i = 0; i < 30; ++i) many.push_back("/dev/sr" + std::to_string(i));
  std::vector<DriveBinding> full = AssignDriveLetters({}, many);
  ASSERT_EQ(full.size(), 23u);
  EXPECT_EQ(full.back().letter, 'Z');
  EXPECT_EQ(full.back().path, "/dev/sr22");
}

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kavoro-drives-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path root_;
};

using OpticalDrivesTest = TempFolder;

TEST_F(OpticalDrivesTest, DevicesAreTheSrNodesInNumericOrder) {
  for (const char* name : {"sr10", "sr2", "sr0", "sr", "sra", "sda", "srx1", "sg0"}) {
    std::ofstream(root_ / name) << "";
  }
  std::string dev = root_.string();
  EXPECT_EQ(OpticalDevices(dev),
            (std::vector<std::string>{dev + "/sr0", dev + "/sr2", dev + "/sr10"}));
  EXPECT_TRUE(OpticalDevices((root_ / "missing").string()).empty());
  // A node that is no drive never reports a disc.
  EXPECT_FALSE(DiscReady(dev + "/sr0"));
  EXPECT_FALSE(DiscReady(dev + "/missing"));
}

TEST_F(OpticalDrivesTest, MountPointFromTheMountTable) {
  fs::path device = root_ / "sr0";
  std::ofstream(device) << "";
  fs::create_symlink(device, root_ / "cdrom");
  const std::string table =
      "proc /proc proc rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n" +
      (root_ / "cdrom").string() + " /media/me/MY\\040DISC\\134x iso9660 ro 0 0\n" +
      device.string() + " /second iso9660 ro 0 0\n";
  EXPECT_EQ(MountPointIn(table, device.string()), "/media/me/MY DISC\\x");
  EXPECT_EQ(MountPointIn(table, (root_ / "sr1").string()), "");
  EXPECT_EQ(MountPointIn("garbage\n\n  \n", device.string()), "");
}

}  // namespace
}  // namespace kavoro::os::linuxos
