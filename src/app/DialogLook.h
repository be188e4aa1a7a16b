#pragma once
// The shared look of the player's two small dialogs (options and default drive): a light
// parchment face with dark text, the player's cyan accent for focus and selection, and the
// pictures of the options panel drawn in the About box's style. Also the steps both dialogs
// share: centring on the desktop, the opening sound and the drive list.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

#include "app/MenuStyle.h"

class QComboBox;
class QPainter;
class QWidget;

namespace kavoro::app {

// Colours of the dialogs' face.
inline constexpr QColor kDialogFace{248, 246, 230};
inline constexpr QColor kDialogPanel{255, 255, 255};
inline constexpr QColor kDialogInk{33, 38, 46};
inline constexpr QColor kDialogRule{201, 196, 172};
// The player's accent and selection blue, as in its menus.
inline constexpr QColor kDialogAccent = kMenuAccent;
inline constexpr QColor kDialogSelection = kMenuHighlight;

// The sound both dialogs open with, in the application folder.
inline constexpr const char* kDialogShowSound = "ShowF.wav";
// Caption of the message boxes the dialogs show.
inline constexpr const char* kDialogMessageCaption = "Kavoro Player";

class TDialogLook {
 public:
  // Puts the face colour, font, palette and style sheet on dialog (not null). GUI thread only.
  static void Apply(QWidget* dialog);
  // The dialogs' font: DejaVu Sans at a pixel size, anti-aliased. Any thread.
  static QFont Font();

  // The player's emblem (a lit disc with a play mark) filling box. Any thread, on any painter.
  static void PaintEmblem(QPainter& painter, const QRectF& box);
  // A small optical drive with a disc half out of its tray, filling box. Any thread.
  static void PaintDrive(QPainter& painter, const QRectF& box);
  // One of the two pictures at size (device-independent pixels) for a screen of the given
  // pixel ratio, on a transparent ground. GUI thread only (pixmaps).
  static QPixmap EmblemPixmap(QSize size, qreal pixelRatio);
  static QPixmap DrivePixmap(QSize size, qreal pixelRatio);

  // Moves the top-level widget so that its frame is centred on the available area of the
  // primary screen. GUI thread only.
  static void CentreOnDesktop(QWidget* widget);
  // Plays ShowF.wav from the application folder without waiting. GUI thread only.
  static void PlayShowSound();
  // Clears combo (not null) and lists one caption per root, in order ("E:\MOVIE",
  // "E:\No Disc"). GUI thread only.
  static void FillDriveList(QComboBox* combo, const std::vector<std::string>& roots);
  // The drive letter of the selected entry (its first character), or empty when nothing is
  // selected. GUI thread only.
  static std::string SelectedDrive(const QComboBox* combo);
};

}  // namespace kavoro::app
