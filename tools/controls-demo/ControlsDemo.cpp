// Shows a shaped skin window with picture buttons, a horizontal and a vertical track bar, a
// picture panel and the skinned hints. Every picture is drawn here at start; fuchsia is the
// transparent colour of the window's shape.
//
//   kavoro-controls-demo [--quit-after MS]

#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

using namespace kavoro::controls;

constexpr QRgb kFuchsia = 0xFF00FF;
constexpr QSize kSkinSize(440, 250);
constexpr QSize kButtonSize(56, 26);
constexpr int kBarLength = 200;
constexpr int kSliderSize = 14;

QImage SkinPicture() {
  QImage picture(kSkinSize, QImage::Format_RGB32);
  picture.fill(QColor::fromRgb(kFuchsia));
  QPainter painter(&picture);
  painter.setPen(Qt::NoPen);
  QLinearGradient body(0, 0, 0, kSkinSize.height());
  body.setColorAt(0, QColor(62, 78, 104));
  body.setColorAt(1, QColor(24, 30, 44));
  painter.setBrush(body);
  QPainterPath outline;
  outline.addRoundedRect(QRectF(0, 0, kSkinSize.width(), kSkinSize.height()), 36, 36);
  QPainterPath notch;
  notch.addEllipse(QPointF(kSkinSize.width() / 2.0, -10), 70, 34);
  painter.drawPath(outline.subtracted(notch));
  painter.setBrush(QColor(12, 16, 24));
  painter.drawRoundedRect(QRect(24, 40, 300, 60), 8, 8);
  painter.setPen(QColor(120, 220, 255));
  QFont title("DejaVu Sans", 16, QFont::Bold);
  painter.setFont(title);
  painter.drawText(QRect(24, 40, 300, 60), Qt::AlignCenter, "Kavoro Player");
  painter.setPen(QColor(150, 165, 190));
  painter.setFont(QFont("DejaVu Sans", 8));
  painter.drawText(QRect(24, 218, 300, 16), Qt::AlignLeft, "drag anywhere here to move");
  return picture;
}

// One face of a button: a rounded plate with a glyph, see-through around the corners.
QImage ButtonFace(QColor plate, QColor ink, const QString& glyph, bool sunk) {
  QImage face(kButtonSize, QImage::Format_ARGB32_Premultiplied);
  face.fill(Qt::transparent);
  QPainter painter(&face);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient shade(0, 0, 0, kButtonSize.height());
  shade.setColorAt(0, sunk ? plate.darker(140) : plate.lighter(130));
  shade.setColorAt(1, sunk ? plate.lighter(110) : plate.darker(130));
  painter.setBrush(shade);
  painter.setPen(QPen(plate.darker(200), 1));
  painter.drawRoundedRect(QRectF(0.5, 0.5, kButtonSize.width() - 1, kButtonSize.height() - 1), 9,
                          9);
  painter.setPen(ink);
  painter.setFont(QFont("DejaVu Sans", 11, QFont::Bold));
  painter.drawText(face.rect().translated(sunk ? 1 : 0, sunk ? 1 : 0), Qt::AlignCenter, glyph);
  return face;
}

TVeskoImageButton* AddButton(QWidget* form, QPoint at, const QString& glyph, const QString& hint) {
  auto* button = new TVeskoImageButton(form);
  button->move(at);
  const QColor plate(70, 110, 170);
  button->SetPicNormal(ButtonFace(plate, Qt::white, glyph, false));
  button->SetPicMouseOn(ButtonFace(plate.lighter(140), QColor(255, 240, 120), glyph, false));
  button->SetPicMouseDown(ButtonFace(QColor(200, 120, 40), Qt::white, glyph, true));
  button->SetPicDisabled(ButtonFace(QColor(90, 90, 90), QColor(150, 150, 150), glyph, false));
  button->SetTransparent(true);
  button->setToolTip(hint);
  return button;
}

// Three 12-pixel pieces: round left cap, groove, round right cap.
QImage BarPicture() {
  constexpr int piece = 12;
  QImage picture(3 * piece, kSliderSize, QImage::Format_RGB32);
  picture.fill(QColor(40, 48, 64));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(90, 190, 240));
  painter.drawRoundedRect(QRectF(3, 4, 3 * piece - 6, kSliderSize - 8), 3, 3);
  return picture;
}

QImage SliderPicture() {
  QImage picture(kSliderSize, kSliderSize, QImage::Format_RGB32);
  picture.fill(QColor(40, 48, 64));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(250, 210, 80));
  painter.setPen(QPen(QColor(120, 80, 10), 1));
  painter.drawEllipse(QRectF(1, 1, kSliderSize - 2, kSliderSize - 2));
  return picture;
}

TVeskoTrackBar* AddBar(QWidget* form, QPoint at, TVeskoProgressBarOrientation orientation,
                       const QString& hint) {
  auto* bar = new TVeskoTrackBar(form);
  bar->move(at);
  bar->SetOrientation(orientation);
  const bool horizontal = orientation == TVeskoProgressBarOrientation::VeskoHorizontal;
  bar->resize(horizontal ? QSize(kBarLength, kSliderSize) : QSize(kSliderSize, kBarLength - 40));
  bar->SetBarImage(BarPicture());
  bar->SetSliderImage(SliderPicture());
  bar->SetColor(QColor(40, 48, 64));
  bar->setToolTip(hint);
  return bar;
}

QImage PanelPicture() {
  QImage tile(8, 8, QImage::Format_RGB32);
  tile.fill(QColor(18, 24, 34));
  QPainter(&tile).fillRect(0, 0, 4, 4, QColor(26, 34, 48));
  return tile;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget form;
  form.setWindowTitle("Kavoro controls");
  form.move(100, 100);

  auto* skin = new TVeskoSkinForm(&form);
  skin->Glyph().Assign(SkinPicture());
  skin->SetTransparentColor(QColor::fromRgb(kFuchsia));

  auto* hint = new TVeskoHint(&form);
  hint->SetColorArrow(QColor(20, 20, 20));
  hint->SetFontColor(QColor(10, 30, 60));

  auto* play = AddButton(&form, QPoint(24, 120), QString(QChar(0x25B6)), "Play");
  auto* pause = AddButton(&form, QPoint(88, 120), "II", "Pause");
  auto* stop = AddButton(&form, QPoint(152, 120), QString(QChar(0x25A0)), "Stop");
  auto* mute = AddButton(&form, QPoint(216, 120), "M", "Mute (not available)");
  mute->SetEnabled(false);
  auto* close = AddButton(&form, QPoint(344, 196), QString(QChar(0x2715)), "Close the demo");
  close->OnClick = [&app](QObject*) { app.quit(); };

  auto* status = new TVeskoImagePanel(&form);
  status->setGeometry(24, 160, 300, 20);
  status->SetPicture(PanelPicture());
  status->SetDrawStyle(TVeskoDrawStyle::VeskoTile);
  status->SetAlignment(TAlignment::taLeftJustify);
  QPalette text = status->palette();
  text.setColor(QPalette::WindowText, QColor(150, 230, 150));
  status->setPalette(text);
  status->SetCaption(" Stopped");
  auto say = [status](const QString& what) { status->SetCaption(" " + what); };
  play->OnClick = [say](QObject*) { say("Playing"); };
  pause->OnClick = [say](QObject*) { say("Pause"); };
  stop->OnClick = [say](QObject*) { say("Stopped"); };

  auto* volume = AddBar(&form, QPoint(24, 192), TVeskoProgressBarOrientation::VeskoHorizontal,
                        "Volume");
  auto* zoom = AddBar(&form, QPoint(400, 40), TVeskoProgressBarOrientation::VeskoVertical,
                      "Digital Zoom");
  volume->SetMax(255);
  zoom->SetMax(99);
  volume->SetPosition(190);
  zoom->SetPosition(30);
  volume->OnChange = [say, volume](QObject*) { say(QString("Volume %1").arg(volume->Position())); };
  zoom->OnChange = [say, zoom](QObject*) { say(QString("Zoom %1").arg(zoom->Position())); };

  form.show();
  // A change of size after the pictures makes the bars take them, as a skin load does.
  for (TVeskoTrackBar* bar : {volume, zoom}) {
    bar->resize(bar->width() + 1, bar->height() + 1);
    bar->resize(bar->width() - 1, bar->height() - 1);
  }

  for (int i = 1; i + 1 < argc; ++i) {
    if (QString(argv[i]) == "--quit-after") {
      QTimer::singleShot(QString(argv[i + 1]).toInt(), &app, &QApplication::quit);
    }
  }
  return app.exec();
}
