// The settings on the Linux registry store, in the configuration folder of the test's own
// home: a write into a full folder or a read-only one fails with its reason, and the settings
// file stays as it was, with no temporary file left beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStoreFile = "/HKEY_LOCAL_MACHINE.reg";
constexpr const char* kLockSuffix = ".lock";
// The folder's mode as the platform makes it.
constexpr mode_t kFolderMode = S_IRWXU | S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH;
constexpr uid_t kNobody = 65534;
// A child's exit code when it could not drop its rights.
constexpr int kCannotDropRights = 100;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Files in `folder` other than the store and its lock: a failed write must leave none.
std::vector<std::string> StrayFiles(const std::string& folder, const std::string& store) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string path = e.path().string();
    if (path.rfind(store, 0) == 0 && path != store && path != store + kLockSuffix)
      names.push_back(e.path().filename().string());
  }
  return names;
}

// While it lives, no file of this process may grow past `bytes`: a write beyond fails with
// EFBIG as on a full disk (the signal that would end the process is ignored). Root is held to
// the limit too.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Set() const { return set_; }

 private:
  rlimit old_{};
  sighandler_t oldHandler_ = SIG_DFL;
  bool set_ = false;
};

// Runs `body` in a process that may not write a read-only folder: this one when it is not
// root (root writes everywhere), else a child that drops to the "nobody" user. The result is
// the body's; -1 when no such process can be had.
int RunUnprivileged(const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(kCannotDropRights);
    _exit(body());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -2;
  return WEXITSTATUS(status) == kCannotDropRights ? -1 : WEXITSTATUS(status);
}

class SettingsLinuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("XDG_CONFIG_HOME"))  // run by hand: keep off the user's real settings
      GTEST_SKIP() << "needs the test home that ctest sets up";
    folder_ = os::linuxos::ConfigFolder();
    store_ = folder_ + kStoreFile;
    Settings() = kOld;
    ASSERT_TRUE(WriteSettings());
    before_ = ReadFile(store_);
    ASSERT_FALSE(before_.empty());
  }
  void TearDown() override {
    if (!folder_.empty()) chmod(folder_.c_str(), kFolderMode);
  }

  // What the store held before, and the file as it is again after a failed write.
  void ExpectOldSettingsKept() {
    EXPECT_EQ(ReadFile(store_), before_);
    EXPECT_EQ(StrayFiles(folder_, store_), std::vector<std::string>{});
    Settings() = kNew;
    ReadSettings();
    EXPECT_EQ(Settings().SkinName, kOld.SkinName);
    EXPECT_EQ(Settings().DefaultDrive, kOld.DefaultDrive);
    EXPECT_EQ(Settings().SkipIntro, kOld.SkipIntro);
  }

  // Longer than the old values, so the new file is larger than the old one.
  const TSettings kOld{"Default", "D", false};
  const TSettings kNew{"A skin with a much longer name", "E", true};
  std::string folder_;
  std::string store_;
  std::string before_;
};

TEST_F(SettingsLinuxTest, AFullFolderFailsTheWriteAndKeepsTheOldFile) {
  Settings() = kNew;
  TSettingsWriteResult result;
  {
    FileSizeLimit full(before_.size());
    ASSERT_TRUE(full.Set());
    result = WriteSettings();
  }
  EXPECT_FALSE(result);
  EXPECT_NE(result.Reason.find("\"SkinName\" could not be written"), std::string::npos)
      << result.Reason;
  ExpectOldSettingsKept();

  // With room again the same settings are saved.
  Settings() = kNew;
  EXPECT_TRUE(WriteSettings());
  ReadSettings();
  EXPECT_EQ(Settings().SkinName, kNew.SkinName);
}

TEST_F(SettingsLinuxTest, AReadOnlyFolderFailsTheWriteAndKeepsTheOldFile) {
  // As a user's own read-only folder: the store readable, the lock file usable, the folder
  // closed to new files.
  ASSERT_EQ(chmod(store_.c_str(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH), 0);
  ASSERT_EQ(chmod((store_ + kLockSuffix).c_str(),
                  S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH),
            0);
  ASSERT_EQ(chmod(folder_.c_str(), S_IRUSR | S_IXUSR | S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH), 0);
  enum Fault { kReadFailed = 1, kWriteSucceeded = 2, kNoReason = 4 };
  const int faults = RunUnprivileged([&] {
    int bad = 0;
    ReadSettings();
    if (Settings().SkinName != kOld.SkinName) bad |= kReadFailed;
    Settings() = kNew;
    const TSettingsWriteResult result = WriteSettings();
    if (result) bad |= kWriteSucceeded;
    if (result.Reason.find("\"SkinName\" could not be written") == std::string::npos)
      bad |= kNoReason;
    return bad;
  });
  chmod(folder_.c_str(), kFolderMode);
  if (faults == -1) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(faults, 0);
  ExpectOldSettingsKept();
}

}  // namespace
}  // namespace kavoro::app
