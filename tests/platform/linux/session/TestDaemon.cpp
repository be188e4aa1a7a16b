#include "TestDaemon.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace kavoro::testing {

namespace {
constexpr int kExecFailed = 127;
constexpr auto kTermGrace = std::chrono::seconds(5);
constexpr auto kReapPoll = std::chrono::milliseconds(20);
}  // namespace

TestDaemon::TestDaemon(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls from here: the parent has threads.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(kExecFailed);
    dup2(fds[1], STDOUT_FILENO);
    execvp(args[0], args.data());
    _exit(kExecFailed);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return;
  }
  out_ = fds[0];
}

TestDaemon::~TestDaemon() {
  if (out_ >= 0) close(out_);
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kTermGrace;
  while (waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(kReapPoll);
  }
}

std::string TestDaemon::FirstLine(std::chrono::milliseconds limit) {
  std::string line;
  if (out_ < 0) return line;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char c = 0;
    if (read(out_, &c, 1) != 1) return {};
    if (c == '\n') return line;
    line += c;
  }
}

}  // namespace kavoro::testing
