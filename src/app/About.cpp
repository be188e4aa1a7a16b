#include "app/About.h"

#include "app/MenuImages.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

#include <algorithm>

namespace kavoro::app {
namespace {

constexpr qreal kCornerRadius = 14;
constexpr const char* kFontFamily = "DejaVu Sans";

// The emblem: a disc in the accent's shades with a play mark, ringed by a faint halo.
constexpr QPointF kEmblemCentre(92, 98);
constexpr qreal kHaloRadius = 50;
constexpr qreal kDiscRadius = 42;
constexpr qreal kGrooveStep = 6;
constexpr int kGrooves = 3;
constexpr qreal kGlyphSide = 40;
constexpr qreal kGlyphNudge = 3;  // a triangle's weight lies left of its box's middle

// The text column right of the emblem, and the strip at the foot.
constexpr int kTextLeft = 162;
constexpr int kTextRight = 348;
constexpr int kNameTop = 58, kNameHeight = 30, kNamePixels = 22;
constexpr int kVersionTop = 90, kVersionHeight = 20, kVersionPixels = 14;
constexpr int kDividerTop = 120;
constexpr int kTaglineTop = 128, kTaglineHeight = 18, kTaglinePixels = 10;
constexpr int kFootHeight = 34;
constexpr int kHintPixels = 11;

// Colours of the Default skin.
constexpr QColor kRim(10, 12, 15);
constexpr QColor kBodyTop(46, 52, 61), kBodyBottom(26, 29, 35);
constexpr QColor kEdgeLight(78, 87, 100);
constexpr QColor kFootTop(20, 23, 28), kFootBottom(14, 16, 20);
constexpr QColor kAccent(57, 182, 255);
constexpr QColor kDiscLight(96, 202, 255), kDiscDark(20, 112, 196), kDiscRim(8, 50, 90);
constexpr QColor kNameInk(232, 238, 245);
constexpr QColor kCaptionInk(128, 140, 156);
constexpr QColor kHintInk(104, 116, 132);
constexpr QColor kShadow(0, 0, 0, 170);
constexpr int kHaloAlpha = 70, kGrooveAlpha = 40, kShineAlpha = 90, kDividerAlpha = 22;

QFont PixelFont(int pixels, QFont::Weight weight = QFont::Normal) {
  QFont font{QString::fromLatin1(kFontFamily)};
  font.setPixelSize(pixels);
  font.setWeight(weight);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

QPainterPath Outline() {
  QPainterPath path;
  path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(kAboutSize)), kCornerRadius, kCornerRadius);
  return path;
}

void PaintEmblem(QPainter& painter) {
  painter.save();
  painter.setPen(QPen(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), kHaloAlpha), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(kEmblemCentre, kHaloRadius, kHaloRadius);
  // The disc, lit from the top left.
  QRadialGradient face(kEmblemCentre - QPointF(kDiscRadius / 3, kDiscRadius / 2), kDiscRadius * 1.6);
  face.setColorAt(0, kDiscLight);
  face.setColorAt(1, kDiscDark);
  painter.setPen(QPen(kDiscRim, 1.5));
  painter.setBrush(face);
  painter.drawEllipse(kEmblemCentre, kDiscRadius, kDiscRadius);
  // Grooves, as on a disc.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 255, 255, kGrooveAlpha), 1));
  for (int i = 1; i <= kGrooves; ++i)
    painter.drawEllipse(kEmblemCentre, kDiscRadius - i * kGrooveStep, kDiscRadius - i * kGrooveStep);
  // A soft shine over the upper half.
  QLinearGradient shine(0, kEmblemCentre.y() - kDiscRadius, 0, kEmblemCentre.y());
  shine.setColorAt(0, QColor(255, 255, 255, kShineAlpha));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shine);
  painter.drawEllipse(QRectF(kEmblemCentre.x() - kDiscRadius + 4, kEmblemCentre.y() - kDiscRadius + 2,
                             2 * kDiscRadius - 8, kDiscRadius));
  // The play mark, with a shadow under it.
  const QRectF glyph(kEmblemCentre.x() - kGlyphSide / 2 + kGlyphNudge,
                     kEmblemCentre.y() - kGlyphSide / 2, kGlyphSide, kGlyphSide);
  TMenuImages::Draw(painter, miPlay, glyph.translated(0, 1.5), QColor(0, 40, 80, 120));
  TMenuImages::Draw(painter, miPlay, glyph, Qt::white);
  painter.restore();
}

}  // namespace

TFrm_About::TFrm_About(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), FPicture(PaintPicture()) {
  setModal(true);
  setFixedSize(kAboutSize);
  setWindowTitle(QString::fromLatin1(kAboutName));
  // Round corners: the window keeps the pixels the outline covers at least half.
  QImage coverage(kAboutSize, QImage::Format_ARGB32_Premultiplied);
  coverage.fill(Qt::transparent);
  {
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Outline(), Qt::black);
  }
  setMask(QBitmap::fromImage(coverage.createAlphaMask(Qt::ThresholdAlphaDither)));
}

std::vector<TAboutText> TFrm_About::Texts() {
  const int textWidth = kTextRight - kTextLeft;
  return {
      {QString::fromLatin1(kAboutName), QRect(kTextLeft, kNameTop, textWidth, kNameHeight),
       PixelFont(kNamePixels, QFont::Bold), kNameInk},
      {QString::fromLatin1(kAboutVersion), QRect(kTextLeft, kVersionTop, textWidth, kVersionHeight),
       PixelFont(kVersionPixels), kAccent},
      {QString::fromUtf8(kAboutTagline), QRect(kTextLeft, kTaglineTop, textWidth, kTaglineHeight),
       PixelFont(kTaglinePixels), kCaptionInk},
      {QString::fromLatin1(kAboutCloseHint),
       QRect(0, kAboutSize.height() - kFootHeight, kAboutSize.width(), kFootHeight),
       PixelFont(kHintPixels), kHintInk},
  };
}

QImage TFrm_About::PaintPicture() {
  QImage picture(kAboutSize, QImage::Format_ARGB32_Premultiplied);
  picture.fill(kRim);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QPainterPath outline = Outline();
  QLinearGradient body(0, 0, 0, kAboutSize.height());
  body.setColorAt(0, kBodyTop);
  body.setColorAt(1, kBodyBottom);
  painter.fillPath(outline, body);
  // The foot strip, darker, with a groove above it.
  const int footTop = kAboutSize.height() - kFootHeight;
  painter.save();
  painter.setClipPath(outline);
  QLinearGradient foot(0, footTop, 0, kAboutSize.height());
  foot.setColorAt(0, kFootTop);
  foot.setColorAt(1, kFootBottom);
  painter.fillRect(QRect(0, footTop, kAboutSize.width(), kFootHeight), foot);
  painter.fillRect(QRect(0, footTop, kAboutSize.width(), 1), kRim);
  painter.fillRect(QRect(0, footTop - 1, kAboutSize.width(), 1), QColor(255, 255, 255, kDividerAlpha));
  painter.restore();
  // A light bevel just inside the outline, strongest at the top.
  QLinearGradient bevel(0, 0, 0, kAboutSize.height());
  bevel.setColorAt(0, kEdgeLight);
  bevel.setColorAt(0.4, QColor(255, 255, 255, 20));
  bevel.setColorAt(1, QColor(255, 255, 255, 10));
  QPainterPath inner;
  inner.addRoundedRect(QRectF(1, 1, kAboutSize.width() - 2, kAboutSize.height() - 2),
                       kCornerRadius - 1, kCornerRadius - 1);
  painter.strokePath(inner, QPen(QBrush(bevel), 1));

  PaintEmblem(painter);
  // A hairline between the version and the tagline.
  painter.fillRect(QRect(kTextLeft, kDividerTop, kTextRight - kTextLeft, 1), kRim);
  painter.fillRect(QRect(kTextLeft, kDividerTop + 1, kTextRight - kTextLeft, 1),
                   QColor(255, 255, 255, kDividerAlpha));
  const std::vector<TAboutText> texts = Texts();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const TAboutText& line = texts[i];
    // The hint is centred in the foot; the rest stand left in the text column.
    const int flags = (i + 1 == texts.size() ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter) |
                      Qt::TextSingleLine;
    painter.setFont(line.Font);
    painter.setPen(kShadow);
    painter.drawText(line.Rect.translated(0, 1), flags, line.Text);
    painter.setPen(line.Ink);
    painter.drawText(line.Rect, flags, line.Text);
  }
  painter.end();
  return picture;
}

void TFrm_About::CentreOver(const QWidget* window) {
  QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
  QRect box(QPoint(0, 0), size());
  if (window) box.moveCenter(window->frameGeometry().center());
  else if (screen) box.moveCenter(screen->availableGeometry().center());
  if (screen) {
    const QRect area = screen->availableGeometry();
    box.moveLeft(std::clamp(box.left(), area.left(), std::max(area.left(), area.right() + 1 - box.width())));
    box.moveTop(std::clamp(box.top(), area.top(), std::max(area.top(), area.bottom() + 1 - box.height())));
  }
  move(box.topLeft());
}

void TFrm_About::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, FPicture);
}

void TFrm_About::showEvent(QShowEvent* event) {
  CentreOver(parentWidget() ? parentWidget()->window() : nullptr);
  QDialog::showEvent(event);
}

void TFrm_About::mousePressEvent(QMouseEvent* event) {
  FPressed = true;
  event->accept();
}

void TFrm_About::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!FPressed) return;
  FPressed = false;
  QDialog::accept();
}

}  // namespace kavoro::app
