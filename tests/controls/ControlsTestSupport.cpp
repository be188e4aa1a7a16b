#include "ControlsTestSupport.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

namespace kavoro::controls::test {

QImage Solid(int width, int height, QColor color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

namespace {

QWindow* WindowOf(QWidget* widget) {
  QWidget* top = widget->window();
  top->winId();
  return top->windowHandle();
}

QPoint InWindow(QWidget* widget, QPoint at) {
  return widget->mapTo(widget->window(), at);
}

}  // namespace

void Press(QWidget* widget, QPoint at, Qt::MouseButton button) {
  QTest::mousePress(WindowOf(widget), button, {}, InWindow(widget, at));
}

void Move(QWidget* widget, QPoint at) {
  QTest::mouseMove(WindowOf(widget), InWindow(widget, at));
}

void Release(QWidget* widget, QPoint at, Qt::MouseButton button) {
  QTest::mouseRelease(WindowOf(widget), button, {}, InWindow(widget, at));
}

void MoveAway(QWidget* host) {
  static int step = 0;
  step = (step + 1) % 20;
  Move(host, QPoint(host->width() - 30 + step, host->height() - 20));
}

QImage Painted(QWidget* widget) {
  return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb PixelAt(QWidget* widget, QPoint at) {
  return Painted(widget).pixel(at) & RGB_MASK;
}

std::unique_ptr<QWidget> ShownHost(QSize size) {
  auto host = std::make_unique<QWidget>();
  host->setGeometry(QRect(QPoint(50, 50), size));
  host->show();
  Expose(host.get());
  return host;
}

void Expose(QWidget* widget) {
  widget->window()->show();
  (void)QTest::qWaitForWindowExposed(widget->window());
  QApplication::processEvents();
}

}  // namespace kavoro::controls::test
