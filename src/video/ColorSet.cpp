#include "video/ColorSet.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QShowEvent>

#include <algorithm>

#include "controls/VeskoImagePanel.h"
#include "controls/VeskoTrackBar.h"
#include "platform/os/Application.h"
#include "video/ColorControl.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::video {

namespace {

using controls::TVeskoTrackBar;

// Where the controls sit.
constexpr int kLabelLeft = 16;
constexpr int kTrackBarLeft = 80;
constexpr int kTrackBarWidth = 201;
constexpr int kTrackBarHeight = 41;  // until the bar takes its slider's thickness
constexpr int kFirstRowTop = 16;
constexpr int kRowStep = 24;
constexpr QRect kCheckBoxPlace(16, 124, 97, 17);
constexpr QRect kButtonPlace(165, 120, 113, 25);

// The window's font: the desktop's sans serif face at 9 points.
constexpr const char* kFontFamily = "Sans Serif";
constexpr int kFontPoints = 9;
const QColor kLabelText(0, 0, 0);

// The rounded shape's corners are arcs of an ellipse a quarter of the shorter side across.
constexpr int kCornerDiameterDivisor = 4;

// Slider 1's pictures: a knob of this size, and a groove of three pieces each half a knob
// wide, as tall as the knob so that the bar takes exactly the knob's thickness.
constexpr int kKnobSize = 16;
constexpr qreal kKnobRing = 2.0;
constexpr int kBarPiece = kKnobSize / 2;
constexpr qreal kGrooveThickness = 4.0;
const QColor kGrooveFill(206, 215, 229);
const QColor kGrooveEdge(168, 184, 206);
const QColor kKnobTop(255, 255, 255);
const QColor kKnobBottom(230, 238, 250);

QColor ToQColor(TColor color) {
  constexpr TColor kByte = 0xFF;
  constexpr int kGreenShift = 8;
  constexpr int kBlueShift = 16;
  return QColor(static_cast<int>(color & kByte), static_cast<int>((color >> kGreenShift) & kByte),
                static_cast<int>((color >> kBlueShift) & kByte));
}

qreal CornerRadius(const QSize& size) {
  return std::min(size.width(), size.height()) / qreal(kCornerDiameterDivisor) / 2;
}

// The pixels at least half covered by the rounded shape that fills `size`.
QRegion ShapeRegion(const QSize& size) {
  QImage cover(size, QImage::Format_Alpha8);
  cover.fill(0);
  {
    QPainter p(&cover);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = CornerRadius(size);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(cover.rect()), radius, radius);
    p.fillPath(shape, Qt::black);
  }
  constexpr uchar kHalfCovered = 128;
  QRegion region;
  for (int y = 0; y < cover.height(); ++y) {
    const uchar* line = cover.constScanLine(y);
    int x = 0;
    while (x < cover.width()) {
      while (x < cover.width() && line[x] < kHalfCovered) ++x;
      const int start = x;
      while (x < cover.width() && line[x] >= kHalfCovered) ++x;
      if (x > start) region += QRect(start, y, x - start, 1);
    }
  }
  return region;
}

}  // namespace

TFrm_ColorSet::TFrm_ColorSet(TDSVideoWindowEx2* video, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FVideo(video) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFixedSize(kColorSetWidth, kColorSetHeight);
  QFont font(QString::fromLatin1(kFontFamily), kFontPoints);
  font.setStyleHint(QFont::SansSerif);
  // The narrower face, where the family has one, keeps the captions clear of the sliders.
  font.setStretch(QFont::SemiCondensed);
  setFont(font);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kColorSetFill);
  colours.setColor(QPalette::WindowText, kLabelText);
  setPalette(colours);
  BuildControls();
  FormCreate();
  // Clicks on the application's other windows hide the pop-up also where the window system
  // does not move the activation with them.
  qApp->installEventFilter(this);
}

TFrm_ColorSet::~TFrm_ColorSet() {
  qApp->removeEventFilter(this);
  // The sliders' events must not reach a half-destroyed window.
  for (TVeskoTrackBar* bar : {VeskoTrackBar1, VeskoTrackBar2, VeskoTrackBar3, VeskoTrackBar4}) {
    bar->OnChange = nullptr;
  }
}

TVeskoTrackBar* TFrm_ColorSet::MakeTrackBar(int top, int max, int position) {
  auto* bar = new TVeskoTrackBar(this);
  bar->setGeometry(kTrackBarLeft, top, kTrackBarWidth, kTrackBarHeight);
  bar->SetOrientation(controls::TVeskoProgressBarOrientation::VeskoHorizontal);
  bar->SetMin(0);
  bar->SetMax(max);
  bar->SetPosition(position);
  bar->SetColor(kColorSetFill);
  // The round knob shows the groove through its corners.
  bar->Slider()->SetTransparent(true);
  return bar;
}

void TFrm_ColorSet::BuildControls() {
  const auto label = [this](const char* text, int top) {
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->move(kLabelLeft, top);
    l->adjustSize();
    return l;
  };
  Label1 = label(kBrightnessCaption, kFirstRowTop);
  Label2 = label(kContrastCaption, kFirstRowTop + kRowStep);
  Label3 = label(kHueCaption, kFirstRowTop + 2 * kRowStep);
  Label4 = label(kSaturationCaption, kFirstRowTop + 3 * kRowStep);

  VeskoTrackBar1 = MakeTrackBar(kFirstRowTop, kBrightnessRange.Max, kBrightnessRange.Default);
  VeskoTrackBar2 = MakeTrackBar(kFirstRowTop + kRowStep, kContrastRange.Max,
                                kContrastRange.Default);
  VeskoTrackBar3 = MakeTrackBar(kFirstRowTop + 2 * kRowStep, kHueRange.Max - kHueRange.Min,
                                kHueRange.Default + kHueSliderOffset);
  VeskoTrackBar4 = MakeTrackBar(kFirstRowTop + 3 * kRowStep, kSaturationRange.Max,
                                kSaturationRange.Default);
  // Slider 1 holds the pictures; the knob first, so the bar is rebuilt with its thickness.
  VeskoTrackBar1->SetSliderImage(MakeSliderPicture());
  VeskoTrackBar1->SetBarImage(MakeBarPicture());

  CheckBox = new QCheckBox(QString::fromLatin1(kColorEnableCaption), this);
  CheckBox->setGeometry(kCheckBoxPlace);
  // The desktop's sans face is wider than the one the place was measured for: never cut the
  // caption.
  CheckBox->resize(std::max(kCheckBoxPlace.width(), CheckBox->sizeHint().width()),
                   std::max(kCheckBoxPlace.height(), CheckBox->sizeHint().height()));
  CheckBox->setChecked(kDefaultColorEnable);

  Button = new QPushButton(QString::fromLatin1(kResetCaption), this);
  Button->setGeometry(kButtonPlace);

  VeskoTrackBar1->OnChange = [this](QObject* sender) { VeskoTrackBar1Change(sender); };
  VeskoTrackBar2->OnChange = [this](QObject* sender) { VeskoTrackBar2Change(sender); };
  VeskoTrackBar3->OnChange = [this](QObject* sender) { VeskoTrackBar3Change(sender); };
  VeskoTrackBar4->OnChange = [this](QObject* sender) { VeskoTrackBar4Change(sender); };
  connect(CheckBox, &QCheckBox::toggled, this, [this] { CheckBoxClick(CheckBox); });
  connect(Button, &QPushButton::clicked, this, [this] { ButtonClick(); });
}

QImage TFrm_ColorSet::MakeBarPicture() {
  QImage picture(kBarPiece * TVeskoTrackBar::BarPieces, kKnobSize, QImage::Format_RGB32);
  picture.fill(kColorSetFill);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  // Rounded ends in the caps; the middle piece is the same in every column, so stretching it
  // keeps the groove straight.
  const qreal top = (kKnobSize - kGrooveThickness) / 2;
  const QRectF groove(1.5, top + 0.5, picture.width() - 3.0, kGrooveThickness - 1.0);
  p.setPen(QPen(kGrooveEdge, 1.0));
  p.setBrush(kGrooveFill);
  p.drawRoundedRect(groove, groove.height() / 2, groove.height() / 2);
  return picture;
}

QImage TFrm_ColorSet::MakeSliderPicture() {
  QImage picture(kKnobSize, kKnobSize, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal inset = kKnobRing / 2 + 0.5;
  const QRectF knob = QRectF(picture.rect()).adjusted(inset, inset, -inset, -inset);
  QLinearGradient face(knob.topLeft(), knob.bottomLeft());
  face.setColorAt(0, kKnobTop);
  face.setColorAt(1, kKnobBottom);
  p.setPen(QPen(kColorSetPen, kKnobRing));
  p.setBrush(face);
  p.drawEllipse(knob);
  return picture;
}

void TFrm_ColorSet::SetColor(TColor value) {
  FColor = value;
  update();
}

template <class F>
void TFrm_ColorSet::OnSettings(F&& body) {
  if (FLoading || !FVideo) return;
  TColorControl* settings = FVideo->ColorControl();
  if (!settings) return;
  os::RunGuarded([&] { body(*settings); });
}

void TFrm_ColorSet::FormCreate() {
  FLoading = true;
  for (TVeskoTrackBar* bar : {VeskoTrackBar2, VeskoTrackBar3, VeskoTrackBar4}) {
    bar->SetBarImage(VeskoTrackBar1->BarImage().Graphic());
    bar->SetSliderImage(VeskoTrackBar1->SliderImage().Graphic());
    // A new knob alone does not rebuild the bar: give it the knob's thickness now.
    bar->Rebuild();
  }
  FLoading = false;
  ShowCurrentValues();
}

void TFrm_ColorSet::ShowCurrentValues() {
  if (!FVideo || !FVideo->ColorControl()) return;
  TColorControl& settings = *FVideo->ColorControl();
  CheckBox->setChecked(settings.ColorEnable());
  VeskoTrackBar1->SetPosition(settings.Brightness());
  VeskoTrackBar2->SetPosition(settings.Contrast());
  VeskoTrackBar3->SetPosition(settings.Hue() + kHueSliderOffset);
  VeskoTrackBar4->SetPosition(settings.Saturation());
}

void TFrm_ColorSet::FormShow() {
  if (!FVideo) return;
  SetColor(FVideo->ColorKey());
  const QPoint origin = FVideo->mapToGlobal(QPoint(0, 0));
  move(origin.x() + FVideo->width() / 2 - width() / 2,
       origin.y() + FVideo->height() / 2 - height() / 2);
  ShowCurrentValues();
}

void TFrm_ColorSet::FormDeactivate() {
  close();
}

void TFrm_ColorSet::ButtonClick() {
  OnSettings([](TColorControl& settings) { settings.ResetToDefaults(); });
  ShowCurrentValues();
}

void TFrm_ColorSet::CheckBoxClick(QObject*) {
  OnSettings([this](TColorControl& settings) { settings.SetColorEnable(CheckBox->isChecked()); });
}

void TFrm_ColorSet::VeskoTrackBar1Change(QObject*) {
  OnSettings([this](TColorControl& s) { s.SetBrightness(VeskoTrackBar1->Position()); });
}

void TFrm_ColorSet::VeskoTrackBar2Change(QObject*) {
  OnSettings([this](TColorControl& s) { s.SetContrast(VeskoTrackBar2->Position()); });
}

void TFrm_ColorSet::VeskoTrackBar3Change(QObject*) {
  OnSettings(
      [this](TColorControl& s) { s.SetHue(VeskoTrackBar3->Position() - kHueSliderOffset); });
}

void TFrm_ColorSet::VeskoTrackBar4Change(QObject*) {
  OnSettings([this](TColorControl& s) { s.SetSaturation(VeskoTrackBar4->Position()); });
}

void TFrm_ColorSet::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Outside the rounded shape: the colour key, so those pixels show the video.
  p.fillRect(rect(), ToQColor(FColor));
  // Under the border's outer edge, the border colour: the pixels the window keeps there then
  // show no trace of the key.
  p.setClipRegion(ShapeRegion(size()));
  p.fillRect(rect(), kColorSetPen);
  p.setClipping(false);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal inset = kColorSetPenWidth / 2.0;
  const QRectF shape = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
  const qreal radius = CornerRadius(size()) - inset;
  p.setPen(QPen(kColorSetPen, kColorSetPenWidth));
  p.setBrush(kColorSetFill);
  p.drawRoundedRect(shape, radius, radius);
}

void TFrm_ColorSet::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Where the window system cannot key the corners, they are cut away instead.
  setMask(ShapeRegion(size()));
}

void TFrm_ColorSet::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
  // It must hold the activation to notice losing it.
  raise();
  activateWindow();
}

bool TFrm_ColorSet::event(QEvent* event) {
  const bool result = QWidget::event(event);
  // Asked of the application, not isActiveWindow(): some styles count a tool window active
  // for as long as its owner is.
  if ((event->type() == QEvent::WindowDeactivate || event->type() == QEvent::ActivationChange) &&
      isVisible() && QApplication::activeWindow() != this) {
    FormDeactivate();
  }
  return result;
}

bool TFrm_ColorSet::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && isVisible()) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() != this) FormDeactivate();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kavoro::video
