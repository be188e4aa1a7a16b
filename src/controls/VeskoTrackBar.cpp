#include "controls/VeskoTrackBar.h"

#include "controls/VeskoImagePanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace kavoro::controls {

namespace {

// Limits a value the way the bar does: above the upper end gives the upper end, then below the
// lower end gives the lower end (so an empty range gives the lower end).
std::int64_t Limit(std::int64_t value, std::int64_t low, std::int64_t high) {
  if (value > high) value = high;
  if (value < low) value = low;
  return value;
}

int Saturate(std::int64_t value) {
  return static_cast<int>(Limit(value, std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

}  // namespace

TVeskoTrackBar::TVeskoTrackBar(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  FColor = palette().color(QPalette::Window);
  FSlider = new TVeskoImagePanel(this);
  FSlider->resize(0, 0);
  // Sized to its picture from the start: a bar built while hidden is rebuilt only once it is
  // shown, and that rebuild must already see the slider's size.
  FSlider->SetAutoSize(true);
  FSlider->OnMouseDown = [this](QObject* sender, Qt::MouseButton button,
                                Qt::KeyboardModifiers shift, int x, int y) {
    SliderMouseDown(sender, button, shift, x, y);
  };
  FMin = InitialMin;
  FMax = InitialMax;
  SetPosition(InitialPosition);
  FOrientation = TVeskoProgressBarOrientation::VeskoHorizontal;
  FTrackState = TTrackState::tsIdle;
  PlaceSlider();
}

TVeskoTrackBar::~TVeskoTrackBar() {
  if (mouseGrabber() == this) releaseMouse();
  FSlider->OnMouseDown = nullptr;
}

void TVeskoTrackBar::SetOrientation(TVeskoProgressBarOrientation value) {
  FOrientation = value;
  Rebuild();
}

void TVeskoTrackBar::SetBarImage(const QImage& picture) {
  FBarImage.Assign(picture);
  Rebuild();
}

TPicture& TVeskoTrackBar::SliderImage() {
  return FSlider->Picture();
}

void TVeskoTrackBar::SetSliderImage(const QImage& picture) {
  FSlider->Picture().Assign(picture);
  update();
}

void TVeskoTrackBar::SetMin(int value) {
  FMin = value;
  PlaceSlider();
}

void TVeskoTrackBar::SetMax(int value) {
  FMax = value;
  PlaceSlider();
}

void TVeskoTrackBar::SetPosition(int value) {
  FPosition = value;
  PlaceSlider();
}

void TVeskoTrackBar::SetColor(const QColor& value) {
  FColor = value;
  update();
}

QSize TVeskoTrackBar::SliderSize() const {
  return FSlider->size();
}

std::int64_t TVeskoTrackBar::Travel() const {
  const QSize slider = SliderSize();
  return Horizontal() ? std::int64_t{width()} - slider.width()
                      : std::int64_t{height()} - slider.height();
}

QPoint TVeskoTrackBar::SliderPlacement() const {
  const QSize slider = SliderSize();
  const std::int64_t travel = Travel();
  const std::int64_t range = std::int64_t{FMax} - FMin;
  const std::int64_t along =
      (travel > 0 && range != 0) ? (std::int64_t{FPosition} - FMin) * travel / range : 0;
  if (Horizontal()) {
    return {Saturate(along), std::max(0, height() - slider.height()) / 2};
  }
  return {std::max(0, width() - slider.width()) / 2, Saturate(travel - along)};
}

int TVeskoTrackBar::PositionAtPoint(int x, int y) const {
  const QSize slider = SliderSize();
  const std::int64_t travel = Travel();
  if (travel <= 0) return FMin;
  const std::int64_t range = std::int64_t{FMax} - FMin;
  if (Horizontal()) {
    return Saturate(FMin + (std::int64_t{x} - slider.width() / 2) * range / travel);
  }
  return Saturate(FMin +
                  range * (std::int64_t{height()} - y - slider.height() / 2) / travel);
}

void TVeskoTrackBar::SetPositionFromPoint(int x, int y, bool notify) {
  const int value = static_cast<int>(Limit(PositionAtPoint(x, y), FMin, FMax));
  if (notify) {
    SetPosition(value);
  } else {
    FPosition = value;
  }
}

void TVeskoTrackBar::PlaceSlider() {
  FSlider->move(SliderPlacement());
  update();
  if (OnChange) OnChange(this);
}

void TVeskoTrackBar::Rebuild() {
  PlaceSlider();
  BuildBarBitmap();
  FitThickness();
  update();
}

void TVeskoTrackBar::DrawThreePart(const QImage& picture, QPainter& canvas,
                                   const QRect& rectangle) {
  if (picture.isNull() || rectangle.isEmpty()) return;
  canvas.save();
  canvas.setCompositionMode(QPainter::CompositionMode_Source);
  const int piece = picture.width() / BarPieces;
  const int pictureHeight = picture.height();
  if (piece == 0) {
    canvas.drawImage(rectangle, picture);
    canvas.restore();
    return;
  }
  const int right = rectangle.left() + rectangle.width();
  canvas.drawImage(rectangle.topLeft(), picture, QRect(0, 0, piece, pictureHeight));
  canvas.drawImage(QPoint(right - piece, rectangle.top()), picture,
                   QRect(2 * piece, 0, piece, pictureHeight));
  const QRect middle(rectangle.left() + piece, rectangle.top(), rectangle.width() - 2 * piece,
                     rectangle.height());
  if (!middle.isEmpty()) {
    canvas.drawImage(middle, picture, QRect(piece, 0, piece, pictureHeight));
  }
  canvas.restore();
}

QImage TVeskoTrackBar::RotateLeft(const QImage& bitmap) {
  if (bitmap.isNull()) return {};
  const QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
  const int w = source.width();
  const int h = source.height();
  QImage turned(h, w, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      reinterpret_cast<QRgb*>(turned.scanLine(w - 1 - x))[y] = line[x];
    }
  }
  return turned;
}

void TVeskoTrackBar::BuildBarBitmap() {
  const int length = Horizontal() ? width() : height();
  const int thickness = FBarImage.Height();
  if (length <= 0 || thickness <= 0) {
    FBarBitmap = QImage();
  } else {
    QImage bar(length, thickness, QImage::Format_RGB32);
    bar.fill(FColor);
    {
      QPainter canvas(&bar);
      DrawThreePart(FBarImage.Graphic(), canvas, bar.rect());
    }
    FBarBitmap = Horizontal() ? bar : RotateLeft(bar);
  }
  FSlider->SetAutoSize(true);
}

void TVeskoTrackBar::FitThickness() {
  if (FSlider->Picture().HasGraphic()) {
    const QSize before = size();
    if (Horizontal()) {
      resize(width(), FSlider->height());
    } else {
      resize(FSlider->width(), height());
    }
    // A bar that is not visible gets no resize event for this now (not even while it is being
    // shown), so it takes the rebuild for its new thickness itself.
    if (size() != before && !isVisible()) Rebuild();
  }
  update();
}

void TVeskoTrackBar::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  const qreal ratio = devicePixelRatioF();
  QImage work(size() * ratio, QImage::Format_RGB32);
  work.setDevicePixelRatio(ratio);
  work.fill(FColor);
  {
    // Only the bar bitmap's own pixels are copied; Color shows where it does not reach.
    QPainter canvas(&work);
    if (!FBarBitmap.isNull()) canvas.drawImage(0, 0, FBarBitmap);
  }
  QPainter screen(this);
  screen.drawImage(0, 0, work);
}

void TVeskoTrackBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Rebuild();
}

void TVeskoTrackBar::Track(TTrackInput input, QPoint at) {
  switch (input) {
    case TTrackInput::tiBarPress:
      // A single jump that centres the slider under the pointer; no drag starts.
      SetPositionFromPoint(at.x(), at.y(), true);
      break;
    case TTrackInput::tiSliderPress:
      FGrabOffset = Horizontal() ? at.x() : at.y();
      FTrackState = TTrackState::tsDragging;
      grabMouse();
      break;
    case TTrackInput::tiMove: {
      if (FTrackState != TTrackState::tsDragging) break;
      const QSize slider = SliderSize();
      if (Horizontal()) {
        const std::int64_t left =
            Limit(std::int64_t{at.x()} - FGrabOffset, 0, std::int64_t{width()} - slider.width());
        FSlider->move(static_cast<int>(left), FSlider->y());
      } else {
        const std::int64_t top = Limit(std::int64_t{at.y()} - FGrabOffset, 0,
                                       std::int64_t{height()} - slider.height());
        FSlider->move(FSlider->x(), static_cast<int>(top));
      }
      SetPositionFromPoint(at.x(), at.y(), false);
      if (OnChange) OnChange(this);
      break;
    }
    case TTrackInput::tiRelease:
      EndDrag();
      break;
  }
}

void TVeskoTrackBar::EndDrag() {
  FTrackState = TTrackState::tsIdle;
  if (mouseGrabber() == this) releaseMouse();
}

void TVeskoTrackBar::SliderMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int X,
                                     int Y) {
  Track(TTrackInput::tiSliderPress, QPoint(X, Y));
}

void TVeskoTrackBar::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoTrackBar> alive(this);
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
  if (alive) Track(TTrackInput::tiBarPress, at);
}

void TVeskoTrackBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoTrackBar> alive(this);
  if (OnMouseMove) OnMouseMove(this, event->buttons(), event->modifiers(), at.x(), at.y());
  if (!alive) return;
  // Held by the bar with no button down means the release went elsewhere: the drag is over.
  if (Dragging() && event->buttons() == Qt::NoButton) {
    Track(TTrackInput::tiRelease, at);
    return;
  }
  Track(TTrackInput::tiMove, at);
}

void TVeskoTrackBar::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoTrackBar> alive(this);
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
  if (alive) Track(TTrackInput::tiRelease, at);
}

}  // namespace kavoro::controls
