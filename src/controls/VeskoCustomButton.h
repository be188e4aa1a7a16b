#pragma once

#include "controls/ControlTypes.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;

namespace kavoro::controls {

// The four faces of a button; which one shows follows from MouseOver, Pressed and Enabled.
enum class TButtonState { bsNormal, bsOver, bsPressed, bsDisabled };

// What happens to a button; every change of MouseOver and Pressed goes through Transition.
enum class TButtonInput {
  biPointerEnter,  // the pointer entered the button
  biPointerLeave,  // the pointer left the button
  biLeftDown,      // the left mouse button went down on it
  biMoveOutside,   // the pointer moved to a point outside it (while captured or hovering)
  biLeftUp,        // the left mouse button was released
  biKeyDown,       // Space or Enter went down while it has the focus
  biKeyUp,         // Space or Enter was released while it has the focus
  biMoveInside,    // the pointer came back over it while the mouse is captured
  biCancel,        // the press was cancelled: disabled, or the pressing key left with the focus
  biHide,          // the button was hidden
};

// A windowed button that shows one of four pictures by its state, draws an optional caption
// over it and reports a click only when a press is released over it. It paints through one
// off-screen work bitmap per paint and never erases its background separately. The pictures
// come from three named Qt resources under a resource root (ResourceModule); derived classes
// supply them otherwise. All members: GUI thread only.
class TVeskoCustomButton : public QWidget {
  Q_OBJECT
 public:
  // Size of the blank picture painted when a state picture cannot be obtained.
  static constexpr int BlankPictureWidth = 74;
  static constexpr int BlankPictureHeight = 21;
  // The focus rectangle lies this many pixels inside the client area.
  static constexpr int FocusInset = 2;
  // Colours of a disabled caption: the raised white copy, then the grey text.
  static constexpr QRgb DisabledCaptionLight = 0xFFFFFF;
  static constexpr QRgb DisabledCaptionShadow = 0x808080;
  // Resource root used until another one is given: the program's own Qt resources.
  static inline const QString DefaultResourceModule = QStringLiteral(":/");

  explicit TVeskoCustomButton(QWidget* parent = nullptr);
  ~TVeskoCustomButton() override;

  TUIStyle UIStyle() const { return FUIStyle; }
  // Stores the style, runs ApplyStyle and StyleChanged, repaints.
  void SetUIStyle(TUIStyle value);

  QString Caption() const { return FCaption; }
  // Stores the caption ("&" marks the accelerator), runs CaptionChanged, repaints.
  void SetCaption(const QString& value);

  bool AutoSize() const { return FAutoSize; }
  // Stores the flag, runs AdjustToPicture, repaints.
  void SetAutoSize(bool value);

  bool Transparent() const { return FTransparent; }
  // Stores the flag, runs TransparentChanged, repaints. True: the parent's image shows behind
  // the picture; false: the button's colour does.
  void SetTransparent(bool value);

  bool TabStop() const { return FTabStop; }
  // Stores the flag (it decides whether the focus rectangle is drawn) and lets the button take
  // the focus by Tab when true.
  void SetTabStop(bool value);

  bool Enabled() const { return isEnabled(); }
  // The standard enabling; EnabledChanged and a repaint follow from the change.
  void SetEnabled(bool value) { setEnabled(value); }

  int ModalResult() const { return FModalResult; }
  // Stores the value copied to the parent dialog's result on every click.
  void SetModalResult(int value) { FModalResult = value; }

  QAction* Action() const { return FAction; }
  // Links the action: its text becomes the caption, its enabled and visible states and tool
  // tip follow it, and a click without OnClick triggers it. nullptr unlinks.
  void SetAction(QAction* action);

  bool MouseOver() const { return FMouseOver; }
  bool Pressed() const { return FPressed; }
  bool ClickArmed() const { return FClickArmed; }
  // The face the button shows now.
  TButtonState State() const;

  // The click rule: does nothing unless the button itself armed it (ClickArmed) and is
  // enabled; sets the parent dialog's result to ModalResult, then calls OnClick, or triggers the
  // linked action when there is no OnClick.
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // The resource-based picture source: names of the normal, mouse-over and pressed pictures.
  virtual QString NormalResource() const { return FNormalResource; }
  virtual void SetNormalResource(const QString& name) { FNormalResource = name; }
  virtual QString MouseOnResource() const { return FMouseOnResource; }
  virtual void SetMouseOnResource(const QString& name) { FMouseOnResource = name; }
  virtual QString MouseDownResource() const { return FMouseDownResource; }
  virtual void SetMouseDownResource(const QString& name) { FMouseDownResource = name; }
  QString ResourceModule() const { return FResourceModule; }
  // Sets the resource root the names are looked up under; empty gives the program's own.
  virtual void SetResourceModule(const QString& module);

 protected:
  // Sizes the button to the normal resource picture when AutoSize is on and a name is set.
  virtual void AdjustToPicture();
  virtual void CaptionChanged() {}
  // Fonts are taken from the widget at each paint; a change only needs a repaint.
  virtual void FontChanged();
  virtual void TransparentChanged();
  virtual void EnabledChanged() {}
  // The custom style sizes the button to its picture.
  virtual void StyleChanged();
  virtual void ApplyStyle(TUIStyle style) = 0;

  // Draws the picture at 0, 0, keyed by its top-left pixel when Transparent, greyed when
  // disabled.
  virtual void DrawGlyph(QPainter& canvas, const QImage& picture);
  // Draws the caption centred on one line: embossed white and grey when disabled, moved one
  // pixel right and down while pressed.
  virtual void DrawCaption(QPainter& canvas, const QString& text);
  // Draws the focus rectangle FocusInset pixels inside the client area.
  virtual void DrawFocus(QPainter& canvas);

  // Fill the bitmap with the picture of one state; may throw when the picture cannot be had,
  // and the paint then shows a blank picture.
  virtual void GetNormalPicture(QImage& bitmap);
  virtual void GetMouseOnPicture(QImage& bitmap);
  virtual void GetMouseDownPicture(QImage& bitmap);
  virtual void GetDisabledPicture(QImage& bitmap);

  // The state machine of the four faces: every change of MouseOver and Pressed, and the
  // release that delivers a click, happens here.
  void Transition(TButtonInput input);

  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

  // Sets AutoSize without running AdjustToPicture.
  void StoreAutoSize(bool value) { FAutoSize = value; }

 private:
  QImage LoadResource(const QString& name) const;
  void GetStatePicture(QImage& bitmap);
  void ArmedClick();
  void ActionChanged();
  void UpdateMnemonic();
  static bool IsPressKey(int key);

  TUIStyle FUIStyle = TUIStyle::Custom;
  QString FCaption;
  bool FAutoSize = false;
  bool FTransparent = false;
  bool FTabStop = false;
  int FModalResult = 0;
  QPointer<QAction> FAction;
  QMetaObject::Connection FActionConnection;
  int FMnemonicId = 0;

  bool FMouseOver = false;
  bool FPressed = false;
  bool FClickArmed = false;
  bool FPressedByKey = false;  // Pressed came from Space or Enter, not from the mouse

  QString FNormalResource;
  QString FMouseOnResource;
  QString FMouseDownResource;
  QString FResourceModule = DefaultResourceModule;
};

}  // namespace kavoro::controls
