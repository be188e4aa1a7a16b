// Prints how long loading a skin folder onto fresh main and video windows takes: the first load,
// then the median, fastest and slowest of repeated loads over the same windows, and the same
// figures for reading the folder alone and for applying what was read.
//
//   kavoro-skin-bench FOLDER [RUNS]
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/Main.h"
#include "skin/SkinLoader.h"
#include "skin/SkinReader.h"
#include "video/Video.h"

namespace {

constexpr int kDefaultRuns = 50;
constexpr double kNanosecondsPerMillisecond = 1e6;
// The load time the player aims to stay under.
constexpr double kTargetMilliseconds = 30.0;

double Milliseconds(const std::function<void()>& run) {
  QElapsedTimer timer;
  timer.start();
  run();
  return static_cast<double>(timer.nsecsElapsed()) / kNanosecondsPerMillisecond;
}

struct TFigures {
  double Median, Fastest, Slowest;
};

TFigures Summarize(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const std::size_t n = times.size();
  const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  return {median, times.front(), times.back()};
}

void Print(const char* what, const TFigures& f) {
  std::printf("%-22s median %7.2f ms   fastest %7.2f ms   slowest %7.2f ms\n", what, f.Median,
              f.Fastest, f.Slowest);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kavoro-skin-bench FOLDER [RUNS]\n");
    return 2;
  }
  // Without a display the windows are drawn off screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRuns;

  kavoro::app::TFrm_Main main;
  kavoro::video::TFrm_Video video;
  bool loaded = false;
  const double first =
      Milliseconds([&] { loaded = kavoro::skin::LoadSkinFolder(main, video, folder); });
  if (!loaded) {
    std::fprintf(stderr, "kavoro-skin-bench: the skin in %s does not load\n", folder.c_str());
    return 1;
  }
  std::printf("skin %s, %d runs\n", folder.c_str(), runs);
  std::printf("%-22s %7.2f ms\n", "first load", first);
  // The three measures take turns, so a busy moment of the machine falls on all of them.
  const kavoro::skin::TSkinData data = kavoro::skin::ReadSkin(folder, nullptr, false);
  std::vector<double> loads, reads, applies;
  int failed = 0;
  for (int i = 0; i < runs; ++i) {
    loads.push_back(Milliseconds([&] {
      if (!kavoro::skin::LoadSkinFolder(main, video, folder)) ++failed;
    }));
    reads.push_back(Milliseconds([&] { kavoro::skin::ReadSkin(folder, nullptr, false); }));
    applies.push_back(Milliseconds([&] { kavoro::skin::ApplySkin(main, video, data); }));
  }
  if (failed > 0) {
    std::fprintf(stderr, "kavoro-skin-bench: %d of %d loads failed\n", failed, runs);
    return 1;
  }
  const TFigures load = Summarize(loads);
  Print("load (read + apply)", load);
  Print("read only", Summarize(reads));
  Print("apply only", Summarize(applies));
  std::printf("target: median load under %.0f ms: %s\n", kTargetMilliseconds,
              load.Median < kTargetMilliseconds ? "met" : "NOT met");
  return 0;
}
