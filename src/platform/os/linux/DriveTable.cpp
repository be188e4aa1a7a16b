#include "platform/os/linux/DriveTable.h"

#include <algorithm>
#include <array>

#include "platform/os/common/DrivePaths.h"

namespace kavoro::os::linuxos {
namespace {

constexpr std::string_view kDrivesSection = "drives";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r";
constexpr int kLetterCount = kLastDriveLetter - kFirstDriveLetter + 1;

std::string_view Trim(std::string_view s) {
  std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int LetterIndex(char letter) { return letter - kFirstDriveLetter; }

}  // namespace

std::vector<DriveBinding> ParseDrivesIni(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  std::vector<DriveBinding> drives;
  std::array<bool, kLetterCount> taken{};
  bool inDrives = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      inDrives = close != std::string_view::npos &&
                 EqualsIgnoringCase(Trim(line.substr(1, close - 1)), kDrivesSection);
      continue;
    }
    if (!inDrives) continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    std::string_view path = Trim(line.substr(equals + 1));
    if (key.size() != 1 || path.empty() || path[0] != '/') continue;
    // A NUL would cut the path short wherever it is handed to the system.
    if (path.find('\0') != std::string_view::npos) continue;
    char letter = ToUpperAscii(key[0]);
    if (letter < kFirstDriveLetter || letter > kLastDriveLetter) continue;
    if (taken[LetterIndex(letter)]) continue;
    taken[LetterIndex(letter)] = true;
    drives.push_back({letter, DriveBinding::Kind::Virtual, std::string(path)});
  }
  return drives;
}

std::vector<DriveBinding> AssignDriveLetters(std::vector<DriveBinding> virtualDrives,
                                             const std::vector<std::string>& devices) {
  std::array<bool, kLetterCount> taken{};
  std::vector<DriveBinding> table;
  for (DriveBinding& drive : virtualDrives) {
    if (drive.letter < kFirstDriveLetter || drive.letter > kLastDriveLetter) continue;
    if (taken[LetterIndex(drive.letter)]) continue;
    taken[LetterIndex(drive.letter)] = true;
    table.push_back(std::move(drive));
  }
  int next = 0;
  for (const std::string& device : devices) {
    while (next < kLetterCount && taken[next]) ++next;
    if (next == kLetterCount) break;
    taken[next] = true;
    table.push_back(
        {static_cast<char>(kFirstDriveLetter + next), DriveBinding::Kind::Optical, device});
  }
  std::sort(table.begin(), table.end(),
            [](const DriveBinding& a, const DriveBinding& b) { return a.letter < b.letter; });
  return table;
}

}  // namespace kavoro::os::linuxos
