#include "app/DialogLook.h"

#include "app/MenuImages.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "platform/os/Sound.h"
#include "system/DriveScan.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kavoro::app {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
constexpr int kFontPixels = 12;

// The emblem, in fractions of its box: the halo ring, the disc, its grooves and the play mark.
constexpr qreal kHaloWidth = 0.03;
constexpr qreal kDiscShare = 0.84;  // of the halo's radius
constexpr int kGrooves = 3;
constexpr qreal kGrooveStep = 0.12;  // of the disc's radius
constexpr qreal kGlyphShare = 0.95;  // of the disc's radius, as the glyph's side
constexpr qreal kGlyphNudge = 0.07;  // a triangle's weight lies left of its box's middle
constexpr QColor kDiscLight(96, 202, 255), kDiscDark(20, 112, 196), kDiscRim(8, 50, 90);
constexpr QColor kGlyphShadow(0, 40, 80, 120);
constexpr int kHaloAlpha = 90, kGrooveAlpha = 40, kShineAlpha = 90;

// The drive, in fractions of its box: the disc behind, the body in front.
constexpr qreal kBodyTop = 0.46;
constexpr qreal kBodyRadius = 0.06;
constexpr qreal kTrayTop = 0.60, kTrayHeight = 0.05;
constexpr qreal kLedSize = 0.07;
constexpr QColor kBodyLight(250, 250, 252), kBodyDark(196, 201, 210), kBodyEdge(104, 112, 124);
constexpr QColor kTrayInk(60, 66, 76);
constexpr QColor kCdLight(236, 242, 250), kCdDark(168, 182, 200), kCdEdge(120, 132, 148);
constexpr QColor kCdSheen(57, 182, 255, 90);

// Style sheet of the dialogs: %1 face, %2 ink, %3 rule, %4 accent, %5 selection.
constexpr const char* kStyleSheet = R"(
QDialog { background: %1; }
QFrame#Panel1 { background: white; border: none; border-bottom: 1px solid %3; }
QFrame#Bevel1 { background: %3; border: none; }
QLabel { color: %2; background: transparent; }
QCheckBox { color: %2; }
QComboBox {
  background: white; color: %2; border: 1px solid %3; border-radius: 3px;
  padding: 1px 6px 1px 6px; selection-background-color: %5; selection-color: white;
}
QComboBox:focus, QComboBox:on { border-color: %4; }
QComboBox QAbstractItemView {
  background: white; color: %2; border: 1px solid %3; outline: 0;
  selection-background-color: %5; selection-color: white;
}
QPushButton {
  color: %2; border: 1px solid %3; border-radius: 4px; padding: 2px 12px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #ece8d6);
}
QPushButton:hover { border-color: %5; }
QPushButton:default { border-color: %5; }
QPushButton:focus { border: 1px solid %4; }
QPushButton:pressed {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e2ddc8, stop:1 #f4f1e4);
}
)";

QString Css(const QColor& colour) { return colour.name(QColor::HexRgb); }

QPixmap Picture(QSize size, qreal pixelRatio, void (*paint)(QPainter&, const QRectF&)) {
  QPixmap pixmap(size * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pixmap;
}

}  // namespace

QFont TDialogLook::Font() {
  QFont font{QString::fromLatin1(kFontFamily)};
  font.setPixelSize(kFontPixels);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void TDialogLook::Apply(QWidget* dialog) {
  dialog->setFont(Font());
  QPalette palette = dialog->palette();
  palette.setColor(QPalette::Window, kDialogFace);
  palette.setColor(QPalette::WindowText, kDialogInk);
  palette.setColor(QPalette::Text, kDialogInk);
  palette.setColor(QPalette::ButtonText, kDialogInk);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Highlight, kDialogSelection);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  dialog->setPalette(palette);
  dialog->setStyleSheet(QString::fromLatin1(kStyleSheet)
                            .arg(Css(kDialogFace), Css(kDialogInk), Css(kDialogRule),
                                 Css(kDialogAccent), Css(kDialogSelection)));
}

void TDialogLook::PaintEmblem(QPainter& painter, const QRectF& box) {
  painter.save();
  const qreal side = std::min(box.width(), box.height());
  const QPointF centre = box.center();
  const qreal halo = side / 2 - side * kHaloWidth;
  const qreal radius = halo * kDiscShare;
  painter.setPen(QPen(QColor(kDialogAccent.red(), kDialogAccent.green(), kDialogAccent.blue(), kHaloAlpha),
                      side * kHaloWidth));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, halo, halo);
  // The disc, lit from the top left.
  QRadialGradient face(centre - QPointF(radius / 3, radius / 2), radius * 1.6);
  face.setColorAt(0, kDiscLight);
  face.setColorAt(1, kDiscDark);
  painter.setPen(QPen(kDiscRim, std::max<qreal>(1, side / 60)));
  painter.setBrush(face);
  painter.drawEllipse(centre, radius, radius);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 255, 255, kGrooveAlpha), 1));
  for (int i = 1; i <= kGrooves; ++i)
    painter.drawEllipse(centre, radius * (1 - i * kGrooveStep), radius * (1 - i * kGrooveStep));
  // A soft shine over the upper half.
  QLinearGradient shine(0, centre.y() - radius, 0, centre.y());
  shine.setColorAt(0, QColor(255, 255, 255, kShineAlpha));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shine);
  painter.drawEllipse(QRectF(centre.x() - radius * 0.9, centre.y() - radius * 0.95, radius * 1.8, radius));
  const qreal glyphSide = radius * kGlyphShare;
  const QRectF glyph(centre.x() - glyphSide / 2 + radius * kGlyphNudge, centre.y() - glyphSide / 2,
                     glyphSide, glyphSide);
  TMenuImages::Draw(painter, miPlay, glyph.translated(0, side / 80), kGlyphShadow);
  TMenuImages::Draw(painter, miPlay, glyph, Qt::white);
  painter.restore();
}

void TDialogLook::PaintDrive(QPainter& painter, const QRectF& box) {
  painter.save();
  const qreal w = box.width(), h = box.height();
  // The disc, standing half out of the tray behind the body.
  const qreal cdRadius = h * 0.36;
  const QPointF cdCentre(box.left() + w * 0.5, box.top() + h * kBodyTop + h * 0.02);
  QRadialGradient cd(cdCentre - QPointF(cdRadius * 0.4, cdRadius * 0.5), cdRadius * 1.5);
  cd.setColorAt(0, kCdLight);
  cd.setColorAt(1, kCdDark);
  painter.setPen(QPen(kCdEdge, 1));
  painter.setBrush(cd);
  painter.drawEllipse(cdCentre, cdRadius, cdRadius);
  painter.setPen(QPen(kCdSheen, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(cdCentre.x() - cdRadius * 0.7, cdCentre.y() - cdRadius * 0.7, cdRadius * 1.4,
                         cdRadius * 1.4), 40 * 16, 100 * 16);
  painter.setPen(QPen(kCdEdge, 1));
  painter.setBrush(Qt::white);
  painter.drawEllipse(cdCentre, cdRadius * 0.16, cdRadius * 0.16);
  // The body: a brushed front with the tray slot, the eject key and the cyan light.
  const QRectF body(box.left() + 0.5, box.top() + h * kBodyTop, w - 1, h * (1 - kBodyTop) - 0.5);
  QLinearGradient front(0, body.top(), 0, body.bottom());
  front.setColorAt(0, kBodyLight);
  front.setColorAt(1, kBodyDark);
  painter.setPen(QPen(kBodyEdge, 1));
  painter.setBrush(front);
  painter.drawRoundedRect(body, w * kBodyRadius, w * kBodyRadius);
  const QRectF tray(body.left() + w * 0.08, box.top() + h * kTrayTop, w * 0.62, h * kTrayHeight);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kTrayInk);
  painter.drawRoundedRect(tray, tray.height() / 2, tray.height() / 2);
  const qreal led = w * kLedSize;
  const QRectF light(body.right() - w * 0.1 - led, tray.center().y() - led / 2, led, led);
  painter.setBrush(kDialogAccent);
  painter.drawEllipse(light);
  const QRectF eject(tray.left(), body.bottom() - h * 0.16, w * 0.14, h * 0.06);
  painter.setBrush(kBodyEdge);
  painter.drawRoundedRect(eject, eject.height() / 2, eject.height() / 2);
  painter.restore();
}

QPixmap TDialogLook::EmblemPixmap(QSize size, qreal pixelRatio) {
  return Picture(size, pixelRatio, &TDialogLook::PaintEmblem);
}

QPixmap TDialogLook::DrivePixmap(QSize size, qreal pixelRatio) {
  return Picture(size, pixelRatio, &TDialogLook::PaintDrive);
}

void TDialogLook::CentreOnDesktop(QWidget* widget) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // move() places a window's frame; before the first show the frame is the client area.
  QRect box(QPoint(0, 0), widget->frameGeometry().size());
  box.moveCenter(screen->availableGeometry().center());
  widget->move(box.topLeft());
}

void TDialogLook::PlayShowSound() {
  os::Os().Sound().PlaySound(os::ApplicationFolder() + kDialogShowSound, os::SND_ASYNC);
}

void TDialogLook::FillDriveList(QComboBox* combo, const std::vector<std::string>& roots) {
  combo->clear();
  for (const std::string& root : roots) combo->addItem(QString::fromStdString(DriveCaption(root)));
}

std::string TDialogLook::SelectedDrive(const QComboBox* combo) {
  const QString entry = combo->currentIndex() >= 0 ? combo->currentText() : QString();
  return entry.isEmpty() ? std::string() : entry.left(1).toStdString();
}

}  // namespace kavoro::app
