#pragma once
// The short slide-in the player's dialogs open with: the dialog's body (the widget holding
// every control) drops into place from a little above while it fades in, easing out.
// Runs on the GUI thread's event loop, never blocks, and always ends with the body exactly at
// its place and fully opaque, also when it is stopped half-way (the dialog closed).
#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>

namespace kavoro::app {

// Idle: never started. Sliding: the animation runs. Done: the body is at its place.
enum class TSlideState { Idle, Sliding, Done };

class TDialogSlide : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDurationMs = 300;
  // How far above its place the body starts.
  static constexpr int kDropPixels = 16;
  // The body's opacity when the slide begins.
  static constexpr qreal kStartOpacity = 0.2;

  // A slide for body (not null), a child of its dialog; body owns the slide (it is the
  // slide's parent). GUI thread only.
  explicit TDialogSlide(QWidget* body);

  // Places the body at its start and runs the slide towards its present position. A slide
  // under way is stopped first (at its end) and started afresh. GUI thread only.
  void Start();
  // Ends a slide under way at once: the body at its place and opaque, OnFinished
  // called; does nothing when no slide runs. GUI thread only.
  void Stop();

  TSlideState State() const { return FState; }
  // Where the body ends: its position when the last slide started. GUI thread only.
  QPoint FinalPos() const { return FFinalPos; }

  // Called when a slide reaches its end, normally or through Stop. GUI thread.
  std::function<void()> OnFinished;

 private:
  // Moves the body and sets its opacity for progress 0..1 along the eased curve.
  void Step(qreal progress);
  // Puts everything at its end and leaves Sliding.
  void Finish();

  QPointer<QWidget> FBody;
  // The fade while sliding; owned by the body, which drops it (and so draws plainly) at the end.
  QPointer<QGraphicsOpacityEffect> FFade;
  QVariantAnimation FAnimation;
  TSlideState FState = TSlideState::Idle;
  QPoint FFinalPos;
};

// A dialog of the player that opens with the slide: centred on the desktop, its FormShow run
// and its body slid in on each opening; a restore from the taskbar is no new opening, and
// closing ends a slide under way.
class TSlideInDialog : public QDialog {
  Q_OBJECT
 public:
  // GUI thread only; owner may be null.
  TSlideInDialog(QWidget* owner, Qt::WindowFlags flags);

  // Run on every opening, before the body slides in. GUI thread only.
  virtual void FormShow() = 0;
  // The slide the dialog opens with; precondition: SetSlideBody was called. GUI thread only.
  TDialogSlide& Slide() { return *FSlide; }

 protected:
  // The widget that holds every control and slides in; once, from the derived constructor.
  void SetSlideBody(QWidget* body) { FSlide = new TDialogSlide(body); }
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  TDialogSlide* FSlide = nullptr;  // owned by the body
};

}  // namespace kavoro::app
