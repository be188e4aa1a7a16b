#include <gtest/gtest.h>

#include "system/LanguageNames.h"

namespace kavoro {
namespace {

TEST(LanguageNamesTest, MatchesWholeIdentifiersOnly) {
  struct Case {
    std::uint32_t lcid;
    const char* name;
  };
  const Case cases[] = {
      {0x0409, "English (U.S.)"},   {0x0809, "English (U.K.)"},
      {0x1009, "English (Canadian)"}, {0x0C09, "English (Australian)"},
      {0x040A, "Spanish"},          {0x0C0A, "Spanish"},
      {0x0400, "Chinese"},          {0x0804, "Chinese (Simplified)"},
      {0x0407, "German"},           {0x040C, "French"},
      {0x0414, "Norwegian Bokmal"}, {0x042F, "Macedonian (FYROM)"},
      {0x0462, "Frisian"},          {0x0C1A, "Serbian (Cyrillic)"},
      {0x0417, "Unknown Language"}, {0x0428, "Unknown Language"},
      {0x042E, "Unknown Language"}, {0x0430, "Unknown Language"},
      {0x0435, "Unknown Language"}, {0x0000, "Unknown Language"},
      {0x0009, "Unknown Language"}, {0x1409, "Unknown Language"},
      {0x00010409, "Unknown Language"}, {0xFFFFFFFF, "Unknown Language"},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageName(c.lcid), c.name) << std::hex << c.lcid;
}

}  // namespace
}  // namespace kavoro
