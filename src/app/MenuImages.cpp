#include "app/MenuImages.h"

#include "util/PathShapes.h"

#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QTransform>

#include <algorithm>

namespace kavoro::app {
namespace {

using util::Circle;
using util::Line;
using util::Polygon;
using util::Rounded;

// Pictures are drawn on a grid of this many units; stroke widths are in the same units. At
// menu size a unit is two thirds of a pixel, so strokes are a little heavier than on buttons.
constexpr qreal kGrid = 24.0;
constexpr qreal kStroke = 2.6;
constexpr qreal kThinStroke = 2.2;
constexpr qreal kCornerStroke = 1.4;  // rounds a filled triangle's corners
constexpr int kGearTeeth = 8;
// Each picture is drawn at these scales of Size.
constexpr std::array<int, 2> kScales = {1, 2};

constexpr std::array<const char*, miCount> kNames = {
    "about",         "open",          "disc",     "show video", "full screen", "wallpaper",
    "play list",     "mute",          "options",  "help",       "exit",        "play",
    "stop",          "pause",         "forward",  "rewind",     "next",        "previous",
    "bookmark save", "bookmark load", "subtitle", "audio",      "colour"};

struct TShape {
  QPainterPath Fill;
  QPainterPath Stroke;
  qreal StrokeWidth = kStroke;
};

QPainterPath Speaker() {
  QPainterPath body = Rounded(2.5, 8.5, 5.5, 7, 1);
  body.addPath(Polygon({{7, 8.5}, {12.5, 4}, {12.5, 20}, {7, 15.5}}));
  return body.simplified();
}

QPainterPath Gear() {
  return util::Gear({{12, 12}, 6.8, QRectF(-2.1, -10.6, 4.2, 5.4), 0.8, 3, kGearTeeth});
}

// A bookmark ribbon with a notch at its foot.
QPainterPath Ribbon() {
  QPainterPath ribbon = Polygon({{5.5, 4}, {18.5, 4}, {18.5, 21.5}, {12, 16.5}, {5.5, 21.5}});
  return ribbon.united(Rounded(5.5, 2.5, 13, 4, 1.5));
}

TShape Shape(int index) {
  TShape s;
  switch (index) {
    case miPlay:
      s.Fill = Polygon({{7, 4}, {20, 12}, {7, 20}});
      s.Stroke = s.Fill;
      s.StrokeWidth = kCornerStroke;
      break;
    case miPause:
      s.Fill = Rounded(5.5, 4.5, 4.8, 15, 1);
      s.Fill.addPath(Rounded(13.7, 4.5, 4.8, 15, 1));
      break;
    case miStop:
      s.Fill = Rounded(5, 5, 14, 14, 2);
      break;
    case miPrevious:
      s.Fill = Rounded(4, 5, 3.2, 14, 0.8);
      s.Fill.addPath(Polygon({{20, 5}, {20, 19}, {8, 12}}));
      break;
    case miNext:
      s.Fill = Rounded(16.8, 5, 3.2, 14, 0.8);
      s.Fill.addPath(Polygon({{4, 5}, {4, 19}, {16, 12}}));
      break;
    case miForward:
      s.Fill = Polygon({{2, 5.5}, {12, 12}, {2, 18.5}});
      s.Fill.addPath(Polygon({{12, 5.5}, {22, 12}, {12, 18.5}}));
      break;
    case miRewind:
      s.Fill = Polygon({{22, 5.5}, {12, 12}, {22, 18.5}});
      s.Fill.addPath(Polygon({{12, 5.5}, {2, 12}, {12, 18.5}}));
      break;
    case miOpen: {
      // A folder: the tab, the back, and a gap that shows the front flap.
      QPainterPath folder = Rounded(2, 4, 9, 5, 1.5).united(Rounded(2, 6.5, 20, 14, 2));
      s.Fill = folder.subtracted(Rounded(2, 9.6, 20, 1.8, 0));
      break;
    }
    case miDrive: {
      QPainterPath disc = Circle({12, 12}, 10);
      s.Fill = disc.subtracted(Circle({12, 12}, 5.8)).united(Circle({12, 12}, 4.4))
                   .subtracted(Circle({12, 12}, 2.2));
      break;
    }
    case miMute:
      s.Fill = Speaker();
      s.Stroke = Line({15.5, 9}, {21, 15});
      s.Stroke.addPath(Line({21, 9}, {15.5, 15}));
      break;
    case miAudio:
      // Two beamed notes.
      s.Fill.addEllipse(QPointF(6.5, 18), 3.6, 2.8);
      s.Fill.addEllipse(QPointF(16.5, 16), 3.6, 2.8);
      s.Fill.addPath(Rounded(8.6, 6, 1.8, 12, 0.6));
      s.Fill.addPath(Rounded(18.6, 4, 1.8, 12, 0.6));
      s.Fill.addPath(Polygon({{8.6, 5}, {20.4, 2.6}, {20.4, 6.6}, {8.6, 9}}));
      s.Fill = s.Fill.simplified();
      break;
    case miShowVideo:
      s.Stroke = Rounded(2.5, 4, 19, 14, 2);
      s.StrokeWidth = kThinStroke;
      s.Fill = Polygon({{9.5, 7.5}, {15.5, 11}, {9.5, 14.5}});
      s.Fill.addPath(Rounded(7, 20, 10, 2.2, 1.1));
      break;
    case miFullscreen:
      s.Stroke.moveTo(3.5, 9);   s.Stroke.lineTo(3.5, 3.5);   s.Stroke.lineTo(9, 3.5);
      s.Stroke.moveTo(15, 3.5);  s.Stroke.lineTo(20.5, 3.5);  s.Stroke.lineTo(20.5, 9);
      s.Stroke.moveTo(20.5, 15); s.Stroke.lineTo(20.5, 20.5); s.Stroke.lineTo(15, 20.5);
      s.Stroke.moveTo(9, 20.5);  s.Stroke.lineTo(3.5, 20.5);  s.Stroke.lineTo(3.5, 15);
      break;
    case miWallpaper:
      s.Stroke = Rounded(2.5, 3.5, 19, 14, 1.8);
      s.StrokeWidth = kThinStroke;
      s.Fill = Polygon({{5, 15.5}, {10, 9}, {13.2, 13}, {15.4, 10.6}, {19, 15.5}});
      s.Fill.addPath(Circle({16.2, 7.4}, 1.7));
      s.Fill.addPath(Rounded(7, 19.8, 10, 2.2, 1.1));
      break;
    case miPlayList:
      s.Fill = Rounded(3, 4.5, 12, 2.6, 1.3);
      s.Fill.addPath(Rounded(3, 10, 12, 2.6, 1.3));
      s.Fill.addPath(Rounded(3, 15.5, 7.5, 2.6, 1.3));
      s.Fill.addPath(Polygon({{13.5, 13}, {21.5, 17.5}, {13.5, 22}}));
      break;
    case miSubtitle:
      s.Stroke = Rounded(2.5, 4, 19, 16, 2.5);
      s.StrokeWidth = kThinStroke;
      s.Fill = Rounded(6, 10.5, 6, 2.4, 1.2);
      s.Fill.addPath(Rounded(13.5, 10.5, 4.5, 2.4, 1.2));
      s.Fill.addPath(Rounded(6, 14.5, 3.5, 2.4, 1.2));
      s.Fill.addPath(Rounded(11, 14.5, 7, 2.4, 1.2));
      break;
    case miBookmarkSave: {
      // The ribbon with a plus cut out of it.
      QPainterPath plus = Rounded(8.6, 8.2, 6.8, 2.2, 0.4).united(Rounded(10.9, 5.9, 2.2, 6.8, 0.4));
      s.Fill = Ribbon().subtracted(plus);
      break;
    }
    case miBookmarkLoad:
      // The ribbon with a play mark cut out of it: playback goes on from the mark.
      s.Fill = Ribbon().subtracted(Polygon({{10, 6}, {15.5, 9.5}, {10, 13}}));
      break;
    case miColor:
      s.Stroke = Circle({12, 12}, 8.8);
      s.StrokeWidth = kThinStroke;
      s.Fill.moveTo(12, 3.2);
      s.Fill.arcTo(QRectF(3.2, 3.2, 17.6, 17.6), 90, 180);
      s.Fill.closeSubpath();
      break;
    case miOptions:
      s.Fill = Gear();
      break;
    case miAbout:
      s.Stroke = Circle({12, 12}, 9.2);
      s.StrokeWidth = kThinStroke;
      s.Fill = Circle({12, 7.4}, 1.6);
      s.Fill.addPath(Rounded(10.7, 10, 2.6, 7.8, 1.1));
      break;
    case miHelp:
      s.Stroke = Circle({12, 12}, 9.2);
      s.StrokeWidth = kThinStroke;
      // The question mark: a hook round to the middle, a short stem, a dot.
      s.Fill = Circle({12, 17.2}, 1.5);
      {
        QPainterPath hook;
        const QRectF bow(9, 5.6, 6, 6);
        hook.arcMoveTo(bow, 165);
        hook.arcTo(bow, 165, -255);
        hook.lineTo(12, 13.6);
        s.Fill.addPath(QPainterPathStroker(QPen(Qt::black, kThinStroke, Qt::SolidLine,
                                                Qt::RoundCap, Qt::RoundJoin))
                           .createStroke(hook));
      }
      break;
    case miExit: {
      // A power sign: an open ring and a bar through its gap.
      const QRectF ring(4, 4.5, 16, 16);
      s.Stroke.arcMoveTo(ring, 120);
      s.Stroke.arcTo(ring, 120, 300);
      s.Stroke.addPath(Line({12, 2.8}, {12, 11.5}));
      break;
    }
    default:
      break;
  }
  return s;
}

QPixmap Picture(int index, int scale, const QColor& ink) {
  QPixmap pixmap(TMenuImages::Size * scale, TMenuImages::Size * scale);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    TMenuImages::Draw(painter, index, QRectF(pixmap.rect()), ink);
  }
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

}  // namespace

TMenuImages::TMenuImages() {
  for (int i = 0; i < miCount; ++i) {
    QIcon icon;
    for (int scale : kScales) {
      icon.addPixmap(Picture(i, scale, NormalInk), QIcon::Normal);
      icon.addPixmap(Picture(i, scale, NormalInk), QIcon::Active);
      icon.addPixmap(Picture(i, scale, SelectedInk), QIcon::Selected);
      icon.addPixmap(Picture(i, scale, DisabledInk), QIcon::Disabled);
    }
    FIcons[i] = icon;
  }
}

QIcon TMenuImages::Icon(int index) const {
  if (index < 0 || index >= Count()) return {};
  return FIcons[index];
}

QIcon TMenuImages::IconOf(std::string_view item) const {
  const auto found = std::find_if(kMenuItemImages.begin(), kMenuItemImages.end(),
                                  [item](const TMenuItemImage& entry) { return entry.Item == item; });
  return found == kMenuItemImages.end() ? QIcon() : Icon(found->Image);
}

QString TMenuImages::Name(int index) {
  if (index < 0 || index >= miCount) return {};
  return QString::fromLatin1(kNames[index]);
}

int TMenuImages::IndexOf(const QString& name) {
  for (int i = 0; i < miCount; ++i)
    if (name == QLatin1String(kNames[i])) return i;
  return -1;
}

void TMenuImages::Draw(QPainter& painter, int index, const QRectF& box, const QColor& ink) {
  const TShape shape = Shape(index);
  const qreal side = std::min(box.width(), box.height());
  const qreal scale = side / kGrid;
  QTransform place;
  place.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  place.scale(scale, scale);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (!shape.Fill.isEmpty()) painter.fillPath(place.map(shape.Fill), ink);
  if (!shape.Stroke.isEmpty()) {
    const QPen pen(ink, shape.StrokeWidth * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.strokePath(place.map(shape.Stroke), pen);
  }
  painter.restore();
}

}  // namespace kavoro::app
