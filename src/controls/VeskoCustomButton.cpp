#include "controls/VeskoCustomButton.h"

#include "controls/CopyParentBackground.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <stdexcept>

namespace kavoro::controls {

TVeskoCustomButton::TVeskoCustomButton(QWidget* parent) : QWidget(parent) {
  // The paint covers every pixel; nothing is erased before it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  // Moves without a button held still go through the outside test.
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

TVeskoCustomButton::~TVeskoCustomButton() {
  if (FAction) disconnect(FActionConnection);
}

TButtonState TVeskoCustomButton::State() const {
  if (!isEnabled()) return TButtonState::bsDisabled;
  if (FPressed) return TButtonState::bsPressed;
  if (FMouseOver) return TButtonState::bsOver;
  return TButtonState::bsNormal;
}

void TVeskoCustomButton::Transition(TButtonInput input) {
  switch (input) {
    case TButtonInput::biPointerEnter:
      FMouseOver = true;
      break;
    case TButtonInput::biPointerLeave:
      FMouseOver = false;
      break;
    case TButtonInput::biLeftDown:
      FPressed = true;
      FPressedByKey = false;
      break;
    case TButtonInput::biKeyDown:
      FPressed = true;
      FPressedByKey = true;
      break;
    case TButtonInput::biMoveOutside:
      // A press cancelled this way stays cancelled when the pointer comes back.
      FMouseOver = false;
      FPressed = false;
      break;
    case TButtonInput::biMoveInside:
      // Back over the button while the mouse is captured: the window system sends no enter
      // then, so the move stands for it. The cancelled press does not return.
      FMouseOver = true;
      break;
    case TButtonInput::biLeftUp:
    case TButtonInput::biKeyUp:
      if (!FPressed) return;
      FPressed = false;
      FPressedByKey = false;
      update();
      ArmedClick();
      return;
    case TButtonInput::biCancel:
      FPressed = false;
      break;
    case TButtonInput::biHide:
      FPressed = false;
      FMouseOver = false;
      break;
  }
  if (!FPressed) FPressedByKey = false;
  update();
}

void TVeskoCustomButton::ArmedClick() {
  FClickArmed = true;
  const QPointer<TVeskoCustomButton> alive(this);
  Click();
  if (alive) FClickArmed = false;
}

void TVeskoCustomButton::Click() {
  if (!FClickArmed || !isEnabled()) return;
  auto* dialog = parentWidget() ? qobject_cast<QDialog*>(window()) : nullptr;
  if (dialog) dialog->setResult(FModalResult);
  // The action's own handler is never copied into OnClick, so OnClick, when set, is always a
  // handler of its own and wins over the action.
  const QPointer<QDialog> dialogAlive(dialog);
  if (OnClick) {
    // A copy runs, so a handler may destroy the button (and with it OnClick).
    const TNotifyEvent handler = OnClick;
    handler(this);
  } else if (FAction) {
    FAction->trigger();
  }
  // A modal dialog closes once a click left it a result, as a modal loop would see it.
  if (dialogAlive && dialog->isModal() && dialog->isVisible() && dialog->result() != 0) {
    dialog->done(dialog->result());
  }
}

void TVeskoCustomButton::SetUIStyle(TUIStyle value) {
  FUIStyle = value;
  ApplyStyle(FUIStyle);
  StyleChanged();
  update();
}

void TVeskoCustomButton::StyleChanged() {
  if (FUIStyle == TUIStyle::Custom) SetAutoSize(true);
}

void TVeskoCustomButton::SetCaption(const QString& value) {
  FCaption = value;
  UpdateMnemonic();
  CaptionChanged();
  update();
}

void TVeskoCustomButton::UpdateMnemonic() {
  if (FMnemonicId != 0) releaseShortcut(FMnemonicId);
  FMnemonicId = 0;
  const QKeySequence key = QKeySequence::mnemonic(FCaption);
  if (!key.isEmpty()) FMnemonicId = grabShortcut(key);
}

void TVeskoCustomButton::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustToPicture();
  update();
}

void TVeskoCustomButton::SetTransparent(bool value) {
  FTransparent = value;
  TransparentChanged();
  update();
}

void TVeskoCustomButton::TransparentChanged() {
  update();
}

void TVeskoCustomButton::FontChanged() {
  update();
}

void TVeskoCustomButton::SetTabStop(bool value) {
  FTabStop = value;
  setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TVeskoCustomButton::SetAction(QAction* action) {
  if (FAction) disconnect(FActionConnection);
  FAction = action;
  if (!action) return;
  FActionConnection = connect(action, &QAction::changed, this, [this] { ActionChanged(); });
  ActionChanged();
}

void TVeskoCustomButton::ActionChanged() {
  if (!FAction) return;
  setEnabled(FAction->isEnabled());
  setVisible(FAction->isVisible());
  setToolTip(FAction->toolTip());
  SetCaption(FAction->text());
}

void TVeskoCustomButton::SetResourceModule(const QString& module) {
  FResourceModule = module.isEmpty() ? DefaultResourceModule : module;
}

QImage TVeskoCustomButton::LoadResource(const QString& name) const {
  QImage image(FResourceModule + name);
  if (image.isNull()) throw std::runtime_error("picture resource not found");
  return image;
}

void TVeskoCustomButton::AdjustToPicture() {
  if (!FAutoSize || FNormalResource.isEmpty()) return;
  QImage picture;
  try {
    picture = LoadResource(FNormalResource);
  } catch (const std::runtime_error&) {
    return;
  }
  resize(picture.size());
}

void TVeskoCustomButton::GetNormalPicture(QImage& bitmap) {
  bitmap = LoadResource(FNormalResource);
}

void TVeskoCustomButton::GetMouseOnPicture(QImage& bitmap) {
  bitmap = LoadResource(FMouseOnResource);
}

void TVeskoCustomButton::GetMouseDownPicture(QImage& bitmap) {
  bitmap = LoadResource(FMouseDownResource);
}

void TVeskoCustomButton::GetDisabledPicture(QImage& bitmap) {
  bitmap = LoadResource(FNormalResource);
}

void TVeskoCustomButton::DrawGlyph(QPainter& canvas, const QImage& picture) {
  if (picture.isNull()) return;
  if (!FTransparent && isEnabled()) {
    canvas.drawImage(0, 0, picture);
    return;
  }
  QImage face = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = face.pixel(0, 0) & RGB_MASK;
  for (int y = 0; y < face.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(face.scanLine(y));
    for (int x = 0; x < face.width(); ++x) {
      if (FTransparent && (line[x] & RGB_MASK) == key) {
        line[x] = 0;
      } else if (!isEnabled()) {
        const int grey = qGray(line[x]);
        line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
      }
    }
  }
  canvas.drawImage(0, 0, face);
}

void TVeskoCustomButton::DrawCaption(QPainter& canvas, const QString& text) {
  constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
  const QRect client = rect();
  const QRect moved = client.translated(1, 1);
  canvas.setFont(font());
  if (!isEnabled()) {
    canvas.setPen(QColor::fromRgb(DisabledCaptionLight));
    canvas.drawText(moved, flags, text);
    canvas.setPen(QColor::fromRgb(DisabledCaptionShadow));
    canvas.drawText(client, flags, text);
  } else {
    canvas.setPen(palette().color(foregroundRole()));
    canvas.drawText(FPressed ? moved : client, flags, text);
  }
}

void TVeskoCustomButton::DrawFocus(QPainter& canvas) {
  // The rectangle from (2, 2) to (width - 2, height - 2), right and bottom edges excluded.
  const QRect frame(FocusInset, FocusInset, width() - 2 * FocusInset, height() - 2 * FocusInset);
  if (frame.width() <= 0 || frame.height() <= 0) return;
  canvas.save();
  canvas.setBrush(Qt::NoBrush);
  canvas.setPen(QPen(palette().color(foregroundRole()), 0, Qt::DotLine));
  canvas.drawRect(frame.adjusted(0, 0, -1, -1));
  canvas.restore();
}

void TVeskoCustomButton::GetStatePicture(QImage& bitmap) {
  if (!isEnabled()) {
    GetDisabledPicture(bitmap);
  } else if (FPressed) {
    GetMouseDownPicture(bitmap);
  } else if (FMouseOver) {
    GetMouseOnPicture(bitmap);
  } else {
    GetNormalPicture(bitmap);
  }
}

void TVeskoCustomButton::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  const qreal ratio = devicePixelRatioF();
  QImage work(size() * ratio, QImage::Format_RGB32);
  work.setDevicePixelRatio(ratio);
  QImage statePicture;
  try {
    GetStatePicture(statePicture);
  } catch (const std::exception&) {
    statePicture = QImage(BlankPictureWidth, BlankPictureHeight, QImage::Format_RGB32);
    statePicture.fill(Qt::white);
  }
  {
    QPainter canvas(&work);
    if (FTransparent) {
      CopyParentBackground(canvas, *this);
    } else {
      canvas.fillRect(rect(), palette().color(backgroundRole()));
    }
    DrawGlyph(canvas, statePicture);
    statePicture = QImage();
    if (hasFocus() && FTabStop) DrawFocus(canvas);
    canvas.setFont(font());
    if (!FCaption.trimmed().isEmpty()) DrawCaption(canvas, FCaption);
  }
  QPainter screen(this);
  screen.drawImage(0, 0, work);
}

bool TVeskoCustomButton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    auto* shortcut = static_cast<QShortcutEvent*>(event);
    if (shortcut->shortcutId() != FMnemonicId || !isEnabled()) return false;
    setFocus(Qt::ShortcutFocusReason);
    ArmedClick();
    return true;
  }
  return QWidget::event(event);
}

void TVeskoCustomButton::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
    case QEvent::EnabledChange:
      // A press cannot outlast the button's enabling: it would show again when re-enabled.
      if (!isEnabled()) Transition(TButtonInput::biCancel);
      EnabledChanged();
      update();
      break;
    case QEvent::FontChange:
      FontChanged();
      break;
    default:
      break;
  }
}

void TVeskoCustomButton::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  Transition(TButtonInput::biPointerEnter);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TVeskoCustomButton::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  Transition(TButtonInput::biPointerLeave);
  if (OnMouseExit) OnMouseExit(this);
}

void TVeskoCustomButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Transition(TButtonInput::biLeftDown);
  const QPoint at = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TVeskoCustomButton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QPointer<TVeskoCustomButton> alive(this);
  if (OnMouseMove) OnMouseMove(this, event->buttons(), event->modifiers(), at.x(), at.y());
  if (!alive) return;
  // A point exactly at Width or Height still counts as inside.
  const bool outside = at.x() < 0 || at.y() < 0 || at.x() > width() || at.y() > height();
  if (outside) {
    Transition(TButtonInput::biMoveOutside);
  } else if (!FMouseOver && event->buttons() != Qt::NoButton) {
    Transition(TButtonInput::biMoveInside);
  }
}

void TVeskoCustomButton::mouseReleaseEvent(QMouseEvent* event) {
  const QPointer<TVeskoCustomButton> alive(this);
  if (event->button() == Qt::LeftButton) Transition(TButtonInput::biLeftUp);
  if (!alive) return;
  const QPoint at = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
}

bool TVeskoCustomButton::IsPressKey(int key) {
  return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void TVeskoCustomButton::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  const QPointer<TVeskoCustomButton> alive(this);
  if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
  if (alive && OnKeyPress && !event->text().isEmpty()) {
    QChar character = event->text().front();
    OnKeyPress(this, character);
  }
  if (!alive) return;
  if (IsPressKey(key) && hasFocus() && isEnabled()) {
    Transition(TButtonInput::biKeyDown);
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TVeskoCustomButton::keyReleaseEvent(QKeyEvent* event) {
  // Held keys repeat as release and press pairs; only the real release counts.
  if (event->isAutoRepeat()) {
    event->accept();
    return;
  }
  int key = event->key();
  const QPointer<TVeskoCustomButton> alive(this);
  if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
  if (!alive) return;
  if (IsPressKey(key) && hasFocus() && FPressed && isEnabled()) {
    Transition(TButtonInput::biKeyUp);
    event->accept();
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void TVeskoCustomButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
  if (OnEnter) OnEnter(this);
}

void TVeskoCustomButton::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  // The key that pressed the button is released elsewhere now; the press must not stick.
  if (FPressedByKey) Transition(TButtonInput::biCancel);
  update();
  if (OnExit) OnExit(this);
}

void TVeskoCustomButton::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A hidden button is neither under the pointer nor pressed; shown again it starts afresh.
  Transition(TButtonInput::biHide);
}

}  // namespace kavoro::controls
