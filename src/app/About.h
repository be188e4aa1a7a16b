#pragma once
// The About box: a borderless picture of the player's emblem, name and version, in the
// Default skin's graphite and cyan, centred over the window that opened it. A click with any
// mouse button, or Escape, closes it.
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace kavoro::app {

inline constexpr const char* kAboutName = "Kavoro Player";
inline constexpr const char* kAboutVersion = "Version: 2.14";
inline constexpr const char* kAboutTagline = "DVD-Video \u00b7 Video CD \u00b7 media files";
inline constexpr const char* kAboutCloseHint = "Click anywhere to close";
inline constexpr QSize kAboutSize(360, 220);

// One line of text on the About picture: what it says, where, in which font and ink.
struct TAboutText {
  QString Text;
  QRect Rect;
  QFont Font;
  QColor Ink;
};

class TFrm_About : public QDialog {
  Q_OBJECT
 public:
  // Creates the box (hidden, modal, frameless) with its picture; it is placed centred over
  // parent's window whenever it is shown, over the screen when there is none. The caller owns
  // the box (the usual use: create, exec, free). GUI thread only.
  explicit TFrm_About(QWidget* parent = nullptr);

  // The picture the box shows. Any thread.
  const QImage& Picture() const { return FPicture; }

  // The lines of text the picture carries, in drawing order. Any thread.
  static std::vector<TAboutText> Texts();
  // Paints the whole picture at kAboutSize. Any thread.
  static QImage PaintPicture();

  // Moves the box so that its centre is over window's centre, kept on window's screen;
  // over the primary screen's centre when window is null. GUI thread only.
  void CentreOver(const QWidget* window);

 protected:
  // Draws the picture. GUI thread only.
  void paintEvent(QPaintEvent* event) override;
  // Centres the box over its parent's window just before it appears. GUI thread only.
  void showEvent(QShowEvent* event) override;
  // A press of any button inside the box arms the close. GUI thread only.
  void mousePressEvent(QMouseEvent* event) override;
  // The release after a press inside the box closes it (accepted); a release alone (the end
  // of the click that opened the box) does nothing. GUI thread only.
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage FPicture;
  // A press inside the box arms the close; the release that follows closes it.
  bool FPressed = false;
};

}  // namespace kavoro::app
