#pragma once
// The colour pop-up: a small rounded, frameless, stay-on-top window with sliders for
// brightness, contrast, hue and saturation, a check box for colour on/off and a button that
// puts back the settings read from the overlay. It edits the colour settings of one video
// control while the user watches the picture, appears centred over that control and hides as
// soon as the user clicks anywhere else. It is created once and only shown and hidden.
// GUI thread only.
#include <QColor>
#include <QPointer>
#include <QWidget>

#include "video/VideoTypes.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kavoro::controls {
class TVeskoTrackBar;
}

namespace kavoro::video {

class TDSVideoWindowEx2;

// The window's client size.
constexpr int kColorSetWidth = 300;
constexpr int kColorSetHeight = 158;
// The rounded shape that fills it.
const QColor kColorSetFill(248, 246, 230);
const QColor kColorSetPen(0, 128, 255);
constexpr int kColorSetPenWidth = 2;
// The texts, as the user sees them.
constexpr const char* kBrightnessCaption = "Brightness";
constexpr const char* kContrastCaption = "Contrast";
constexpr const char* kHueCaption = "Hue";
constexpr const char* kSaturationCaption = "Saturation";
constexpr const char* kColorEnableCaption = "Utilized colors";
constexpr const char* kResetCaption = "Reset to Default";
// The hue slider runs 0..360 for hues -180..180.
constexpr int kHueSliderOffset = 180;

class TFrm_ColorSet : public QWidget {
  Q_OBJECT
 public:
  // Builds the window and its controls and runs FormCreate. `video` is the control whose
  // colour settings the pop-up edits; it is not owned and may go away first (the pop-up then
  // does nothing). `parent` (optional) is the window the pop-up belongs to.
  explicit TFrm_ColorSet(TDSVideoWindowEx2* video, QWidget* parent = nullptr);
  ~TFrm_ColorSet() override;

  // The colour painted outside the rounded shape (the overlay's colour key once shown).
  TColor Color() const { return FColor; }
  void SetColor(TColor value);

  // ---- Handlers.
  // Gives sliders 2 to 4 copies of slider 1's bar and slider pictures, then ShowCurrentValues.
  void FormCreate();
  // Colour := the video control's colour key; centres the window over the control's client
  // area on the screen; ShowCurrentValues. Runs when the window is being shown.
  void FormShow();
  // Closes (hides) the window; runs when it loses activation or a click lands elsewhere.
  void FormDeactivate();
  // "Reset to Default": the settings read from the overlay come back; the controls show them.
  void ButtonClick();
  // Colour on or off as the check box says.
  void CheckBoxClick(QObject* Sender);
  // Brightness, contrast, hue (position - 180) and saturation from the slider. A refused value
  // goes to the application's error report and the setting keeps its old value.
  void VeskoTrackBar1Change(QObject* Sender);
  void VeskoTrackBar2Change(QObject* Sender);
  void VeskoTrackBar3Change(QObject* Sender);
  void VeskoTrackBar4Change(QObject* Sender);
  // Puts the current settings into the check box and the sliders; each change writes the
  // same value back through its handler.
  void ShowCurrentValues();

  // ---- The window's controls (owned by it as its children).
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  controls::TVeskoTrackBar* VeskoTrackBar1 = nullptr;
  controls::TVeskoTrackBar* VeskoTrackBar2 = nullptr;
  controls::TVeskoTrackBar* VeskoTrackBar3 = nullptr;
  controls::TVeskoTrackBar* VeskoTrackBar4 = nullptr;
  QCheckBox* CheckBox = nullptr;
  QPushButton* Button = nullptr;

  // The pictures slider 1 is built with: a thin rounded groove of three equal pieces on the
  // fill colour, and a round knob with transparent corners. Any thread.
  static QImage MakeBarPicture();
  static QImage MakeSliderPicture();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Losing the activation hides the window (FormDeactivate).
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Watches the application's mouse presses while shown: one on another window hides it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  controls::TVeskoTrackBar* MakeTrackBar(int top, int max, int position);
  // Runs a handler body on the video control's colour settings, reporting what it throws.
  template <class F>
  void OnSettings(F&& body);

  QPointer<TDSVideoWindowEx2> FVideo;
  TColor FColor = clNone;
  // True while the window is being built: the controls' change events then carry the
  // designed values, not the user's, and must not reach the settings.
  bool FLoading = true;
};

}  // namespace kavoro::video
