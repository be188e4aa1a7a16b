#include "platform/os/linux/SpawnDetached.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace kavoro::os::linuxos {

bool SpawnDetached(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const bool search = args[0].find('/') == std::string::npos;
  int rc = search ? posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
                  : posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (rc != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace kavoro::os::linuxos
