// kavoro-skin-check FOLDER
// Reads the skin in FOLDER as the player reads it and prints every problem with its section,
// key and value. Exits 0 when the player would accept the skin, 1 when it would refuse it and
// 2 when it was called wrongly.
#include "skin/SkinReader.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using kavoro::skin::TSkinProblem;

constexpr int kExitAccepted = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// What each step of a load reads, by TSkinStep.
constexpr const char* kStepNames[kavoro::skin::kSkinStepCount] = {
    "the skin folder",   "the main picture", "the hint colours", "the buttons",
    "the track bars",    "the labels",       "the clock",        "the video window"};

void PrintProblem(const TSkinProblem& problem) {
  std::string line = problem.Warning ? "warning: " : "error: ";
  if (!problem.Section.empty()) line += "[" + problem.Section + "] " + problem.Key + " = ";
  line += "\"" + problem.Value + "\": " + problem.Message;
  std::printf("%s\n", line.c_str());
}

int Usage() {
  std::fprintf(stderr, "Usage: kavoro-skin-check FOLDER\n"
                       "Reads the skin in FOLDER as the player does and lists every problem.\n"
                       "Exit status: 0 the player accepts the skin, 1 it refuses it.\n");
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // picture readers expect an application object
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage();
    if (arg.starts_with("--")) {
      std::fprintf(stderr, "kavoro-skin-check: unknown option %s\n", arg.c_str());
      return Usage();
    }
    folders.push_back(arg);
  }
  if (folders.size() != 1) return Usage();

  std::vector<TSkinProblem> problems;
  const kavoro::skin::TSkinData data = kavoro::skin::ReadSkin(folders[0], &problems, true);
  std::printf("Skin folder: %s\n", data.Folder.c_str());
  int errors = 0;
  int warnings = 0;
  for (const TSkinProblem& problem : problems) {
    PrintProblem(problem);
    ++(problem.Warning ? warnings : errors);
  }
  if (data.Complete()) {
    std::printf("The player accepts this skin (%d warning%s).\n", warnings,
                warnings == 1 ? "" : "s");
    return kExitAccepted;
  }
  std::printf("The player refuses this skin: %d error%s, %d warning%s; loading stops at %s.\n",
              errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s",
              kStepNames[data.CompleteSteps]);
  return kExitRefused;
}
