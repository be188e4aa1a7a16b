#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <memory>

namespace kavoro::controls::test {

// A picture of one colour.
QImage Solid(int width, int height, QColor color);

// The real mouse, through the window system of the widget's window: presses capture, moves
// and releases go to the capturing widget, and the pointer enters and leaves widgets.
void Press(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget* widget, QPoint at);
void Release(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Moves the pointer to a free spot of the host (lower right), a different one on every call:
// the window system drops a move to where the pointer already is.
void MoveAway(QWidget* host);

// What the widget shows, as painted.
QImage Painted(QWidget* widget);
QRgb PixelAt(QWidget* widget, QPoint at);

// A shown top-level window to place controls on, 400 x 300 at 50, 50 unless resized.
std::unique_ptr<QWidget> ShownHost(QSize size = QSize(400, 300));

// Waits until the widget's window is shown and exposed.
void Expose(QWidget* widget);

}  // namespace kavoro::controls::test
