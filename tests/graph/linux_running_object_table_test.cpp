// The real machine's running object table: one entry file per registration in a folder of
// the user's runtime folder, gone on revoke, and entries of ended processes not listed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/os/linux/LinuxRunningObjectTable.h"

namespace kavoro::os::linuxos {
namespace {

namespace fs = std::filesystem;

class LinuxRunningObjectTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ::testing::TempDir() + "rot_test_" + std::to_string(::getpid());
    fs::remove_all(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::size_t Files() const {
    if (!fs::exists(folder)) return 0;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
  }
  std::string folder;
};

TEST_F(LinuxRunningObjectTableTest, RegistrationsAreListedUntilRevoked) {
  LinuxRunningObjectTable table(folder);
  std::uint32_t me = table.CurrentProcessId();
  EXPECT_EQ(me, static_cast<std::uint32_t>(::getpid()));
  EXPECT_TRUE(table.List().empty());

  std::uint32_t a = table.Register("!FilterGraph 1 pid 2", me, "filter graph (normal)");
  std::uint32_t b = table.Register("!second\nline", me, "two");
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(Files(), 2u);

  // Another table object of the same user sees the entries.
  LinuxRunningObjectTable other(folder);
  auto entries = other.List();
  ASSERT_EQ(entries.size(), 2u);
  std::sort(entries.begin(), entries.end(),
            [](const auto& x, const auto& y) { return x.name < y.name; });
  EXPECT_EQ(entries[0], (RunningObjectEntry{"!FilterGraph 1 pid 2", me, "filter graph (normal)"}));
  EXPECT_EQ(entries[1].name, "!second line") << "a line break cannot split an entry";

  EXPECT_TRUE(table.Revoke(a));
  EXPECT_FALSE(table.Revoke(a));
  EXPECT_FALSE(table.Revoke(0));
  EXPECT_EQ(table.List().size(), 1u);
  EXPECT_TRUE(table.Revoke(b));
  EXPECT_TRUE(table.List().empty());
  EXPECT_EQ(Files(), 0u);
}

TEST_F(LinuxRunningObjectTableTest, EntriesOfEndedProcessesAreIgnored) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);

  LinuxRunningObjectTable table(folder);
  std::uint32_t mine = table.Register("!mine", table.CurrentProcessId(), "");
  ASSERT_NE(mine, 0u);
  {
    std::ofstream stale(folder + "/" + std::to_string(child) + "-1.entry");
    stale << "!stale\n" << child << "\n\n";
    std::ofstream junk(folder + "/garbage.entry");
    junk << "no process line";
  }
  auto entries = table.List();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "!mine");
}

TEST_F(LinuxRunningObjectTableTest, UnwritableFolderGivesNoCookie) {
  LinuxRunningObjectTable table("/proc/no-such-place/rot");
  EXPECT_EQ(table.Register("!x", table.CurrentProcessId(), ""), 0u);
  EXPECT_TRUE(table.List().empty());
}

}  // namespace
}  // namespace kavoro::os::linuxos

#ifdef KAVORO_GRAPH_LIST
namespace kavoro::os::linuxos {
namespace {

TEST(GraphListToolTest, ListsTheGraphsRegisteredInTheUsersTable) {
  LinuxRunningObjectTable table(RunningObjectFolder());
  std::uint32_t cookie =
      table.Register("!FilterGraph 00AB pid 12", table.CurrentProcessId(), "filter graph (DVD)");
  ASSERT_NE(cookie, 0u);
  std::string out;
  if (FILE* p = ::popen(KAVORO_GRAPH_LIST, "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(::pclose(p), 0);
  }
  EXPECT_EQ(out, std::to_string(::getpid()) + "\t!FilterGraph 00AB pid 12\tfilter graph (DVD)\n");
  table.Revoke(cookie);
}

}  // namespace
}  // namespace kavoro::os::linuxos
#endif
