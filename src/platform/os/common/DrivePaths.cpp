#include "platform/os/common/DrivePaths.h"

#include <algorithm>

namespace kavoro::os {
namespace {

constexpr char kColon = ':';
constexpr std::uint32_t kUnlistedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_VOLUME_LABEL;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string DriveRoot(char letter) { return std::string{ToUpperAscii(letter), kColon, '\\'}; }

bool IsDrivePath(std::string_view path) {
  if (path.size() < 2 || !IsAsciiLetter(path[0]) || path[1] != kColon) return false;
  // A NUL would cut the path short wherever it is handed to the system.
  if (path.find('\0') != std::string_view::npos) return false;
  return path.size() == 2 || IsSeparator(path[2]);
}

std::optional<DrivePath> ParseDrivePath(std::string_view path) {
  if (!IsDrivePath(path)) return std::nullopt;
  DrivePath result;
  result.letter = ToUpperAscii(path[0]);
  std::size_t pos = 2;
  while (pos < path.size()) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!result.parts.empty()) result.parts.pop_back();
    } else if (!part.empty() && part != ".") {
      result.parts.emplace_back(part);
    }
    pos = end;
  }
  return result;
}

std::string DrivePath::Relative() const { return JoinParts(parts); }

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += '/';
    joined += part;
  }
  return joined;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

std::optional<std::size_t> MatchName(std::string_view name,
                                     const std::vector<std::string>& candidates) {
  std::optional<std::size_t> folded;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i] == name) return i;
    if (EqualsIgnoringCase(candidates[i], name) &&
        (!folded || candidates[i] < candidates[*folded])) {
      folded = i;
    }
  }
  return folded;
}

std::vector<DirEntry> FinishListing(std::vector<DirEntry> entries, bool includeHidden) {
  if (!includeHidden) {
    std::erase_if(entries,
                  [](const DirEntry& e) { return (e.attributes & kUnlistedAttributes) != 0; });
  }
  auto folded = [](const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ToUpperAscii);
    return upper;
  };
  std::sort(entries.begin(), entries.end(), [&](const DirEntry& a, const DirEntry& b) {
    std::string fa = folded(a.name), fb = folded(b.name);
    return fa != fb ? fa < fb : a.name < b.name;
  });
  return entries;
}

}  // namespace kavoro::os
