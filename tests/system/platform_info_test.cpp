// platform-info as a user runs it: a drives file binding letters to folders and images, and
// the table it prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  return out;
}

TEST(PlatformInfoTest, ListsBoundDrivesWithStateLabelKindAndCaption) {
  const fs::path home = fs::path(std::getenv("HOME")) / "platform-info";
  fs::remove_all(home);
  for (const char* d : {"MYDISC/AUDIO_TS", "MYDISC/VIDEO_TS", "MYVCD/EXT", "MYVCD/CDI", "MYVCD/MPEGAV",
                        "MYVCD/SEGMENT", "MYVCD/VCD", "THREE/AUDIO_TS", "THREE/VIDEO_TS", "THREE/EXTRA",
                        "iso-src/VIDEO_TS", "iso-src/AUDIO_TS", "config/kavoro"})
    fs::create_directories(home / d);
  std::ofstream(home / "iso-src/VIDEO_TS/VIDEO_TS.IFO") << "x";
  std::string isoLine;
  const fs::path iso = home / "film.iso";
  if (std::system(("genisoimage -quiet -V FILMDISC -o " + iso.string() + " " + (home / "iso-src").string() +
                   " 2>/dev/null").c_str()) == 0)
    isoLine = "I=" + iso.string() + "\n";
  std::ofstream(home / "config/kavoro/drives.ini")
      << "[Drives]\nE=" << (home / "MYDISC").string() << "\nF=" << (home / "MYVCD").string()
      << "\nG=" << (home / "THREE").string() << "\nH=" << (home / "missing").string()
      << "\nnot a drive line\n" << isoLine;

  const std::string out = RunCommand("XDG_CONFIG_HOME=" + (home / "config").string() + " XDG_DATA_HOME=" +
                              (home / "data").string() + " " PLATFORM_INFO " 2>&1");
  EXPECT_NE(out.find("E:\\\tY\tMYDISC\t1\tE:\\MYDISC\n"), std::string::npos) << out;
  EXPECT_NE(out.find("F:\\\tY\tMYVCD\t2\tF:\\MYVCD\n"), std::string::npos) << out;
  EXPECT_NE(out.find("G:\\\tY\tTHREE\t0\tG:\\THREE\n"), std::string::npos) << out;
  EXPECT_NE(out.find("H:\\\tNo Disc\tUnknown Volume\t0\tH:\\No Disc\n"), std::string::npos) << out;
  if (!isoLine.empty()) {
    EXPECT_NE(out.find("I:\\\tY\tFILMDISC\t1\tI:\\FILMDISC\n"), std::string::npos) << out;
  }
  EXPECT_NE(out.find("Mixer: none"), std::string::npos) << out;
  EXPECT_NE(out.find("Master mute: on"), std::string::npos) << out;
  EXPECT_EQ(out.find("ALSA lib"), std::string::npos) << "no library noise: " << out;
}

}  // namespace
