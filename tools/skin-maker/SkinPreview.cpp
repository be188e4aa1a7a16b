#include "SkinPreview.h"

#include "ArtKit.h"
#include "ClockArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace kavoro::skinmaker {
namespace {

constexpr int kGap = 24;
constexpr int kBarPieces = 3;
constexpr int kZoom = 2;
constexpr QSize kVideoSize(560, 330);
constexpr int kScreenDpi = 96;
constexpr int kPointsPerInch = 72;
// Where the preview puts each slider, as a part of its travel.
constexpr std::array<double, kTrackCount> kSliderAt = {0.7, 0.5, 0.35, 0.0};
constexpr const char* kClockText = "01:23:45";
constexpr int kListRows = 5;
constexpr int kListRowPadding = 4;
constexpr int kHintWidth = 120, kHintHeight = 22, kHintStrip = 14;
constexpr int kHintArrow = 6, kHintInset = 3, kHintPoints = 8;

int PointsToPixels(int points) { return points * kScreenDpi / kPointsPerInch; }

// The bar picture drawn at length in its three pieces, turned for a vertical bar.
QImage BarAtLength(const TTrackArt& track) {
  const QImage& picture = track.Bar;
  const int p = picture.width() / kBarPieces;
  const int h = picture.height();
  QImage bar(track.Length, h, QImage::Format_RGB32);
  {
    QPainter painter(&bar);
    painter.drawImage(QPoint(0, 0), picture, QRect(0, 0, p, h));
    painter.drawImage(QPoint(track.Length - p, 0), picture, QRect(2 * p, 0, p, h));
    painter.drawImage(QRect(p, 0, track.Length - 2 * p, h), picture, QRect(p, 0, p, h));
  }
  if (track.Horizontal) return bar;
  QImage turned(h, track.Length, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < track.Length; ++x) turned.setPixel(y, track.Length - 1 - x, bar.pixel(x, y));
  return turned;
}

QImage Desktop(QSize size) {
  QImage desk = Canvas(size);
  QPainter painter(&desk);
  QLinearGradient sky(0, 0, size.width(), size.height());
  sky.setColorAt(0, QColor(58, 92, 120));
  sky.setColorAt(0.5, QColor(150, 160, 150));
  sky.setColorAt(1, QColor(214, 190, 150));
  painter.fillRect(desk.rect(), sky);
  return desk;
}

// The main window as it shows on the screen: the key colour see-through.
QImage MainWindow(const TSkinArt& skin) {
  QImage window = skin.Main.convertToFormat(QImage::Format_ARGB32);
  QPainter painter(&window);
  for (int i = 0; i < kButtonCount; ++i) {
    if (i == biMuteOff) continue;  // exactly one of the two mute buttons shows
    painter.drawImage(skin.Buttons[i].Place.topLeft(), skin.Buttons[i].Faces[fsNormal]);
  }
  for (int i = 0; i < kTrackCount; ++i) {
    const TTrackArt& t = skin.Tracks[i];
    const QImage bar = BarAtLength(t);
    painter.drawImage(t.Place, bar);
    const int travel = t.Horizontal ? t.Length - t.Slider.width() : t.Length - t.Slider.height();
    const int at = static_cast<int>(travel * kSliderAt[i]);
    const QPoint slider = t.Horizontal ? QPoint(at, 0) : QPoint(0, travel - at);
    painter.drawImage(t.Place + slider, t.Slider);
  }
  painter.drawImage(skin.Clock.PanelPlace, ShowClock(skin.Clock, QString::fromLatin1(kClockText)));
  auto label = [&](const TLabelArt& l, const QString& text, int width) {
    painter.setFont(PixelFont(PointsToPixels(l.PointSize)));
    painter.setPen(l.Color);
    const QFontMetrics metrics(painter.font());
    const QString shown = width > 0 ? metrics.elidedText(text, Qt::ElideRight, width) : text;
    painter.drawText(l.Place.x(), l.Place.y() + metrics.ascent(), shown);
  };
  label(skin.PlayName, QStringLiteral("Holiday by the sea - part one of three.mp4"), skin.PlayNameMax);
  label(skin.PlayState, QStringLiteral("Playing"), 0);
  label(skin.Title, QStringLiteral("Title: 1"), 0);
  label(skin.Chapter, QStringLiteral("Chapter: 3"), 0);
  painter.end();
  for (int y = 0; y < window.height(); ++y)
    for (int x = 0; x < window.width(); ++x)
      if ((skin.Main.pixel(x, y) & RGB_MASK) == kKeyColor) window.setPixel(x, y, qRgba(0, 0, 0, 0));
  return window;
}

QImage VideoWindow(const TSkinArt& skin, bool playList) {
  using namespace skin;
  const auto& v = skin.Video;
  const QSize size = kVideoSize;
  QImage window(size, QImage::Format_RGB32);
  QPainter painter(&window);
  const int top = v[vpTopCenter].height(), bottom = v[vpBottomCenter].height();
  const int left = v[vpLeft].width(), right = v[vpRight].width();
  const QRect inside(left, top, size.width() - left - right, size.height() - top - bottom);
  painter.drawImage(QRect(0, 0, size.width(), top), v[vpTopCenter]);
  painter.drawImage(QPoint(0, 0), v[vpTopLeft]);
  painter.drawImage(QPoint(size.width() - v[vpTopRight].width(), 0), v[vpTopRight]);
  painter.drawImage(QRect(0, top, left, inside.height()), v[vpLeft]);
  painter.drawImage(QRect(size.width() - right, top, right, inside.height()), v[vpRight]);
  painter.drawImage(QRect(0, size.height() - bottom, size.width(), bottom), v[vpBottomCenter]);
  painter.drawImage(QPoint(0, size.height() - v[vpBottomLeft].height()), v[vpBottomLeft]);
  painter.drawImage(QPoint(size.width() - v[vpBottomRight].width(),
                           size.height() - v[vpBottomRight].height()), v[vpBottomRight]);
  if (!playList) {
    painter.drawImage(inside, v[vpMain]);
    return window;
  }
  const TPlayListArt& list = skin.PlayList;
  painter.fillRect(inside, list.TitleBackground);
  painter.drawImage(inside.topLeft(), list.Title);
  const QRect rows = inside.adjusted(0, list.Title.height(), 0, 0);
  painter.fillRect(rows, list.ListBackground);
  painter.setFont(PixelFont(PointsToPixels(list.FontSize)));
  painter.setPen(list.ListFont);
  const int rowHeight = painter.fontMetrics().height() + kListRowPadding;
  for (int i = 0; i < kListRows; ++i)
    painter.drawText(QRect(rows.left() + kListRowPadding, rows.top() + i * rowHeight, rows.width(), rowHeight),
                     Qt::AlignVCenter, QStringLiteral("%1. Holiday by the sea - part %2.mp4").arg(i + 1).arg(i + 1));
  return window;
}

QImage Hint(const TSkinArt& skin) {
  QImage hint(kHintWidth, kHintHeight, QImage::Format_RGB32);
  QPainter painter(&hint);
  painter.fillRect(hint.rect(), skin.Hint.Background);
  painter.fillRect(QRect(1, 1, kHintStrip, kHintHeight - 2), skin.Hint.ArrowBackground);
  painter.setPen(skin.Hint.Border);
  painter.drawRect(hint.rect().adjusted(0, 0, -1, -1));
  painter.setPen(skin.Hint.Arrow);
  // A small arrow into the corner, as the hint draws it.
  const QPoint tip(kHintInset, kHintInset);
  painter.drawLine(tip, tip + QPoint(kHintArrow, kHintArrow));
  painter.drawLine(tip, tip + QPoint(kHintArrow - 1, 0));
  painter.drawLine(tip, tip + QPoint(0, kHintArrow - 1));
  painter.setPen(skin.Hint.Font);
  painter.setFont(PixelFont(PointsToPixels(kHintPoints)));
  painter.drawText(QRect(kHintStrip + kHintInset, 0, kHintWidth, kHintHeight), Qt::AlignVCenter,
                   QStringLiteral("Fast Forward"));
  return hint;
}

}  // namespace

QImage PreviewSkin(const TSkinArt& skin) {
  const QImage main = MainWindow(skin);
  const QImage zoomed = main.scaled(main.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  const QImage idle = VideoWindow(skin, false);
  const QImage list = VideoWindow(skin, true);
  const QImage sheet = skin.Sheet.scaled(skin.Sheet.size() * kZoom, Qt::IgnoreAspectRatio,
                                         Qt::FastTransformation);
  const int leftWidth = std::max({zoomed.width(), idle.width() * 2 + kGap});
  const int width = kGap * 3 + leftWidth + sheet.width();
  const int leftHeight = main.height() + zoomed.height() + idle.height() + kGap * 4;
  const int height = std::max(leftHeight, sheet.height() + kGap * 2);
  QImage preview = Desktop(QSize(width, height));
  QPainter painter(&preview);
  int y = kGap;
  painter.drawImage(QPoint(kGap, y), main);
  painter.drawImage(QPoint(kGap * 2 + main.width(), y), Hint(skin));
  y += main.height() + kGap;
  painter.drawImage(QPoint(kGap, y), zoomed);
  y += zoomed.height() + kGap;
  painter.drawImage(QPoint(kGap, y), idle);
  painter.drawImage(QPoint(kGap * 2 + idle.width(), y), list);
  painter.drawImage(QPoint(kGap * 2 + leftWidth, kGap), sheet);
  return preview;
}

}  // namespace kavoro::skinmaker
