// The skins we ship, as the skin maker wrote them into the program folder: every picture
// "Skin.ini" names is a readable bitmap, the main picture's outside is exactly the key colour
// with no pink fringe, every button's faces lie on its sheet and differ visibly, and the track bars
// and the clock fit their pictures.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>

#include <array>
#include <cstdlib>
#include <map>
#include <queue>
#include <vector>

namespace {

constexpr QRgb kKey = 0xFF00FF;
constexpr int kButtonItems = 16;
constexpr int kButtonCount = 21;
constexpr int kFaces = 3;
constexpr int kDigits = 10;
constexpr int kCells = 6;
constexpr int kBarPieces = 3;
// A pixel this close to the key colour beside the cut-out reads as a pink fringe.
constexpr int kFringeDistance = 96;
// Two faces of a button read as different states when their pixels differ by at least this
// much on average (the sum over red, green and blue).
constexpr double kVisibleDifference = 12;

using TSection = std::map<QString, QString>;  // keys in lower case
using TIni = std::map<QString, TSection>;     // sections in lower case

TIni ReadIni(const QString& path) {
  TIni ini;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return ini;
  TSection* section = nullptr;
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      section = &ini[line.mid(1, line.size() - 2).toLower()];
    } else if (section && line.contains(QLatin1Char('='))) {
      const qsizetype eq = line.indexOf(QLatin1Char('='));
      section->emplace(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
  }
  return ini;
}

double MeanDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (static_cast<double>(a.width()) * a.height());
}

std::vector<int> Items(const QString& value) {
  std::vector<int> items;
  for (const QString& item : value.split(QLatin1Char(','))) {
    bool ok = false;
    items.push_back(item.trimmed().toInt(&ok));
    if (!ok) return {};
  }
  return items;
}

const std::array<const char*, kButtonCount> kButtons = {
    "Button_MainMenu", "Button_Minimize", "Button_Close", "Button_MuteON", "Button_MuteOFF",
    "Button_Play", "Button_Stop", "Button_Pause", "Button_Open", "Button_Previous", "Button_Next",
    "Button_Forward", "Button_Rewind", "Button_ShowVideo", "Button_Fullscreen",
    "Button_Wallpaper", "Button_PlayList", "Button_RootMenu", "Button_Color", "Button_Option",
    "Button_About"};
const std::array<const char*, 4> kTrackBars = {"VolumeBar", "TrackBar", "VideoBar", "ZoomBar"};
const std::array<const char*, 9> kVideoKeys = {
    "Video_Main_PIC", "Video_Top_Left_PIC", "Video_Top_Center_PIC", "Video_Top_Right_PIC",
    "Video_Left_PIC", "Video_Right_PIC", "Video_Bottom_Left_PIC", "Video_Bottom_Center_PIC",
    "Video_Bottom_Right_PIC"};

class ShippedSkin : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const QByteArray app = qgetenv("KAVORO_APP_DIR");
    ASSERT_FALSE(app.isEmpty());
    FFolder = QDir(QString::fromLocal8Bit(app)).filePath(QStringLiteral("Skins/") + GetParam());
    FIni = ReadIni(QDir(FFolder).filePath(QStringLiteral("Skin.ini")));
    ASSERT_FALSE(FIni.empty()) << qPrintable(FFolder);
  }

  QString Value(const char* section, const char* key) const {
    const auto s = FIni.find(QString::fromLatin1(section).toLower());
    if (s == FIni.end()) return {};
    const auto k = s->second.find(QString::fromLatin1(key).toLower());
    return k == s->second.end() ? QString() : k->second;
  }

  // The picture a key names, read as the player reads it: as a Windows bitmap only.
  QImage Picture(const char* section, const char* key) const {
    const QString name = Value(section, key);
    if (name.isEmpty()) return {};
    return QImage(QDir(FFolder).filePath(name), "BMP");
  }

  QString FFolder;
  TIni FIni;
};

TEST_P(ShippedSkin, EveryPictureIsAReadableBitmap) {
  std::vector<std::pair<const char*, const char*>> keys = {
      {"MainForm", "MainPIC"}, {"MainForm", "ButtonPIC"}, {"MainForm", "TimePIC"},
      {"MainForm", "TimePanelPIC"}, {"PlayListBox", "TitleImage"}};
  for (const char* bar : kTrackBars) {
    keys.emplace_back(bar, "BarBMP");
    keys.emplace_back(bar, "SliderBMP");
  }
  for (const char* key : kVideoKeys) keys.emplace_back("VideoForm", key);
  for (const auto& [section, key] : keys) {
    EXPECT_FALSE(Picture(section, key).isNull()) << section << "/" << key;
  }
}

TEST_P(ShippedSkin, OutsideIsExactlyTheKeyWithoutFringe) {
  const QImage main = Picture("MainForm", "MainPIC").convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(main.isNull());
  const int w = main.width(), h = main.height();
  auto rgb = [&](int x, int y) { return main.pixel(x, y) & RGB_MASK; };
  // The window is shaped: its corners are cut away, its middle is not.
  for (const QPoint& corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
    EXPECT_EQ(rgb(corner.x(), corner.y()), kKey) << corner.x() << "," << corner.y();
  EXPECT_NE(rgb(w / 2, h / 2), kKey);
  // Every key pixel is reached from the border through key pixels: no holes in the window.
  std::vector<bool> seen(static_cast<std::size_t>(w) * h, false);
  std::queue<QPoint> open;
  auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h || seen[y * w + x] || rgb(x, y) != kKey) return;
    seen[y * w + x] = true;
    open.push(QPoint(x, y));
  };
  for (int x = 0; x < w; ++x) { visit(x, 0); visit(x, h - 1); }
  for (int y = 0; y < h; ++y) { visit(0, y); visit(w - 1, y); }
  while (!open.empty()) {
    const QPoint p = open.front();
    open.pop();
    visit(p.x() + 1, p.y()); visit(p.x() - 1, p.y()); visit(p.x(), p.y() + 1); visit(p.x(), p.y() - 1);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb c = rgb(x, y);
      if (c == kKey) {
        EXPECT_TRUE(seen[y * w + x]) << "key colour inside the window at " << x << "," << y;
        continue;
      }
      const int distance = std::abs(qRed(c) - 255) + qGreen(c) + std::abs(qBlue(c) - 255);
      EXPECT_GT(distance, kFringeDistance) << "pink fringe at " << x << "," << y;
    }
}

TEST_P(ShippedSkin, ButtonFacesLieOnTheSheetAndDiffer) {
  const QImage sheet = Picture("MainForm", "ButtonPIC").convertToFormat(QImage::Format_RGB32);
  const QImage main = Picture("MainForm", "MainPIC");
  ASSERT_FALSE(sheet.isNull());
  for (const char* key : kButtons) {
    SCOPED_TRACE(key);
    const std::vector<int> v = Items(Value("ButtonInfo", key));
    ASSERT_EQ(v.size(), static_cast<std::size_t>(kButtonItems));
    const QRect place(v[0], v[1], v[2], v[3]);
    EXPECT_GT(place.width(), 0);
    EXPECT_GT(place.height(), 0);
    EXPECT_TRUE(main.rect().contains(place));
    std::array<QImage, kFaces> faces;
    for (int f = 0; f < kFaces; ++f) {
      const int* e = &v[4 + f * 4];
      const QRect rect(QPoint(e[0], e[1]), QPoint(e[2] - 1, e[3] - 1));
      ASSERT_TRUE(rect.isValid());
      ASSERT_TRUE(sheet.rect().contains(rect)) << "face " << f;
      faces[f] = sheet.copy(rect);
    }
    EXPECT_GT(MeanDifference(faces[0], faces[1]), kVisibleDifference) << "normal and mouse-over";
    EXPECT_GT(MeanDifference(faces[0], faces[2]), kVisibleDifference) << "normal and pressed";
    EXPECT_GT(MeanDifference(faces[1], faces[2]), kVisibleDifference) << "mouse-over and pressed";
  }
}

TEST_P(ShippedSkin, TrackBarsFitTheirSliders) {
  for (const char* section : kTrackBars) {
    SCOPED_TRACE(section);
    const QImage bar = Picture(section, "BarBMP");
    const QImage slider = Picture(section, "SliderBMP");
    ASSERT_FALSE(bar.isNull());
    ASSERT_FALSE(slider.isNull());
    const bool horizontal = Value(section, "Orientation") == QLatin1String("Horizontal");
    const int length = Value(section, "WidthORHeight").toInt();
    EXPECT_EQ(bar.width() % kBarPieces, 0);
    // The bar picture is as thick as the slider, so nothing of the control shows uncovered.
    EXPECT_EQ(bar.height(), horizontal ? slider.height() : slider.width());
    EXPECT_GT(length, horizontal ? slider.width() : slider.height());
    EXPECT_GE(length, bar.width() / kBarPieces * 2);
  }
}

TEST_P(ShippedSkin, ClockCellsFitThePanel) {
  const QImage strip = Picture("MainForm", "TimePIC");
  const QImage panel = Picture("MainForm", "TimePanelPIC");
  ASSERT_FALSE(strip.isNull());
  ASSERT_FALSE(panel.isNull());
  const int digitWidth = Value("Time", "Time_Width").toInt();
  EXPECT_EQ(digitWidth * kDigits, strip.width());
  const std::vector<int> place = Items(Value("Time", "TimePanel"));
  ASSERT_EQ(place.size(), 4u);
  EXPECT_EQ(QSize(place[2], place[3]), panel.size());
  for (int cell = 1; cell <= kCells; ++cell) {
    const QByteArray top = QByteArray("Time_") + QByteArray::number(cell) + "_Top";
    const QByteArray left = QByteArray("Time_") + QByteArray::number(cell) + "_Left";
    const QRect rect(Value("Time", left.constData()).toInt(), Value("Time", top.constData()).toInt(),
                     digitWidth, strip.height());
    EXPECT_TRUE(panel.rect().contains(rect)) << "cell " << cell;
  }
  for (const char* label : {"Label_PlayName", "Label_PlayState", "Label_Title", "Label_Chapter"}) {
    const std::vector<int> v = Items(Value("Label", label));
    ASSERT_EQ(v.size(), 6u) << label;
    EXPECT_GT(v[2], 0) << label << " font size";
  }
  EXPECT_GT(Value("Label", "Label_PlayName_Max").toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Skins, ShippedSkin, ::testing::Values("Default", "Capsule"));

}  // namespace
