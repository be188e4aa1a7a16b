#include "app/DialogSlide.h"

#include <QEasingCurve>
#include <QShowEvent>

#include "app/DialogLook.h"
#include "platform/os/Application.h"

namespace kavoro::app {

TDialogSlide::TDialogSlide(QWidget* body) : QObject(body), FBody(body) {
  FAnimation.setDuration(kDurationMs);
  FAnimation.setStartValue(0.0);
  FAnimation.setEndValue(1.0);
  FAnimation.setEasingCurve(QEasingCurve::OutCubic);
  connect(&FAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    if (FState == TSlideState::Sliding) Step(value.toReal());
  });
  connect(&FAnimation, &QVariantAnimation::finished, this, [this] { Finish(); });
}

void TDialogSlide::Start() {
  if (!FBody) return;
  Stop();
  FFinalPos = FBody->pos();
  FState = TSlideState::Sliding;
  FFade = new QGraphicsOpacityEffect;
  FBody->setGraphicsEffect(FFade);  // the body owns the effect
  Step(0);
  FAnimation.start();
}

void TDialogSlide::Stop() {
  if (FState != TSlideState::Sliding) return;
  FAnimation.stop();  // emits no finished signal
  Finish();
}

void TDialogSlide::Step(qreal progress) {
  if (!FBody) return;
  const int drop = qRound((1 - progress) * kDropPixels);
  FBody->move(FFinalPos - QPoint(0, drop));
  if (FFade) FFade->setOpacity(kStartOpacity + (1 - kStartOpacity) * progress);
}

void TDialogSlide::Finish() {
  if (FState != TSlideState::Sliding) return;
  // The end is set, not interpolated, so that it is exact.
  if (FBody) {
    FBody->move(FFinalPos);
    FBody->setGraphicsEffect(nullptr);  // deletes the fade
  }
  FState = TSlideState::Done;
  if (OnFinished) OnFinished();
}

TSlideInDialog::TSlideInDialog(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags) {}

void TSlideInDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) TDialogLook::CentreOnDesktop(this);
  QDialog::showEvent(event);
  // A window restored from the taskbar shows again on its own; that is no new opening.
  if (event->spontaneous()) return;
  os::RunGuarded([this] { FormShow(); });
  if (FSlide) FSlide->Start();
}

void TSlideInDialog::hideEvent(QHideEvent* event) {
  if (FSlide) FSlide->Stop();
  QDialog::hideEvent(event);
}

}  // namespace kavoro::app
