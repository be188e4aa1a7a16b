// libFuzzer target: any bytes as a skin's "Skin.ini" in a folder that holds the pictures of the
// shipped skin "Default", read as the skin checker reads it (every problem gathered), read as
// the player reads it (stopping at the first failure) and loaded onto one main window and one
// video window, drawn off screen. Whatever the bytes: both reads agree on how many steps are
// complete, a skin without failures is complete and a complete one has none, and the load
// succeeds exactly when the skin is complete.
#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Main.h"
#include "skin/SkinLoader.h"
#include "skin/SkinReader.h"
#include "video/Video.h"

namespace fs = std::filesystem;
using namespace kavoro;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "skin_fuzz: broken: %s\n", what);
  std::abort();
}

// The scratch skin folder, removed at exit. A plain array, so that it outlives the exit handler.
char g_folder[] = "/tmp/kavoro-skin-fuzz-XXXXXX";

// The application, the two windows and the skin folder with the pictures, made once.
struct TFixture {
  TFixture() {
    // No display is needed: the windows are drawn off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "skin_fuzz";
    static char* argv[] = {name, nullptr};
    App = new QApplication(argc, argv);
    Check(mkdtemp(g_folder) != nullptr, "a scratch folder is made");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(g_folder, ec);
    });
    // Every picture of the shipped skin; its Skin.ini is the input's place.
    for (const auto& entry : fs::directory_iterator(KAVORO_SKIN_FUZZ_PICTURES)) {
      if (entry.path().filename() == skin::kSkinFileName) continue;
      fs::copy_file(entry.path(), fs::path(g_folder) / entry.path().filename());
    }
    Main = new app::TFrm_Main();
    Video = new video::TFrm_Video();
  }
  // Kept for the whole run, as the player keeps its windows over skin changes.
  QApplication* App;
  app::TFrm_Main* Main;
  video::TFrm_Video* Video;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFixture& fixture = Fixture();
  const std::string folder = g_folder;
  std::ofstream(folder + "/" + skin::kSkinFileName, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  std::vector<skin::TSkinProblem> problems;
  const skin::TSkinData all = skin::ReadSkin(folder, &problems, true);
  bool failed = false;
  for (const skin::TSkinProblem& problem : problems) {
    Check(!problem.Message.empty(), "a problem says what is wrong");
    failed = failed || !problem.Warning;
  }
  Check(all.Complete() == !failed, "a skin is complete exactly when nothing failed");
  Check(all.CompleteSteps >= static_cast<int>(skin::TSkinStep::ssFolder) &&
            all.CompleteSteps <= skin::kSkinStepCount,
        "the folder step is complete and no more steps than there are");

  const skin::TSkinData first = skin::ReadSkin(folder, nullptr, false);
  Check(first.CompleteSteps == all.CompleteSteps, "both reads complete the same steps");
  Check(skin::ApplySkin(*fixture.Main, *fixture.Video, first) == first.Complete(),
        "a load succeeds exactly for a complete skin");
  QCoreApplication::processEvents();
  return 0;
}
