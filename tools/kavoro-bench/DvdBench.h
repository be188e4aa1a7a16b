#pragma once
// kavoro-bench --dvd PATH: the DVD mode of the benchmark.
#include <string>

namespace kavoro::bench {

// Renders the DVD volume at `path` with the DVD graph builder, every renderer presenting each
// frame as it arrives (no clock) into an off-screen surface, plays title 1 to its end and
// prints each title change and chapter start ("title 1", "chapter 2"), then as its last line
// "frames=N wall=SECONDS cpu=SECONDS" for the title. Returns the process exit code.
int RunDvdBench(const std::string& path);

}  // namespace kavoro::bench
