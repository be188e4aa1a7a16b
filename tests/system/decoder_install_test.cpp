#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/os/Application.h"
#include "platform/os/ResourceArchive.h"
#include "platform/os/sim/SimPlatform.h"
#include "system/DecoderInstall.h"

namespace kavoro {
namespace {
namespace fs = std::filesystem;
using os::Sim;

class DecoderInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sim().Reset();
    appDir_ = fs::path(Sim().Processes().SystemFolder()).parent_path() / "app";
    fs::remove_all(appDir_);
    fs::create_directories(appDir_);
    os::SetApplicationFolder(appDir_.string());
  }
  void TearDown() override { fs::remove_all(appDir_); }

  void WriteLibrary(std::vector<os::Resource> resources) {
    ASSERT_TRUE(os::WriteResourceArchive((appDir_ / kResourceLibraryName).string(), resources));
  }
  static std::vector<os::Resource> AllThree() {
    return {{"RCs", "res_1", {'V', 1}}, {"RCs", "res_2", {'A', 2}}, {"RCs", "res_3", {'M', 3}}};
  }
  static std::string Sys(const char* file) { return Sim().Processes().SystemFolder() + "/" + file; }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path appDir_;
};

TEST_F(DecoderInstallTest, WritesEachDecoderAndStartsItsRegistrationHidden) {
  WriteLibrary(AllThree());
  InstallDecoders();
  EXPECT_EQ(Contents(Sys("MPEGV.ax")), std::string("V\x01", 2));
  EXPECT_EQ(Contents(Sys("MPEGA.ax")), std::string("A\x02", 2));
  EXPECT_EQ(Contents(Sys("MPGAudio.ax")), std::string("M\x03", 2));
  const auto& started = Sim().Processes().Started();
  ASSERT_EQ(started.size(), 3u);
  const char* files[] = {"MPEGV.ax", "MPEGA.ax", "MPGAudio.ax"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(started[i].program, Sys("RegSvr32.exe"));
    EXPECT_EQ(started[i].commandLine, " /s \"" + Sys(files[i]) + "\"");
    EXPECT_TRUE(started[i].hidden);
  }
  EXPECT_TRUE(RemoveDecoders());
  for (const char* f : files) EXPECT_FALSE(fs::exists(Sys(f))) << f;
  EXPECT_TRUE(RemoveDecoders()) << "nothing left to delete is still success";
}

TEST_F(DecoderInstallTest, OverwritesDecodersLeftFromAnEarlierRun) {
  for (const char* f : {"MPEGV.ax", "MPEGA.ax", "MPGAudio.ax"}) std::ofstream(Sys(f)) << "stale and longer";
  WriteLibrary(AllThree());
  InstallDecoders();
  EXPECT_EQ(Contents(Sys("MPEGV.ax")), std::string("V\x01", 2));
  EXPECT_EQ(Sim().Processes().Started().size(), 3u);
}

TEST_F(DecoderInstallTest, WithoutTheLibraryOrWithADamagedOneNothingIsInstalled) {
  InstallDecoders();
  std::ofstream(appDir_ / kResourceLibraryName) << "MZ not an archive";
  InstallDecoders();
  EXPECT_FALSE(fs::exists(Sys("MPEGV.ax")));
  EXPECT_TRUE(Sim().Processes().Started().empty());
}

TEST_F(DecoderInstallTest, AMissingResourceStopsAtItsRowAndKeepsTheRowsDone) {
  WriteLibrary({{"RCs", "res_1", {'V'}}, {"RCs", "res_3", {'M'}}});
  EXPECT_THROW(InstallDecoders(), DecoderInstallError);
  EXPECT_TRUE(fs::exists(Sys("MPEGV.ax")));
  EXPECT_FALSE(fs::exists(Sys("MPEGA.ax")));
  EXPECT_FALSE(fs::exists(Sys("MPGAudio.ax")));
  EXPECT_EQ(Sim().Processes().Started().size(), 1u);
}

TEST_F(DecoderInstallTest, RegistrationNeedsTheFileAndAStartedProcess) {
  EXPECT_FALSE(RegisterDecoder(Sys("MPEGV.ax")));
  EXPECT_TRUE(Sim().Processes().Started().empty());
  std::ofstream(Sys("MPEGV.ax")) << "x";
  Sim().Processes().SetStartResult(false);
  EXPECT_FALSE(RegisterDecoder(Sys("MPEGV.ax")));
  Sim().Processes().SetStartResult(true);
  EXPECT_TRUE(RegisterDecoder(Sys("MPEGV.ax")));
}

TEST(DecoderCommandLineTest, SeparatorsAndSwitches) {
  EXPECT_EQ(RegistrationCommandLine("C:\\WINDOWS\\system32\\MPEGV.ax", false),
            " /s \"C:\\WINDOWS\\system32\\MPEGV.ax\"");
  EXPECT_EQ(RegistrationCommandLine("C:\\WINDOWS\\system32\\MPEGV.ax", true),
            " /s /u \"C:\\WINDOWS\\system32\\MPEGV.ax\"");
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {"d", "d:\\"},
      {"Z", "Z:\\"},
      {"C:", "C:"},
      {"C:\\", "C:\\"},
      {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\"},
      {"1", "1\\"},
      {"/home/me/.local/share/kavoro/system", "/home/me/.local/share/kavoro/system/"},
      {"/", "/"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithTrailingSeparator(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace kavoro
