#include "SkinFiles.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace kavoro::skinmaker {
namespace {

constexpr const char* kMainFile = "Main.bmp";
constexpr const char* kSheetFile = "Button.bmp";
constexpr const char* kDigitsFile = "Time.bmp";
constexpr const char* kPanelFile = "TimePanel.bmp";
constexpr const char* kListTitleFile = "ListTitle.bmp";
constexpr const char* kIniFile = "Skin.ini";
// "Skin.ini" is a Windows file: lines end in CR LF.
constexpr const char* kLineEnd = "\r\n";

QString Triple(const QColor& c) {
  return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

// A sheet rectangle as left, top, right, bottom with right and bottom just past the picture.
QString Edges(const QRect& r) {
  return QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.left() + r.width())
      .arg(r.top() + r.height());
}

QString LabelValue(const TLabelArt& label) {
  return QStringLiteral("%1,%2,%3,%4").arg(label.Place.x()).arg(label.Place.y())
      .arg(label.PointSize).arg(Triple(label.Color));
}

class TIniText {
 public:
  void Section(const QString& name) {
    if (!FText.isEmpty()) FText += kLineEnd;
    FText += QLatin1Char('[') + name + QLatin1Char(']') + kLineEnd;
  }
  void Key(const QString& key, const QString& value) {
    FText += key + QLatin1Char('=') + value + kLineEnd;
  }
  void Key(const QString& key, int value) { Key(key, QString::number(value)); }
  const QString& Text() const { return FText; }

 private:
  QString FText;
};

bool Save(const QImage& picture, const QString& path) {
  // 24 bits per pixel: the key colour stays exact.
  if (picture.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) return true;
  std::fprintf(stderr, "skin-maker: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

bool WriteSkin(const TSkinArt& skin, const QString& folder) {
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skin-maker: cannot make %s\n", qPrintable(folder));
    return false;
  }
  const QDir dir(folder);
  bool ok = Save(skin.Main, dir.filePath(kMainFile)) && Save(skin.Sheet, dir.filePath(kSheetFile)) &&
            Save(skin.Clock.DigitStrip, dir.filePath(kDigitsFile)) &&
            Save(skin.Clock.Panel, dir.filePath(kPanelFile)) &&
            Save(skin.PlayList.Title, dir.filePath(kListTitleFile));
  for (int i = 0; ok && i < kTrackCount; ++i)
    ok = Save(skin.Tracks[i].Bar, dir.filePath(kTrackBarSections[i].DefaultBar)) &&
         Save(skin.Tracks[i].Slider, dir.filePath(kTrackBarSections[i].DefaultSlider));
  for (std::size_t i = 0; ok && i < kVideoFormKeys.size(); ++i)
    ok = Save(skin.Video[i], dir.filePath(kVideoFormKeys[i].Default));
  if (!ok) return false;

  TIniText ini;
  ini.Section("MainForm");
  ini.Key("MainPIC", kMainFile);
  ini.Key("ButtonPIC", kSheetFile);
  ini.Key("TimePIC", kDigitsFile);
  ini.Key("TimePanelPIC", kPanelFile);

  ini.Section("HintColor");
  ini.Key("Arrow", Triple(skin.Hint.Arrow));
  ini.Key("ArrowBG", Triple(skin.Hint.ArrowBackground));
  ini.Key("TextBG", Triple(skin.Hint.Background));
  ini.Key("Border", Triple(skin.Hint.Border));
  ini.Key("Font", Triple(skin.Hint.Font));

  ini.Section("ButtonInfo");
  for (int i = 0; i < kButtonCount; ++i) {
    const TButtonArt& b = skin.Buttons[i];
    QStringList items{QString::number(b.Place.x()), QString::number(b.Place.y()),
                      QString::number(b.Place.width()), QString::number(b.Place.height())};
    for (const QRect& r : b.SheetRects) items << Edges(r);
    ini.Key(kButtonKeys[i], items.join(QLatin1Char(',')));
  }

  for (int i = 0; i < kTrackCount; ++i) {
    const TTrackArt& t = skin.Tracks[i];
    ini.Section(kTrackBarSections[i].Name);
    ini.Key("Top", t.Place.y());
    ini.Key("Left", t.Place.x());
    ini.Key("Orientation", t.Horizontal ? "Horizontal" : "Vertical");
    ini.Key("WidthORHeight", t.Length);
    // The zoom bar's section has always spelt its bar key this way; keys match in any case.
    ini.Key(i == tbZoom ? "Barbmp" : "BarBMP", kTrackBarSections[i].DefaultBar);
    ini.Key("SliderBMP", kTrackBarSections[i].DefaultSlider);
  }

  ini.Section("Label");
  ini.Key("Label_PlayName", LabelValue(skin.PlayName));
  ini.Key("Label_PlayName_Max", skin.PlayNameMax);
  ini.Key("Label_PlayState", LabelValue(skin.PlayState));
  ini.Key("Label_Title", LabelValue(skin.Title));
  ini.Key("Label_Chapter", LabelValue(skin.Chapter));

  ini.Section("Time");
  const TClockArt& clock = skin.Clock;
  ini.Key("TimePanel", QStringLiteral("%1,%2,%3,%4").arg(clock.PanelPlace.x())
                           .arg(clock.PanelPlace.y()).arg(clock.Panel.width())
                           .arg(clock.Panel.height()));
  ini.Key("Time_Width", clock.DigitWidth);
  for (std::size_t cell = 0; cell < clock.Cells.size(); ++cell) {
    ini.Key(QStringLiteral("Time_%1_Top").arg(cell + 1), clock.Cells[cell].y());
    ini.Key(QStringLiteral("Time_%1_Left").arg(cell + 1), clock.Cells[cell].x());
  }

  ini.Section("VideoForm");
  for (const auto& key : kVideoFormKeys) ini.Key(key.Key, key.Default);

  ini.Section("PlayListBox");
  ini.Key("TitleImage", kListTitleFile);
  ini.Key("TitleBackgroundColor", Triple(skin.PlayList.TitleBackground));
  ini.Key("ListBoxBackgroundColor", Triple(skin.PlayList.ListBackground));
  ini.Key("ListBoxFontColor", Triple(skin.PlayList.ListFont));
  ini.Key("ListBoxFontSize", skin.PlayList.FontSize);

  QFile file(dir.filePath(kIniFile));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "skin-maker: cannot write %s\n", qPrintable(file.fileName()));
    return false;
  }
  file.write(ini.Text().toUtf8());
  return file.error() == QFileDevice::NoError;
}

}  // namespace kavoro::skinmaker
