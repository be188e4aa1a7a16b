#include "controls/VeskoHint.h"

#include "controls/VeskoHintWindow.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QEvent>
#include <QPointerEvent>

#include <algorithm>
#include <vector>

namespace kavoro::controls {

namespace {

// Every live hint component in creation order.
std::vector<TVeskoHint*>& Components() {
  static std::vector<TVeskoHint*> components;
  return components;
}

}  // namespace

TVeskoHint::TVeskoHint(QObject* owner) : QObject(owner) {
  FColors[ColorIndexBackground] = QColor::fromRgb(DefaultColorBackground);
  FColors[ColorIndexBorder] = QColor::fromRgb(DefaultColorBorder);
  FColors[ColorIndexArrowBackground] = QColor::fromRgb(DefaultColorArrowBackground);
  FColors[ColorIndexArrow] = QColor::fromRgb(DefaultColorArrow);
  FFontColor = QColor::fromRgb(DefaultFontColor);
  FFont = QApplication::font();
  FShowTimer.setSingleShot(true);
  FHideTimer.setSingleShot(true);
  connect(&FShowTimer, &QTimer::timeout, this, [this] { HintInput(THintInput::hiShowTimer); });
  connect(&FHideTimer, &QTimer::timeout, this, [this] { HintInput(THintInput::hiHideTimer); });
  Components().push_back(this);
  if (qApp) {
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
              if (state != Qt::ApplicationActive) HintInput(THintInput::hiDeactivate);
            });
  }
}

TVeskoHint::~TVeskoHint() {
  if (qApp) qApp->removeEventFilter(this);
  auto& components = Components();
  components.erase(std::remove(components.begin(), components.end(), this), components.end());
}

TVeskoHint* TVeskoHint::ApplicationHint() {
  const auto& components = Components();
  return components.empty() ? nullptr : components.front();
}

void TVeskoHint::SetColor(int index, const QColor& value) {
  if (index < ColorIndexBackground || index > ColorIndexArrow) return;
  FColors[index] = value;
}

QWidget* TVeskoHint::HintControlOf(QWidget* widget) {
  while (widget && widget->toolTip().isEmpty() && !widget->isWindow()) {
    widget = widget->parentWidget();
  }
  return widget && !widget->toolTip().isEmpty() ? widget : nullptr;
}

void TVeskoHint::HintInput(THintInput input, QWidget* control) {
  switch (input) {
    case THintInput::hiOver:
      if (!control) {
        HideHint();
        FHintControl = nullptr;
        FState = THintState::hsIdle;
      } else if (control != FHintControl || FState == THintState::hsIdle) {
        // Moving on from a hint that shows brings the next one up almost at once.
        const bool wasShowing = FState == THintState::hsShowing;
        HideHint();
        Wait(control, wasShowing ? HintShortPause : HintPause);
      }
      break;
    case THintInput::hiShowTimer:
      if (FState == THintState::hsWaiting) ShowHintNow();
      break;
    case THintInput::hiHideTimer:
      if (FState == THintState::hsShowing) {
        HideHint();
        FState = THintState::hsDone;
      }
      break;
    case THintInput::hiCancel:
      if (FState == THintState::hsWaiting || FState == THintState::hsShowing) {
        HideHint();
        FState = THintState::hsDone;
      }
      break;
    case THintInput::hiDeactivate:
      HideHint();
      FHintControl = nullptr;
      FState = THintState::hsIdle;
      break;
  }
}

void TVeskoHint::Wait(QWidget* control, int pause) {
  FHintControl = control;
  FState = THintState::hsWaiting;
  FShowTimer.start(pause);
}

void TVeskoHint::HideHint() {
  FShowTimer.stop();
  FHideTimer.stop();
  if (FWindow) FWindow->hide();
}

void TVeskoHint::ShowHintNow() {
  if (!FHintControl) {
    FState = THintState::hsIdle;
    return;
  }
  QString text = FHintControl->toolTip();
  bool canShow = true;
  THintInfo info;
  info.HintControl = FHintControl;
  info.CursorPos = FPointer;
  info.HideTimeout = HintHidePause;
  if (OnShowHint) OnShowHint(text, canShow, info);
  if (!canShow || text.isEmpty()) {
    FState = THintState::hsDone;
    return;
  }
  if (!FWindow) FWindow = std::make_unique<TVeskoHintWindow>();
  FWindow->PlaceAndShowHintAt(QRect(info.CursorPos, QSize()), text, info.CursorPos);
  FState = THintState::hsShowing;
  FHideTimer.start(info.HideTimeout);
}

bool TVeskoHint::eventFilter(QObject* watched, QEvent* event) {
  if (ApplicationHint() != this) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && FWindow && (widget == FWindow.get() || FWindow->isAncestorOf(widget))) {
    return false;
  }
  if (event->isPointerEvent()) {
    const auto& points = static_cast<QPointerEvent*>(event)->points();
    if (!points.isEmpty()) FPointer = points.front().globalPosition().toPoint();
  }
  switch (event->type()) {
    case QEvent::ToolTip:
      // The application's own tool tips never show; this component shows them instead.
      return true;
    case QEvent::Enter:
      FPointer = static_cast<QEnterEvent*>(event)->globalPosition().toPoint();
      // Entering sends one event per widget entered, the innermost last.
      if (widget) HintInput(THintInput::hiOver, HintControlOf(widget));
      break;
    case QEvent::Leave:
      // Leaving a child for its parent enters nothing new: look at what is under the pointer.
      if (widget) {
        HintInput(THintInput::hiOver, HintControlOf(QApplication::widgetAt(FPointer)));
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
      HintInput(THintInput::hiCancel);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace kavoro::controls
