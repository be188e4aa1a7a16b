#include "platform/os/linux/LinuxPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kavoro::os::linuxos {
namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}

std::string FromEnv(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  // The base-directory rules ignore relative values.
  if (v && *v == '/') return v;
  return fallback;
}

}  // namespace

bool MakeFolders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

std::string ConfigFolder() {
  std::string f = FromEnv("XDG_CONFIG_HOME", Home() + "/.config") + "/kavoro";
  MakeFolders(f);
  return f;
}

std::string DataFolder() {
  std::string f = FromEnv("XDG_DATA_HOME", Home() + "/.local/share") + "/kavoro";
  MakeFolders(f);
  return f;
}

std::string RuntimeFolder() {
  std::string base = FromEnv("XDG_RUNTIME_DIR", "");
  std::string f = base.empty() ? "/tmp/kavoro-" + std::to_string(getuid()) : base + "/kavoro";
  MakeFolders(f);
  chmod(f.c_str(), 0700);
  return f;
}

}  // namespace kavoro::os::linuxos
