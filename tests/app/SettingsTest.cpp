// The player's settings through the sim registry store: defaults, values read as stored, odd
// values kept at their defaults, the types written, and writes that fail.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/os/sim/SimPlatform.h"

namespace kavoro::app {
namespace {

using os::HKEY_LOCAL_MACHINE;
using os::RegValue;

constexpr const char* kKey = "\\SOFTWARE\\KAVORO\\";

void ExpectSettings(const TSettings& want) {
  EXPECT_EQ(Settings().SkinName, want.SkinName);
  EXPECT_EQ(Settings().DefaultDrive, want.DefaultDrive);
  EXPECT_EQ(Settings().SkipIntro, want.SkipIntro);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    Settings() = TSettings{};
  }
  os::SimRegistry& Registry() { return os::Sim().Registry(); }
  void Store(std::string_view name, const RegValue& value) {
    ASSERT_TRUE(Registry().WriteValue(HKEY_LOCAL_MACHINE, kKey, name, value));
  }
  std::optional<RegValue> Stored(std::string_view name) {
    return Registry().ReadValue(HKEY_LOCAL_MACHINE, kKey, name);
  }
};

TEST_F(SettingsTest, WithoutTheKeyEverySettingGoesBackToItsDefaultAndNoKeyIsMade) {
  Settings() = {"Capsule", "E", true};  // left from before: a read starts from the defaults
  ReadSettings();
  ExpectSettings({"Default", "", false});
  EXPECT_FALSE(Registry().KeyExists(HKEY_LOCAL_MACHINE, kKey));
}

// What is stored, value by value, and what the player makes of it. Anything it cannot use
// keeps the default instead of stopping the start.
TEST_F(SettingsTest, StoredValuesAreReadAndOddOnesKeepTheirDefaults) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, RegValue>> stored;
    TSettings want;
  };
  const std::string notALetter = "\xC3\xA9";  // "é": its first byte is no drive letter
  const std::vector<Case> cases = {
      {"all three as the player writes them",
       {{"SkinName", std::string("Capsule")}, {"DefaultDrive", std::string("E")},
        {"SkipIntro", 1u}},
       {"Capsule", "E", true}},
      {"names compared without regard to case",
       {{"skinname", std::string("Capsule")}, {"DEFAULTDRIVE", std::string("F")},
        {"skipintro", 1u}},
       {"Capsule", "F", true}},
      {"the key with no values", {}, {"Default", "", false}},
      {"SkipIntro 0", {{"SkipIntro", 0u}}, {"Default", "", false}},
      {"any non-zero SkipIntro is true", {{"SkipIntro", 0xFFFFFFFFu}}, {"Default", "", true}},
      {"SkipIntro as a string", {{"SkipIntro", std::string("1")}}, {"Default", "", false}},
      {"only the first character of a drive", {{"DefaultDrive", std::string("dVD")}},
       {"Default", "d", false}},
      {"an empty drive", {{"DefaultDrive", std::string("")}}, {"Default", "", false}},
      {"a drive that is no letter", {{"DefaultDrive", std::string("1:")}},
       {"Default", "", false}},
      {"a drive of a non-ASCII character", {{"DefaultDrive", notALetter}},
       {"Default", "", false}},
      {"a drive as an integer", {{"DefaultDrive", 69u}}, {"Default", "", false}},
      {"a skin name as an integer", {{"SkinName", 5u}}, {"Default", "", false}},
      {"an empty skin name", {{"SkinName", std::string("")}}, {"Default", "", false}},
      {"a skin name that climbs out of the skins folder",
       {{"SkinName", std::string("..")}}, {"Default", "", false}},
      {"a skin name with a slash", {{"SkinName", std::string("../../etc")}},
       {"Default", "", false}},
      {"a skin name with a backslash", {{"SkinName", std::string("a\\b")}},
       {"Default", "", false}},
      {"a skin name with spaces and dots", {{"SkinName", std::string("My Skin 1.2")}},
       {"My Skin 1.2", "", false}},
      {"one bad value spoils no other",
       {{"SkinName", 1u}, {"DefaultDrive", std::string("G")}, {"SkipIntro", 1u}},
       {"Default", "G", true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Registry().Reset();
    ASSERT_TRUE(Registry().CreateKey(HKEY_LOCAL_MACHINE, kKey));
    for (const auto& [name, value] : c.stored) Store(name, value);
    Settings() = {"Stale", "Z", !c.want.SkipIntro};
    ReadSettings();
    ExpectSettings(c.want);
  }
}

TEST_F(SettingsTest, WritesAllThreeWithTheirTypesAndReadsThemBack) {
  struct Case {
    TSettings settings;
    std::uint32_t skipIntro;
  };
  for (const Case& c : {Case{{"Capsule", "E", true}, 1u}, Case{{"Default", "", false}, 0u}}) {
    SCOPED_TRACE(c.settings.SkinName);
    Registry().Reset();
    Settings() = c.settings;
    const TSettingsWriteResult result = WriteSettings();
    EXPECT_TRUE(result);
    EXPECT_EQ(result.Reason, "");
    EXPECT_EQ(Stored("SkinName"), RegValue(c.settings.SkinName));
    EXPECT_EQ(Stored("DefaultDrive"), RegValue(c.settings.DefaultDrive));
    EXPECT_EQ(Stored("SkipIntro"), RegValue(c.skipIntro));
    Settings() = {"Other", "Q", !c.settings.SkipIntro};
    ReadSettings();
    ExpectSettings(c.settings);
  }
}

TEST_F(SettingsTest, AWriteOverOlderValuesReplacesThemAndLeavesOtherValuesAlone) {
  Store("SkinName", std::string("Capsule"));
  Store("SkipIntro", std::string("junk"));
  Store("Other", 7u);
  Settings() = {"Default", "D", false};
  ASSERT_TRUE(WriteSettings());
  EXPECT_EQ(Stored("SkinName"), RegValue(std::string("Default")));
  EXPECT_EQ(Stored("SkipIntro"), RegValue(0u));
  EXPECT_EQ(Stored("Other"), RegValue(7u));
}

// A store that cannot be written: the write says so with a reason for the user and the
// stored settings stay as they were.
TEST_F(SettingsTest, AFailedWriteIsReportedWithItsReasonAndChangesNothing) {
  Settings() = {"Capsule", "E", true};

  Registry().SetReadOnly(true);
  TSettingsWriteResult noKey = WriteSettings();
  EXPECT_FALSE(noKey);
  EXPECT_EQ(noKey.Reason,
            "The settings could not be saved: the key HKEY_LOCAL_MACHINE\\SOFTWARE\\KAVORO\\ "
            "could not be created (the configuration folder may be read-only or full).");
  EXPECT_FALSE(Registry().KeyExists(HKEY_LOCAL_MACHINE, kKey));

  Registry().SetReadOnly(false);
  Store("SkinName", std::string("Default"));
  Store("DefaultDrive", std::string("D"));
  Store("SkipIntro", 0u);
  Registry().SetReadOnly(true);
  TSettingsWriteResult readOnly = WriteSettings();
  EXPECT_FALSE(readOnly);
  EXPECT_EQ(readOnly.Reason,
            "The settings could not be saved: the value \"SkinName\" could not be written under "
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\KAVORO\\ (the configuration folder may be read-only "
            "or full).");
  EXPECT_EQ(Stored("SkinName"), RegValue(std::string("Default")));
  EXPECT_EQ(Stored("DefaultDrive"), RegValue(std::string("D")));
  EXPECT_EQ(Stored("SkipIntro"), RegValue(0u));
  // The settings in memory are the user's choice still, for a later write to save.
  ExpectSettings({"Capsule", "E", true});

  Registry().SetReadOnly(false);
  EXPECT_TRUE(WriteSettings());
  EXPECT_EQ(Stored("SkinName"), RegValue(std::string("Capsule")));
}

}  // namespace
}  // namespace kavoro::app
