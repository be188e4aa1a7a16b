#pragma once
// The borderless form the video control moves onto in full screen. Made once with the control,
// it refuses to be closed by the user (a close request while the control is being destroyed
// returns the control to its frame and is allowed). GUI thread only.
#include <QColor>
#include <QWidget>

namespace kavoro::video {

class TDSVideoWindowEx2;

class TFullScreenForm final : public QWidget {
  Q_OBJECT
 public:
  explicit TFullScreenForm(TDSVideoWindowEx2* control);
  void SetColor(const QColor& color);
  // Stay above every other window, or be an ordinary one; takes effect at the next show.
  void SetTopMost(bool value);
  // Covers `bounds` (screen pixels) and shows.
  void ShowOn(const QRect& bounds);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // The control on the form fills it.
  void resizeEvent(QResizeEvent* event) override;

 private:
  TDSVideoWindowEx2* FControl;
  QColor FColor = Qt::black;
};

}  // namespace kavoro::video
