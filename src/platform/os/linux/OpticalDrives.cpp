#include "platform/os/linux/OpticalDrives.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/os/linux/UniqueFd.h"

namespace kavoro::os::linuxos {
namespace {

constexpr std::string_view kDevicePrefix = "sr";
constexpr const char* kMountTable = "/proc/self/mounts";
constexpr int kOctalEscapeDigits = 3;
constexpr int kOctalBase = 8;

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::optional<unsigned long> DeviceNumber(std::string_view name) {
  if (!name.starts_with(kDevicePrefix) || name.size() == kDevicePrefix.size()) return std::nullopt;
  unsigned long number = 0;
  for (char c : name.substr(kDevicePrefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  return number;
}

// The mount table writes blanks, tabs, newlines and backslashes in names as "\ooo".
std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + kOctalEscapeDigits < field.size() &&
        std::all_of(field.begin() + i + 1, field.begin() + i + 1 + kOctalEscapeDigits,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      int value = 0;
      for (int k = 1; k <= kOctalEscapeDigits; ++k)
        value = value * kOctalBase + (field[i + k] - '0');
      out += static_cast<char>(value);
      i += kOctalEscapeDigits;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

}  // namespace

std::vector<std::string> OpticalDevices(const std::string& deviceFolder) {
  std::vector<std::pair<unsigned long, std::string>> found;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(deviceFolder.c_str()));
  if (!dir) return {};
  while (const dirent* entry = ::readdir(dir.get())) {
    if (std::optional<unsigned long> number = DeviceNumber(entry->d_name)) {
      found.emplace_back(*number, deviceFolder + "/" + entry->d_name);
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> devices;
  for (auto& [number, path] : found) devices.push_back(std::move(path));
  return devices;
}

bool DiscReady(const std::string& device) {
  UniqueFd fd(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return false;
  return ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT) == CDS_DISC_OK;
}

std::string MountPointIn(std::string_view mountTable, const std::string& device) {
  std::string deviceReal = RealPath(device);
  while (!mountTable.empty()) {
    std::size_t end = mountTable.find('\n');
    std::string_view line = mountTable.substr(0, end);
    mountTable.remove_prefix(end == std::string_view::npos ? mountTable.size() : end + 1);
    std::size_t sourceEnd = line.find(' ');
    if (sourceEnd == std::string_view::npos) continue;
    std::size_t targetEnd = line.find(' ', sourceEnd + 1);
    std::string source = Unescape(line.substr(0, sourceEnd));
    std::string target = Unescape(line.substr(sourceEnd + 1, targetEnd == std::string_view::npos
                                                                 ? std::string_view::npos
                                                                 : targetEnd - sourceEnd - 1));
    if (source.empty() || source[0] != '/' || target.empty()) continue;
    if (source == device || (!deviceReal.empty() && RealPath(source) == deviceReal)) {
      return target;
    }
  }
  return {};
}

std::string MountPointOf(const std::string& device) {
  std::ifstream table(kMountTable);
  if (!table) return {};
  std::ostringstream text;
  text << table.rdbuf();
  return MountPointIn(text.str(), device);
}

}  // namespace kavoro::os::linuxos
