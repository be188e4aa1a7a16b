#include "app/StateReport.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/Label.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "media/FilterGraph.h"
#include "util/ThdTimer.h"
#include "video/Video.h"

namespace kavoro::app {
namespace {

const char* ModeName(TWindowMode mode) {
  switch (mode) {
    case TWindowMode::wmFullScreen: return "fullscreen";
    case TWindowMode::wmDesktop: return "desktop";
    case TWindowMode::wmNormal: break;
  }
  return "normal";
}

// The state the graph itself is in: "none" without a graph, so the tests can hold the labels
// against what really plays.
const char* GraphStateName(TFilterGraph& graph) {
  if (!graph.Active()) return "none";
  const std::optional<FILTER_STATE> state = graph.GraphState();
  if (!state) return "unknown";
  switch (*state) {
    case State_Running: return "running";
    case State_Paused: return "paused";
    case State_Stopped: break;
  }
  return "stopped";
}

}  // namespace

std::string DescribeState(TFrm_Main& main) {
  std::ostringstream out;
  out << "PlayState=" << main.Label_PlayState->Caption().toStdString() << '\n'
      << "Title=" << main.Label_Title->Caption().toStdString() << '\n'
      << "Chapter=" << main.Label_Chapter->Caption().toStdString() << '\n'
      << "PlayName=" << main.PlayName << '\n'
      << "PlayIndex=" << main.PlayIndex << '\n'
      << "PlayListCount=" << main.PlayListCount() << '\n';
  for (int i = 0; i < main.PlayListCount(); ++i)
    out << "PlayListLine" << i << '=' << main.PlayListItem(i)->FileName << '\n';
  out << "GraphActive=" << (main.FilterGraph->Active() ? 1 : 0) << '\n'
      << "GraphMode=" << (main.FilterGraph->Mode() == gmDVD ? "dvd" : "normal") << '\n'
      << "GraphState=" << GraphStateName(*main.FilterGraph) << '\n'
      << "Skin=" << Settings().SkinName << '\n'
      << "WindowMode=" << ModeName(main.WindowMode()) << '\n'
      << "PlayListShown=" << (main.PlayListShown() ? 1 : 0) << '\n'
      << "Sliding=" << ((main.ShowFormTimer->Enabled() || main.SkinSwitching()) ? 1 : 0) << '\n';
  return out.str();
}

void ReportState(TFrm_Main& main) {
  const char* file = std::getenv(kStateFileVariable);
  if (!file || !*file) return;
  const std::string path = file;
  const std::string temporary = path + ".new";
  const std::string text = DescribeState(main);
  std::FILE* f = std::fopen(temporary.c_str(), "w");
  if (!f) return;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) {
    std::remove(temporary.c_str());
    return;
  }
  std::rename(temporary.c_str(), path.c_str());
}

}  // namespace kavoro::app
