// kavoro-video-demo [--fullscreen N | --desktop] [--zoom Z] [--colors] (--dvd PATH | FILE)
// Shows the video window with the video panel, plays a DVD volume (its menus work under the
// pointer) or a file, and optionally goes full screen on monitor N, plays on the desktop or
// opens the colour pop-up. Closing the window ends it.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/FilterGraph.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "video/ColorSet.h"
#include "video/Video.h"

using namespace kavoro;

namespace {

constexpr int kSettleMs = 500;

int Usage() {
  std::fprintf(stderr,
               "usage: kavoro-video-demo [--fullscreen N | --desktop] [--zoom Z] [--colors] "
               "(--dvd PATH | FILE)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string dvd, file;
  int fullScreen = -1, zoom = 0;
  bool desktop = false, colors = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dvd" && i + 1 < argc) dvd = argv[++i];
    else if (a == "--fullscreen" && i + 1 < argc) fullScreen = std::atoi(argv[++i]);
    else if (a == "--zoom" && i + 1 < argc) zoom = std::atoi(argv[++i]);
    else if (a == "--desktop") desktop = true;
    else if (a == "--colors") colors = true;
    else if (file.empty() && a.rfind("--", 0) != 0) file = a;
    else return Usage();
  }
  if (dvd.empty() == file.empty()) return Usage();
  media::RegisterDvdPlayback();

  video::TFrm_Video form;
  form.move(80, 60);
  form.VideoPanel->show();
  form.show();
  video::TDSVideoWindowEx2* control = form.VideoWindowEx;
  TFilterGraph graph;
  control->SetFilterGraph(&graph);
  form.FilterGraph = &graph;
  HRESULT hr = S_OK;
  if (!dvd.empty()) {
    graph.SetMode(gmDVD);
    graph.SetActive(true);
    AM_DVD_RENDERSTATUS status;
    hr = graph.RenderDvd(&status, dvd, 0);
  } else {
    graph.SetActive(true);
    hr = graph.RenderFile(file);
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot render: %s\n", HResultToString(hr).c_str());
    return 1;
  }
  control->SetDigitalZoom(zoom);
  graph.Play();
  if (!dvd.empty()) control->ShowInWindow();  // as the player's DVD start does
  video::TFrm_ColorSet popUp(control);
  QTimer::singleShot(kSettleMs, &app, [&] {
    if (fullScreen >= 0) {
      form.hide();
      control->ShowFullScreen(fullScreen);
    } else if (desktop) {
      control->ShowOnDesktop();
      form.hide();
    }
    if (colors) popUp.show();
  });
  const int code = app.exec();
  if (control->FullScreen() || control->DesktopMode()) control->ShowInWindow();
  graph.Stop();
  graph.SetActive(false);
  return code;
}
