#include "skin/SkinReader.h"

#include "controls/Picture.h"
#include "platform/os/ProfileReader.h"
#include "skin/SkinFileName.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <system_error>

namespace kavoro::skin {

namespace {

constexpr char kListSeparator = ',';
constexpr int kColorItems = 3;
constexpr int kButtonItems = 16;
constexpr int kLabelItems = 6;
constexpr int kTimePanelItems = 4;
constexpr int kColorPartMask = 0xFF;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;
constexpr int kDefaultListFontSize = 9;
constexpr const char* kHorizontal = "Horizontal";
// The largest width or height a skin may give a control: past any screen, and small enough that
// the pictures made at that size (a button's work bitmap, a track bar's bar) stay allocatable.
constexpr int kMaxSkinExtent = 8192;

// Sections and keys as the description file writes them.
constexpr const char* kMainForm = "MainForm";
constexpr const char* kHintColor = "HintColor";
constexpr const char* kButtonInfo = "ButtonInfo";
constexpr const char* kLabel = "Label";
constexpr const char* kTime = "Time";
constexpr const char* kVideoForm = "VideoForm";
constexpr const char* kPlayListBox = "PlayListBox";

constexpr const char* kButtonDefault = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
constexpr const char* kLabelDefault = "0,0,0,0,0,0";
constexpr const char* kTimePanelDefault = "0,0,0,0";
constexpr const char* kBlackDefault = "0,0,0";
constexpr const char* kBlueDefault = "0,153,255";

// How a list ends: exactly after its last item, or anything after the last item ignored.
enum class TListEnd { leExact, leIgnoreRest };

std::string Ordinal(int n) {
  const int lastTwo = n % 100;
  const char* suffix = "th";
  if (lastTwo < 11 || lastTwo > 13) {
    if (n % 10 == 1) suffix = "st";
    else if (n % 10 == 2) suffix = "nd";
    else if (n % 10 == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

int CountItems(const std::string& text) {
  if (text.empty()) return 0;
  return static_cast<int>(std::count(text.begin(), text.end(), kListSeparator)) + 1;
}

TColor ColorOf(int red, int green, int blue) {
  return static_cast<TColor>(red & kColorPartMask) |
         (static_cast<TColor>(green & kColorPartMask) << kGreenShift) |
         (static_cast<TColor>(blue & kColorPartMask) << kBlueShift);
}

// The last column or row before an edge; the smallest edge has none before it and stays.
int Before(int edge) { return edge == std::numeric_limits<int>::min() ? edge : edge - 1; }

// Right and bottom edges lie just past the picture.
QRect SheetRect(const std::vector<int>& items, int first) {
  return QRect(QPoint(items[first], items[first + 1]),
               QPoint(Before(items[first + 2]), Before(items[first + 3])));
}

class TReader {
 public:
  TReader(const std::string& folder, std::vector<TSkinProblem>* problems, bool gatherAll)
      : FFolderArg(folder), FProblems(problems), FGatherAll(gatherAll) {}

  TSkinData Run() {
    bool failed = false;
    for (int i = 0; i < kSkinStepCount; ++i) {
      FStepFailed = false;
      const bool ok = ReadStep(static_cast<TSkinStep>(i + 1)) && !FStepFailed;
      if (!ok) {
        failed = true;
        // Without its folder and description file a skin has nothing more to read.
        if (!FGatherAll || i == 0) break;
      } else if (!failed) {
        FData.CompleteSteps = i + 1;
      }
    }
    // Only a read through every step knows which keys the player reads.
    if (FGatherAll && FProfile && FProfile->IsOpen()) ReportUnreadKeys();
    return std::move(FData);
  }

 private:
  // Records a problem; a failure (not a warning) marks the step failed.
  void Report(const std::string& section, const std::string& key, const std::string& value,
              std::string message, bool warning = false) {
    if (FProblems) FProblems->push_back({section, key, value, std::move(message), warning});
    if (!warning) FStepFailed = true;
  }
  // Reads one step of the load; false when it failed.
  bool ReadStep(TSkinStep step) {
    switch (step) {
      case TSkinStep::ssFolder: return ReadFolder();
      case TSkinStep::ssMainPicture: return ReadMainPicture();
      case TSkinStep::ssHintColors: return ReadHintColors();
      case TSkinStep::ssButtons: return ReadButtons();
      case TSkinStep::ssTrackBars: return ReadTrackBars();
      case TSkinStep::ssLabels: return ReadLabels();
      case TSkinStep::ssClock: return ReadClock();
      case TSkinStep::ssVideoWindow: return ReadVideoWindow();
    }
    return false;
  }

  // True when the step must stop now.
  bool Stop() const { return FStepFailed && !FGatherAll; }

  // A width or height the loader makes pictures of: kMaxSkinExtent at most; reported as a
  // failure (false) otherwise.
  bool CheckExtent(const std::string& section, const std::string& key, int value) {
    if (value <= kMaxSkinExtent) return true;
    Report(section, key, std::to_string(value),
           "a size of " + std::to_string(value) + " pixels is more than " +
               std::to_string(kMaxSkinExtent));
    return false;
  }

  bool ReadFolder() {
    std::string folder = FFolderArg;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    FData.Folder = folder;
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
      Report("", "", FFolderArg, "the skin folder does not exist");
      return false;
    }
    const TFoundFile ini = FindSkinFile(folder, kSkinFileName);
    if (ini.Result != TFileLookup::flFound) {
      Report("", "", kSkinFileName,
             ini.Result == TFileLookup::flAmbiguous
                 ? MissingMessage(ini)
                 : "the skin folder has no \"" + std::string(kSkinFileName) + "\"");
      return false;
    }
    FProfile.emplace(ini.Path);
    if (!FProfile->IsOpen()) {
      Report("", "", kSkinFileName, "\"" + std::string(kSkinFileName) + "\" could not be read");
      return false;
    }
    return true;
  }

  bool ReadMainPicture() {
    ReadPicture(kMainForm, "MainPIC", "Main.bmp", &FData.MainPicture);
    return true;
  }

  bool ReadHintColors() {
    THintColors& hint = FData.Hint;
    const struct {
      const char* Key;
      const char* Default;
      TColor* Color;
    } keys[] = {{"Arrow", kBlueDefault, &hint.Arrow},
                {"ArrowBG", kBlackDefault, &hint.ArrowBackground},
                {"TextBG", kBlackDefault, &hint.Background},
                {"Border", kBlueDefault, &hint.Border},
                {"Font", kBlueDefault, &hint.Font}};
    for (const auto& key : keys) {
      if (!ReadColor(kHintColor, key.Key, key.Default, key.Color) && Stop()) return false;
    }
    return true;
  }

  bool ReadButtons() {
    if (!ReadPicture(kMainForm, "ButtonPIC", "Button.bmp", &FData.ButtonSheet) && Stop())
      return false;
    for (std::size_t i = 0; i < kButtonKeys.size(); ++i) {
      std::vector<int> items;
      if (!ReadList(kButtonInfo, kButtonKeys[i], kButtonDefault, kButtonItems,
                    TListEnd::leIgnoreRest, &items)) {
        if (Stop()) return false;
        continue;
      }
      TButtonInfo& button = FData.Buttons[i];
      button.Left = items[0];
      button.Top = items[1];
      button.Width = items[2];
      button.Height = items[3];
      if ((!CheckExtent(kButtonInfo, kButtonKeys[i], button.Width) ||
           !CheckExtent(kButtonInfo, kButtonKeys[i], button.Height)) &&
          Stop())
        return false;
      button.Normal = SheetRect(items, 4);
      button.MouseOn = SheetRect(items, 8);
      button.Down = SheetRect(items, 12);
    }
    return true;
  }

  bool ReadTrackBars() {
    for (std::size_t i = 0; i < kTrackBarSections.size(); ++i) {
      const TTrackBarSection& section = kTrackBarSections[i];
      TTrackBarInfo& bar = FData.TrackBars[i];
      bar.Top = ReadInteger(section.Name, "Top", 0);
      bar.Left = ReadInteger(section.Name, "Left", 0);
      bar.Horizontal = ReadOrientation(section.Name, "Orientation");
      bar.WidthOrHeight = ReadInteger(section.Name, "WidthORHeight", 0);
      if (!CheckExtent(section.Name, "WidthORHeight", bar.WidthOrHeight) && Stop()) return false;
      if (!ReadPicture(section.Name, "BarBMP", section.DefaultBar, &bar.Bar) && Stop())
        return false;
      if (!ReadPicture(section.Name, "SliderBMP", section.DefaultSlider, &bar.Slider) && Stop())
        return false;
    }
    return true;
  }

  bool ReadLabels() {
    if (!ReadLabel("Label_PlayName", &FData.PlayName) && Stop()) return false;
    FData.PlayNameMax = ReadInteger(kLabel, "Label_PlayName_Max", 0);
    if (!CheckExtent(kLabel, "Label_PlayName_Max", FData.PlayNameMax) && Stop()) return false;
    const std::pair<const char*, TLabelInfo*> others[] = {
        {"Label_PlayState", &FData.PlayState},
        {"Label_Title", &FData.Title},
        {"Label_Chapter", &FData.Chapter}};
    for (const auto& [key, label] : others) {
      if (!ReadLabel(key, label) && Stop()) return false;
    }
    return true;
  }

  bool ReadClock() {
    TClockInfo& clock = FData.Clock;
    if (!ReadPicture(kMainForm, "TimePIC", "Time.bmp", &clock.DigitStrip) && Stop()) return false;
    if (!ReadPicture(kMainForm, "TimePanelPIC", "TimePanel.bmp", &clock.Panel) && Stop())
      return false;
    std::vector<int> panel;
    if (ReadList(kTime, "TimePanel", kTimePanelDefault, kTimePanelItems, TListEnd::leExact,
                 &panel)) {
      clock.PanelLeft = panel[0];
      clock.PanelTop = panel[1];
      clock.PanelWidth = panel[2];
      clock.PanelHeight = panel[3];
      if ((!CheckExtent(kTime, "TimePanel", clock.PanelWidth) ||
           !CheckExtent(kTime, "TimePanel", clock.PanelHeight)) &&
          Stop())
        return false;
    } else if (Stop()) {
      return false;
    }
    clock.DigitWidth = ReadInteger(kTime, "Time_Width", 0);
    for (std::size_t cell = 0; cell < clock.Cells.size(); ++cell) {
      const std::string prefix = "Time_" + std::to_string(cell + 1);
      const int top = ReadInteger(kTime, prefix + "_Top", 0);
      const int left = ReadInteger(kTime, prefix + "_Left", 0);
      clock.Cells[cell] = QPoint(left, top);
    }
    return true;
  }

  bool ReadVideoWindow() {
    TVideoWindowInfo& video = FData.Video;
    for (std::size_t i = 0; i < kVideoFormKeys.size(); ++i) {
      if (!ReadPicture(kVideoForm, kVideoFormKeys[i].Key, kVideoFormKeys[i].Default,
                       &video.Pictures[i]) &&
          Stop())
        return false;
    }
    if (!ReadPicture(kPlayListBox, "TitleImage", "ListTitle.bmp", &video.Title) && Stop())
      return false;
    const std::pair<const char*, TColor*> colors[] = {
        {"TitleBackgroundColor", &video.TitleBackground},
        {"ListBoxBackgroundColor", &video.ListBackground},
        {"ListBoxFontColor", &video.ListFont}};
    for (const auto& [key, color] : colors) {
      if (!ReadColor(kPlayListBox, key, kBlackDefault, color) && Stop()) return false;
    }
    video.ListFontSize = ReadInteger(kPlayListBox, "ListBoxFontSize", kDefaultListFontSize);
    return true;
  }

  // --- single values ---

  // Every read goes through these two, so the keys never read can be told apart afterwards.
  std::string Value(const std::string& section, const std::string& key, const std::string& def) {
    FKeysRead.insert(KeyId(section, key));
    return FProfile->ReadString(section, key, def);
  }
  bool Has(const std::string& section, const std::string& key) {
    FKeysRead.insert(KeyId(section, key));
    return FProfile->ValueExists(section, key);
  }
  // Names match without regard to letter case, as the description file's names do.
  static std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
  }
  static std::string KeyId(const std::string& section, const std::string& key) {
    return Lower(section) + '\n' + Lower(key);
  }

  // Warns of every section and key of the file that no step reads: a misspelt name there
  // silently gives the default instead.
  void ReportUnreadKeys() {
    std::set<std::string> sectionsRead;
    for (const std::string& id : FKeysRead) sectionsRead.insert(id.substr(0, id.find('\n')));
    for (const std::string& section : FProfile->SectionNames()) {
      if (!sectionsRead.count(Lower(section))) {
        Report(section, "", "", "the player does not read this section; is its name misspelt?",
               true);
        continue;
      }
      for (const std::string& key : FProfile->KeyNames(section)) {
        if (!FKeysRead.count(KeyId(section, key)))
          Report(section, key, FProfile->ReadString(section, key, ""),
                 "the player does not read this key; is its name misspelt?", true);
      }
    }
  }

  static std::string MissingMessage(const TFoundFile& found) {
    if (found.Result != TFileLookup::flAmbiguous) return "the file is missing from the skin folder";
    std::string names;
    for (const std::string& name : found.Candidates)
      names += (names.empty() ? "\"" : ", \"") + name + "\"";
    return "the file is missing: several names differ from it only in letter case (" + names +
           ") and none of them is taken";
  }

  // A picture that must exist: found (any letter case) and read as a Windows bitmap.
  bool ReadPicture(const char* section, const char* key, const char* def, QImage* image) {
    const std::string name = Value(section, key, def);
    const TFoundFile found = FindSkinFile(FData.Folder, name);
    if (found.Result != TFileLookup::flFound) {
      Report(section, key, name,
             name.empty() ? "no file name is given" : MissingMessage(found));
      return false;
    }
    std::string error;
    if (!controls::LoadBitmapFile(found.Path, image, &error)) {
      Report(section, key, name, "the picture cannot be used: " + error);
      return false;
    }
    return true;
  }

  // An integer: a missing or unreadable value gives the default (with a warning for the
  // unreadable one, which the author surely meant as a number).
  int ReadInteger(const char* section, const std::string& key, int def) {
    if (!Has(section, key)) return def;
    const std::string text = Value(section, key, "");
    std::int32_t value = 0;
    if (os::TextToInteger(text, &value)) return value;
    Report(section, key, text,
           "not a whole number; the default " + std::to_string(def) + " is used", true);
    return def;
  }

  // Exactly "Horizontal" is horizontal; any other text is vertical.
  bool ReadOrientation(const char* section, const char* key) {
    const std::string text = Value(section, key, kHorizontal);
    if (text == kHorizontal) return true;
    if (QString::fromStdString(text).compare(kHorizontal, Qt::CaseInsensitive) == 0)
      Report(section, key, text,
             "only \"Horizontal\" written exactly so makes a horizontal bar; this one is vertical",
             true);
    return false;
  }

  // A list of `count` whole numbers, taken apart from the front with SplitAtFirst.
  bool ReadList(const char* section, const std::string& key, const char* def, int count,
                TListEnd end, std::vector<int>* items) {
    const std::string text = Value(section, key, def);
    const int written = CountItems(text);
    if (written < count) {
      Report(section, key, text,
             (written == 0 ? std::string("has no items") : "has " + std::to_string(written) +
                                                               (written == 1 ? " item" : " items")) +
                 "; " + std::to_string(count) + " are needed");
      return false;
    }
    items->clear();
    std::string rest = text;
    for (int i = 0; i < count; ++i) {
      std::string item;
      if (i + 1 < count || end == TListEnd::leIgnoreRest) {
        auto split = SplitAtFirst(rest, kListSeparator);
        item = std::move(split.first);
        rest = std::move(split.second);
      } else {
        item = rest;  // the last item is the whole rest
      }
      std::int32_t value = 0;
      if (!os::TextToInteger(item, &value)) {
        if (i + 1 == count && end == TListEnd::leExact && written > count)
          Report(section, key, text,
                 "has " + std::to_string(written) + " items; exactly " + std::to_string(count) +
                     " are allowed");
        else
          Report(section, key, text,
                 "the " + Ordinal(i + 1) + " item \"" + item + "\" is not a whole number");
        return false;
      }
      items->push_back(value);
    }
    if (end == TListEnd::leIgnoreRest && written > count)
      Report(section, key, text,
             "has " + std::to_string(written) + " items; those after the " + Ordinal(count) +
                 " are ignored",
             true);
    return true;
  }

  bool ReadColor(const char* section, const char* key, const char* def, TColor* color) {
    std::vector<int> items;
    if (!ReadList(section, key, def, kColorItems, TListEnd::leExact, &items)) return false;
    *color = ColorOf(items[0], items[1], items[2]);
    return true;
  }

  // Left, top, font size, then the font colour as a colour triple.
  bool ReadLabel(const char* key, TLabelInfo* label) {
    std::vector<int> items;
    if (!ReadList(kLabel, key, kLabelDefault, kLabelItems, TListEnd::leExact, &items))
      return false;
    label->Left = items[0];
    label->Top = items[1];
    label->FontSize = items[2];
    label->Color = ColorOf(items[3], items[4], items[5]);
    return true;
  }

  const std::string FFolderArg;
  std::vector<TSkinProblem>* const FProblems;
  const bool FGatherAll;
  std::optional<os::TProfileFile> FProfile;
  std::set<std::string> FKeysRead;  // by KeyId
  TSkinData FData;
  bool FStepFailed = false;
};

}  // namespace

std::pair<std::string, std::string> SplitAtFirst(const std::string& text, char separator) {
  const auto at = text.find(separator);
  if (at == std::string::npos) return {text, std::string()};
  return {text.substr(0, at), text.substr(at + 1)};
}

TSkinData ReadSkin(const std::string& folder, std::vector<TSkinProblem>* problems,
                   bool gatherAll) {
  return TReader(folder, problems, gatherAll).Run();
}

}  // namespace kavoro::skin
