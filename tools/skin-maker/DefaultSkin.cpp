// "Default": a dark graphite face with soft gradients, rounded corners and a cyan accent. The
// title strip holds the menu, the disc and picture buttons and the window buttons; a glass
// display holds the play name, the state and the clock; the volume stands upright beside the
// balance and zoom; the seek bar spans the window above the transport row.
#include "ArtKit.h"
#include "ButtonFaces.h"
#include "ClockArt.h"
#include "Skins.h"
#include "TrackArt.h"
#include "VideoArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace kavoro::skinmaker {
namespace {

// Layout of the main window.
constexpr QSize kMainSize(560, 198);
constexpr qreal kCornerRadius = 16;
constexpr int kTitleHeight = 34;
constexpr QRect kDisplay(14, 44, 334, 74);
constexpr QPoint kClockPlace(211, 50);
constexpr QPoint kPlayNamePlace(26, 52);
constexpr int kPlayNameMax = 177;
constexpr QPoint kPlayStatePlace(26, 76);
constexpr QPoint kTitlePlace(26, 97);
constexpr QPoint kChapterPlace(104, 97);
constexpr QRect kWordmark(46, 6, 160, 22);
// A divider stands between the picture buttons and the window buttons of the title strip.
constexpr QRect kStripDivider(493, 9, 1, 16);

struct TPlace {
  TButtonId Id;
  QRect Rect;
  TGlyph Glyph;
};
enum class TFace { Strip, Close, Transport, Play };
struct TButtonPlace {
  TPlace Place;
  TFace Face;
};
constexpr std::array<TButtonPlace, kButtonCount> kButtons = {{
    {{biMainMenu, QRect(12, 6, 26, 22), TGlyph::Menu}, TFace::Strip},
    {{biRootMenu, QRect(388, 6, 24, 22), TGlyph::Disc}, TFace::Strip},
    {{biColor, QRect(414, 6, 24, 22), TGlyph::Color}, TFace::Strip},
    {{biOption, QRect(440, 6, 24, 22), TGlyph::Gear}, TFace::Strip},
    {{biAbout, QRect(466, 6, 24, 22), TGlyph::About}, TFace::Strip},
    {{biMinimize, QRect(498, 6, 24, 22), TGlyph::Minimize}, TFace::Strip},
    {{biClose, QRect(524, 6, 24, 22), TGlyph::Close}, TFace::Close},
    {{biMuteOn, QRect(398, 88, 28, 26), TGlyph::SoundOn}, TFace::Transport},
    {{biMuteOff, QRect(398, 88, 28, 26), TGlyph::SoundOff}, TFace::Transport},
    {{biPrevious, QRect(16, 158, 36, 28), TGlyph::Previous}, TFace::Transport},
    {{biRewind, QRect(56, 158, 36, 28), TGlyph::Rewind}, TFace::Transport},
    {{biPlay, QRect(97, 152, 40, 40), TGlyph::Play}, TFace::Play},
    {{biPause, QRect(142, 158, 36, 28), TGlyph::Pause}, TFace::Transport},
    {{biStop, QRect(182, 158, 36, 28), TGlyph::Stop}, TFace::Transport},
    {{biForward, QRect(222, 158, 36, 28), TGlyph::Forward}, TFace::Transport},
    {{biNext, QRect(262, 158, 36, 28), TGlyph::Next}, TFace::Transport},
    {{biOpen, QRect(312, 158, 36, 28), TGlyph::Eject}, TFace::Transport},
    {{biShowVideo, QRect(398, 158, 36, 28), TGlyph::ShowVideo}, TFace::Transport},
    {{biFullscreen, QRect(436, 158, 36, 28), TGlyph::Fullscreen}, TFace::Transport},
    {{biWallpaper, QRect(474, 158, 36, 28), TGlyph::Wallpaper}, TFace::Transport},
    {{biPlayList, QRect(512, 158, 36, 28), TGlyph::PlayList}, TFace::Transport},
}};

// Track bars: place, orientation, length.
constexpr QPoint kVolumePlace(372, 48);
constexpr int kVolumeLength = 66;
constexpr QPoint kBalancePlace(436, 58);
constexpr QPoint kZoomPlace(436, 98);
constexpr int kSmallBarLength = 108;
constexpr QPoint kSeekPlace(18, 130);
constexpr int kSeekLength = 524;
constexpr QPoint kVolumeCaption(398, 48);
constexpr QPoint kBalanceCaption(436, 44);
constexpr QPoint kZoomCaption(436, 84);
constexpr int kCaptionPixels = 8;
constexpr int kCaptionSpacing = 1;
constexpr int kCaptionHeight = 12;

// Colours.
constexpr QColor kAccent(57, 182, 255);
constexpr QColor kRim(10, 12, 15);
constexpr QColor kBodyTop(44, 49, 57), kBodyBottom(26, 29, 35);
constexpr QColor kStripTop(52, 58, 68), kStripBottom(38, 43, 51);
constexpr QColor kEdgeLight(78, 87, 100);
constexpr QColor kGlass(8, 11, 15), kGlassTop(22, 30, 40);
constexpr QColor kWellShade(6, 8, 10), kWellLight(64, 72, 84);
constexpr QColor kCaption(112, 124, 140), kCaptionShadow(0, 0, 0, 160);
constexpr QColor kWordmarkInk(150, 161, 176);

// The video window.
constexpr QSize kVideoMain(480, 270);
constexpr int kFrameTop = 30, kFrameSide = 6, kFrameBottom = 8;
constexpr int kFrameTopLeft = 180, kFrameTopRight = 70, kFrameCorner = 16;
constexpr int kFrameStretch = 16;  // the length of pieces that are stretched anyway
constexpr int kGripColumns = 6, kGripRows = 3;
constexpr QSize kListTitle(240, 24);
// The idle picture: the stage's light reaches this part of its width; the mark's ring, disc
// and glyph radii.
constexpr qreal kStageReach = 0.6;
constexpr qreal kIdleRing = 34, kIdleDisc = 30, kIdleGlyph = 22;

TFaceStyle StripStyle() {
  TFaceStyle s;
  s.Radius = 5;
  s.GlyphFraction = 0.70;
  s.States[fsNormal] = {{}, {}, {}, {}, QColor(160, 171, 185), {}};
  s.States[fsHover] = {QColor(72, 81, 94), QColor(56, 63, 74), QColor(20, 23, 28),
                       QColor(255, 255, 255, 50), QColor(255, 255, 255), {}};
  s.States[fsDown] = {QColor(22, 25, 30), QColor(34, 38, 45), QColor(12, 14, 17), {}, kAccent, {}};
  s.GlyphShadow = QColor(0, 0, 0, 150);
  return s;
}

TFaceStyle CloseStyle() {
  TFaceStyle s = StripStyle();
  s.States[fsHover] = {QColor(232, 72, 64), QColor(190, 46, 42), QColor(90, 20, 18),
                       QColor(255, 255, 255, 70), QColor(255, 255, 255), {}};
  s.States[fsDown] = {QColor(150, 34, 30), QColor(176, 44, 40), QColor(70, 14, 12), {},
                      QColor(255, 220, 216), {}};
  return s;
}

TFaceStyle TransportStyle() {
  TFaceStyle s;
  s.Radius = 7;
  s.GlyphFraction = 0.64;
  s.States[fsNormal] = {QColor(62, 69, 80), QColor(40, 45, 53), QColor(13, 15, 19),
                        QColor(255, 255, 255, 60), QColor(206, 214, 224), {}};
  s.States[fsHover] = {QColor(74, 83, 96), QColor(50, 56, 66), QColor(24, 110, 170),
                       QColor(255, 255, 255, 80), QColor(112, 208, 255), kAccent};
  s.States[fsDown] = {QColor(22, 25, 30), QColor(36, 41, 48), QColor(8, 9, 12), {},
                      kAccent, {}};
  s.GlyphShadow = QColor(0, 0, 0, 160);
  return s;
}

TFaceStyle PlayStyle() {
  TFaceStyle s;
  s.Shape = TPlateShape::Round;
  s.GlyphFraction = 0.58;
  s.States[fsNormal] = {QColor(88, 198, 255), QColor(22, 120, 204), QColor(8, 50, 90),
                        QColor(255, 255, 255, 150), QColor(255, 255, 255), {}};
  s.States[fsHover] = {QColor(130, 216, 255), QColor(36, 146, 232), QColor(10, 64, 110),
                       QColor(255, 255, 255, 190), QColor(255, 255, 255), QColor(120, 210, 255)};
  s.States[fsDown] = {QColor(14, 90, 160), QColor(28, 128, 210), QColor(6, 40, 72), {},
                      QColor(210, 238, 255), {}};
  s.GlyphShadow = QColor(0, 40, 80, 120);
  return s;
}

TFaceStyle FaceStyle(TFace face) {
  switch (face) {
    case TFace::Strip: return StripStyle();
    case TFace::Close: return CloseStyle();
    case TFace::Transport: return TransportStyle();
    case TFace::Play: return PlayStyle();
  }
  return TransportStyle();
}

TTrackStyle TrackStyle() {
  TTrackStyle s;
  s.Well = QColor(14, 17, 21);
  s.GrooveTop = QColor(3, 4, 6);
  s.GrooveBottom = QColor(30, 36, 44);
  s.GrooveEdge = QColor(0, 0, 0, 120);
  s.Groove = 4;
  s.Thickness = 14;
  s.Cap = 8;
  s.KnobLength = 14;
  s.RoundKnob = true;
  s.KnobTop = QColor(244, 247, 250);
  s.KnobBottom = QColor(176, 187, 200);
  s.KnobBorder = QColor(8, 10, 13);
  s.KnobMark = kAccent;
  return s;
}

TTrackStyle SeekStyle() {
  TTrackStyle s = TrackStyle();
  s.KnobLength = 26;
  s.RoundKnob = false;
  return s;
}

TTrackStyle VolumeStyle() {
  TTrackStyle s = TrackStyle();
  s.Thickness = 16;
  s.KnobLength = 12;
  s.RoundKnob = false;
  return s;
}

TClockStyle ClockStyle() {
  TClockStyle s;
  s.Panel = kGlass;
  s.Lit = QColor(140, 220, 255);
  s.Unlit = QColor(20, 32, 42);
  s.Glow = QColor(30, 150, 230);
  s.DigitWidth = 15;
  s.DigitHeight = 26;
  s.Segment = 3.4;
  s.Slant = 0.07;
  s.PairGap = 3;
  s.ColonWidth = 10;
  s.Margin = 5;
  return s;
}

void Caption(QPainter& painter, QPoint at, const QString& text) {
  QFont font = PixelFont(kCaptionPixels, QFont::Bold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, kCaptionSpacing);
  painter.setFont(font);
  ShadowText(painter, QRectF(at, QSizeF(kSmallBarLength, kCaptionHeight)),
             Qt::AlignLeft | Qt::AlignTop, text, kCaption, kCaptionShadow);
}

QPainterPath Outline() {
  QPainterPath path;
  path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(kMainSize)), kCornerRadius, kCornerRadius);
  return path;
}

QImage PaintBody() {
  QImage body = Canvas(kMainSize);
  QPainter painter(&body);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath outline = Outline();
  QLinearGradient shade(0, 0, 0, kMainSize.height());
  shade.setColorAt(0, kBodyTop);
  shade.setColorAt(1, kBodyBottom);
  painter.fillPath(outline, shade);
  // The title strip, a shade lighter, with a groove under it.
  painter.save();
  painter.setClipPath(outline);
  QLinearGradient strip(0, 0, 0, kTitleHeight);
  strip.setColorAt(0, kStripTop);
  strip.setColorAt(1, kStripBottom);
  painter.fillRect(QRect(0, 0, kMainSize.width(), kTitleHeight), strip);
  painter.fillRect(QRect(0, kTitleHeight, kMainSize.width(), 1), QColor(12, 14, 17));
  painter.fillRect(QRect(0, kTitleHeight + 1, kMainSize.width(), 1), QColor(255, 255, 255, 18));
  painter.restore();
  // A light bevel just inside the outline, strongest at the top.
  QLinearGradient bevel(0, 0, 0, kMainSize.height());
  bevel.setColorAt(0, kEdgeLight);
  bevel.setColorAt(0.4, QColor(255, 255, 255, 20));
  bevel.setColorAt(1, QColor(255, 255, 255, 10));
  painter.strokePath(outline, QPen(QBrush(bevel), 1.5));
  QPainterPath inner;
  inner.addRoundedRect(QRectF(1.5, 1.5, kMainSize.width() - 3, kMainSize.height() - 3),
                       kCornerRadius - 1.5, kCornerRadius - 1.5);
  painter.strokePath(inner, QPen(QBrush(bevel), 1));

  // The wordmark.
  QFont mark = PixelFont(11, QFont::Bold);
  mark.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  painter.setFont(mark);
  ShadowText(painter, kWordmark, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KAVORO"),
             kWordmarkInk, QColor(0, 0, 0, 170));
  const int markWidth = QFontMetrics(mark).horizontalAdvance(QStringLiteral("KAVORO "));
  QFont sub = PixelFont(11);
  sub.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  painter.setFont(sub);
  ShadowText(painter, kWordmark.adjusted(markWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("PLAYER"), kAccent, QColor(0, 0, 0, 170));
  // A thin divider before the window buttons.
  painter.fillRect(kStripDivider, QColor(12, 14, 17));
  painter.fillRect(kStripDivider.translated(1, 0), QColor(255, 255, 255, 20));

  // The glass display, shaded from top to bottom only: the clock's digits carry the same rows.
  QLinearGradient glass(0, kDisplay.top(), 0, kDisplay.bottom());
  glass.setColorAt(0, kGlassTop);
  glass.setColorAt(1, kGlass);
  SunkenWell(painter, kDisplay, 8, glass, QColor(4, 5, 7), QColor(70, 78, 90));
  Caption(painter, kVolumeCaption, QStringLiteral("VOL"));
  Caption(painter, kBalanceCaption, QStringLiteral("BALANCE"));
  Caption(painter, kZoomCaption, QStringLiteral("ZOOM"));
  // What the ends of the balance and the zoom mean, at the right above each bar.
  painter.setFont(PixelFont(kCaptionPixels, QFont::Bold));
  const QSizeF captionSize(kSmallBarLength, kCaptionHeight);
  ShadowText(painter, QRectF(kBalanceCaption, captionSize), Qt::AlignRight | Qt::AlignTop,
             QStringLiteral("L  ·  R"), kCaption, kCaptionShadow);
  ShadowText(painter, QRectF(kZoomCaption, captionSize), Qt::AlignRight | Qt::AlignTop,
             QStringLiteral("−  ·  +"), kCaption, kCaptionShadow);
  painter.end();
  return body;
}

void PaintVideo(TSkinArt& skin) {
  using namespace skin;
  auto& v = skin.Video;
  auto strip = [](QPainter& p, int width) {
    QLinearGradient g(0, 0, 0, kFrameTop);
    g.setColorAt(0, kStripTop);
    g.setColorAt(1, kStripBottom);
    p.fillRect(QRect(0, 0, width, kFrameTop), g);
    p.fillRect(QRect(0, 0, width, 1), kEdgeLight);
    p.fillRect(QRect(0, kFrameTop - 1, width, 1), QColor(12, 14, 17));
  };
  auto side = [](QPainter& p, int height, bool left) {
    // From the outside in: rim, body, dark inner line.
    const std::array<QColor, kFrameSide> cols = {kRim, QColor(58, 65, 76), QColor(40, 45, 53),
                                                 QColor(36, 41, 48), QColor(30, 34, 40),
                                                 QColor(10, 12, 15)};
    for (int i = 0; i < kFrameSide; ++i)
      p.fillRect(QRect(left ? i : kFrameSide - 1 - i, 0, 1, height), cols[i]);
  };
  {
    QImage img = Canvas(QSize(kFrameStretch, kFrameTop));
    QPainter p(&img);
    strip(p, kFrameStretch);
    p.end();
    v[vpTopCenter] = Opaque(img);
  }
  {
    QImage img = Canvas(QSize(kFrameTopLeft, kFrameTop));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    strip(p, kFrameTopLeft);
    p.fillRect(QRect(0, 0, 1, kFrameTop), kRim);
    p.fillRect(QRect(1, 1, 1, kFrameTop - 2), kEdgeLight);
    TitleMark(p, QSize(kFrameTopLeft, kFrameTop), kAccent, QColor(214, 222, 232), QColor(0, 0, 0, 170));
    p.end();
    v[vpTopLeft] = Opaque(img);
  }
  {
    QImage img = Canvas(QSize(kFrameTopRight, kFrameTop));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    strip(p, kFrameTopRight);
    p.fillRect(QRect(kFrameTopRight - 1, 0, 1, kFrameTop), kRim);
    // A grip: the title bar is where the window is dragged.
    p.setPen(Qt::NoPen);
    for (int col = 0; col < kGripColumns; ++col)
      for (int row = 0; row < kGripRows; ++row) {
        const QPointF dot(kFrameTopRight - 40 + col * 5, kFrameTop / 2.0 - 5 + row * 5);
        p.setBrush(QColor(0, 0, 0, 140));
        p.drawEllipse(dot + QPointF(0, 1), 1.2, 1.2);
        p.setBrush(QColor(110, 121, 136));
        p.drawEllipse(dot, 1.2, 1.2);
      }
    p.end();
    v[vpTopRight] = Opaque(img);
  }
  for (bool left : {true, false}) {
    QImage img = Canvas(QSize(kFrameSide, kFrameStretch));
    QPainter p(&img);
    side(p, kFrameStretch, left);
    p.end();
    v[left ? vpLeft : vpRight] = Opaque(img);
  }
  auto bottom = [&](int width, int corner) {
    QImage img = Canvas(QSize(width, kFrameBottom));
    QPainter p(&img);
    const std::array<QColor, kFrameBottom> rows = {QColor(10, 12, 15), QColor(30, 34, 40),
                                                   QColor(34, 38, 45), QColor(36, 41, 48),
                                                   QColor(34, 38, 45), QColor(30, 34, 40),
                                                   QColor(22, 25, 30), kRim};
    for (int i = 0; i < kFrameBottom; ++i) p.fillRect(QRect(0, i, width, 1), rows[i]);
    if (corner < 0) {
      p.fillRect(QRect(0, 0, 1, kFrameBottom), kRim);
    } else if (corner > 0) {
      p.fillRect(QRect(width - 1, 0, 1, kFrameBottom), kRim);
      // A size grip: dots on the diagonal.
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(96, 106, 120));
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(width - 5 - i * 4, kFrameBottom / 2.0), 1.1, 1.1);
    }
    p.end();
    return Opaque(img);
  };
  v[vpBottomCenter] = bottom(kFrameStretch, 0);
  v[vpBottomLeft] = bottom(kFrameCorner, -1);
  v[vpBottomRight] = bottom(kFrameCorner, 1);
  // The idle picture: a dark stage with the player's mark.
  {
    QImage img = Canvas(kVideoMain);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = IdleMarkCentre(kVideoMain);
    QRadialGradient stage(centre, kVideoMain.width() * kStageReach);
    stage.setColorAt(0, QColor(30, 38, 49));
    stage.setColorAt(1, QColor(8, 10, 13));
    p.fillRect(img.rect(), stage);
    p.setPen(QPen(QColor(57, 182, 255, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, kIdleRing, kIdleRing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(57, 182, 255, 40));
    p.drawEllipse(centre, kIdleDisc, kIdleDisc);
    DrawGlyph(p, TGlyph::Play, QRectF(centre - QPointF(kIdleGlyph, kIdleGlyph), QSizeF(2 * kIdleGlyph, 2 * kIdleGlyph)),
              QColor(140, 214, 255));
    IdleWords(p, kVideoMain, kIdleRing, QColor(160, 172, 188), QColor(112, 124, 140));
    p.end();
    v[vpMain] = Opaque(img);
  }
  // The play list.
  TPlayListArt& list = skin.PlayList;
  list.TitleBackground = QColor(28, 32, 39);
  list.ListBackground = QColor(15, 18, 22);
  list.ListFont = QColor(206, 214, 224);
  list.FontSize = 9;
  list.Title = ListTitle(kListTitle, list.TitleBackground, kAccent, QColor(190, 200, 214),
                         QColor(0, 0, 0, 160), true);
}

}  // namespace

TSkinArt PaintDefaultSkin() {
  TSkinArt skin;
  skin.Name = QStringLiteral("Default");
  QImage body = PaintBody();
  MakeTrack(skin, body, tbVolume, kVolumePlace, false, kVolumeLength, VolumeStyle(), kWellShade, kWellLight);
  MakeTrack(skin, body, tbBalance, kBalancePlace, true, kSmallBarLength, TrackStyle(), kWellShade, kWellLight);
  MakeTrack(skin, body, tbSeek, kSeekPlace, true, kSeekLength, SeekStyle(), kWellShade, kWellLight);
  MakeTrack(skin, body, tbZoom, kZoomPlace, true, kSmallBarLength, TrackStyle(), kWellShade, kWellLight);
  MakeClock(skin, kClockPlace, ClockStyle(), body);
  {
    QPainter painter(&body);
    painter.drawImage(skin.Clock.PanelPlace, skin.Clock.Panel);
  }
  skin.Main = KeyOut(body, Outline(), kRim);
  for (const TButtonPlace& b : kButtons)
    MakeButton(skin, b.Place.Id, b.Place.Rect, b.Place.Glyph, FaceStyle(b.Face));
  PackSheet(skin, QColor(20, 23, 28));
  // The normal faces belong in the main picture too, so it reads right on its own.
  {
    QPainter painter(&skin.Main);
    for (const TButtonArt& b : skin.Buttons) painter.drawImage(b.Place.topLeft(), b.Faces[fsNormal]);
  }

  skin.PlayName = {kPlayNamePlace, 9, QColor(232, 238, 245)};
  skin.PlayNameMax = kPlayNameMax;
  skin.PlayState = {kPlayStatePlace, 8, kAccent};
  skin.Title = {kTitlePlace, 8, QColor(150, 164, 182)};
  skin.Chapter = {kChapterPlace, 8, QColor(150, 164, 182)};
  skin.Hint = {kAccent, QColor(30, 35, 42), QColor(20, 23, 28), kAccent, QColor(222, 230, 240)};
  PaintVideo(skin);
  return skin;
}

}  // namespace kavoro::skinmaker
