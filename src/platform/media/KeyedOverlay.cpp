#include "platform/media/KeyedOverlay.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>

#include "platform/media/PictureFit.h"

namespace kavoro::media {
namespace {

// The mixer's aspect-ratio modes as fits; stretched as the primary stretches too.
PictureFit FitOfMode(AM_ASPECT_RATIO_MODE mode) {
  switch (mode) {
    case AM_ARMODE_LETTER_BOX: return PictureFit::LetterBox;
    case AM_ARMODE_CROP: return PictureFit::Crop;
    default: return PictureFit::Stretched;
  }
}

QRgb KeyRgb(COLORREF c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

KeyedOverlay::KeyedOverlay(std::shared_ptr<VideoSurface> surface, ComPtr<IOverlayKeying> keying,
                           QWidget* owner, QWidget* hidden)
    : QWidget(owner), surface_(std::move(surface)), keying_(std::move(keying)), owner_(owner),
      hidden_(hidden) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  qApp->installEventFilter(this);
  surface_->keyed = this;
  Place();
  show();
  ScheduleLookAgain();
}

KeyedOverlay::~KeyedOverlay() {
  qApp->removeEventFilter(this);
  if (surface_->keyed == this) surface_->keyed = nullptr;
}

void KeyedOverlay::SetWindowRect(const QRect& rect) {
  windowRect_ = rect;
  Place();
}

void KeyedOverlay::Refresh() {
  Place();
  update();
}

QRect KeyedOverlay::FitPicture(const QSize& size, const OverlayKeying& k) {
  const RECT r = FitPictureRect({0, 0, size.width(), size.height()}, static_cast<LONG>(k.aspectX),
                                static_cast<LONG>(k.aspectY), FitOfMode(k.aspectMode));
  return QRect(r.left, r.top, RectWidth(r), RectHeight(r));
}

void KeyedOverlay::Place() {
  if (!owner_) return;
  const COLORREF key = settings_.keyColor;
  if (keying_) keying_->GetOverlayKeying(&settings_);
  if (settings_.keyColor != key) {
    underlay_ = QImage();  // found with the old key
    ScheduleLookAgain();
  }
  QRect dest = windowRect_;
  if (settings_.hasDestination) {
    const RECT& d = settings_.destination;
    dest = QRect(owner_->mapFromGlobal(QPoint(d.left, d.top)), QSize(RectWidth(d), RectHeight(d)));
  }
  if (dest != geometry()) {
    setGeometry(dest);
    ScheduleLookAgain();
  }
  const QObjectList& siblings = owner_->children();
  if (!siblings.isEmpty() && siblings.last() != this) raise();
}

bool KeyedOverlay::Watches(QObject* o) const {
  auto* w = qobject_cast<QWidget*>(o);
  if (!w || !owner_ || w == this || isAncestorOf(w)) return false;
  if (hidden_ && (w == hidden_ || hidden_->isAncestorOf(w))) return false;
  return w == owner_ || owner_->isAncestorOf(w);
}

bool KeyedOverlay::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && !looking_ && Watches(watched)) ScheduleLookAgain();
  return false;
}

void KeyedOverlay::ScheduleLookAgain() {
  if (scheduled_) return;
  scheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    scheduled_ = false;
    LookAgain();
  });
}

void KeyedOverlay::LookAgain() {
  Place();  // the mixer's destination may have moved since
  if (!owner_ || width() <= 0 || height() <= 0) return;
  const QRect dest = geometry();
  QImage under(dest.size(), QImage::Format_RGB32);
  under.fill(Qt::black);
  looking_ = true;
  owner_->render(&under, QPoint(), QRegion(dest), QWidget::DrawWindowBackground);
  for (QObject* o : owner_->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w == this || w == hidden_ || w->isWindow() || !w->isVisibleTo(owner_)) continue;
    const QRect part = w->geometry() & dest;
    if (part.isEmpty()) continue;
    w->render(&under, part.topLeft() - dest.topLeft(), QRegion(part.translated(-w->pos())),
              QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
  looking_ = false;
  if (under == underlay_) return;
  underlay_ = under;
  keyed_ = QRegion(QBitmap::fromImage(under.createMaskFromColor(KeyRgb(settings_.keyColor),
                                                                Qt::MaskOutColor)));
  update();
}

void KeyedOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (underlay_.size() != size()) {
    // Not looked at yet: nothing known of what lies under it, so it shows no video.
    ScheduleLookAgain();
    return;
  }
  p.drawImage(0, 0, underlay_);
  if (keyed_.isEmpty()) return;
  p.setClipRegion(keyed_);
  p.fillRect(rect(), Qt::black);
  const QImage picture = surface_->Image();
  if (!picture.isNull()) p.drawImage(FitPicture(size(), settings_), picture);
}

}  // namespace kavoro::media
