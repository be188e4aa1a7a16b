#include "SkinTestSupport.h"

#include <QByteArrayView>
#include <QDir>
#include <QListWidget>
#include <QPainter>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/Label.h"
#include "app/Main.h"
#include "controls/Image.h"
#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"
#include "media/Vesko_TrackBar.h"
#include "video/Video.h"

namespace kavoro::skin::test {
namespace {

constexpr QRgb kFuchsia = 0xFF00FF;
constexpr int kButtonStates = 3;

QImage Filled(int width, int height, QRgb color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

TColor Colour(int r, int g, int b) {
  return static_cast<TColor>(r) | static_cast<TColor>(g) << 8 | static_cast<TColor>(b) << 16;
}

std::string Triple(TColor c) {
  std::ostringstream out;
  out << (c & 0xFF) << "," << ((c >> 8) & 0xFF) << "," << ((c >> 16) & 0xFF);
  return out.str();
}

// The pictures' default file names, as the writer saves them.
constexpr const char* kMainFile = "Main.bmp";
constexpr const char* kButtonFile = "Button.bmp";
constexpr const char* kTimeFile = "Time.bmp";
constexpr const char* kTimePanelFile = "TimePanel.bmp";
constexpr const char* kTitleFile = "ListTitle.bmp";

void SaveBitmap(const std::string& folder, const std::string& name, const QImage& image) {
  const QString path = QString::fromStdString(folder + "/" + name);
  if (!image.save(path, "BMP")) throw std::runtime_error("cannot write " + path.toStdString());
}

std::string RectItems(const QRect& r) {
  std::ostringstream out;
  out << r.left() << "," << r.top() << "," << r.left() + r.width() << "," << r.top() + r.height();
  return out.str();
}

std::string ImageKey(const QImage& image) {
  if (image.isNull()) return "none";
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  std::ostringstream out;
  out << rgb.width() << "x" << rgb.height() << "#"
      << qChecksum(QByteArrayView(reinterpret_cast<const char*>(rgb.constBits()), rgb.sizeInBytes()));
  return out.str();
}

std::string Geometry(const QWidget* w) {
  std::ostringstream out;
  const QRect g = w->geometry();
  out << g.x() << "," << g.y() << " " << g.width() << "x" << g.height()
      << (w->isHidden() ? " hidden" : "");
  return out.str();
}

std::string ColourName(const QColor& c) { return c.name().toStdString(); }

}  // namespace

QRgb ButtonColor(int variant, int button, int state) {
  return qRgb(10 * button + 5, 80 * state + 20 + 10 * variant, 150 - 100 * variant + 3 * button);
}

QRgb DigitColor(int variant, int digit) {
  return qRgb(20 * digit + 5, 250 - 20 * digit, 60 + 120 * variant);
}

QRgb PanelColor(int variant) { return qRgb(30 + 50 * variant, 30, 30); }

TSkinData MakeSkinData(int v) {
  TSkinData d;
  d.MainPicture = Filled(260 + 40 * v, 110 + 30 * v, qRgb(40 + 100 * v, 60, 90 - 50 * v));
  {
    QPainter p(&d.MainPicture);
    p.fillRect(0, 0, 10, 10, QColor::fromRgb(kFuchsia));
  }
  d.Hint = {Colour(0, 153, 255 - v), Colour(1 + v, 2, 3), Colour(4, 5 + v, 6), Colour(7, 8, 9 + v),
            Colour(10 + v, 11, 12)};

  const int cw = 12 + 2 * v, ch = 10 + 2 * v;
  d.ButtonSheet = QImage(cw * static_cast<int>(kButtonKeys.size()), ch * kButtonStates,
                         QImage::Format_RGB32);
  {
    QPainter p(&d.ButtonSheet);
    for (int i = 0; i < static_cast<int>(kButtonKeys.size()); ++i)
      for (int s = 0; s < kButtonStates; ++s)
        p.fillRect(i * cw, s * ch, cw, ch, QColor::fromRgb(ButtonColor(v, i, s)));
  }
  for (int i = 0; i < static_cast<int>(kButtonKeys.size()); ++i) {
    if (v == 1 && i == kMissingButtonInSecondSkin) continue;
    TButtonInfo& b = d.Buttons[i];
    b.Left = 4 + (i % 7) * (cw + 4) + 3 * v;
    b.Top = 20 + (i / 7) * (ch + 4) + 5 * v;
    b.Width = cw;
    b.Height = ch;
    b.Normal = QRect(i * cw, 0, cw, ch);
    b.MouseOn = QRect(i * cw, ch, cw, ch);
    b.Down = QRect(i * cw, 2 * ch, cw, ch);
  }

  for (int i = 0; i < static_cast<int>(kTrackBarSections.size()); ++i) {
    TTrackBarInfo& t = d.TrackBars[i];
    t.Top = 80 + 8 * i + 3 * v;
    t.Left = 10 + 2 * i + 5 * v;
    t.Horizontal = !(v == 1 && i == kLowerCaseBarInSecondSkin);
    t.WidthOrHeight = 90 + 10 * i - 20 * v;
    t.Bar = Filled(9 + 3 * v, 6 + v, qRgb(200, 20 * i, 50 + 100 * v));
    t.Slider = Filled(6 + 2 * v, 6 + 2 * v, qRgb(20 * i, 200, 50 + 100 * v));
  }

  d.PlayName = {5 + 3 * v, 50 + 4 * v, 9 + 3 * v, v ? Colour(0, 255, 255) : Colour(255, 255, 0)};
  d.PlayState = {5 + 2 * v, 64, 8 + 2 * v, Colour(200, 100 + v, 0)};
  d.Title = {90, 64 + v, 8, Colour(100, 200, 50 * v)};
  d.Chapter = {140 - v, 64, 7 + v, Colour(30 * v, 60, 90)};
  d.PlayNameMax = 110 + 30 * v;

  TClockInfo& c = d.Clock;
  c.DigitWidth = 6 + v;
  const int dh = 8 + 2 * v;
  c.DigitStrip = QImage(10 * c.DigitWidth, dh, QImage::Format_RGB32);
  {
    QPainter p(&c.DigitStrip);
    for (int digit = 0; digit < 10; ++digit)
      p.fillRect(digit * c.DigitWidth, 0, c.DigitWidth, dh, QColor::fromRgb(DigitColor(v, digit)));
  }
  c.Panel = Filled(70 + 10 * v, 14 + 2 * v, PanelColor(v));
  c.PanelLeft = 150 + 5 * v;
  c.PanelTop = 85 + 4 * v;
  c.PanelWidth = c.Panel.width();
  c.PanelHeight = c.Panel.height();
  for (int n = 0; n < 6; ++n) c.Cells[n] = QPoint(2 + n * (c.DigitWidth + 2) + (n / 2) * 3, 2 + v);

  TVideoWindowInfo& w = d.Video;
  // Width and height of each piece by TVideoPicture.
  const int sizes[2][9][2] = {
      {{320, 240}, {16, 20}, {8, 20}, {16, 20}, {10, 8}, {10, 8}, {14, 30}, {8, 30}, {14, 30}},
      {{200, 150}, {12, 25}, {6, 25}, {12, 25}, {7, 6}, {7, 6}, {9, 12}, {6, 12}, {9, 12}}};
  for (int i = 0; i < 9; ++i)
    w.Pictures[i] = Filled(sizes[v][i][0], sizes[v][i][1], qRgb(20 * i + 10, 100 + 50 * v, 25 * i));
  w.Title = Filled(60 - 20 * v, 18 + 4 * v, qRgb(90, 90, 20 + 100 * v));
  w.TitleBackground = Colour(10, 20 + v, 30);
  w.ListBackground = Colour(40 + v, 50, 60);
  w.ListFont = Colour(200, 210, 220 + v);
  w.ListFontSize = 9 + 4 * v;

  d.CompleteSteps = kSkinStepCount;
  return d;
}

void WriteSkinFolder(const std::string& folder, const TSkinData& d) {
  QDir().mkpath(QString::fromStdString(folder));
  SaveBitmap(folder, kMainFile, d.MainPicture);
  SaveBitmap(folder, kButtonFile, d.ButtonSheet);
  SaveBitmap(folder, kTimeFile, d.Clock.DigitStrip);
  SaveBitmap(folder, kTimePanelFile, d.Clock.Panel);
  SaveBitmap(folder, kTitleFile, d.Video.Title);

  std::ostringstream ini;
  ini << "[MainForm]\nMainPIC=" << kMainFile << "\nButtonPIC=" << kButtonFile
      << "\nTimePIC=" << kTimeFile << "\nTimePanelPIC=" << kTimePanelFile << "\n\n";
  ini << "[HintColor]\nArrow=" << Triple(d.Hint.Arrow) << "\nArrowBG=" << Triple(d.Hint.ArrowBackground)
      << "\nTextBG=" << Triple(d.Hint.Background) << "\nBorder=" << Triple(d.Hint.Border)
      << "\nFont=" << Triple(d.Hint.Font) << "\n\n[ButtonInfo]\n";
  for (std::size_t i = 0; i < kButtonKeys.size(); ++i) {
    const TButtonInfo& b = d.Buttons[i];
    ini << kButtonKeys[i] << "=" << b.Left << "," << b.Top << "," << b.Width << "," << b.Height
        << "," << RectItems(b.Normal) << "," << RectItems(b.MouseOn) << "," << RectItems(b.Down)
        << "\n";
  }
  for (std::size_t i = 0; i < kTrackBarSections.size(); ++i) {
    const TTrackBarInfo& t = d.TrackBars[i];
    const TTrackBarSection& s = kTrackBarSections[i];
    SaveBitmap(folder, s.DefaultBar, t.Bar);
    SaveBitmap(folder, s.DefaultSlider, t.Slider);
    ini << "\n[" << s.Name << "]\nTop=" << t.Top << "\nLeft=" << t.Left
        << "\nOrientation=" << (t.Horizontal ? "Horizontal" : "horizontal")
        << "\nWidthORHeight=" << t.WidthOrHeight << "\nBarBMP=" << s.DefaultBar
        << "\nSliderBMP=" << s.DefaultSlider << "\n";
  }
  const auto label = [&](const char* key, const TLabelInfo& l) {
    ini << key << "=" << l.Left << "," << l.Top << "," << l.FontSize << "," << Triple(l.Color)
        << "\n";
  };
  ini << "\n[Label]\n";
  label("Label_PlayName", d.PlayName);
  ini << "Label_PlayName_Max=" << d.PlayNameMax << "\n";
  label("Label_PlayState", d.PlayState);
  label("Label_Title", d.Title);
  label("Label_Chapter", d.Chapter);
  const TClockInfo& c = d.Clock;
  ini << "\n[Time]\nTimePanel=" << c.PanelLeft << "," << c.PanelTop << "," << c.PanelWidth << ","
      << c.PanelHeight << "\nTime_Width=" << c.DigitWidth << "\n";
  for (int n = 0; n < 6; ++n)
    ini << "Time_" << n + 1 << "_Top=" << c.Cells[n].y() << "\nTime_" << n + 1
        << "_Left=" << c.Cells[n].x() << "\n";
  ini << "\n[VideoForm]\n";
  for (std::size_t i = 0; i < kVideoFormKeys.size(); ++i) {
    SaveBitmap(folder, kVideoFormKeys[i].Default, d.Video.Pictures[i]);
    ini << kVideoFormKeys[i].Key << "=" << kVideoFormKeys[i].Default << "\n";
  }
  ini << "\n[PlayListBox]\nTitleImage=" << kTitleFile
      << "\nTitleBackgroundColor=" << Triple(d.Video.TitleBackground)
      << "\nListBoxBackgroundColor=" << Triple(d.Video.ListBackground)
      << "\nListBoxFontColor=" << Triple(d.Video.ListFont)
      << "\nListBoxFontSize=" << d.Video.ListFontSize << "\n";
  std::ofstream(folder + "/Skin.ini", std::ios::binary) << ini.str();
}

std::string DescribeSkinState(app::TFrm_Main& main, video::TFrm_Video& video) {
  std::ostringstream out;
  out << "main " << main.width() << "x" << main.height() << " mask";
  for (const QRect& r : main.mask()) out << " " << r.x() << "," << r.y() << "," << r.width() << "," << r.height();
  out << "\nskin form " << Geometry(main.SkinForm) << " " << ImageKey(main.SkinForm->Glyph().Graphic())
      << "\n";
  const controls::TVeskoHint& hint = *main.VeskoHint;
  out << "hint " << ColourName(hint.ColorArrow()) << " " << ColourName(hint.ColorArrowBackground())
      << " " << ColourName(hint.ColorBackground()) << " " << ColourName(hint.ColorBorder()) << " "
      << ColourName(hint.FontColor()) << "\n";
  for (const char* key : kButtonKeys) {
    controls::TVeskoImageButton& b = *main.ButtonByName(key);
    out << key << " " << Geometry(&b) << " " << ImageKey(b.PicNormal().Graphic()) << " "
        << ImageKey(b.PicMouseOn().Graphic()) << " " << ImageKey(b.PicMouseDown().Graphic()) << "\n";
  }
  for (controls::TVeskoTrackBar* t : {main.VolumeBar, main.TrackBar,
                                      static_cast<controls::TVeskoTrackBar*>(main.VideoBar), main.ZoomBar})
    out << t->objectName().toStdString() << " " << Geometry(t) << " "
        << (t->Orientation() == controls::TVeskoProgressBarOrientation::VeskoHorizontal ? "h" : "v")
        << " " << ImageKey(t->BarImage().Graphic()) << " " << ImageKey(t->SliderImage().Graphic())
        << " " << ImageKey(t->BarBitmap()) << "\n";
  for (app::TLabel* l : {main.Label_PlayName, main.Label_PlayState, main.Label_Title, main.Label_Chapter})
    out << l->objectName().toStdString() << " " << Geometry(l) << " " << l->FontSize() << "pt "
        << ColourName(l->FontColor()) << " '" << l->Caption().toStdString() << "' '"
        << l->EllipsisText().toStdString() << "'\n";
  out << "clock " << ImageKey(main.DigitStrip) << " " << main.DigitWidth << "x" << main.DigitHeight;
  for (const QPoint& p : main.DigitCells) out << " " << p.x() << "," << p.y();
  out << " panel " << Geometry(main.TimePanel) << " " << ImageKey(main.TimePanel->Picture().Graphic())
      << "\nmain image " << ImageKey(main.grab().toImage()) << "\n";

  out << "video " << video.width() << "x" << video.height() << "\n";
  for (controls::TVeskoImagePanel* p :
       {video.Image_Main, video.Image_Top_Left, video.Image_Top_Center, video.Image_Top_Right,
        video.Image_Left, video.Image_Right, video.Image_Bottom_Left, video.Image_Bottom_Center,
        video.Image_Bottom_Right})
    out << p->objectName().toStdString() << " " << Geometry(p) << " "
        << ImageKey(p->Picture().Graphic()) << "\n";
  // The title row is docked to the top of the play list, which lays it out only while shown.
  out << "title row height " << video.Image_PlayListBoxTitle->height() << " "
      << ImageKey(video.Image_PlayListBoxTitle->Picture().Graphic()) << "\n";
  out << "play list " << ColourName(video.PlayListPanel->palette().color(QPalette::Window)) << " "
      << ColourName(video.PlayListBox->palette().color(QPalette::Base)) << " "
      << ColourName(video.PlayListBox->palette().color(QPalette::Text)) << " "
      << video.PlayListBox->font().pointSize() << "pt\nvideo image "
      << ImageKey(video.grab().toImage()) << "\n";
  return out.str();
}

}  // namespace kavoro::skin::test
