#pragma once

#include "controls/ControlTypes.h"
#include "controls/GraphicControl.h"
#include "controls/Picture.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRegion>

namespace kavoro::controls {

// Shows the skin's main picture on its form, cuts the form's window to the shape of that
// picture (every pixel of TransparentColor is left out) and sizes the form's client area to
// it. A left press anywhere on it moves the window through the window system, or by following
// the pointer where the window system cannot. It does its work only when its parent is a window
// (the form); on anything else it is a plain control. All members: GUI thread only.
class TVeskoSkinForm : public TGraphicControl {
  Q_OBJECT
 public:
  static constexpr QRgb DefaultTransparentColor = 0xFF00FF;
  static constexpr int InitialWidth = 200;
  static constexpr int InitialHeight = 100;

  // Creates the control on the form and makes the form a captionless window of 200 x 100.
  explicit TVeskoSkinForm(QWidget* parent = nullptr);

  // The form whose window this control shapes; nullptr when its parent is not a window.
  QWidget* Form() const { return FForm; }

  // The picture object. Assigning a graphic to it directly does not apply it; the next
  // SetTransparentColor does, as a skin is loaded.
  TPicture& Glyph() { return FGlyph; }
  // Copies the picture, ApplyGlyph, repaints.
  void SetGlyph(const QImage& picture);

  QColor TransparentColor() const { return FTransparentColor; }
  // Stores the colour, ApplyGlyph, repaints.
  void SetTransparentColor(const QColor& value);

  QMenu* PopupMenu() const { return FPopupMenu; }
  // The context menu shown on a right click.
  void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

  // Raised after the window's shape and size were set.
  TNotifyEvent OnRegionChanged;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  // The region of every pixel whose red, green and blue are not exactly those of the colour:
  // one rectangle per run of such pixels in a row, rows with equal runs merged into one band.
  static QRegion BuildRegion(const QImage& bitmap, const QColor& transparent);

 protected:
  // Shapes and sizes the form from Glyph and raises OnRegionChanged; an empty Glyph changes
  // nothing.
  void ApplyGlyph();

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QPointer<QWidget> FForm;
  TPicture FGlyph;
  QColor FTransparentColor;
  QPointer<QMenu> FPopupMenu;
  // Set while the control moves the window itself: the pointer's offset from the window's
  // top-left corner at the press.
  bool FMovingByHand = false;
  QPoint FGrabOffset;
  // Where the form stood at the left press; a release leaves a click only if it did not move.
  bool FClickPending = false;
  QPoint FFormPosAtPress;
};

}  // namespace kavoro::controls
