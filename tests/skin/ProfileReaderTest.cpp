#include "platform/os/ProfileReader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <optional>

namespace kavoro::os {
namespace {

TEST(TextToInteger, ReadsDecimalAndHexadecimalAndRefusesTheRest) {
  struct Case {
    const char* Text;
    std::optional<std::int32_t> Expected;
  };
  const Case cases[] = {
      {"12", 12},
      {"-7", -7},
      {"+7", 7},
      {"  42", 42},  // leading blanks are allowed, as the items after a ", " have them
      {"0x1F", 31},
      {"0X1f", 31},
      {"$ff", 255},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"007", 7},
      {"2147483648", std::nullopt},
      {"0x100000000", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"12 ", std::nullopt},
      {"1.5", std::nullopt},
      {"12a", std::nullopt},
      {"0x1G", std::nullopt},
      {"1,2", std::nullopt},
  };
  for (const Case& c : cases) {
    std::int32_t value = 12345;
    const bool ok = TextToInteger(c.Text, &value);
    EXPECT_EQ(ok, c.Expected.has_value()) << '"' << c.Text << '"';
    EXPECT_EQ(value, c.Expected.value_or(12345)) << '"' << c.Text << '"';
  }
}

class ProfileFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    const std::string path = FDir.path().toStdString() + "/test.ini";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  QTemporaryDir FDir;
};

TEST_F(ProfileFileTest, FollowsThePrivateProfileRules) {
  const std::string longValue(3000, 'v');
  const std::string path = Write(
      "\xEF\xBB\xBF"
      "orphan=before any section\r\n"
      "[MainForm]\r\n"
      "; MainPIC=Commented.bmp\r\n"
      "\r\n"
      "  MainPIC  =   Main Picture.bmp   \r\n"
      "mainpic=Second.bmp\r\n"
      "Semicolon=a;b\r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Single='x'\r\n"
      "Lonely\"=x\r\n"
      "Empty=\r\n"
      "Equals=a=b\r\n"
      "no equals sign here\r\n"
      "Long=" + longValue + "\n"
      "Tabbed=\tvalue\t\n"
      "[ hintcolor ]\n"
      "Arrow=0,153,255\n"
      "[MAINFORM]\n"
      "MainPIC=FromRepeatedSection.bmp\n"
      "OnlyInRepeat=lost\n"
      "[Last]\n"
      "Key=no line end");
  TProfileFile file(path);
  ASSERT_TRUE(file.IsOpen());
  struct Case {
    const char* Section;
    const char* Key;
    std::string Expected;
  };
  const Case cases[] = {
      {"MainForm", "MainPIC", "Main Picture.bmp"},  // blanks dropped, first duplicate wins
      {"mainform", "MAINPIC", "Main Picture.bmp"},  // names match in any letter case
      {"MainForm", "Semicolon", "a;b"},             // only a line may be a comment
      {"MainForm", "Quoted", "  spaced  "},
      {"MainForm", "Single", "x"},
      {"MainForm", "Lonely\"", "x"},
      {"MainForm", "Empty", ""},
      {"MainForm", "Equals", "a=b"},
      {"MainForm", "Long", longValue.substr(0, kProfileMaxValueLength)},
      {"MainForm", "Tabbed", "value"},
      {"HintColor", "Arrow", "0,153,255"},
      {"MainForm", "OnlyInRepeat", "default"},  // the first section of a name is the one read
      {"Last", "Key", "no line end"},
      {"", "orphan", "default"},
      {"MainForm", "no equals sign here", "default"},
      {"MainForm", "Missing", "default"},
      {"Missing", "MainPIC", "default"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(file.ReadString(c.Section, c.Key, "default"), c.Expected)
        << c.Section << "/" << c.Key;
  EXPECT_EQ(file.ReadString("MainForm", "Missing", "  padded default  "), "padded default");
  EXPECT_TRUE(file.ValueExists("MainForm", "Empty"));
  EXPECT_FALSE(file.ValueExists("MainForm", "OnlyInRepeat"));
  EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"MainForm", "hintcolor", "Last"}));
  EXPECT_EQ(file.KeyNames("MAINFORM"),
            (std::vector<std::string>{"MainPIC", "Semicolon", "Quoted", "Single", "Lonely\"",
                                      "Empty", "Equals", "Long", "Tabbed"}));
  EXPECT_TRUE(file.KeyNames("Missing").empty());
  EXPECT_TRUE(file.SectionExists("HINTCOLOR"));
  EXPECT_FALSE(file.SectionExists("Missing"));
}

TEST_F(ProfileFileTest, ReadsIntegersWithTheDefaultForMissingOrUnreadableValues) {
  TProfileFile file(Write("[Time]\nTime_Width= 8 \nHex=0x10\nDollar=$10\nText=eight\n"
                          "Empty=\nNegative=-3\n"));
  EXPECT_EQ(file.ReadInteger("Time", "Time_Width", -1), 8);
  EXPECT_EQ(file.ReadInteger("Time", "Hex", -1), 16);
  EXPECT_EQ(file.ReadInteger("Time", "Dollar", -1), 16);
  EXPECT_EQ(file.ReadInteger("Time", "Negative", -1), -3);
  EXPECT_EQ(file.ReadInteger("Time", "Text", -1), -1);
  EXPECT_EQ(file.ReadInteger("Time", "Empty", -1), -1);
  EXPECT_EQ(file.ReadInteger("Time", "Missing", 9), 9);
}

TEST_F(ProfileFileTest, ReadsFilesSavedAsUtf16InEitherByteOrder) {
  // A value with a letter beyond ASCII and a character outside the basic plane.
  const std::u16string text = u"[MainForm]\r\nMainPIC = \u00DCmlaut \U0001F600.bmp\r\n";
  for (const bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    TProfileFile file(Write(bytes));
    EXPECT_EQ(file.ReadString("mainform", "mainpic", ""), "\xC3\x9Cmlaut \xF0\x9F\x98\x80.bmp")
        << bigEndian;
  }
}

TEST_F(ProfileFileTest, AFileThatCannotBeReadGivesEveryDefault) {
  for (const std::string& path : {FDir.path().toStdString() + "/missing.ini",
                                  FDir.path().toStdString()}) {
    TProfileFile file(path);
    EXPECT_FALSE(file.IsOpen()) << path;
    EXPECT_EQ(file.ReadString("A", "B", "def"), "def");
    EXPECT_EQ(file.ReadInteger("A", "B", 7), 7);
  }
}

}  // namespace
}  // namespace kavoro::os
