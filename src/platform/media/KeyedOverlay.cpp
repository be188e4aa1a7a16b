#include "platform/media/KeyedOverlay.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>

#include "platform/media/PictureFit.h"
#include "platform/media/VideoFormat.h"

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
  if (!picture_.isNull()) {
    // The renderer's window shows the picture again, at the destination size.
    surface_->SetDrawSize(0, 0);
    surface_->Refresh();
  }
}

void KeyedOverlay::SetWindowRect(const QRect& rect) {
  windowRect_ = rect;
  Place();
}

void KeyedOverlay::Refresh() {
  if (Place()) return;
  // Only the picture changed, and it shows only under the key.
  update(keyed_.intersected(picture_));
}

QRect KeyedOverlay::FitPicture(const QSize& size, const OverlayKeying& k) {
  const RECT r = FitPictureRect({0, 0, size.width(), size.height()}, static_cast<LONG>(k.aspectX),
                                static_cast<LONG>(k.aspectY), FitOfMode(k.aspectMode));
  return QRect(r.left, r.top, RectWidth(r), RectHeight(r));
}

bool KeyedOverlay::Place() {
  if (!owner_) return false;
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
  bool moved = false;
  if (dest != geometry()) {
    setGeometry(dest);
    ScheduleLookAgain();
    moved = true;
  }
  const QObjectList& siblings = owner_->children();
  if (!siblings.isEmpty() && siblings.last() != this) raise();
  const QRect fit = FitPicture(size(), settings_);
  if (fit != picture_) {
    SetPictureRect(fit);
    update();  // the bars around the picture change too
    moved = true;
  }
  UpdateOpaque();
  return moved;
}

void KeyedOverlay::SetPictureRect(const QRect& rect) {
  picture_ = rect;
  // A fit the surface cannot hold (a crop of an extreme shape) is drawn scaled from the
  // destination-sized picture instead.
  const bool holdable = !rect.isEmpty() && rect.width() <= kMaxPictureSide &&
                        rect.height() <= kMaxPictureSide;
  surface_->SetDrawSize(holdable ? rect.width() : 0, holdable ? rect.height() : 0);
  surface_->Refresh();
}

void KeyedOverlay::UpdateOpaque() {
  setAttribute(Qt::WA_OpaquePaintEvent, !underlay_.isNull() && underlay_.size() == size());
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
  UpdateOpaque();
  update();
}

void KeyedOverlay::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (underlay_.size() != size()) {
    // Not looked at yet: nothing known of what lies under it, so it shows no video (and is
    // not opaque: what lies under it shows through).
    ScheduleLookAgain();
    return;
  }
  const QRegion exposed = event->region();
  for (const QRect& r : exposed - keyed_) p.drawImage(r.topLeft(), underlay_, r);
  const QRegion shown = exposed & keyed_;
  if (shown.isEmpty()) return;
  const QImage picture = surface_->Image();
  const QRegion covered = picture.isNull() ? QRegion() : shown & picture_;
  for (const QRect& r : shown - covered) p.fillRect(r, Qt::black);
  if (covered.isEmpty()) return;
  if (picture.size() == picture_.size()) {
    for (const QRect& r : covered)
      p.drawImage(r.topLeft(), picture, r.translated(-picture_.topLeft()));
  } else {
    // A frame converted before the picture's size changed: scaled here, this once.
    p.setClipRegion(covered);
    p.drawImage(picture_, picture);
  }
}

}  // namespace kavoro::media
