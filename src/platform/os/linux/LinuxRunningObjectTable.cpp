#include "platform/os/linux/LinuxRunningObjectTable.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::os::linuxos {

namespace {

constexpr const char* kSuffix = ".entry";

// An entry file holds three lines; line breaks inside a field would split it.
std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return s;
}

bool ProcessAlive(std::uint32_t pid) {
  if (pid == 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string RunningObjectFolder() { return RuntimeFolder() + "/rot"; }

LinuxRunningObjectTable::LinuxRunningObjectTable(std::string folder) : folder_(std::move(folder)) {}

std::string LinuxRunningObjectTable::EntryPath(std::uint32_t cookie) const {
  return folder_ + "/" + std::to_string(::getpid()) + "-" + std::to_string(cookie) + kSuffix;
}

std::uint32_t LinuxRunningObjectTable::Register(const std::string& name, std::uint32_t process,
                                                const std::string& description) {
  if (!MakeFolders(folder_)) return 0;
  std::uint32_t cookie = nextCookie_++;
  if (cookie == 0) cookie = nextCookie_++;
  std::string path = EntryPath(cookie);
  // Written under a temporary name and renamed, so a reader never sees half an entry.
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    if (!out) return 0;
    out << OneLine(name) << '\n' << process << '\n' << OneLine(description) << '\n';
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      return 0;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return 0;
  }
  return cookie;
}

bool LinuxRunningObjectTable::Revoke(std::uint32_t cookie) {
  if (cookie == 0) return false;
  return ::unlink(EntryPath(cookie).c_str()) == 0;
}

std::vector<RunningObjectEntry> LinuxRunningObjectTable::List() {
  std::vector<RunningObjectEntry> out;
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return out;
  while (dirent* d = ::readdir(dir)) {
    std::string file = d->d_name;
    if (!EndsWith(file, kSuffix)) continue;
    std::ifstream in(folder_ + "/" + file);
    RunningObjectEntry e;
    std::string process;
    if (!std::getline(in, e.name) || !std::getline(in, process)) continue;
    std::getline(in, e.description);
    try {
      e.process = static_cast<std::uint32_t>(std::stoul(process));
    } catch (...) {
      continue;
    }
    if (ProcessAlive(e.process)) out.push_back(std::move(e));
  }
  ::closedir(dir);
  return out;
}

std::uint32_t LinuxRunningObjectTable::CurrentProcessId() {
  return static_cast<std::uint32_t>(::getpid());
}

}  // namespace kavoro::os::linuxos
