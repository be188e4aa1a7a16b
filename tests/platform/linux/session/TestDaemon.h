#pragma once
// A helper server (a bus daemon, an X server) run by a test, ended when the object goes or
// when the test process dies.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kavoro::testing {

class TestDaemon {
 public:
  // Starts `argv` (argv[0] looked up in PATH) with its standard output on a pipe. Safe to call
  // with other threads running.
  explicit TestDaemon(const std::vector<std::string>& argv);
  // Terminates the daemon and reaps it, killing it if it lingers.
  ~TestDaemon();
  TestDaemon(const TestDaemon&) = delete;
  TestDaemon& operator=(const TestDaemon&) = delete;

  // The first line the daemon writes, without its newline, waiting at most `limit`; empty if
  // it wrote none, ended or could not be started.
  std::string FirstLine(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  int out_ = -1;  // read end of the daemon's standard output, owned
};

}  // namespace kavoro::testing
