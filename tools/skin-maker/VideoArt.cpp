#include "VideoArt.h"

#include "ArtKit.h"
#include "Glyphs.h"

namespace kavoro::skinmaker {
namespace {

constexpr qreal kMarkHeight = 0.42;  // the mark's centre, as a part of the picture's height
constexpr int kNamePixels = 15, kHintPixels = 11;
constexpr int kNameGap = 12, kHintGap = 4;  // below the mark, and below the name
constexpr int kTitlePixels = 10;
constexpr qreal kTitleSpacing = 1.5;
constexpr int kTitleGlyph = 16, kTitleGlyphLeft = 9, kTitleTextGap = 6;
constexpr int kStripWidth = 3, kStripInset = 5;
constexpr qreal kMarkDiameter = 16, kMarkLeft = 9, kMarkGlyphInset = 3;
constexpr int kMarkTextPixels = 12, kMarkTextGap = 8;

}  // namespace

void TitleMark(QPainter& painter, QSize bar, QColor accent, QColor ink, QColor shadow) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF disc(kMarkLeft, (bar.height() - kMarkDiameter) / 2.0, kMarkDiameter, kMarkDiameter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(accent);
  painter.drawEllipse(disc);
  // The triangle's weight lies left of its box's middle: nudge it right to sit centred.
  const QRectF glyph = disc.adjusted(kMarkGlyphInset, kMarkGlyphInset, -kMarkGlyphInset, -kMarkGlyphInset)
                           .translated(kMarkGlyphInset / 3, 0);
  DrawGlyph(painter, TGlyph::Play, glyph, Qt::white);
  painter.setFont(PixelFont(kMarkTextPixels, QFont::Bold));
  const qreal textLeft = disc.right() + kMarkTextGap;
  ShadowText(painter, QRectF(textLeft, 0, bar.width() - textLeft, bar.height()),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kavoro Player"), ink, shadow);
  painter.restore();
}

QPointF IdleMarkCentre(QSize picture) {
  return QPointF(picture.width() / 2.0, picture.height() * kMarkHeight);
}

void IdleWords(QPainter& painter, QSize picture, qreal markRadius, QColor name, QColor hint) {
  const QPointF centre = IdleMarkCentre(picture);
  const QFont nameFont = PixelFont(kNamePixels, QFont::Bold);
  const QFont hintFont = PixelFont(kHintPixels);
  const qreal nameTop = centre.y() + markRadius + kNameGap;
  const qreal nameHeight = QFontMetricsF(nameFont).height();
  painter.save();
  painter.setFont(nameFont);
  painter.setPen(name);
  painter.drawText(QRectF(0, nameTop, picture.width(), nameHeight), Qt::AlignCenter,
                   QStringLiteral("Kavoro Player"));
  painter.setFont(hintFont);
  painter.setPen(hint);
  painter.drawText(QRectF(0, nameTop + nameHeight + kHintGap, picture.width(),
                          QFontMetricsF(hintFont).height()),
                   Qt::AlignCenter, QStringLiteral("Open a file or insert a disc"));
  painter.restore();
}

QImage ListTitle(QSize size, QColor background, QColor accent, QColor ink, QColor shadow,
                 bool accentStrip) {
  QImage title = Canvas(size, background);
  QPainter painter(&title);
  painter.setRenderHint(QPainter::Antialiasing);
  if (accentStrip)
    painter.fillRect(QRect(0, kStripInset, kStripWidth, size.height() - 2 * kStripInset), accent);
  const QRectF glyph(kTitleGlyphLeft, (size.height() - kTitleGlyph) / 2.0, kTitleGlyph, kTitleGlyph);
  DrawGlyph(painter, TGlyph::PlayList, glyph, accent);
  QFont font = PixelFont(kTitlePixels, QFont::Bold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, kTitleSpacing);
  painter.setFont(font);
  const qreal textLeft = glyph.right() + kTitleTextGap;
  ShadowText(painter, QRectF(textLeft, 0, size.width() - textLeft, size.height()),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PLAY LIST"), ink, shadow);
  painter.end();
  return Opaque(title);
}

}  // namespace kavoro::skinmaker
