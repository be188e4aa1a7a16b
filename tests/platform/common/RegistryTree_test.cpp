// The shared registry model, its path rules and its text format.
#include "platform/os/common/RegistryTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavoro::os {
namespace {

using Names = std::vector<std::string>;

std::string AllBytes() {
  std::string s;
  for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
  return s;
}

TEST(RegistryPath, NormalisesSlashesAndEmptyParts) {
  EXPECT_EQ(NormalizeKeyPath("\\SOFTWARE\\KAVORO\\"), "SOFTWARE\\KAVORO");
  EXPECT_EQ(NormalizeKeyPath("SOFTWARE\\\\\\KAVORO"), "SOFTWARE\\KAVORO");
  EXPECT_EQ(NormalizeKeyPath("\\\\"), "");
  EXPECT_EQ(NormalizeKeyPath(""), "");
  EXPECT_EQ(SplitKeyPath("\\a\\\\b\\"), (Names{"a", "b"}));
}

TEST(RegistryPath, ClassesRootIsSoftwareClassesOfLocalMachine) {
  auto loc = MapRootKey(HKEY_CLASSES_ROOT, "\\CLSID\\{X}\\");
  EXPECT_EQ(loc.root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(loc.path, "SOFTWARE\\Classes\\CLSID\\{X}");
  EXPECT_EQ(MapRootKey(HKEY_CLASSES_ROOT, "").path, "SOFTWARE\\Classes");
  auto cu = MapRootKey(HKEY_CURRENT_USER, "Control Panel\\Desktop\\");
  EXPECT_EQ(cu.root, HKEY_CURRENT_USER);
  EXPECT_EQ(cu.path, "Control Panel\\Desktop");
}

TEST(RegistryTree, KeysAreCaseInsensitiveAndKeepTheirCase) {
  RegistryTree t;
  EXPECT_TRUE(t.CreateKey("Software\\Kavoro\\Player"));
  EXPECT_FALSE(t.CreateKey("SOFTWARE\\KAVORO\\PLAYER"));  // already there
  EXPECT_TRUE(t.KeyExists("software\\kavoro"));
  EXPECT_TRUE(t.KeyExists("\\SOFTWARE\\KAVORO\\"));
  t.CreateKey("SOFTWARE\\KAVORO\\Skins");
  EXPECT_EQ(t.SubKeyNames("software"), (Names{"Kavoro"}));
  EXPECT_EQ(t.SubKeyNames("SOFTWARE\\KAVORO"), (Names{"Player", "Skins"}));
  EXPECT_EQ(t.SubKeyNames(""), (Names{"Software"}));
  EXPECT_TRUE(t.SubKeyNames("missing").empty());
}

TEST(RegistryTree, ValuesAreTypedAndNamesCaseInsensitive) {
  RegistryTree t;
  t.WriteValue("A\\B", "Skin", std::string("Default"));  // creates the key
  t.WriteValue("a\\b", "VOLUME", std::uint32_t{0xFFFF});
  t.WriteValue("A\\B", "", std::string("default value"));
  EXPECT_TRUE(t.KeyExists("A"));
  EXPECT_EQ(t.ReadValue("A\\B", "skin"), RegValue(std::string("Default")));
  EXPECT_EQ(t.ReadValue("A\\B", "volume"), RegValue(std::uint32_t{0xFFFF}));
  EXPECT_EQ(t.ReadValue("A\\B", ""), RegValue(std::string("default value")));
  EXPECT_FALSE(t.ReadValue("A\\B", "none"));
  EXPECT_FALSE(t.ReadValue("A\\C", "skin"));
  t.WriteValue("A\\B", "SKIN", std::uint32_t{3});  // replaces, keeps the first spelling
  EXPECT_EQ(t.ReadValue("A\\B", "Skin"), RegValue(std::uint32_t{3}));
  EXPECT_EQ(t.ValueNames("a\\b"), (Names{"", "Skin", "VOLUME"}));
  EXPECT_TRUE(t.DeleteValue("A\\B", "skin"));
  EXPECT_FALSE(t.DeleteValue("A\\B", "skin"));
  EXPECT_FALSE(t.DeleteValue("nokey", "skin"));
  EXPECT_EQ(t.ValueNames("A\\B"), (Names{"", "VOLUME"}));
}

TEST(RegistryTree, DeleteKeyTakesSubkeysButNotNeighbours) {
  RegistryTree t;
  t.WriteValue("A\\B\\C", "x", std::uint32_t{1});
  t.WriteValue("A\\B!", "y", std::uint32_t{2});
  t.WriteValue("A\\BB", "z", std::uint32_t{3});
  EXPECT_TRUE(t.DeleteKey("a\\b"));
  EXPECT_FALSE(t.KeyExists("A\\B"));
  EXPECT_FALSE(t.KeyExists("A\\B\\C"));
  EXPECT_TRUE(t.KeyExists("A\\B!"));
  EXPECT_EQ(t.ReadValue("A\\BB", "z"), RegValue(std::uint32_t{3}));
  EXPECT_FALSE(t.DeleteKey("A\\B"));
  EXPECT_FALSE(t.DeleteKey(""));  // the root stays
  EXPECT_TRUE(t.KeyExists(""));
}

TEST(RegistryEscape, EveryByteRoundTrips) {
  const std::string all = AllBytes();
  std::string esc = EscapeRegistryString(all);
  EXPECT_EQ(esc.find('\n'), std::string::npos);
  EXPECT_EQ(esc.find('"' ), esc.find("\\\"") + 1);  // only escaped quotes
  EXPECT_EQ(UnescapeRegistryString(esc), all);
  EXPECT_EQ(EscapeRegistryString("a\\b\"c\nd\te\x01"), "a\\\\b\\\"c\\nd\\te\\x01");
}

TEST(RegistryEscape, BadEscapesAreRejected) {
  for (const char* bad : {"\\", "\\q", "\\x", "\\x4", "\\xzz", "a\"b", "tab\there"})
    EXPECT_FALSE(UnescapeRegistryString(bad)) << bad;
}

TEST(RegistryFormat, AwkwardStringsRoundTrip) {
  const std::vector<std::string> awkward = {
      "", " leading and trailing ", "C:\\Program Files\\Kavoro\\", "\\\\server\\share",
      "say \"hi\"", "\"", "\\", "\\\"", "line1\nline2\r\n", "\t", std::string("nul\0in", 6),
      "]", "[not a key]", "End", "KavoroRegistry 1", "@=\"x\"", "dword:00000001",
      "caf\xc3\xa9 \xe2\x99\xab", "\xff\xfe invalid utf-8 \x80", AllBytes()};
  RegistryTree t;
  for (std::size_t i = 0; i < awkward.size(); ++i) {
    std::string key = "Keys\\" + std::to_string(i) + " [x] \"q\"";
    t.WriteValue(key, awkward[i], awkward[i]);  // as name and as value
    t.WriteValue(key, "n", std::uint32_t(i * 0x11111111u));
  }
  t.WriteValue("", "root value", std::string("at the root"));
  t.WriteValue("Edge", "max", std::uint32_t{0xFFFFFFFFu});
  t.WriteValue("Edge", "zero", std::uint32_t{0});
  t.CreateKey("Empty\\Key");
  std::string text = t.Serialize();
  auto parsed = RegistryTree::Parse(text);
  EXPECT_FALSE(parsed.damaged);
  EXPECT_EQ(parsed.skippedLines, 0u);
  EXPECT_TRUE(parsed.tree == t);
  for (std::size_t i = 0; i < awkward.size(); ++i) {
    std::string key = "keys\\" + std::to_string(i) + " [X] \"Q\"";
    EXPECT_EQ(parsed.tree.ReadValue(key, awkward[i]), RegValue(awkward[i])) << i;
  }
  EXPECT_TRUE(parsed.tree.KeyExists("Empty\\Key"));
  EXPECT_EQ(parsed.tree.ReadValue("Edge", "max"), RegValue(std::uint32_t{0xFFFFFFFFu}));
  EXPECT_EQ(RegistryTree::Parse(parsed.tree.Serialize()).tree.Serialize(), text);
}

TEST(RegistryFormat, KeyNamesKeepTheirCaseThroughTheFile) {
  RegistryTree t;
  t.CreateKey("Software\\KavoroApp");
  t.WriteValue("SOFTWARE\\KAVOROAPP\\Sub", "v", std::uint32_t{1});
  auto parsed = RegistryTree::Parse(t.Serialize());
  EXPECT_EQ(parsed.tree.SubKeyNames(""), (Names{"Software"}));
  EXPECT_EQ(parsed.tree.SubKeyNames("software"), (Names{"KavoroApp"}));
  EXPECT_EQ(parsed.tree.SubKeyNames("software\\kavoroapp"), (Names{"Sub"}));
}

TEST(RegistryFormat, TheFileReadsAsDocumented) {
  const std::string text =
      "KavoroRegistry 1\n"
      "[SOFTWARE\\\\KAVORO]\n"
      "\"Skin\"=\"Default\"\n"
      "\"Volume\"=dword:0000ffff\n"
      "@=\"dflt\"\n"
      "\n"
      "End\n";
  auto p = RegistryTree::Parse(text);
  EXPECT_FALSE(p.damaged);
  EXPECT_EQ(p.tree.ReadValue("Software\\Kavoro", "skin"), RegValue(std::string("Default")));
  EXPECT_EQ(p.tree.ReadValue("Software\\Kavoro", "volume"), RegValue(std::uint32_t{0xFFFF}));
  EXPECT_EQ(p.tree.ReadValue("Software\\Kavoro", ""), RegValue(std::string("dflt")));
  // Windows line ends read too.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  auto q = RegistryTree::Parse(crlf);
  EXPECT_FALSE(q.damaged);
  EXPECT_TRUE(q.tree == p.tree);
}

// One damaged line amid good ones: the bad entry is missing, everything else survives.
struct DamagedCase {
  const char* what;
  std::string line;
  std::size_t skipped;
};

class RegistryDamagedLine : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(RegistryDamagedLine, IsSkippedAndReported) {
  const DamagedCase& c = GetParam();
  const std::string text = std::string("KavoroRegistry 1\n") +
                           "[Keep]\n"
                           "\"a\"=\"first\"\n" +
                           c.line + "\n" +
                           "\"b\"=dword:00000002\n"
                           "[Other]\n"
                           "\"c\"=\"third\"\n"
                           "End\n";
  auto p = RegistryTree::Parse(text);
  EXPECT_TRUE(p.damaged) << c.what;
  EXPECT_EQ(p.skippedLines, c.skipped) << c.what;
  EXPECT_EQ(p.tree.ReadValue("Keep", "a"), RegValue(std::string("first"))) << c.what;
  EXPECT_EQ(p.tree.ReadValue("Other", "c"), RegValue(std::string("third"))) << c.what;
  EXPECT_FALSE(p.tree.ReadValue("Keep", "bad")) << c.what;
  if (c.skipped == 1) {
    EXPECT_EQ(p.tree.ReadValue("Keep", "b"), RegValue(std::uint32_t{2}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryDamagedLine,
    ::testing::Values(
        DamagedCase{"garbage", "this is not an entry", 1},
        DamagedCase{"binary junk", std::string("\x00\x01\xff\xfe\x7f junk", 10), 1},
        DamagedCase{"unterminated string", "\"bad\"=\"no end", 1},
        DamagedCase{"unterminated name", "\"bad=\"x\"", 1},
        DamagedCase{"no equals", "\"bad\" \"x\"", 1},
        DamagedCase{"trailing text", "\"bad\"=\"x\" more", 1},
        DamagedCase{"short dword", "\"bad\"=dword:0000", 1},
        DamagedCase{"long dword", "\"bad\"=dword:000000001", 1},
        DamagedCase{"non-hex dword", "\"bad\"=dword:0000000g", 1},
        DamagedCase{"unknown type", "\"bad\"=hex:00,01", 1},
        DamagedCase{"bad escape", "\"bad\"=\"a\\qb\"", 1},
        DamagedCase{"raw control byte", "\"bad\"=\"a\x01z\"", 1},
        DamagedCase{"empty value", "\"bad\"=", 1},
        // A bad key line drops the values after it until the next key, so "b" is missing
        // instead of landing in [Keep].
        DamagedCase{"unterminated key", "[Bad\\\\Key", 2},
        DamagedCase{"bad escape in key", "[Bad\\qKey]", 2}));

TEST(RegistryDamaged, TruncatedFileKeepsWhatWasComplete) {
  RegistryTree t;
  for (int i = 0; i < 20; ++i) t.WriteValue("K" + std::to_string(i), "v", std::string(i, 'x'));
  const std::string full = t.Serialize();
  for (std::size_t len = 0; len < full.size(); ++len) {
    auto p = RegistryTree::Parse(full.substr(0, len));
    ASSERT_TRUE(p.damaged) << len;
    // Whatever survived is exactly what was in the file: no value is invented or altered.
    for (int i = 0; i < 20; ++i) {
      auto v = p.tree.ReadValue("K" + std::to_string(i), "v");
      if (v) {
        EXPECT_EQ(*v, RegValue(std::string(i, 'x'))) << len;
      }
    }
  }
  // A cut just before the end marker still has every value.
  auto p = RegistryTree::Parse(full.substr(0, full.size() - 4));
  EXPECT_TRUE(p.damaged);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(p.tree.ReadValue("K" + std::to_string(i), "v"), RegValue(std::string(i, 'x')));
}

TEST(RegistryDamaged, WholeFileTable) {
  struct Case {
    const char* what;
    std::string text;
    bool damaged;
  };
  const std::vector<Case> cases = {
      {"empty", "", true},
      {"no header", "[K]\n\"a\"=\"1\"\nEnd\n", true},
      {"no trailer", "KavoroRegistry 1\n[K]\n\"a\"=\"1\"\n", true},
      {"content after trailer", "KavoroRegistry 1\nEnd\n[K]\n\"a\"=\"1\"\n", true},
      {"other version", "KavoroRegistry 2\n[K]\n\"a\"=\"1\"\nEnd\n", true},
      {"value before any key goes to the root", "KavoroRegistry 1\n\"a\"=\"1\"\nEnd\n", false},
      {"clean", "KavoroRegistry 1\n[K]\n\"a\"=\"1\"\nEnd\n", false},
  };
  for (const Case& c : cases) {
    auto p = RegistryTree::Parse(c.text);
    EXPECT_EQ(p.damaged, c.damaged) << c.what;
  }
  // Readable entries survive in each of the damaged ones.
  EXPECT_EQ(RegistryTree::Parse(cases[1].text).tree.ReadValue("K", "a"), RegValue(std::string("1")));
  EXPECT_EQ(RegistryTree::Parse(cases[2].text).tree.ReadValue("K", "a"), RegValue(std::string("1")));
  EXPECT_EQ(RegistryTree::Parse(cases[3].text).tree.ReadValue("K", "a"), RegValue(std::string("1")));
  EXPECT_EQ(RegistryTree::Parse(cases[5].text).tree.ReadValue("", "a"), RegValue(std::string("1")));
}

TEST(RegistryDamaged, RandomJunkNeverCrashes) {
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  RegistryTree t;
  t.WriteValue("A", "x", std::string("y"));
  const std::string good = t.Serialize();
  for (int round = 0; round < 2000; ++round) {
    std::string text = good;
    int edits = 1 + next() % 8;
    for (int e = 0; e < edits; ++e) {
      std::size_t at = next() % (text.size() + 1);
      char c = static_cast<char>(next() >> 24);
      switch (next() % 3) {
        case 0: text.insert(at, 1, c); break;
        case 1: if (at < text.size()) text[at] = c; break;
        default: if (at < text.size()) text.erase(at, 1);
      }
    }
    auto p = RegistryTree::Parse(text);
    // Whatever was read writes back and reads again the same.
    EXPECT_TRUE(p.tree == RegistryTree::Parse(p.tree.Serialize()).tree) << round;
  }
}

}  // namespace
}  // namespace kavoro::os
