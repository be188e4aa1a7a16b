#pragma once
// What makes kavoro-bench a checker in each of its modes: the exit codes, the lines it prints
// for them, and a watchdog that ends the process when a step of a broken graph does not end.
//
// Exit codes:
//   0  played to the end (streams that never decoded are named on stderr as
//      "undecodable=NAME" and do not change the code: the others played)
//   1  usage, or the graph could not be made
//   2  the graph reported an error (RenderFile or Run failed, EC_ERRORABORT, EC_USERABORT,
//      EC_ERROR_STILLPLAYING, EC_STREAM_ERROR_STOPPED, a DVD error); "error=0x........" (the
//      HRESULT) is printed on stdout
//   3  no picture or sound came for kStallSeconds of wall time while the graph should play,
//      or a step (opening, teardown) did not end in its bound; "stalled" is printed on stdout
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/com/HResult.h"

namespace kavoro::bench {

constexpr int kExitPlayed = 0;
constexpr int kExitSetup = 1;
constexpr int kExitError = 2;
constexpr int kExitStalled = 3;
constexpr int kStallSeconds = 10;
// Bounds of the steps that could hang in a broken graph.
constexpr int kOpenSeconds = 60;
constexpr int kTeardownSeconds = 15;

// Ends the process with `code` unless destroyed within `seconds` (any thread).
class Watchdog {
 public:
  Watchdog(int seconds, const char* what, int code);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

// Prints `what` on stderr and "error=0x........" on stdout; returns kExitError.
int ReportError(HRESULT hr, const char* what);
// Prints "stalled"; returns kExitStalled.
int ReportStall();

}  // namespace kavoro::bench
