// kavoro-bench FILE             renders FILE and plays it with every renderer presenting each
//                               frame as it arrives (no clock), into an off-screen surface;
//                               prints "frames=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --realtime FILE  plays FILE at normal speed; prints
//                               "frames=N dropped=N wall=SECONDS cpu=SECONDS".
// kavoro-bench --seek FILE      measures seeks in FILE (FileBench.h); prints
//                               "seeks=N seek_median_ms=.. seek_worst_ms=.. seek_max_error_ms=..".
// kavoro-bench --dvd PATH [--title N] [--audio K] [--subpicture K]
//                               plays a title (1 unless given) of the DVD volume at PATH with
//                               the given logical audio and subpicture streams (DvdBench.h).
// kavoro-bench --realtime --fullscreen WxH FILE
//                               plays FILE through the player's video control, full screen
//                               (VideoBench.h).
// Playing a file it is also a checker: errors, stalls and the exit codes are in FileBench.h.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DvdBench.h"
#include "FileBench.h"
#include "VideoBench.h"

using namespace kavoro;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kavoro-bench [--realtime [--fullscreen WxH]] FILE | --seek FILE\n"
               "       kavoro-bench --dvd PATH [--title N] [--audio K] [--subpicture K]\n");
  return bench::kExitSetup;
}

// --dvd PATH and its options, from argv[first] (the PATH) on.
int DvdMain(int argc, char** argv, int first) {
  if (first >= argc) return Usage();
  bench::DvdBenchOptions options;
  const std::string path = argv[first];
  for (int i = first + 1; i < argc; i += 2) {
    const std::string a = argv[i];
    unsigned long value = 0;
    char* end = nullptr;
    if (i + 1 >= argc) return Usage();
    value = std::strtoul(argv[i + 1], &end, 10);
    if (end == argv[i + 1] || *end != '\0') return Usage();
    if (a == "--title" && value >= 1) options.title = value;
    else if (a == "--audio") options.audio = value;
    else if (a == "--subpicture") options.subpicture = value;
    else return Usage();
  }
  return bench::RunDvdBench(path, options);
}

}  // namespace

int main(int argc, char** argv) {
  bool realtime = false, seek = false;
  int fullWidth = 0, fullHeight = 0;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--dvd") return i == 1 ? DvdMain(argc, argv, i + 1) : Usage();
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
