#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QTextLayout;

namespace kavoro::controls {

class TVeskoHint;

// The borderless hint: the text on a background colour with a one-pixel frame and an arrow
// strip on the side of the pointer. It opens away from the pointer toward the middle of the
// screen. Its width, colours and font come from the application's TVeskoHint; without one it
// uses that component's initial values. A word wider than the hint is broken inside. GUI
// thread only.
class TVeskoHintWindow : public QWidget {
  Q_OBJECT
 public:
  // Room the measured text is given less than the hint's width, and what is added around it.
  static constexpr int WidthMargin = 22;
  static constexpr int HeightMargin = 6;
  // Gap between the pointer and the hint: upper-left quarter, and all others.
  static constexpr int GapUpperLeft = 12;
  static constexpr int Gap = 5;
  // The arrow strip runs from this column to the next multiple (1 to 15 on the left side).
  static constexpr int StripStart = 1;
  static constexpr int StripEnd = 15;
  // The text lies this far inside the text area.
  static constexpr int TextInsetX = 3;
  static constexpr int TextInsetY = 1;
  // The arrow's anchor lies this far inside the strip's corner; right and bottom edges count
  // one pixel further in, since they are exclusive.
  static constexpr int AnchorInsetNear = 2;
  static constexpr int AnchorInsetFar = 3;
  static constexpr int ArrowPointCount = 18;
  // The arrow for the upper-right quarter, as offsets from its anchor; the other quarters
  // mirror it.
  static constexpr QPoint ArrowOffsets[ArrowPointCount] = {
      {0, 0},   {0, 6},   {-1, 6},  {-1, 0}, {-6, 0}, {-6, 1}, {-2, 1}, {-2, 4},  {-5, 7},
      {-6, 7},  {-3, 4},  {-3, 3},  {-6, 6}, {-7, 6}, {-3, 2}, {-4, 2}, {-7, 5},  {-7, 6}};

  TVeskoHintWindow();

  // The quarter of the screen a point lies in (halves by integer division): 1 upper left,
  // 0 upper right, 3 lower left, 2 lower right; the exact middle belongs to 2.
  static int QuadrantOf(const QPoint& point, const QSize& screen);

  // Shows the text as a hint beside the pointer. The rectangle is only the starting point of
  // the measuring; its size does not matter.
  void PlaceAndShowHint(const QRect& rectangle, const QString& text);
  // The same with the pointer's global position given.
  void PlaceAndShowHintAt(const QRect& rectangle, const QString& text, const QPoint& cursor);

  // The hint's size for a text: the word-wrapped extent in the hint font within MaxHintWidth
  // less WidthMargin, plus WidthMargin across and HeightMargin down.
  QSize HintSize(const QString& text) const;

  QString Text() const { return FText; }
  int Quadrant() const { return FQuadrant; }
  // The hint component it found for the last hint; nullptr when there was none.
  TVeskoHint* Hint() const { return FHint; }
  QFont HintFont() const { return FHintFont; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Takes width, colours and font from the application's hint component, or the defaults.
  void TakeSettings();
  int LayoutWidth() const;
  // Lays the text out word-wrapped at the layout width; returns the extent of its lines.
  QSize LayoutText(QTextLayout& layout) const;

  QString FText;
  int FQuadrant = 0;
  QPointer<TVeskoHint> FHint;
  QFont FHintFont;
  QColor FTextColor;
  QColor FColorBackground;
  QColor FColorBorder;
  QColor FColorArrowBackground;
  QColor FColorArrow;
  int FMaxHintWidth = 0;
};

}  // namespace kavoro::controls
