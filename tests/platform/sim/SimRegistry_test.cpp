// The sim registry store, and RegistryKey on top of it through Os().
#include "platform/os/sim/SimRegistry.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/os/sim/SimPlatform.h"

namespace kavoro::os {
namespace {

using Names = std::vector<std::string>;

TEST(SimRegistry, WritesReadsAndEnumerates) {
  SimRegistry r;
  EXPECT_TRUE(r.KeyExists(HKEY_CURRENT_USER, ""));
  EXPECT_FALSE(r.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
  EXPECT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\KAVORO\\", "Skin",
                           std::string("Default")));
  EXPECT_TRUE(r.KeyExists(HKEY_LOCAL_MACHINE, "software\\kavoro"));
  EXPECT_FALSE(r.KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\KAVORO"));  // roots are apart
  EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "Software\\Kavoro", "SKIN"),
            RegValue(std::string("Default")));
  EXPECT_TRUE(r.WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "Count", std::uint32_t{7}));
  EXPECT_EQ(r.ValueNames(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"), (Names{"Count", "Skin"}));
  EXPECT_TRUE(r.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO\\Sub"));
  EXPECT_TRUE(r.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO\\SUB"));  // opens it
  EXPECT_EQ(r.SubKeyNames(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"), (Names{"Sub"}));
  EXPECT_TRUE(r.DeleteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "count"));
  EXPECT_FALSE(r.DeleteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", "count"));
  EXPECT_TRUE(r.DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
  EXPECT_FALSE(r.DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
  EXPECT_FALSE(r.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO\\Sub"));
  EXPECT_FALSE(r.DeleteKey(HKEY_LOCAL_MACHINE, ""));
}

TEST(SimRegistry, ClassesRootIsAViewOfLocalMachine) {
  SimRegistry r;
  EXPECT_TRUE(r.KeyExists(HKEY_CLASSES_ROOT, ""));
  EXPECT_TRUE(r.WriteValue(HKEY_CLASSES_ROOT, "CLSID\\{1}", "", std::string("Filter")));
  EXPECT_EQ(r.ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID\\{1}", ""),
            RegValue(std::string("Filter")));
  EXPECT_EQ(r.SubKeyNames(HKEY_CLASSES_ROOT, ""), (Names{"CLSID"}));
  EXPECT_TRUE(r.DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID"));
  EXPECT_FALSE(r.KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
}

TEST(SimRegistry, ReadOnlyFailsWritesAndKeepsReads) {
  SimRegistry r;
  ASSERT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{1}));
  r.SetReadOnly(true);
  EXPECT_FALSE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{2}));
  EXPECT_FALSE(r.WriteValue(HKEY_CURRENT_USER, "New", "v", std::uint32_t{2}));
  EXPECT_FALSE(r.CreateKey(HKEY_CURRENT_USER, "New"));
  EXPECT_TRUE(r.CreateKey(HKEY_CURRENT_USER, "K"));  // opening an existing key writes nothing
  EXPECT_FALSE(r.DeleteValue(HKEY_CURRENT_USER, "K", "v"));
  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, "K"));
  EXPECT_EQ(r.ReadValue(HKEY_CURRENT_USER, "K", "v"), RegValue(std::uint32_t{1}));
  EXPECT_FALSE(r.KeyExists(HKEY_CURRENT_USER, "New"));
  r.SetReadOnly(false);
  EXPECT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{2}));
}

TEST(SimRegistry, ResetEmptiesTheStore) {
  SimRegistry r;
  r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{1});
  r.WriteValue(HKEY_LOCAL_MACHINE, "K", "v", std::uint32_t{1});
  r.SetReadOnly(true);
  r.Reset();
  EXPECT_FALSE(r.KeyExists(HKEY_CURRENT_USER, "K"));
  EXPECT_FALSE(r.KeyExists(HKEY_LOCAL_MACHINE, "K"));
  EXPECT_TRUE(r.WriteValue(HKEY_CURRENT_USER, "K", "v", std::uint32_t{1}));
}

TEST(SimRegistry, ManyThreadsWriteWithoutLosingValues) {
  SimRegistry r;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&r, t] {
      for (std::uint32_t i = 0; i < 200; ++i)
        r.WriteValue(HKEY_CURRENT_USER, "T" + std::to_string(t), std::to_string(i), i);
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t)
    EXPECT_EQ(r.ValueNames(HKEY_CURRENT_USER, "T" + std::to_string(t)).size(), 200u);
}

class SimRegistryKey : public ::testing::Test {
 protected:
  void SetUp() override { Sim().Reset(); }
  void TearDown() override { Sim().Reset(); }
};

TEST_F(SimRegistryKey, OpensOnlyExistingKeysUnlessCreating) {
  EXPECT_FALSE(RegistryKey::Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO", false));
  auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\KAVORO\\", true);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->Root(), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(key->Path(), "SOFTWARE\\KAVORO");
  EXPECT_TRUE(Sim().Registry().KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\KAVORO"));
  EXPECT_TRUE(RegistryKey::Open(HKEY_LOCAL_MACHINE, "software\\kavoro", false));
}

TEST_F(SimRegistryKey, ReadsAndWritesTypedValues) {
  auto key = RegistryKey::Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", true);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->WriteString("Wallpaper", "/home/u/pic.bmp"));
  EXPECT_TRUE(key->WriteInteger("Volume", 0xFFFF));
  EXPECT_TRUE(key->WriteBool("Muted", true));
  EXPECT_TRUE(key->WriteBool("Off", false));
  EXPECT_EQ(key->ReadString("wallpaper"), "/home/u/pic.bmp");
  EXPECT_EQ(key->ReadInteger("VOLUME"), 0xFFFFu);
  EXPECT_EQ(key->ReadBool("Muted"), true);
  EXPECT_EQ(key->ReadBool("Off"), false);
  EXPECT_EQ(key->ReadInteger("Muted"), 1u);
  // Wrong types and missing values read as missing.
  EXPECT_FALSE(key->ReadInteger("Wallpaper"));
  EXPECT_FALSE(key->ReadBool("Wallpaper"));
  EXPECT_FALSE(key->ReadString("Volume"));
  EXPECT_FALSE(key->ReadString("none"));
  EXPECT_TRUE(key->ValueExists("Volume"));
  EXPECT_FALSE(key->ValueExists("none"));
  EXPECT_EQ(Sim().Registry().ReadValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Volume"),
            RegValue(std::uint32_t{0xFFFF}));
}

TEST_F(SimRegistryKey, FailedWritesReportFalse) {
  auto key = RegistryKey::Open(HKEY_CURRENT_USER, "K", true);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteInteger("v", 1));
  Sim().Registry().SetReadOnly(true);
  EXPECT_FALSE(key->WriteInteger("v", 2));
  EXPECT_FALSE(key->WriteString("s", "x"));
  EXPECT_FALSE(key->WriteBool("b", true));
  EXPECT_EQ(key->ReadInteger("v"), 1u);
  EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, "New", true));
  EXPECT_TRUE(RegistryKey::Open(HKEY_CURRENT_USER, "K", true));
}

TEST_F(SimRegistryKey, ResetOfTheWorldEmptiesTheRegistry) {
  RegistryKey::Open(HKEY_CURRENT_USER, "K", true)->WriteInteger("v", 1);
  Sim().Reset();
  EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, "K", false));
}

}  // namespace
}  // namespace kavoro::os
