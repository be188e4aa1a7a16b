#include "system/LanguageNames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kavoro {
namespace {

struct LanguageEntry {
  std::uint32_t lcid;
  const char* name;
};

constexpr std::array<LanguageEntry, 86> kLanguages{{
    {0x0400, "Chinese"}, {0x0401, "Arabic"}, {0x0402, "Bulgarian"}, {0x0403, "Catalan"},
    {0x0404, "Chinese (Traditional)"}, {0x0405, "Czech"}, {0x0406, "Danish"},
    {0x0407, "German"}, {0x0408, "Greek"}, {0x0409, "English (U.S.)"}, {0x040A, "Spanish"},
    {0x040B, "Finnish"}, {0x040C, "French"}, {0x040D, "Hebrew"}, {0x040E, "Hungarian"},
    {0x040F, "Icelandic"}, {0x0410, "Italian"}, {0x0411, "Japanese"}, {0x0412, "Korean"},
    {0x0413, "Dutch"}, {0x0414, "Norwegian Bokmal"}, {0x0415, "Polish"},
    {0x0416, "Portuguese (Brazil)"}, {0x0418, "Romanian"}, {0x0419, "Russian"},
    {0x041A, "Croatian"}, {0x041B, "Slovak"}, {0x041C, "Albanian"}, {0x041D, "Swedish"},
    {0x041E, "Thai"}, {0x041F, "Turkish"}, {0x0420, "Urdu"}, {0x0421, "Indonesian"},
    {0x0422, "Ukrainian"}, {0x0423, "Belarusian"}, {0x0424, "Slovenian"},
    {0x0425, "Estonian"}, {0x0426, "Latvian"}, {0x0427, "Lithuanian"}, {0x0429, "Farsi"},
    {0x042A, "Vietnamese"}, {0x042B, "Armenian"}, {0x042C, "Azeri (Latin)"},
    {0x042D, "Basque"}, {0x042F, "Macedonian (FYROM)"}, {0x0436, "Afrikaans"},
    {0x0437, "Georgian"}, {0x0438, "Faeroese"}, {0x0439, "Hindi"}, {0x043E, "Malay"},
    {0x043F, "Kazakh"}, {0x0441, "Swahili"}, {0x0443, "Uzbek (Latin)"}, {0x0444, "Tatar"},
    {0x0445, "Bengali"}, {0x0446, "Punjabi"}, {0x0447, "Gujarati"}, {0x0448, "Oriya"},
    {0x0449, "Tamil"}, {0x044A, "Telugu"}, {0x044B, "Kannada"}, {0x044C, "Malayalam"},
    {0x044D, "Assamese"}, {0x044E, "Marathi"}, {0x044F, "Sanskrit"}, {0x0457, "Konkani"},
    {0x0458, "Manipuri"}, {0x0459, "Sindhi"}, {0x0460, "Kashmiri"}, {0x0461, "Nepali"},
    {0x0462, "Frisian"}, {0x0804, "Chinese (Simplified)"}, {0x0807, "German (Swiss)"},
    {0x0809, "English (U.K.)"}, {0x0814, "Norwegian Nynorsk"},
    {0x0816, "Portuguese (Portugal)"}, {0x081A, "Serbian (Latin)"},
    {0x0827, "Lithuanian (Classic)"}, {0x082C, "Azeri (Cyrillic)"},
    {0x0843, "Uzbek (Cyrillic)"}, {0x0C07, "German (Austrian)"},
    {0x0C09, "English (Australian)"}, {0x0C0A, "Spanish"}, {0x0C0C, "French (Canadian)"},
    {0x0C1A, "Serbian (Cyrillic)"}, {0x1009, "English (Canadian)"},
}};

static_assert(std::is_sorted(kLanguages.begin(), kLanguages.end(),
                             [](const LanguageEntry& a, const LanguageEntry& b) { return a.lcid < b.lcid; }),
              "the language table is kept in identifier order for the binary search");

}  // namespace

std::string LanguageName(std::uint32_t lcid) {
  auto it = std::lower_bound(kLanguages.begin(), kLanguages.end(), lcid,
                             [](const LanguageEntry& e, std::uint32_t id) { return e.lcid < id; });
  if (it != kLanguages.end() && it->lcid == lcid) return it->name;
  return kUnknownLanguage;
}

}  // namespace kavoro
