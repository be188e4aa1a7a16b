#include "ArtKit.h"

#include "SkinArt.h"

#include <algorithm>
#include <random>
#include <vector>

namespace kavoro::skinmaker {
namespace {

constexpr int kOpaque = 255;
// Below half coverage a pixel is outside the shape; above it, its colour runs from rim to body.
constexpr int kInsideCoverage = 128;
// Brushed grain: streak lengths are smoothed over this many pixels.
constexpr int kGrainRun = 24;
constexpr int kGrainSpeckle = 3;

int Mix(int a, int b, int weight, int scale) { return (a * weight + b * (scale - weight)) / scale; }

}  // namespace

QImage Canvas(QSize size, QColor fill) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

QImage Opaque(const QImage& canvas) { return canvas.convertToFormat(QImage::Format_RGB32); }

QImage KeyOut(const QImage& body, const QPainterPath& outline, QColor rim) {
  QImage coverage = Canvas(body.size());
  {
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline, Qt::white);
  }
  QImage out(body.size(), QImage::Format_RGB32);
  const QRgb rimRgb = rim.rgb();
  for (int y = 0; y < body.height(); ++y) {
    const QRgb* cover = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
    const QRgb* src = reinterpret_cast<const QRgb*>(body.constScanLine(y));
    QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < body.width(); ++x) {
      const int a = qAlpha(cover[x]);
      if (a < kInsideCoverage) {
        dst[x] = kKeyColor;
        continue;
      }
      // The body over the rim colour (the body is premultiplied), then toward the rim at the edge.
      const int ba = qAlpha(src[x]);
      int r = qRed(src[x]) + qRed(rimRgb) * (kOpaque - ba) / kOpaque;
      int g = qGreen(src[x]) + qGreen(rimRgb) * (kOpaque - ba) / kOpaque;
      int b = qBlue(src[x]) + qBlue(rimRgb) * (kOpaque - ba) / kOpaque;
      const int weight = (a - kInsideCoverage) * 2;
      const int scale = (kOpaque - kInsideCoverage) * 2;
      r = Mix(r, qRed(rimRgb), weight, scale);
      g = Mix(g, qGreen(rimRgb), weight, scale);
      b = Mix(b, qBlue(rimRgb), weight, scale);
      // Inside the shape nothing may be taken for the key.
      const QRgb pixel = qRgb(r, g, b);
      dst[x] = (pixel & RGB_MASK) == kKeyColor ? rimRgb : pixel;
    }
  }
  return out;
}

void ClearKey(QImage& picture, QColor rim) {
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if ((picture.pixel(x, y) & RGB_MASK) == kKeyColor) picture.setPixel(x, y, rim.rgb());
}

QImage Brushed(QSize size, QColor base, std::uint32_t seed, int strength) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> noise(-strength, strength);
  QImage image(size, QImage::Format_RGB32);
  std::vector<int> row(size.width() + kGrainRun);
  for (int y = 0; y < size.height(); ++y) {
    const int rowShade = noise(random) / 2;
    for (int& v : row) v = noise(random);
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    int sum = 0;
    for (int i = 0; i < kGrainRun; ++i) sum += row[i];
    for (int x = 0; x < size.width(); ++x) {
      const int streak = sum / kGrainRun * kGrainSpeckle;
      sum += row[x + kGrainRun] - row[x];
      const int d = rowShade + streak + noise(random) / kGrainSpeckle;
      line[x] = qRgb(std::clamp(base.red() + d, 0, kOpaque), std::clamp(base.green() + d, 0, kOpaque),
                     std::clamp(base.blue() + d, 0, kOpaque));
    }
  }
  return image;
}

QFont PixelFont(int pixelSize, int weight, int stretch) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setStretch(stretch);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

void SunkenWell(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& fill,
                QColor shade, QColor light) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(light);
  painter.drawRoundedRect(rect.adjusted(0, 0, 0, 1), radius, radius);
  painter.setBrush(shade);
  painter.drawRoundedRect(rect, radius, radius);
  painter.setBrush(fill);
  painter.drawRoundedRect(rect.adjusted(1, 1.5, -1, -1), std::max<qreal>(0, radius - 1),
                          std::max<qreal>(0, radius - 1));
  painter.restore();
}

void ShadowText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                QColor color, QColor shadow, QPointF offset) {
  painter.save();
  painter.setPen(shadow);
  painter.drawText(rect.translated(offset), flags, text);
  painter.setPen(color);
  painter.drawText(rect, flags, text);
  painter.restore();
}

}  // namespace kavoro::skinmaker
