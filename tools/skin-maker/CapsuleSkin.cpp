// "Capsule": a brushed-aluminium capsule with a round, turned-metal dial at its left end, where
// the play button sits among the previous, next, stop and pause buttons. An LCD in the middle
// holds the play name, the state and the clock, with the seek bar and the picture buttons under
// it; the right end holds the window buttons, the volume, the balance and an upright zoom.
// Orange is its accent.
#include "ArtKit.h"
#include "ButtonFaces.h"
#include "ClockArt.h"
#include "Skins.h"
#include "TrackArt.h"
#include "VideoArt.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace kavoro::skinmaker {
namespace {

// Outline: a dial (a circle) joined to a capsule (a rectangle with round ends).
constexpr QSize kMainSize(620, 160);
constexpr QPointF kDialCentre(80, 80);
constexpr qreal kDialRadius = 80;
constexpr qreal kDialFaceRadius = 72;
constexpr QRectF kCapsule(60, 10, 560, 140);

constexpr QRect kLcd(176, 22, 276, 68);
constexpr QPoint kClockPlace(338, 30);
constexpr QPoint kPlayNamePlace(186, 30);
constexpr int kPlayNameMax = 146;
constexpr QPoint kPlayStatePlace(186, 52);
constexpr QPoint kTitlePlace(186, 70);
constexpr QPoint kChapterPlace(262, 70);

enum class TFace { Ring, Play, Pill, Window, Close };
struct TButtonPlace {
  TButtonId Id;
  QRect Rect;
  TGlyph Glyph;
  TFace Face;
};
constexpr int kRing = 28;
constexpr int kRingDistance = 52;
constexpr int kPlaySide = 54;
constexpr QRect RingButton(int dx, int dy) {
  return QRect(static_cast<int>(kDialCentre.x()) + dx - kRing / 2,
               static_cast<int>(kDialCentre.y()) + dy - kRing / 2, kRing, kRing);
}
constexpr std::array<TButtonPlace, kButtonCount> kButtons = {{
    {biPlay, QRect(53, 53, kPlaySide, kPlaySide), TGlyph::Play, TFace::Play},
    {biPrevious, RingButton(-kRingDistance, 0), TGlyph::Previous, TFace::Ring},
    {biNext, RingButton(kRingDistance, 0), TGlyph::Next, TFace::Ring},
    {biStop, RingButton(0, -kRingDistance), TGlyph::Stop, TFace::Ring},
    {biPause, RingButton(0, kRingDistance), TGlyph::Pause, TFace::Ring},
    {biRewind, QRect(176, 96, 26, 20), TGlyph::Rewind, TFace::Pill},
    {biForward, QRect(426, 96, 26, 20), TGlyph::Forward, TFace::Pill},
    {biShowVideo, QRect(182, 122, 26, 20), TGlyph::ShowVideo, TFace::Pill},
    {biFullscreen, QRect(212, 122, 26, 20), TGlyph::Fullscreen, TFace::Pill},
    {biWallpaper, QRect(242, 122, 26, 20), TGlyph::Wallpaper, TFace::Pill},
    {biPlayList, QRect(272, 122, 26, 20), TGlyph::PlayList, TFace::Pill},
    {biRootMenu, QRect(302, 122, 26, 20), TGlyph::Disc, TFace::Pill},
    {biColor, QRect(332, 122, 26, 20), TGlyph::Color, TFace::Pill},
    {biOption, QRect(362, 122, 26, 20), TGlyph::Gear, TFace::Pill},
    {biAbout, QRect(392, 122, 26, 20), TGlyph::About, TFace::Pill},
    {biOpen, QRect(426, 122, 26, 20), TGlyph::Eject, TFace::Pill},
    {biMainMenu, QRect(490, 28, 26, 20), TGlyph::Menu, TFace::Window},
    {biMinimize, QRect(538, 28, 24, 20), TGlyph::Minimize, TFace::Window},
    {biClose, QRect(564, 28, 24, 20), TGlyph::Close, TFace::Close},
    {biMuteOn, QRect(488, 60, 26, 22), TGlyph::SoundOn, TFace::Pill},
    {biMuteOff, QRect(488, 60, 26, 22), TGlyph::SoundOff, TFace::Pill},
}};

constexpr QPoint kVolumePlace(520, 64);
constexpr QPoint kBalancePlace(520, 96);
constexpr int kSmallBarLength = 60;
constexpr QPoint kSeekPlace(208, 99);
constexpr int kSeekLength = 212;
constexpr QPoint kZoomPlace(462, 24);
constexpr int kZoomLength = 66;
constexpr QPoint kVolumeCaption(520, 52);
constexpr QPoint kBalanceCaption(520, 84);
constexpr QRect kWordmark(488, 118, 100, 16);
constexpr QPoint kZoomCaption(455, 96);
constexpr int kCaptionPixels = 8, kCaptionHeight = 12;

constexpr QColor kAccent(236, 112, 28);
constexpr QColor kRim(70, 74, 80);
constexpr QColor kRimLine(70, 74, 80, 200);
constexpr QColor kMetal(200, 204, 209);
constexpr QColor kLcdColor(186, 201, 178), kLcdTop(210, 222, 203);
constexpr QColor kInk(30, 38, 32);
constexpr QColor kEngrave(255, 255, 255, 170);
constexpr QColor kCaption(84, 90, 98);
constexpr std::uint32_t kGrainSeed = 1729;
constexpr int kGrain = 9;
// Light and shade alternate this many times around a turned-metal disc.
constexpr int kTurns = 8;
constexpr qreal kTurnAngle = 30;

constexpr QSize kVideoMain(480, 270);
constexpr int kFrameTop = 26, kFrameSide = 5, kFrameBottom = 10;
constexpr int kFrameTopLeft = 160, kFrameTopRight = 40, kFrameCorner = 20;
constexpr int kFrameStretch = 16;
constexpr int kGripColumns = 4, kGripRows = 2, kGripLeft = 12;
constexpr qreal kGripStep = 5;
constexpr QSize kListTitle(220, 22);
// The idle picture: the stage's light reaches this part of its width; the turned disc's, the
// play button's and the glyph's radii.
constexpr qreal kStageReach = 0.62;
constexpr qreal kIdleDisc = 36, kIdleButton = 20, kIdleGlyph = 12;

TFaceStyle MetalStyle(TPlateShape shape, qreal radius, qreal glyph) {
  TFaceStyle s;
  s.Shape = shape;
  s.Radius = radius;
  s.GlyphFraction = glyph;
  s.States[fsNormal] = {QColor(250, 251, 252), QColor(190, 195, 202), QColor(112, 118, 126),
                        QColor(255, 255, 255, 220), QColor(52, 58, 66), {}};
  s.States[fsHover] = {QColor(255, 255, 255), QColor(212, 216, 222), QColor(200, 96, 24),
                       QColor(255, 255, 255, 240), kAccent, kAccent};
  s.States[fsDown] = {QColor(168, 174, 182), QColor(214, 218, 223), QColor(96, 102, 110), {},
                      QColor(190, 80, 12), {}};
  s.GlyphShadow = kEngrave;
  return s;
}

TFaceStyle PlayStyle() {
  TFaceStyle s;
  s.Shape = TPlateShape::Round;
  s.GlyphFraction = 0.52;
  s.States[fsNormal] = {QColor(255, 170, 90), QColor(222, 92, 18), QColor(120, 48, 6),
                        QColor(255, 255, 255, 170), QColor(255, 255, 255), {}};
  s.States[fsHover] = {QColor(255, 192, 122), QColor(240, 112, 30), QColor(130, 56, 8),
                       QColor(255, 255, 255, 210), QColor(255, 255, 255), QColor(255, 150, 60)};
  s.States[fsDown] = {QColor(188, 70, 10), QColor(230, 104, 28), QColor(100, 38, 4), {},
                      QColor(255, 226, 200), {}};
  s.GlyphShadow = QColor(120, 40, 0, 120);
  return s;
}

TFaceStyle WindowStyle() {
  TFaceStyle s = MetalStyle(TPlateShape::Rounded, 6, 0.74);
  s.States[fsNormal] = {{}, {}, {}, {}, QColor(66, 72, 80), {}};
  return s;
}

TFaceStyle CloseStyle() {
  TFaceStyle s = WindowStyle();
  s.States[fsHover] = {QColor(238, 86, 70), QColor(196, 48, 40), QColor(110, 26, 20),
                       QColor(255, 255, 255, 90), QColor(255, 255, 255), {}};
  s.States[fsDown] = {QColor(160, 36, 30), QColor(184, 48, 42), QColor(90, 20, 16), {},
                      QColor(255, 220, 214), {}};
  return s;
}

TFaceStyle FaceStyle(TFace face) {
  switch (face) {
    case TFace::Ring: return MetalStyle(TPlateShape::Round, 0, 0.6);
    case TFace::Play: return PlayStyle();
    case TFace::Pill: return MetalStyle(TPlateShape::Rounded, 9, 0.74);
    case TFace::Window: return WindowStyle();
    case TFace::Close: return CloseStyle();
  }
  return WindowStyle();
}

TTrackStyle TrackStyle() {
  TTrackStyle s;
  s.Well = QColor(172, 177, 184);
  s.GrooveTop = QColor(70, 76, 84);
  s.GrooveBottom = QColor(128, 134, 142);
  s.GrooveEdge = QColor(60, 64, 70, 120);
  s.Groove = 4;
  s.Thickness = 14;
  s.Cap = 8;
  s.KnobLength = 14;
  s.RoundKnob = true;
  s.KnobTop = QColor(255, 255, 255);
  s.KnobBottom = QColor(186, 191, 198);
  s.KnobBorder = QColor(92, 98, 106);
  s.KnobMark = kAccent;
  return s;
}

TTrackStyle SeekStyle() {
  TTrackStyle s = TrackStyle();
  s.KnobLength = 24;
  s.RoundKnob = false;
  return s;
}

TClockStyle ClockStyle() {
  TClockStyle s;
  s.Panel = kLcdColor;
  s.Lit = kInk;
  s.Unlit = QColor(182, 196, 175);
  s.DigitWidth = 13;
  s.DigitHeight = 22;
  s.Segment = 2.6;
  s.Slant = 0.06;
  s.PairGap = 2;
  s.ColonWidth = 8;
  s.Margin = 4;
  return s;
}

// Turned metal: light and shade alternating around the centre.
void TurnedMetal(QConicalGradient& gradient, QColor light, QColor shade) {
  for (int i = 0; i <= kTurns; ++i)
    gradient.setColorAt(static_cast<qreal>(i) / kTurns, i % 2 == 0 ? light : shade);
}

QPainterPath Outline() {
  QPainterPath dial;
  dial.addEllipse(kDialCentre, kDialRadius, kDialRadius);
  QPainterPath capsule;
  const qreal r = kCapsule.height() / 2;
  capsule.addRoundedRect(kCapsule, r, r);
  return dial.united(capsule);
}

void Caption(QPainter& painter, QPoint at, const QString& text) {
  QFont font = PixelFont(kCaptionPixels, QFont::Bold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  painter.setFont(font);
  ShadowText(painter, QRectF(at, QSizeF(kSmallBarLength, kCaptionHeight)), Qt::AlignLeft | Qt::AlignTop,
             text, kCaption, kEngrave);
}

QImage PaintBody() {
  QImage body = Canvas(kMainSize);
  QPainter painter(&body);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPainterPath outline = Outline();
  painter.setClipPath(outline);
  painter.drawImage(QPoint(0, 0), Brushed(kMainSize, kMetal, kGrainSeed, kGrain));
  // The capsule is a cylinder: light from above, shade below.
  QLinearGradient roll(0, kCapsule.top(), 0, kCapsule.bottom());
  roll.setColorAt(0, QColor(255, 255, 255, 120));
  roll.setColorAt(0.35, QColor(255, 255, 255, 10));
  roll.setColorAt(0.8, QColor(0, 0, 0, 25));
  roll.setColorAt(1, QColor(0, 0, 0, 70));
  painter.fillRect(body.rect(), roll);
  painter.setClipping(false);
  // The dial: a turned-metal disc sunk into the body.
  QPainterPath dialFace;
  dialFace.addEllipse(kDialCentre, kDialFaceRadius, kDialFaceRadius);
  QConicalGradient turned(kDialCentre, kTurnAngle);
  TurnedMetal(turned, QColor(236, 238, 241), QColor(160, 166, 174));
  painter.fillPath(dialFace, turned);
  painter.strokePath(dialFace, QPen(QColor(110, 116, 124), 1.2));
  QPainterPath dialLip;
  dialLip.addEllipse(kDialCentre, kDialFaceRadius + 1.5, kDialFaceRadius + 1.5);
  painter.strokePath(dialLip, QPen(QColor(255, 255, 255, 200), 1));
  // The outline's own edge: a highlight at the top, darker below.
  QLinearGradient edge(0, 0, 0, kMainSize.height());
  edge.setColorAt(0, QColor(255, 255, 255, 230));
  edge.setColorAt(0.5, QColor(255, 255, 255, 60));
  edge.setColorAt(1, QColor(0, 0, 0, 90));
  painter.save();
  painter.setClipPath(outline);
  painter.strokePath(outline, QPen(QBrush(edge), 4));
  // A dark rim outside the highlight, so the silhouette reads on a light desktop too.
  painter.strokePath(outline, QPen(kRimLine, 2));
  painter.restore();

  // The LCD.
  // Lit from above, shaded from top to bottom only: the clock's digits carry the same rows.
  QLinearGradient lcd(0, kLcd.top(), 0, kLcd.bottom());
  lcd.setColorAt(0, kLcdTop);
  lcd.setColorAt(1, kLcdColor);
  SunkenWell(painter, kLcd, 6, lcd, QColor(70, 76, 84), QColor(255, 255, 255, 220));
  // Captions.
  Caption(painter, kVolumeCaption, QStringLiteral("VOLUME"));
  Caption(painter, kZoomCaption, QStringLiteral("ZOOM"));
  Caption(painter, kBalanceCaption, QStringLiteral("BALANCE"));
  // The maker's mark, engraved.
  QFont mark = PixelFont(10, QFont::Bold);
  mark.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  painter.setFont(mark);
  ShadowText(painter, kWordmark, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("KAVORO"),
             QColor(120, 126, 134), kEngrave);
  painter.end();
  return body;
}

// The video window's title bar: shaded only from top to bottom, since its middle is stretched.
void TitleBar(QPainter& p, int width) {
  QLinearGradient g(0, 0, 0, kFrameTop);
  g.setColorAt(0, QColor(238, 240, 243));
  g.setColorAt(1, QColor(186, 191, 198));
  p.fillRect(QRect(0, 0, width, kFrameTop), g);
  p.fillRect(QRect(0, 0, width, 1), QColor(255, 255, 255));
  p.fillRect(QRect(0, kFrameTop - 1, width, 1), QColor(120, 126, 134));
}

void PaintVideo(TSkinArt& skin) {
  using namespace skin;
  auto& v = skin.Video;
  auto piece = [](QSize size, auto paint) {
    QImage img = Canvas(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return Opaque(img);
  };
  v[vpTopCenter] = piece(QSize(kFrameStretch, kFrameTop), [&](QPainter& p) {
    TitleBar(p, kFrameStretch);
  });
  v[vpTopLeft] = piece(QSize(kFrameTopLeft, kFrameTop), [&](QPainter& p) {
    TitleBar(p, kFrameTopLeft);
    p.fillRect(QRect(0, 0, 1, kFrameTop), kRim);
    TitleMark(p, QSize(kFrameTopLeft, kFrameTop), kAccent, QColor(44, 50, 58), kEngrave);
  });
  v[vpTopRight] = piece(QSize(kFrameTopRight, kFrameTop), [&](QPainter& p) {
    TitleBar(p, kFrameTopRight);
    p.fillRect(QRect(kFrameTopRight - 1, 0, 1, kFrameTop), kRim);
    // A grip of engraved dots: the title bar is where the window is dragged.
    p.setPen(Qt::NoPen);
    for (int col = 0; col < kGripColumns; ++col)
      for (int row = 0; row < kGripRows; ++row) {
        const QPointF dot(kGripLeft + col * kGripStep, kFrameTop / 2.0 - kGripStep / 2.0 + row * kGripStep);
        p.setBrush(kEngrave);
        p.drawEllipse(dot + QPointF(0, 1), 1.1, 1.1);
        p.setBrush(QColor(110, 116, 124));
        p.drawEllipse(dot, 1.1, 1.1);
      }
  });
  for (bool left : {true, false}) {
    v[left ? vpLeft : vpRight] = piece(QSize(kFrameSide, kFrameStretch), [&](QPainter& p) {
      const std::array<QColor, kFrameSide> cols = {kRim, QColor(238, 240, 243), QColor(206, 210, 215),
                                                   QColor(180, 185, 192), QColor(110, 116, 124)};
      for (int i = 0; i < kFrameSide; ++i)
        p.fillRect(QRect(left ? i : kFrameSide - 1 - i, 0, 1, kFrameStretch), cols[i]);
    });
  }
  auto bottom = [&](int width, int corner) {
    return piece(QSize(width, kFrameBottom), [&](QPainter& p) {
      QLinearGradient g(0, 0, 0, kFrameBottom);
      g.setColorAt(0, QColor(150, 156, 164));
      g.setColorAt(0.2, QColor(214, 218, 223));
      g.setColorAt(1, QColor(170, 175, 182));
      p.fillRect(QRect(0, 0, width, kFrameBottom), g);
      p.fillRect(QRect(0, kFrameBottom - 1, width, 1), kRim);
      if (corner != 0) p.fillRect(QRect(corner < 0 ? 0 : width - 1, 0, 1, kFrameBottom), kRim);
      if (corner > 0) {
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
          p.setBrush(QColor(110, 116, 124));
          p.drawEllipse(QPointF(width - 6 - i * 4, kFrameBottom / 2.0), 1.1, 1.1);
        }
      }
    });
  };
  v[vpBottomCenter] = bottom(kFrameStretch, 0);
  v[vpBottomLeft] = bottom(kFrameCorner, -1);
  v[vpBottomRight] = bottom(kFrameCorner, 1);
  v[vpMain] = piece(kVideoMain, [&](QPainter& p) {
    const QPointF centre = IdleMarkCentre(kVideoMain);
    QRadialGradient stage(centre, kVideoMain.width() * kStageReach);
    stage.setColorAt(0, QColor(64, 70, 78));
    stage.setColorAt(1, QColor(22, 24, 28));
    p.fillRect(QRect(QPoint(0, 0), kVideoMain), stage);
    QConicalGradient turned(centre, kTurnAngle);
    TurnedMetal(turned, QColor(226, 229, 233), QColor(150, 156, 164));
    p.setPen(QPen(QColor(40, 44, 50), 1.5));
    p.setBrush(turned);
    p.drawEllipse(centre, kIdleDisc, kIdleDisc);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(centre, kIdleButton, kIdleButton);
    DrawGlyph(p, TGlyph::Play, QRectF(centre - QPointF(kIdleGlyph, kIdleGlyph), QSizeF(2 * kIdleGlyph, 2 * kIdleGlyph)),
              QColor(255, 255, 255));
    IdleWords(p, kVideoMain, kIdleDisc, QColor(214, 218, 224), QColor(140, 146, 154));
  });
  TPlayListArt& list = skin.PlayList;
  list.TitleBackground = QColor(214, 218, 223);
  list.ListBackground = QColor(244, 245, 247);
  list.ListFont = QColor(34, 38, 44);
  list.FontSize = 9;
  list.Title = ListTitle(kListTitle, list.TitleBackground, kAccent, QColor(52, 58, 66), kEngrave, false);
}

}  // namespace

TSkinArt PaintCapsuleSkin() {
  TSkinArt skin;
  skin.Name = QStringLiteral("Capsule");
  QImage body = PaintBody();
  const QColor wellShade(96, 102, 110), wellLight(255, 255, 255, 200);
  MakeTrack(skin, body, tbVolume, kVolumePlace, true, kSmallBarLength, TrackStyle(), wellShade, wellLight);
  MakeTrack(skin, body, tbBalance, kBalancePlace, true, kSmallBarLength, TrackStyle(), wellShade, wellLight);
  MakeTrack(skin, body, tbSeek, kSeekPlace, true, kSeekLength, SeekStyle(), wellShade, wellLight);
  MakeTrack(skin, body, tbZoom, kZoomPlace, false, kZoomLength, TrackStyle(), wellShade, wellLight);
  MakeClock(skin, kClockPlace, ClockStyle(), body);
  {
    QPainter painter(&body);
    painter.drawImage(skin.Clock.PanelPlace, skin.Clock.Panel);
  }
  skin.Main = KeyOut(body, Outline(), kRim);
  for (const TButtonPlace& b : kButtons) MakeButton(skin, b.Id, b.Rect, b.Glyph, FaceStyle(b.Face));
  PackSheet(skin, kMetal);
  {
    QPainter painter(&skin.Main);
    for (const TButtonArt& b : skin.Buttons) painter.drawImage(b.Place.topLeft(), b.Faces[fsNormal]);
  }
  skin.PlayName = {kPlayNamePlace, 9, kInk};
  skin.PlayNameMax = kPlayNameMax;
  skin.PlayState = {kPlayStatePlace, 8, QColor(150, 64, 10)};
  skin.Title = {kTitlePlace, 8, QColor(60, 72, 62)};
  skin.Chapter = {kChapterPlace, 8, QColor(60, 72, 62)};
  skin.Hint = {kAccent, QColor(226, 229, 233), QColor(250, 250, 251), QColor(120, 126, 134),
               QColor(34, 38, 44)};
  PaintVideo(skin);
  return skin;
}

}  // namespace kavoro::skinmaker
