#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

#include <cstdio>

namespace kavoro {
namespace {

std::optional<std::uint64_t> ParseHex(std::string_view s) {
  if (s.empty() || s.size() > 16) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    v = v * 16 + static_cast<std::uint64_t>(d);
  }
  return v;
}

}  // namespace

std::optional<GUID> GUID::Parse(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return std::nullopt;
  auto d1 = ParseHex(text.substr(0, 8));
  auto d2 = ParseHex(text.substr(9, 4));
  auto d3 = ParseHex(text.substr(14, 4));
  auto d4a = ParseHex(text.substr(19, 4));
  auto d4b = ParseHex(text.substr(24, 12));
  if (!d1 || !d2 || !d3 || !d4a || !d4b) return std::nullopt;
  GUID g;
  g.Data1 = static_cast<std::uint32_t>(*d1);
  g.Data2 = static_cast<std::uint16_t>(*d2);
  g.Data3 = static_cast<std::uint16_t>(*d3);
  g.Data4[0] = static_cast<std::uint8_t>(*d4a >> 8);
  g.Data4[1] = static_cast<std::uint8_t>(*d4a);
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<std::uint8_t>(*d4b >> (8 * (5 - i)));
  return g;
}

std::string GUID::ToString() const {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Data1,
                Data2, Data3, Data4[0], Data4[1], Data4[2], Data4[3], Data4[4], Data4[5], Data4[6],
                Data4[7]);
  return buf;
}

std::string HResultToString(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

}  // namespace kavoro
