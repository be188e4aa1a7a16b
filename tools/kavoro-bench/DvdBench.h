#pragma once
// kavoro-bench --dvd PATH: the DVD mode of the benchmark.
#include <optional>
#include <string>

#include "platform/com/Unknown.h"

namespace kavoro::bench {

struct DvdBenchOptions {
  ULONG title = 1;                  // from 1
  std::optional<ULONG> audio;       // logical stream chosen once the title plays
  std::optional<ULONG> subpicture;  // likewise, and subpictures switched on
};

// Renders the DVD volume at `path` with the DVD graph builder, every renderer presenting each
// frame as it arrives (no clock) into an off-screen surface, plays the title to its end with
// the chosen streams and prints each title change and chapter start ("title 1", "chapter 2"),
// then the ids of the streams the navigator's pins delivered last
// ("streams: video 0xe0 audio 0x81 subpicture 0x21", "none" for a pin that delivered nothing)
// and as its last line "frames=N wall=SECONDS cpu=SECONDS" for the title. Returns the process
// exit code as BenchCheck.h gives them (a chosen stream that is refused is an error).
int RunDvdBench(const std::string& path, const DvdBenchOptions& options);

}  // namespace kavoro::bench
