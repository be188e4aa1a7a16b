// Paints the skins we ship and writes them as the player reads them.
//
//   kavoro-skin-maker SKINS_FOLDER [--preview PREVIEW_FOLDER]
//
// Each skin goes to SKINS_FOLDER/<name>/; with --preview, PREVIEW_FOLDER/<name>.png shows it
// composed as the player would show it.
#include "SkinFiles.h"
#include "SkinPreview.h"
#include "Skins.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  using namespace kavoro::skinmaker;
  // Painting text needs the font machinery, not a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  QString skins, preview;
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--preview") && i + 1 < args.size()) {
      preview = args[++i];
    } else if (skins.isEmpty() && !args[i].startsWith(QLatin1Char('-'))) {
      skins = args[i];
    } else {
      skins.clear();
      break;
    }
  }
  if (skins.isEmpty()) {
    std::fprintf(stderr, "usage: kavoro-skin-maker SKINS_FOLDER [--preview PREVIEW_FOLDER]\n");
    return 2;
  }
  for (const TSkinArt& skin : {PaintDefaultSkin(), PaintCapsuleSkin()}) {
    if (!WriteSkin(skin, QDir(skins).filePath(skin.Name))) return 1;
    if (preview.isEmpty()) continue;
    const QString path = QDir(preview).filePath(skin.Name + QStringLiteral(".png"));
    if (!QDir().mkpath(preview) || !PreviewSkin(skin).save(path, "PNG")) {
      std::fprintf(stderr, "kavoro-skin-maker: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
