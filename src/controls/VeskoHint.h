#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kavoro::controls {

class TVeskoHintWindow;

// What a show-hint handler may look at and change before a hint shows.
struct THintInfo {
  QWidget* HintControl = nullptr;  // the control whose hint (tool tip) is due
  QPoint CursorPos;                // the pointer, in global coordinates
  int HideTimeout = 0;             // milliseconds until the hint hides
};

// The states of the application's hint.
enum class THintState {
  hsIdle,     // the pointer is over no control with a hint
  hsWaiting,  // the pause before the hint of HintControl runs
  hsShowing,  // the hint of HintControl shows
  hsDone,     // the hint of HintControl showed or was cancelled; it waits for another control
};

// What reaches the hint; every change of its state happens in HintInput.
enum class THintInput {
  hiOver,       // the pointer is over a control (or over none)
  hiShowTimer,  // the pause before showing ran out
  hiHideTimer,  // the time to show ran out
  hiCancel,     // a mouse button, key or wheel was used: the hint goes away
  hiDeactivate, // the application lost the focus
};

// Replaces the application's tool tips everywhere with TVeskoHintWindow: it watches the pointer
// application-wide, shows the tool tip of the control under it after HintPause (HintShortPause
// when moving on from a showing hint) and hides it after HintHidePause or at the next press.
// While several exist, the one created first works and the others wait. It holds the colours,
// width and font the hint window draws with. All members: GUI thread only.
class TVeskoHint : public QObject {
  Q_OBJECT
 public:
  static constexpr int HintPause = 500;
  static constexpr int HintShortPause = 25;
  static constexpr int HintHidePause = 5000;
  static constexpr QRgb DefaultColorBackground = 0xFFFFFF;
  static constexpr QRgb DefaultColorBorder = 0x000000;
  static constexpr QRgb DefaultColorArrowBackground = 0xFFD253;  // red 255, green 210, blue 83
  static constexpr QRgb DefaultColorArrow = 0x000000;
  static constexpr QRgb DefaultFontColor = 0x000000;
  static constexpr int DefaultMaxHintWidth = 250;

  // Indices of the four colours for SetColor.
  static constexpr int ColorIndexBackground = 0;
  static constexpr int ColorIndexBorder = 1;
  static constexpr int ColorIndexArrowBackground = 2;
  static constexpr int ColorIndexArrow = 3;

  explicit TVeskoHint(QObject* owner = nullptr);
  ~TVeskoHint() override;

  // The hint component that serves the application: the first one created that still exists.
  static TVeskoHint* ApplicationHint();

  QColor ColorBackground() const { return FColors[ColorIndexBackground]; }
  QColor ColorBorder() const { return FColors[ColorIndexBorder]; }
  QColor ColorArrowBackground() const { return FColors[ColorIndexArrowBackground]; }
  QColor ColorArrow() const { return FColors[ColorIndexArrow]; }
  // Stores one of the four colours by index (0 background, 1 border, 2 arrow background,
  // 3 arrow); the next hint uses it. Other indices are ignored.
  void SetColor(int index, const QColor& value);
  void SetColorBackground(const QColor& value) { SetColor(ColorIndexBackground, value); }
  void SetColorBorder(const QColor& value) { SetColor(ColorIndexBorder, value); }
  void SetColorArrowBackground(const QColor& value) {
    SetColor(ColorIndexArrowBackground, value);
  }
  void SetColorArrow(const QColor& value) { SetColor(ColorIndexArrow, value); }

  int MaxHintWidth() const { return FMaxHintWidth; }
  // Widest hint in pixels, arrow strip and margins included.
  void SetMaxHintWidth(int value) { FMaxHintWidth = value; }

  QFont Font() const { return FFont; }
  // Copies the font of the hint text.
  void SetFont(const QFont& value) { FFont = value; }
  // The colour of the hint text (Qt fonts carry no colour of their own).
  QColor FontColor() const { return FFontColor; }
  void SetFontColor(const QColor& value) { FFontColor = value; }

  // Called before a hint shows; it may change the text or set CanShow false.
  std::function<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)> OnShowHint;

  THintState State() const { return FState; }
  QWidget* HintControl() const { return FHintControl; }
  // The hint window, once the first hint was due; nullptr before.
  TVeskoHintWindow* HintWindow() const { return FWindow.get(); }

  // The control whose hint applies to a widget: the widget or its nearest ancestor within the
  // same window that has a tool tip; nullptr when none has.
  static QWidget* HintControlOf(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The hint's state machine.
  void HintInput(THintInput input, QWidget* control = nullptr);

 private:
  void ShowHintNow();
  void HideHint();
  void Wait(QWidget* control, int pause);

  QColor FColors[4];
  int FMaxHintWidth = DefaultMaxHintWidth;
  QFont FFont;
  QColor FFontColor;
  THintState FState = THintState::hsIdle;
  QPointer<QWidget> FHintControl;
  // The pointer's last global position, from the pointer events passing by.
  QPoint FPointer;
  QTimer FShowTimer;
  QTimer FHideTimer;
  std::unique_ptr<TVeskoHintWindow> FWindow;
};

}  // namespace kavoro::controls
