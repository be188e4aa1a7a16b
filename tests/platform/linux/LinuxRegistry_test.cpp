// The Linux registry store on a temporary folder: persistence, sharing between processes,
// damaged files, unwritable folders, and RegistryKey on top of Os().
#include "platform/os/linux/LinuxRegistry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/os/Platform.h"
#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::os::linuxos {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> DamagedCopies(const std::string& folder, const std::string& store) {
  std::vector<std::string> out;
  for (const auto& name : FilesIn(folder))
    if (name.rfind(store + ".damaged-", 0) == 0) out.push_back(folder + "/" + name);
  return out;
}

class LinuxRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "kavoro-registry-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    folder_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder_, ec);
  }
  std::string Lm() const { return folder_ + "/HKEY_LOCAL_MACHINE.reg"; }
  std::string Cu() const { return folder_ + "/HKEY_CURRENT_USER.reg"; }

  std::string folder_;
};

TEST_F(LinuxRegistryTest, ValuesPersistAcrossInstances) {
  {
    LinuxRegistry r(folder_);
    EXPECT_FALSE(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"));
    EXPECT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin",
                             std::string("Default \"blue\"\n\\")));
    EXPECT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Volume",
                             std::uint32_t{0xABCD1234}));
    EXPECT_TRUE(r.WriteValue(HKEY_CLASSES_ROOT, "CLSID\\{1}", "", std::string("Filter")));
    EXPECT_TRUE(r.CreateKey(HKEY_CURRENT_USER, "Empty\\Key"));
  }
  EXPECT_TRUE(fs::exists(Lm()));
  EXPECT_TRUE(fs::exists(Cu()));
  EXPECT_EQ(ReadFile(Lm()).rfind("KavoroRegistry 1\n", 0), 0u);
  EXPECT_NE(ReadFile(Lm()).find("[SOFTWARE\\\\Classes\\\\CLSID\\\\{1}]"), std::string::npos);

  LinuxRegistry r(folder_);
  EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "software\\kavoro", "SKIN"),
            RegValue(std::string("Default \"blue\"\n\\")));
  EXPECT_EQ(r.ReadValue(HKEY_CURRENT_USER, "\\Control Panel\\Desktop\\", "volume"),
            RegValue(std::uint32_t{0xABCD1234}));
  EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1}", ""),
            RegValue(std::string("Filter")));
  EXPECT_TRUE(r.KeyExists(HKEY_CURRENT_USER, "empty\\key"));
  EXPECT_EQ(r.SubKeyNames(HKEY_CLASSES_ROOT, ""), (Names{"CLSID"}));
  EXPECT_EQ(r.ValueNames(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"), (Names{"Skin"}));

  EXPECT_TRUE(r.DeleteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "skin"));
  EXPECT_FALSE(r.DeleteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "skin"));
  EXPECT_TRUE(r.DeleteKey(HKEY_CURRENT_USER, "Empty"));
  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, "Empty"));
  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, ""));
  LinuxRegistry again(folder_);
  EXPECT_FALSE(again.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"));
  EXPECT_TRUE(again.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
  EXPECT_FALSE(again.KeyExists(HKEY_CURRENT_USER, "Empty\\Key"));
}

TEST_F(LinuxRegistryTest, NoTempFilesAreLeftAndTheFolderIsCreated) {
  std::string sub = folder_ + "/deeper/kavoro";
  LinuxRegistry r(sub);
  EXPECT_FALSE(r.KeyExists(HKEY_CURRENT_USER, "K"));  // reading creates nothing
  EXPECT_FALSE(fs::exists(sub));
  for (std::uint32_t i = 0; i < 20; ++i) ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", i));
  EXPECT_EQ(FilesIn(sub), (Names{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

TEST_F(LinuxRegistryTest, TwoInstancesSeeAndKeepEachOthersWrites) {
  LinuxRegistry player(folder_), regsvr(folder_);
  ASSERT_TRUE(player.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin", std::string("A")));
  // The other one reads the change, then writes its own entry on top of it.
  EXPECT_EQ(regsvr.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"),
            RegValue(std::string("A")));
  ASSERT_TRUE(regsvr.WriteValue(HKEY_CLASSES_ROOT, "CLSID\\{F}", "", std::string("Filter")));
  // The player has a stale copy in memory; its next write must not drop the filter.
  ASSERT_TRUE(player.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin", std::string("B")));
  EXPECT_EQ(player.ReadValue(HKEY_CLASSES_ROOT, "CLSID\\{F}", ""), RegValue(std::string("Filter")));
  EXPECT_EQ(regsvr.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"),
            RegValue(std::string("B")));  // same size as "A": noticed all the same
  ASSERT_TRUE(regsvr.DeleteKey(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_FALSE(player.KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{F}"));
  ASSERT_TRUE(player.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "N", std::uint32_t{1}));
  LinuxRegistry fresh(folder_);
  EXPECT_FALSE(fresh.KeyExists(HKEY_CLASSES_ROOT, "CLSID"));  // the delete was not undone
  EXPECT_EQ(fresh.ValueNames(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"), (Names{"N", "Skin"}));
}

TEST_F(LinuxRegistryTest, ConcurrentProcessesLoseNoWrites) {
  constexpr int kProcs = 3, kWrites = 40;
  std::vector<pid_t> kids;
  for (int p = 0; p < kProcs; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      LinuxRegistry r(folder_);
      int failures = 0;
      for (int i = 0; i < kWrites; ++i)
        if (!r.WriteValue(HKEY_LOCAL_MACHINE, "P" + std::to_string(p), std::to_string(i),
                          std::uint32_t(i)))
          ++failures;
      _exit(failures);
    }
    kids.push_back(pid);
  }
  // Meanwhile this process writes too, and every read of the file is whole.
  LinuxRegistry mine(folder_);
  for (int i = 0; i < kWrites; ++i)
    ASSERT_TRUE(mine.WriteValue(HKEY_LOCAL_MACHINE, "Mine", std::to_string(i), std::uint32_t(i)));
  for (pid_t pid : kids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  LinuxRegistry check(folder_);
  for (int p = 0; p < kProcs; ++p)
    EXPECT_EQ(check.ValueNames(HKEY_LOCAL_MACHINE, "P" + std::to_string(p)).size(),
              std::size_t(kWrites));
  EXPECT_EQ(mine.ValueNames(HKEY_LOCAL_MACHINE, "Mine").size(), std::size_t(kWrites));
  EXPECT_EQ(mine.ValueNames(HKEY_LOCAL_MACHINE, "P0").size(), std::size_t(kWrites));
  EXPECT_TRUE(DamagedCopies(folder_, "HKEY_LOCAL_MACHINE.reg").empty());
}

TEST_F(LinuxRegistryTest, ReadersNeverSeeATornFile) {
  LinuxRegistry writer(folder_);
  ASSERT_TRUE(writer.WriteValue(HKEY_CURRENT_USER, "K", "v", std::string(1000, 'a')));
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, reads{0};
  std::thread reader([&] {
    while (!stop) {
      std::string text = ReadFile(Cu());
      if (RegistryTree::Parse(text).damaged) ++torn;
      ++reads;
    }
  });
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(writer.WriteValue(HKEY_CURRENT_USER, "K", "v", std::string(1000 + i * 37, 'b')));
  stop = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

TEST_F(LinuxRegistryTest, DamagedFileIsReadTolerantlyAndKeptAsideBeforeTheFirstWrite) {
  const std::string damaged =
      "KavoroRegistry 1\n"
      "[SOFTWARE\\\\KAVORO]\n"
      "\"Skin\"=\"Default\"\n"
      "\"Broken\"=\"no end\n" +
      std::string("\x00\x01\x02\xff binary junk \x7f\n", 19) +
      "\"Volume\"=dword:0000ffff\n"
      "[SOFTWARE\\\\Classes\\\\CLSID\\\\{F}]\n"
      "@=\"Filter\"\n"
      "\"Half\"=dword:00";  // cut short, no end marker
  WriteFile(Lm(), damaged);
  {
    LinuxRegistry r(folder_);
    EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"),
              RegValue(std::string("Default")));
    EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Volume"),
              RegValue(std::uint32_t{0xFFFF}));
    EXPECT_EQ(r.ReadValue(HKEY_CLASSES_ROOT, "CLSID\\{F}", ""), RegValue(std::string("Filter")));
    EXPECT_FALSE(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Broken"));
    EXPECT_FALSE(r.ReadValue(HKEY_CLASSES_ROOT, "CLSID\\{F}", "Half"));
    // Reading and no-op edits leave the file as it is.
    EXPECT_TRUE(r.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
    EXPECT_FALSE(r.DeleteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Broken"));
    EXPECT_TRUE(DamagedCopies(folder_, "HKEY_LOCAL_MACHINE.reg").empty());
    EXPECT_EQ(ReadFile(Lm()), damaged);

    ASSERT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "New", std::uint32_t{1}));
    auto copies = DamagedCopies(folder_, "HKEY_LOCAL_MACHINE.reg");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), damaged);  // the damaged bytes, kept as they were
    EXPECT_FALSE(RegistryTree::Parse(ReadFile(Lm())).damaged);
    // Later writes go over a clean file: no more copies.
    ASSERT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "New", std::uint32_t{2}));
    EXPECT_EQ(DamagedCopies(folder_, "HKEY_LOCAL_MACHINE.reg").size(), 1u);
  }
  LinuxRegistry fresh(folder_);
  EXPECT_EQ(fresh.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Skin"),
            RegValue(std::string("Default")));
  EXPECT_EQ(fresh.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Volume"),
            RegValue(std::uint32_t{0xFFFF}));
  EXPECT_EQ(fresh.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "New"),
            RegValue(std::uint32_t{2}));
  EXPECT_EQ(fresh.ReadValue(HKEY_CLASSES_ROOT, "CLSID\\{F}", ""), RegValue(std::string("Filter")));
  EXPECT_FALSE(fresh.KeyExists(HKEY_CURRENT_USER, "SOFTWARE"));  // the other root untouched
}

TEST_F(LinuxRegistryTest, FileDamagedByAnotherProcessIsKeptAsideToo) {
  LinuxRegistry r(folder_);
  ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "a", std::string("1")));
  ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "b", std::string("2")));
  // Someone else truncates the file behind our back (a crash of a careless writer).
  std::string text = ReadFile(Cu());
  std::string cut = text.substr(0, text.find("\"b\""));
  WriteFile(Cu(), cut);
  EXPECT_EQ(r.ReadValue(HKEY_CURRENT_USER, "K", "a"), RegValue(std::string("1")));
  EXPECT_FALSE(r.ReadValue(HKEY_CURRENT_USER, "K", "b"));  // the file is what counts
  ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "c", std::string("3")));
  auto copies = DamagedCopies(folder_, "HKEY_CURRENT_USER.reg");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFile(copies[0]), cut);
}

TEST_F(LinuxRegistryTest, PureJunkFileNeverCrashes) {
  std::string junk;
  std::uint32_t seed = 7;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  WriteFile(Lm(), junk);
  LinuxRegistry r(folder_);
  EXPECT_FALSE(r.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE"));
  r.SubKeyNames(HKEY_LOCAL_MACHINE, "");
  ASSERT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "K", "v", std::uint32_t{5}));
  auto copies = DamagedCopies(folder_, "HKEY_LOCAL_MACHINE.reg");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFile(copies[0]), junk);
  EXPECT_EQ(LinuxRegistry(folder_).ReadValue(HKEY_LOCAL_MACHINE, "K", "v"),
            RegValue(std::uint32_t{5}));
}

TEST_F(LinuxRegistryTest, FolderThatCannotBeCreatedFailsWritesAndReadsGoOn) {
  WriteFile(folder_ + "/plainfile", "x");
  LinuxRegistry r(folder_ + "/plainfile/kavoro");
  EXPECT_FALSE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{1}));
  EXPECT_FALSE(r.CreateKey(HKEY_CURRENT_USER, "K"));
  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, "K"));
  EXPECT_FALSE(r.ReadValue(HKEY_CURRENT_USER, "K", "v"));
  EXPECT_FALSE(r.KeyExists(HKEY_CURRENT_USER, "K"));
  EXPECT_TRUE(r.KeyExists(HKEY_CURRENT_USER, ""));
  EXPECT_TRUE(r.SubKeyNames(HKEY_CURRENT_USER, "").empty());
}

// The folder's sync after the rename fails (as on a disk that went bad under it): the new
// file is in place and every reader sees it, so the write reports success.
TEST_F(LinuxRegistryTest, AWriteIsDoneOnceItsFileIsInPlaceEvenWhenTheFolderSyncFails) {
  struct SyncFails : LinuxRegistry {
    using LinuxRegistry::LinuxRegistry;
    int syncs = 0;
    bool SyncFolder(int) override {
      ++syncs;
      return false;
    }
  } r(folder_);
  EXPECT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{7}));
  EXPECT_EQ(r.syncs, 1);
  EXPECT_EQ(LinuxRegistry(folder_).ReadValue(HKEY_CURRENT_USER, "K", "v"),
            RegValue(std::uint32_t{7}));
}

// Runs `body` in a process without the right to write the folder: this one when it is not
// root (root writes everywhere), else a child that drops to the "nobody" user. The result is
// the body's; -1 when no such process can be had.
int RunUnprivileged(const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -2;
  return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

TEST_F(LinuxRegistryTest, ReadOnlyFolderFailsWritesAndKeepsReads) {
  {
    LinuxRegistry r(folder_);
    ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::string("kept")));
  }
  const std::string before = ReadFile(Cu());
  chmod(Cu().c_str(), 0644);
  chmod((Cu() + ".lock").c_str(), 0644);
  chmod(folder_.c_str(), 0555);
  int result = RunUnprivileged([&] {
    LinuxRegistry r(folder_);
    int bad = 0;
    if (r.ReadValue(HKEY_CURRENT_USER, "K", "v") != RegValue(std::string("kept"))) bad |= 1;
    if (r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::string("new"))) bad |= 2;
    if (r.WriteValue(HKEY_CURRENT_USER, "Other", "v", std::uint32_t{1})) bad |= 4;
    if (r.CreateKey(HKEY_CURRENT_USER, "New")) bad |= 8;
    if (!r.CreateKey(HKEY_CURRENT_USER, "K")) bad |= 16;  // opening an existing key
    if (r.DeleteValue(HKEY_CURRENT_USER, "K", "v")) bad |= 32;
    if (r.ReadValue(HKEY_CURRENT_USER, "K", "v") != RegValue(std::string("kept"))) bad |= 64;
    return bad;
  });
  chmod(folder_.c_str(), 0700);
  if (result == -1) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(Cu()), before);
}

TEST_F(LinuxRegistryTest, ThreadsOfOneProcessShareAnInstance) {
  LinuxRegistry r(folder_);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&r, t] {
      for (std::uint32_t i = 0; i < 25; ++i)
        r.WriteValue(HKEY_CURRENT_USER, "T" + std::to_string(t), std::to_string(i), i);
    });
  for (auto& th : threads) th.join();
  LinuxRegistry check(folder_);
  for (int t = 0; t < 4; ++t)
    EXPECT_EQ(check.ValueNames(HKEY_CURRENT_USER, "T" + std::to_string(t)).size(), 25u);
}

// RegistryKey over the program's own store: Os() keeps it in ConfigFolder(), which the test
// runner points at a home of this test's own.
TEST(LinuxRegistryKey, WritesThroughOsLandInTheConfigFolder) {
  if (!std::getenv("XDG_CONFIG_HOME"))  // run by hand: keep off the user's real settings
    GTEST_SKIP() << "needs the test home that ctest sets up";
  const std::string path = "Software\\KavoroTests\\RegistryKey" + std::to_string(getpid());
  auto key = RegistryKey::Open(HKEY_CURRENT_USER, path, true);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->WriteString("Name", "value \"quoted\""));
  EXPECT_TRUE(key->WriteInteger("Number", 42));
  EXPECT_TRUE(key->WriteBool("Flag", true));
  EXPECT_EQ(key->ReadString("name"), "value \"quoted\"");
  EXPECT_EQ(key->ReadInteger("NUMBER"), 42u);
  EXPECT_EQ(key->ReadBool("Flag"), true);
  EXPECT_FALSE(key->ReadInteger("Name"));
  EXPECT_TRUE(key->ValueExists("Number"));

  LinuxRegistry other(ConfigFolder());  // as another process would see it
  EXPECT_EQ(other.ReadValue(HKEY_CURRENT_USER, path, "Number"), RegValue(std::uint32_t{42}));
  ASSERT_TRUE(other.WriteValue(HKEY_CURRENT_USER, path, "Number", std::uint32_t{43}));
  EXPECT_EQ(key->ReadInteger("Number"), 43u);

  EXPECT_TRUE(RegistryKey::Open(HKEY_CURRENT_USER, path, false));
  EXPECT_TRUE(Os().Registry().DeleteKey(HKEY_CURRENT_USER, path));
  EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, path, false));
}

}  // namespace
}  // namespace kavoro::os::linuxos
