// kavoro-skin-check FOLDER [--preview OUT.png]
// Reads the skin in FOLDER as the player reads it and prints every problem with its section,
// key and value. With --preview it also draws the main window and the framed video window in
// the skin into OUT.png. Exits 0 when the player would accept the skin, 1 when it would refuse
// it (or the preview could not be written) and 2 when it was called wrongly.
#include "SkinPreview.h"
#include "skin/SkinReader.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using kavoro::skin::TSkinProblem;

constexpr int kExitAccepted = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr const char* kPreviewOption = "--preview";

// What each step of a load reads, by TSkinStep.
constexpr const char* kStepNames[kavoro::skin::kSkinStepCount] = {
    "the skin folder",   "the main picture", "the hint colours", "the buttons",
    "the track bars",    "the labels",       "the clock",        "the video window"};

void PrintProblem(const TSkinProblem& problem) {
  std::string line = problem.Warning ? "warning: " : "error: ";
  if (problem.Section.empty())
    line += "\"" + problem.Value + "\"";  // the folder or its description file
  else if (problem.Key.empty())
    line += "[" + problem.Section + "]";
  else
    line += "[" + problem.Section + "] " + problem.Key + " = \"" + problem.Value + "\"";
  line += ": " + problem.Message;
  std::printf("%s\n", line.c_str());
}

int Usage() {
  std::fprintf(stderr,
               "Usage: kavoro-skin-check FOLDER [--preview OUT.png]\n"
               "Reads the skin in FOLDER as the player does and lists every problem.\n"
               "--preview OUT.png  also draws the main window and the video window in the skin.\n"
               "Exit status: 0 the player accepts the skin, 1 it refuses it.\n");
  return kExitUsage;
}

const char* Plural(int n) { return n == 1 ? "" : "s"; }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> folders;
  std::optional<std::string> preview;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage();
    if (arg == kPreviewOption) {
      if (i + 1 >= argc || preview) return Usage();
      preview = argv[++i];
      continue;
    }
    if (arg.starts_with("--")) {
      std::fprintf(stderr, "kavoro-skin-check: unknown option %s\n", arg.c_str());
      return Usage();
    }
    folders.push_back(arg);
  }
  if (folders.size() != 1) return Usage();

  // The preview draws real windows; off the screen unless a platform is asked for.
  if (preview && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Picture readers expect an application object; windows need the widget one.
  std::unique_ptr<QCoreApplication> app =
      preview ? std::make_unique<QApplication>(argc, argv)
              : std::make_unique<QCoreApplication>(argc, argv);

  std::vector<TSkinProblem> problems;
  const kavoro::skin::TSkinData data = kavoro::skin::ReadSkin(folders[0], &problems, true);
  std::printf("Skin folder: %s\n", data.Folder.c_str());
  int errors = 0;
  int warnings = 0;
  for (const TSkinProblem& problem : problems) {
    PrintProblem(problem);
    ++(problem.Warning ? warnings : errors);
  }
  int status = kExitAccepted;
  if (data.Complete()) {
    std::printf("The player accepts this skin (%d warning%s).\n", warnings, Plural(warnings));
  } else {
    std::printf("The player refuses this skin: %d error%s, %d warning%s; loading stops at %s.\n",
                errors, Plural(errors), warnings, Plural(warnings),
                kStepNames[data.CompleteSteps]);
    status = kExitRefused;
  }

  if (preview) {
    std::string error;
    if (!kavoro::skincheck::WriteSkinPreview(data, *preview, &error)) {
      std::fprintf(stderr, "kavoro-skin-check: %s\n", error.c_str());
      return kExitRefused;
    }
    std::printf("Preview written to %s%s.\n", preview->c_str(),
                data.Complete() ? "" : " (only the steps before the first error are applied)");
  }
  return status;
}
