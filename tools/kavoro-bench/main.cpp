// kavoro-bench FILE             renders FILE and plays it with every renderer presenting each
//                               frame as it arrives (no clock), into an off-screen surface;
//                               prints "frames=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --realtime FILE  plays FILE at normal speed; prints
//                               "frames=N dropped=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --seek FILE      measures seeks in FILE (FileBench.h); prints
//                               "seeks=N seek_median_ms=.. seek_worst_ms=.. seek_max_error_ms=..".
// kavoro-bench --dvd PATH       plays title 1 of the DVD volume at PATH (DvdBench.h).
// kavoro-bench --realtime --fullscreen WxH FILE
//                               plays FILE through the player's video control, full screen
//                               (VideoBench.h).
// Playing a file it is also a checker: errors, stalls and the exit codes are in FileBench.h.

#include <cstdio>
#include <string>

#include "DvdBench.h"
#include "FileBench.h"
#include "VideoBench.h"

using namespace kavoro;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kavoro-bench [--realtime [--fullscreen WxH]] FILE | --seek FILE | "
               "--dvd PATH\n");
  return bench::kExitSetup;
}

}  // namespace

int main(int argc, char** argv) {
  bool realtime = false, seek = false;
  int fullWidth = 0, fullHeight = 0;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--dvd") return i + 2 == argc ? bench::RunDvdBench(argv[i + 1]) : Usage();
    if (a == "--realtime") realtime = true;
    else if (a == "--seek") seek = true;
    else if (a == "--fullscreen") {
      if (i + 1 >= argc || std::sscanf(argv[++i], "%dx%d", &fullWidth, &fullHeight) != 2 ||
          fullWidth <= 0 || fullHeight <= 0)
        return Usage();
    }
    else if (file.empty()) file = a;
    else return Usage();
  }
  if (file.empty()) return Usage();
  if (seek) return realtime || fullWidth > 0 ? Usage() : bench::RunSeekBench(file);
  if (fullWidth > 0) {
    if (!realtime) return Usage();
    return bench::RunVideoBench(argc, argv, file, fullWidth, fullHeight);
  }
  return bench::RunFileBench(file, realtime);
}
