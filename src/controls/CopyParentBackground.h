#pragma once

class QPainter;
class QWidget;

namespace kavoro::controls {

// Paints into the canvas, at the canvas's origin, the pixels of the control's parent that lie
// under the control: the parent's background and its own painting, then the parent's windowless
// controls (TGraphicControl) other than the control itself, in stacking order. The canvas is
// left in the drawing state it had. Does nothing for a control without a parent.
// GUI thread only; may be called from the control's paint event.
void CopyParentBackground(QPainter& canvas, const QWidget& control);

}  // namespace kavoro::controls
