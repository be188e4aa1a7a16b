#pragma once
// kavoro-bench on a file: playing it as a benchmark that is also a checker, and measuring seeks.
//
// Exit codes and the lines printed for them: BenchCheck.h.
#include <string>

#include "BenchCheck.h"

namespace kavoro::bench {

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
