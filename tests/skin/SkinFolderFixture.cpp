#include "SkinFolderFixture.h"

#include "skin/SkinData.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QImage>

#include <cstdio>
#include <stdexcept>

namespace kavoro::skin::test {

namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("test skin: " + what);
}

}  // namespace

TSkinFolder::TSkinFolder() {
  Check(FDir.isValid(), "no temporary folder");
  FSections = {
      {"MainForm",
       {{"MainPIC", "Main.bmp"},
        {"ButtonPIC", "Button.bmp"},
        {"TimePIC", "Time.bmp"},
        {"TimePanelPIC", "TimePanel.bmp"}}},
      {"HintColor", {{"Arrow", "1,2,3"}, {"ArrowBG", "4,5,6"}, {"TextBG", "7,8,9"},
                     {"Border", "10,11,12"}, {"Font", "13,14,15"}}},
      {"ButtonInfo", {}},
      {"VolumeBar", {{"Top", "5"}, {"Left", "6"}, {"Orientation", "Vertical"},
                     {"WidthORHeight", "50"}, {"BarBMP", "Volume_Bar.bmp"},
                     {"SliderBMP", "Volume_Slider.bmp"}}},
      {"TrackBar", {{"Top", "7"}, {"Left", "8"}, {"Orientation", "Horizontal"},
                    {"WidthORHeight", "40"}}},
      {"VideoBar", {{"Top", "0x10"}, {"Left", "$20"}, {"WidthORHeight", "100"}}},
      {"ZoomBar", {{"Barbmp", "Zoom_Bar.bmp"}}},
      {"Label", {{"Label_PlayName", "10,20,9,255,255,255"}, {"Label_PlayName_Max", "90"},
                 {"Label_PlayState", "10,30,8,0,153,255"}, {"Label_Title", "1,2,3,4,5,6"},
                 {"Label_Chapter", "6,5,4,3,2,1"}}},
      {"Time", {{"TimePanel", "30,40,60,12"}, {"Time_Width", "8"}}},
      {"VideoForm", {}},
      {"PlayListBox", {{"TitleImage", "ListTitle.bmp"}, {"TitleBackgroundColor", "20,30,40"},
                       {"ListBoxBackgroundColor", "0,0,0"}, {"ListBoxFontColor", "255,255,255"},
                       {"ListBoxFontSize", "11"}}},
  };
  // Each button at its own place; its three faces one above the other on the sheet.
  for (std::size_t i = 0; i < kButtonKeys.size(); ++i) {
    const int n = static_cast<int>(i);
    const std::string value = std::to_string(n * 10) + "," + std::to_string(n) + ",49,41," +
                              "0,0,49,41," + "0,41,49,82," + "0,82,49,123";
    FSections[2].second.push_back({kButtonKeys[i], value});
  }
  for (int cell = 1; cell <= 6; ++cell) {
    FSections[8].second.push_back({"Time_" + std::to_string(cell) + "_Top", "2"});
    FSections[8].second.push_back({"Time_" + std::to_string(cell) + "_Left",
                                   std::to_string(cell * 9)});
  }
  for (const TVideoFormKey& key : kVideoFormKeys)
    FSections[9].second.push_back({key.Key, key.Default});

  WritePicture("Main.bmp", kMainSize, Qt::red);
  WritePicture("Button.bmp", kSheetSize, Qt::green);
  WritePicture("Time.bmp", kDigitStripSize, Qt::white);
  WritePicture("TimePanel.bmp", kPanelSize, Qt::black);
  for (const TTrackBarSection& bar : kTrackBarSections) {
    WritePicture(bar.DefaultBar, QSize(20, 6));
    WritePicture(bar.DefaultSlider, QSize(7, 9));
  }
  // Frame pieces: corners 5 x 6, top and bottom middles 1 x 6 and 1 x 8, sides 4 x 1.
  const QSize frame[] = {kVideoMainSize, {5, 6}, {1, 6}, {5, 6}, {4, 1},
                         {4, 1},         {5, 8}, {1, 8}, {5, 8}};
  for (std::size_t i = 0; i < kVideoFormKeys.size(); ++i)
    WritePicture(kVideoFormKeys[i].Default, frame[i], Qt::blue);
  WritePicture("ListTitle.bmp", kTitleSize, Qt::yellow);
  WriteIni();
}

TSkinFolder::TSkinFolder(const std::string& folder) {
  Check(FDir.isValid(), "no temporary folder");
  const QDir from(QString::fromStdString(folder));
  Check(from.exists(), "no skin folder " + folder);
  for (const QString& name : from.entryList(QDir::Files))
    Check(QFile::copy(from.filePath(name), FDir.filePath(name)), "cannot copy " + name.toStdString());
  QFile ini(from.filePath(QStringLiteral("Skin.ini")));
  Check(ini.open(QIODevice::ReadOnly | QIODevice::Text), "cannot read Skin.ini");
  QTextStream lines(&ini);
  while (!lines.atEnd()) {
    const QString line = lines.readLine().trimmed();
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      FSections.push_back({line.mid(1, line.size() - 2).toStdString(), {}});
    } else if (const qsizetype at = line.indexOf(QLatin1Char('=')); at > 0 && !FSections.empty()) {
      FSections.back().second.push_back(
          {line.left(at).trimmed().toStdString(), line.mid(at + 1).trimmed().toStdString()});
    }
  }
  WriteIni();
}

std::string TSkinFolder::Folder() const { return FDir.path().toStdString(); }

std::string TSkinFolder::PathOf(const std::string& name) const { return Folder() + "/" + name; }

void TSkinFolder::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
  for (auto& [name, entries] : FSections) {
    if (name != section) continue;
    for (auto& entry : entries) {
      if (entry.first == key) {
        entry.second = value;
        WriteIni();
        return;
      }
    }
    entries.push_back({key, value});
    WriteIni();
    return;
  }
  FSections.push_back({section, {{key, value}}});
  WriteIni();
}

void TSkinFolder::Unset(const std::string& section, const std::string& key) {
  for (auto& [name, entries] : FSections) {
    if (name != section) continue;
    std::erase_if(entries, [&](const auto& entry) { return entry.first == key; });
  }
  WriteIni();
}

void TSkinFolder::WritePicture(const std::string& name, QSize size, QColor color) const {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  Check(image.save(QString::fromStdString(PathOf(name)), "BMP"), "cannot write " + name);
}

void TSkinFolder::WriteFile(const std::string& name, const std::string& bytes) const {
  QFile file(QString::fromStdString(PathOf(name)));
  Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write " + name);
  Check(file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
            static_cast<qint64>(bytes.size()),
        "cannot write " + name);
}

void TSkinFolder::Remove(const std::string& name) const {
  Check(std::remove(PathOf(name).c_str()) == 0, "cannot remove " + name);
}

void TSkinFolder::Rename(const std::string& from, const std::string& to) const {
  Check(std::rename(PathOf(from).c_str(), PathOf(to).c_str()) == 0, "cannot rename " + from);
}

void TSkinFolder::WriteIni() const {
  std::string text;
  for (const auto& [section, entries] : FSections) {
    text += "[" + section + "]\r\n";
    for (const auto& [key, value] : entries) text += key + "=" + value + "\r\n";
    text += "\r\n";
  }
  WriteFile("Skin.ini", text);
}

}  // namespace kavoro::skin::test
