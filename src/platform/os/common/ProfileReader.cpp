#include "platform/os/ProfileReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace kavoro::os {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeByteOrderMark = "\xFE\xFF";
constexpr char kCommentStart = ';';
constexpr char kSectionStart = '[';
constexpr char kSectionEnd = ']';
constexpr char kAssign = '=';
constexpr std::string_view kBlanks = " \t";
constexpr int kDecimalBase = 10;
constexpr int kHexBase = 16;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

// A value as a read returns it: blanks dropped, one pair of enclosing quotes dropped, cut to
// the longest value.
std::string AsReturned(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, kProfileMaxValueLength));
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Text saved as UTF-16 (what the platform's editors call "Unicode"), after its byte-order
// mark, as UTF-8. A lone surrogate becomes U+FFFD; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](std::size_t at) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const char32_t c = unit(at);
    if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size()) {
      const char32_t low = unit(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
        continue;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? kReplacement : c);
  }
  return out;
}

}  // namespace

bool TextToInteger(std::string_view text, std::int32_t* value) {
  std::size_t at = text.find_first_not_of(kBlanks);
  if (at == std::string_view::npos) return false;
  bool negative = false;
  if (text[at] == '-' || text[at] == '+') {
    negative = text[at] == '-';
    ++at;
  }
  int base = kDecimalBase;
  if (at < text.size() && text[at] == '$') {
    base = kHexBase;
    ++at;
  } else if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
    base = kHexBase;
    at += 2;
  }
  if (at >= text.size()) return false;
  // Decimal numbers must fit the signed range; hexadecimal ones the whole 32 bits.
  const std::uint64_t limit =
      base == kHexBase ? std::numeric_limits<std::uint32_t>::max()
                       : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) +
                             (negative ? 1 : 0);
  std::uint64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    const int digit = DigitValue(text[at]);
    if (digit < 0 || digit >= base) return false;
    magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  // Two's complement over 32 bits: "$FFFFFFFF" is -1, "-$1" is -1, "-2147483648" fits.
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = ~bits + 1u;
  *value = static_cast<std::int32_t>(bits);
  return true;
}

TProfileFile::TProfileFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileSize) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return;
  const bool bigEndian = text.starts_with(kUtf16BeByteOrderMark);
  if (bigEndian || text.starts_with(kUtf16LeByteOrderMark))
    text = Utf16ToUtf8(std::string_view(text).substr(kUtf16LeByteOrderMark.size()), bigEndian);
  Parse(text);
  FOpen = true;
}

void TProfileFile::Parse(std::string_view text) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  TSection* current = nullptr;  // null before the first section and inside a repeated one
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == kCommentStart) continue;
    if (line.front() == kSectionStart) {
      const auto close = line.find(kSectionEnd);
      if (close == std::string_view::npos) continue;  // not a header: a line without "="
      const std::string_view name = Trim(line.substr(1, close - 1));
      auto [it, added] = FSections.try_emplace(Lower(name));
      current = nullptr;
      if (added) {
        current = &it->second;
        current->Name = std::string(name);
        FSectionOrder.push_back(it->first);
      }
      continue;
    }
    const auto assign = line.find(kAssign);
    if (!current || assign == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, assign));
    if (key.empty()) continue;
    if (current->Entries.try_emplace(Lower(key), std::string(line.substr(assign + 1))).second)
      current->Keys.push_back(std::string(key));
  }
}

const std::string* TProfileFile::Find(std::string_view section, std::string_view key) const {
  const auto s = FSections.find(Lower(Trim(section)));
  if (s == FSections.end()) return nullptr;
  const auto k = s->second.Entries.find(Lower(Trim(key)));
  return k == s->second.Entries.end() ? nullptr : &k->second;
}

std::vector<std::string> TProfileFile::SectionNames() const {
  std::vector<std::string> names;
  for (const std::string& lower : FSectionOrder) names.push_back(FSections.at(lower).Name);
  return names;
}

std::vector<std::string> TProfileFile::KeyNames(std::string_view section) const {
  const auto s = FSections.find(Lower(Trim(section)));
  return s == FSections.end() ? std::vector<std::string>() : s->second.Keys;
}

bool TProfileFile::SectionExists(std::string_view section) const {
  return FSections.count(Lower(Trim(section))) != 0;
}

bool TProfileFile::ValueExists(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
  const std::string* value = Find(section, key);
  return AsReturned(value ? std::string_view(*value) : def);
}

std::int32_t TProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t def) const {
  std::int32_t value = 0;
  return TextToInteger(ReadString(section, key, {}), &value) ? value : def;
}

}  // namespace kavoro::os
