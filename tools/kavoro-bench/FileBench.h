#pragma once
// kavoro-bench on a file: playing it as a benchmark that is also a checker, and measuring seeks.
//
// Exit codes of both:
//   0  played to the end (streams that never decoded are named on stderr as
//      "undecodable=NAME" and do not change the code: the others played)
//   1  usage, or the graph could not be made
//   2  the graph reported an error (RenderFile or Run failed, EC_ERRORABORT, EC_USERABORT,
//      EC_ERROR_STILLPLAYING, EC_STREAM_ERROR_STOPPED); "error=0x........" (the HRESULT) is
//      printed on stdout
//   3  no picture or sound came for kStallSeconds of wall time while the graph should play,
//      or a step (opening, teardown) did not end in its bound; "stalled" is printed on stdout
#include <string>

namespace kavoro::bench {

constexpr int kExitPlayed = 0;
constexpr int kExitSetup = 1;
constexpr int kExitError = 2;
constexpr int kExitStalled = 3;
constexpr int kStallSeconds = 10;

// Renders FILE off-screen and plays it: with `realtime` at normal speed, else with every
// renderer taking samples as they come (no clock, no sound device). Prints
// "frames=N wall=SECONDS cpu=SECONDS" ("frames=N dropped=N ..." with `realtime`) as its last
// line. Returns the exit code.
int RunFileBench(const std::string& file, bool realtime);

// Renders FILE off-screen (no sound device) and makes kSeeks seeks to positions spread over
// it, half while paused and half while playing. For each, the time from SetPositions to the
// first picture of the new position on show, and the distance between the position asked
// for and the shown picture's time. Prints
// "seeks=N seek_median_ms=.. seek_worst_ms=.. seek_max_error_ms=..". Returns the exit code.
int RunSeekBench(const std::string& file);

}  // namespace kavoro::bench
