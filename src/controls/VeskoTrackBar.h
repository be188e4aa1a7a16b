#pragma once

#include "controls/ControlTypes.h"
#include "controls/Picture.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>

namespace kavoro::controls {

class TVeskoImagePanel;

// Direction of a track bar: the minimum is at the left, or at the bottom.
enum class TVeskoProgressBarOrientation { VeskoHorizontal, VeskoVertical };

// The two states of the slider's tracking.
enum class TTrackState { tsIdle, tsDragging };

// What reaches the tracking; every change of the drag state happens in Track.
enum class TTrackInput {
  tiBarPress,     // a button went down on the bar outside the slider
  tiSliderPress,  // a button went down on the slider
  tiMove,         // the pointer moved over the bar, or anywhere while the bar holds the mouse
  tiRelease,      // a button was released
};

// A slider control drawn from two pictures: a bar picture cut into a left cap, a stretchable
// middle and a right cap, drawn at the control's length, and a slider picture shown by a child
// picture panel that the user drags or that jumps to a click. It maps pixels to an integer
// Position in Min..Max. Products are formed in 64 bits and divided truncating toward zero, so
// every result that fits 32 bits is the plain 32-bit one and none overflows. A bar without
// room for its slider to travel (not longer than it) and a range with Max equal to Min keep the
// slider at the minimum end and map every point to Min. All members: GUI thread only.
class TVeskoTrackBar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int InitialMin = 0;
  static constexpr int InitialMax = 100;
  static constexpr int InitialPosition = 0;
  // The bar picture holds three equal pieces side by side.
  static constexpr int BarPieces = 3;

  explicit TVeskoTrackBar(QWidget* parent = nullptr);
  ~TVeskoTrackBar() override;

  TVeskoProgressBarOrientation Orientation() const { return FOrientation; }
  // Stores the direction, then Rebuild.
  void SetOrientation(TVeskoProgressBarOrientation value);

  TUIStyle UIStyle() const { return TUIStyle::Custom; }
  // Does nothing: the style is always Custom.
  void SetUIStyle(TUIStyle) {}

  // The bar picture object. Assigning a graphic to it directly does not rebuild the bar.
  TPicture& BarImage() { return FBarImage; }
  // Copies the picture, then Rebuild.
  void SetBarImage(const QImage& picture);

  // The slider panel's own picture object: assigning a graphic to it changes the slider at once,
  // and the slider sizes itself to it once the bar was first rebuilt.
  TPicture& SliderImage();
  // Copies the picture into the slider panel's picture, then repaints. The bar is not rebuilt;
  // a change of size afterwards places the slider with its new size.
  void SetSliderImage(const QImage& picture);

  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Position() const { return FPosition; }
  // Each stores the value (Position is not limited to Min..Max), then PlaceSlider.
  void SetMin(int value);
  void SetMax(int value);
  void SetPosition(int value);

  QColor Color() const { return FColor; }
  // Stores the colour shown wherever the bar picture does not cover the control, repaints.
  void SetColor(const QColor& value);

  // Raised after the slider has been placed or dragged.
  TNotifyEvent OnChange;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  TVeskoImagePanel* Slider() const { return FSlider; }
  const QImage& BarBitmap() const { return FBarBitmap; }
  TTrackState TrackState() const { return FTrackState; }
  bool Dragging() const { return FTrackState == TTrackState::tsDragging; }
  int GrabOffset() const { return FGrabOffset; }

  // Left and top of the slider inside the bar for the current Position.
  QPoint SliderPlacement() const;
  // The value for a point in the bar's coordinates, taking the point as the slider's centre;
  // not limited to Min..Max (saturated to the 32-bit range).
  int PositionAtPoint(int x, int y) const;
  // Sets Position from the point, limited to Min..Max: through its setter (placing the slider
  // and raising OnChange) with notify, stored only without.
  void SetPositionFromPoint(int x, int y, bool notify);
  // Moves the slider to SliderPlacement, repaints, raises OnChange.
  void PlaceSlider();
  // PlaceSlider, BuildBarBitmap, FitThickness, repaint.
  void Rebuild();

  // Draws the three pieces of the picture over the rectangle: the caps unscaled at its ends,
  // the middle stretched between them, all opaque. A picture narrower than three pixels has no
  // pieces and is drawn whole, stretched over the rectangle.
  static void DrawThreePart(const QImage& picture, QPainter& canvas, const QRect& rectangle);
  // A quarter turn counter-clockwise: pixel (x, y) of a W x H bitmap goes to (y, W - 1 - x) of
  // an H x W bitmap.
  static QImage RotateLeft(const QImage& bitmap);

 protected:
  // The tracking state machine: bar presses jump, slider presses start a drag with the mouse
  // held by the bar, moves drag, releases end it.
  void Track(TTrackInput input, QPoint at);
  void BuildBarBitmap();
  // Makes the bar exactly as thick as the slider picture; a bar without a slider picture keeps
  // its thickness.
  void FitThickness();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SliderMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                       int X, int Y);
  bool Horizontal() const { return FOrientation == TVeskoProgressBarOrientation::VeskoHorizontal; }
  // How far the slider can travel along the bar; zero or less when it has no room.
  std::int64_t Travel() const;
  QSize SliderSize() const;
  void EndDrag();

  TVeskoImagePanel* FSlider = nullptr;  // owned by this widget as its child
  QImage FBarBitmap;
  TPicture FBarImage;
  TVeskoProgressBarOrientation FOrientation = TVeskoProgressBarOrientation::VeskoHorizontal;
  int FMin = InitialMin;
  int FMax = InitialMax;
  int FPosition = InitialPosition;
  QColor FColor;
  TTrackState FTrackState = TTrackState::tsIdle;
  int FGrabOffset = 0;
};

}  // namespace kavoro::controls
