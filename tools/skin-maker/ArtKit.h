#pragma once
// Painting helpers shared by both skins: canvases, the shaped outline cut against the key
// colour, brushed metal, fonts and small decorations.
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include <cstdint>

namespace kavoro::skinmaker {

// A transparent (or filled) canvas to paint on with anti-aliasing.
QImage Canvas(QSize size, QColor fill = Qt::transparent);

// An opaque picture of the canvas as the bitmap files hold it.
QImage Opaque(const QImage& canvas);

// The main picture: body inside outline, the key colour outside. Edge pixels are blended toward
// rim instead of toward the key colour, so the cut edge reads smooth on any desktop; no pixel
// inside the shape is exactly the key colour.
QImage KeyOut(const QImage& body, const QPainterPath& outline, QColor rim);

// Replaces every pixel of exactly the key colour (a cut from near the outline) with rim.
void ClearKey(QImage& picture, QColor rim);

// Horizontal brushed-metal grain over base: fine streaks of varying brightness, the same on
// every run (the seed fixes them).
QImage Brushed(QSize size, QColor base, std::uint32_t seed, int strength);

// The face of every painted text, sized in pixels.
QFont PixelFont(int pixelSize, int weight = QFont::Normal, int stretch = QFont::Unstretched);

// A rounded rectangle that looks sunk into the surface: a dark inner edge at the top, a light
// one at the bottom, filled with fill.
void SunkenWell(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& fill,
                QColor shade, QColor light);

// Text with a one-pixel shadow (or highlight) under it.
void ShadowText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                QColor color, QColor shadow, QPointF offset = QPointF(0, 1));

}  // namespace kavoro::skinmaker
