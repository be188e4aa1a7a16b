#include "platform/media/dvd/DvdLanguages.h"

namespace kavoro::media {
namespace {

struct Entry {
  char code[3];
  std::uint16_t primary;  // primary language number; the identifier is 0x0400 | primary
};

// Chinese takes the traditional form (the platform's default sublanguage for it).
constexpr Entry kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"iw", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11},
    {"ko", 0x12}, {"nl", 0x13}, {"no", 0x14}, {"nb", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"in", 0x21}, {"uk", 0x22},
    {"be", 0x23}, {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29},
    {"vi", 0x2A}, {"hy", 0x2B}, {"az", 0x2C}, {"eu", 0x2D}, {"mk", 0x2F}, {"af", 0x36},
    {"ka", 0x37}, {"fo", 0x38}, {"hi", 0x39}, {"ms", 0x3E}, {"kk", 0x3F}, {"sw", 0x41},
    {"uz", 0x43}, {"tt", 0x44}, {"bn", 0x45}, {"pa", 0x46}, {"gu", 0x47}, {"or", 0x48},
    {"ta", 0x49}, {"te", 0x4A}, {"kn", 0x4B}, {"ml", 0x4C}, {"as", 0x4D}, {"mr", 0x4E},
    {"sa", 0x4F}, {"ne", 0x61}, {"fy", 0x62},
};

}  // namespace

LCID LanguageFromDiscCode(std::uint16_t code) {
  if (code == 0 || code == 0xffff) return 0;
  char a = static_cast<char>(code >> 8), b = static_cast<char>(code & 0xff);
  if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
  if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
  for (const Entry& e : kLanguages)
    if (e.code[0] == a && e.code[1] == b) return 0x0400u | e.primary;
  return 0;
}

}  // namespace kavoro::media
