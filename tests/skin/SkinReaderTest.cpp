#include "skin/SkinReader.h"

#include "SkinFolderFixture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>

#include <functional>
#include <memory>

namespace kavoro::skin {
namespace {

using test::TSkinFolder;

std::string Describe(const std::vector<TSkinProblem>& problems) {
  std::string text;
  for (const TSkinProblem& p : problems)
    text += (p.Warning ? "warning " : "") + std::string("[") + p.Section + "] " + p.Key + "=" +
            p.Value + ": " + p.Message + "\n";
  return text;
}

std::vector<TSkinProblem> Failures(const std::vector<TSkinProblem>& problems) {
  std::vector<TSkinProblem> failures;
  for (const TSkinProblem& p : problems)
    if (!p.Warning) failures.push_back(p);
  return failures;
}

TEST(SplitAtFirst, CutsAtTheFirstSeparatorOnly) {
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(SplitAtFirst("1,2,3", ','), Pair("1", "2,3"));
  EXPECT_EQ(SplitAtFirst("1", ','), Pair("1", ""));
  EXPECT_EQ(SplitAtFirst("", ','), Pair("", ""));
  EXPECT_EQ(SplitAtFirst(",", ','), Pair("", ""));
  EXPECT_EQ(SplitAtFirst("a,", ','), Pair("a", ""));
  EXPECT_EQ(SplitAtFirst(",b", ','), Pair("", "b"));
}

TEST(ReadSkin, ReadsACompleteSkinIntoItsData) {
  TSkinFolder skin;
  std::vector<TSkinProblem> problems;
  const TSkinData data = ReadSkin(skin.Folder(), &problems, false);
  ASSERT_TRUE(data.Complete()) << Describe(problems);
  EXPECT_TRUE(problems.empty()) << Describe(problems);
  EXPECT_EQ(data.Folder, skin.Folder() + "/");

  EXPECT_EQ(data.MainPicture.size(), TSkinFolder::kMainSize);
  EXPECT_EQ(data.MainPicture.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(data.ButtonSheet.size(), TSkinFolder::kSheetSize);

  EXPECT_EQ(data.Hint.Arrow, 0x030201u);
  EXPECT_EQ(data.Hint.ArrowBackground, 0x060504u);
  EXPECT_EQ(data.Hint.Background, 0x090807u);
  EXPECT_EQ(data.Hint.Border, 0x0C0B0Au);
  EXPECT_EQ(data.Hint.Font, 0x0F0E0Du);

  const TButtonInfo& play = data.Buttons[5];  // "Button_Play"
  EXPECT_EQ(play.Left, 50);
  EXPECT_EQ(play.Top, 5);
  EXPECT_EQ(play.Width, 49);
  EXPECT_EQ(play.Height, 41);
  // Right and bottom lie just past the picture.
  EXPECT_EQ(play.Normal, QRect(0, 0, 49, 41));
  EXPECT_EQ(play.MouseOn, QRect(0, 41, 49, 41));
  EXPECT_EQ(play.Down, QRect(0, 82, 49, 41));

  const TTrackBarInfo& volume = data.TrackBars[0];
  EXPECT_EQ(volume.Top, 5);
  EXPECT_EQ(volume.Left, 6);
  EXPECT_FALSE(volume.Horizontal);
  EXPECT_EQ(volume.WidthOrHeight, 50);
  EXPECT_EQ(volume.Bar.size(), QSize(20, 6));
  EXPECT_EQ(volume.Slider.size(), QSize(7, 9));
  const TTrackBarInfo& video = data.TrackBars[2];  // no orientation and no pictures written
  EXPECT_TRUE(video.Horizontal);
  EXPECT_EQ(video.Top, 16);
  EXPECT_EQ(video.Left, 32);
  EXPECT_FALSE(video.Bar.isNull());

  EXPECT_EQ(data.PlayName.Left, 10);
  EXPECT_EQ(data.PlayName.Top, 20);
  EXPECT_EQ(data.PlayName.FontSize, 9);
  EXPECT_EQ(data.PlayName.Color, 0xFFFFFFu);
  EXPECT_EQ(data.PlayNameMax, 90);
  EXPECT_EQ(data.PlayState.Color, 0xFF9900u);
  EXPECT_EQ(data.Chapter.Color, 0x010203u);

  EXPECT_EQ(data.Clock.DigitStrip.size(), TSkinFolder::kDigitStripSize);
  EXPECT_EQ(data.Clock.Panel.size(), TSkinFolder::kPanelSize);
  EXPECT_EQ(QRect(data.Clock.PanelLeft, data.Clock.PanelTop, data.Clock.PanelWidth,
                  data.Clock.PanelHeight),
            QRect(30, 40, 60, 12));
  EXPECT_EQ(data.Clock.DigitWidth, 8);
  for (int cell = 0; cell < 6; ++cell) EXPECT_EQ(data.Clock.Cells[cell], QPoint(9 * (cell + 1), 2));

  EXPECT_EQ(data.Video.Pictures[vpMain].size(), TSkinFolder::kVideoMainSize);
  EXPECT_EQ(data.Video.Pictures[vpBottomCenter].size(), QSize(1, 8));
  EXPECT_EQ(data.Video.Pictures[vpRight].size(), QSize(4, 1));
  EXPECT_EQ(data.Video.Title.size(), TSkinFolder::kTitleSize);
  EXPECT_EQ(data.Video.TitleBackground, 0x281E14u);
  EXPECT_EQ(data.Video.ListFont, 0xFFFFFFu);
  EXPECT_EQ(data.Video.ListFontSize, 11);
}

TEST(ReadSkin, MissingKeysAndSectionsTakeTheirDefaults) {
  TSkinFolder skin;
  for (const char* key : {"Arrow", "ArrowBG", "TextBG", "Border", "Font"}) skin.Unset("HintColor", key);
  skin.Unset("ButtonInfo", "Button_Play");
  skin.Unset("VolumeBar", "Orientation");
  skin.Unset("VolumeBar", "WidthORHeight");
  skin.Unset("Label", "Label_Title");
  skin.Unset("Time", "TimePanel");
  skin.Unset("PlayListBox", "ListBoxFontSize");
  skin.Unset("PlayListBox", "TitleBackgroundColor");
  std::vector<TSkinProblem> problems;
  const TSkinData data = ReadSkin(skin.Folder(), &problems, false);
  ASSERT_TRUE(data.Complete()) << Describe(problems);
  EXPECT_TRUE(problems.empty()) << Describe(problems);
  EXPECT_EQ(data.Hint.Arrow, 0xFF9900u);
  EXPECT_EQ(data.Hint.ArrowBackground, 0u);
  EXPECT_EQ(data.Hint.Background, 0u);
  EXPECT_EQ(data.Hint.Border, 0xFF9900u);
  EXPECT_EQ(data.Hint.Font, 0xFF9900u);
  EXPECT_EQ(data.Buttons[5].Width, 0);
  EXPECT_EQ(data.Buttons[5].Height, 0);
  EXPECT_TRUE(data.Buttons[5].Normal.isEmpty());
  EXPECT_TRUE(data.TrackBars[0].Horizontal);
  EXPECT_EQ(data.TrackBars[0].WidthOrHeight, 0);
  EXPECT_EQ(data.Title.FontSize, 0);
  EXPECT_EQ(data.Clock.PanelWidth, 0);
  EXPECT_EQ(data.Video.ListFontSize, 9);
  EXPECT_EQ(data.Video.TitleBackground, 0u);
}

TEST(ReadSkin, ReadsValuesByTheirRules) {
  TSkinFolder skin;
  skin.Set("HintColor", "Arrow", "0,153,255");
  skin.Set("HintColor", "ArrowBG", "256,0,0");  // only the low 8 bits of an item count
  skin.Set("HintColor", "TextBG", "-1, 0x10,$20");
  skin.Set("VolumeBar", "Orientation", "horizontal");
  skin.Set("TrackBar", "Orientation", "Horizontal");
  skin.Set("ZoomBar", "Orientation", "HORIZONTAL ");  // blanks around a value are dropped
  skin.Set("ButtonInfo", "Button_Stop", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17");
  skin.Set("ButtonInfo", "Button_Pause", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,junk");
  skin.Set("Time", "Time_Width", "eight");
  // The extremes of a whole number are read as they are.
  skin.Set("ButtonInfo", "Button_Open",
           "-2147483648,2147483647,0,0,-2147483648,-2147483648,-2147483648,-2147483648,"
           "0,0,0,0,0,0,0,0");
  std::vector<TSkinProblem> problems;
  const TSkinData data = ReadSkin(skin.Folder(), &problems, false);
  ASSERT_TRUE(data.Complete()) << Describe(problems);
  EXPECT_EQ(data.Hint.Arrow, 0x00FF9900u);
  EXPECT_EQ(data.Hint.ArrowBackground, 0u);
  EXPECT_EQ(data.Hint.Background, 0x2010FFu);
  EXPECT_FALSE(data.TrackBars[0].Horizontal);
  EXPECT_EQ(data.TrackBars[0].WidthOrHeight, 50);  // the height of a vertical bar
  EXPECT_TRUE(data.TrackBars[1].Horizontal);
  EXPECT_FALSE(data.TrackBars[3].Horizontal);
  for (const int button : {6, 7}) {  // Button_Stop, Button_Pause: read as their first 16
    EXPECT_EQ(data.Buttons[button].Left, 1);
    EXPECT_EQ(data.Buttons[button].Height, 4);
    EXPECT_EQ(data.Buttons[button].Down, QRect(QPoint(13, 14), QPoint(14, 15)));
  }
  EXPECT_EQ(data.Clock.DigitWidth, 0);
  EXPECT_EQ(data.Buttons[8].Left, INT32_MIN);
  EXPECT_EQ(data.Buttons[8].Top, INT32_MAX);
  EXPECT_EQ(data.Buttons[8].Normal.topLeft(), QPoint(INT32_MIN, INT32_MIN));

  // None refuses the skin; the ones an author would want to hear of are warnings.
  EXPECT_TRUE(Failures(problems).empty()) << Describe(problems);
  const std::string described = Describe(problems);
  EXPECT_NE(described.find("warning [VolumeBar] Orientation=horizontal"), std::string::npos)
      << described;
  EXPECT_NE(described.find("warning [ZoomBar] Orientation=HORIZONTAL"), std::string::npos)
      << described;
  EXPECT_NE(described.find("warning [ButtonInfo] Button_Stop="), std::string::npos) << described;
  EXPECT_NE(described.find("after the 16th are ignored"), std::string::npos) << described;
  EXPECT_NE(described.find("warning [Time] Time_Width=eight: not a whole number; the default 0"),
            std::string::npos)
      << described;
}

// One damage to a good skin, and where the read must stop.
struct Damage {
  const char* Name;
  std::function<void(TSkinFolder&)> Apply;
  int CompleteSteps;
  const char* Section;
  const char* Key;
  const char* Value;
  const char* MessagePart;
};

const char* const kMissing = "the file is missing from the skin folder";

std::vector<Damage> Damages() {
  return {
      {"no Skin.ini", [](TSkinFolder& s) { s.Remove("Skin.ini"); }, 0, "", "", "Skin.ini",
       "has no \"Skin.ini\""},
      {"main picture missing", [](TSkinFolder& s) { s.Remove("Main.bmp"); }, 1, "MainForm",
       "MainPIC", "Main.bmp", kMissing},
      {"main picture is a PNG named .bmp",
       [](TSkinFolder& s) {
         QImage png(8, 8, QImage::Format_RGB32);
         png.fill(Qt::red);
         png.save(QString::fromStdString(s.PathOf("Main.bmp")), "PNG");
       },
       1, "MainForm", "MainPIC", "Main.bmp", "not a readable Windows bitmap"},
      {"main picture is a cut-off bitmap",
       [](TSkinFolder& s) { s.WriteFile("Main.bmp", "BM\x36\x00\x00\x00"); }, 1, "MainForm",
       "MainPIC", "Main.bmp", "not a readable Windows bitmap"},
      {"main picture names a folder", [](TSkinFolder& s) { QDir(QString::fromStdString(s.Folder())).mkdir("Pics"); s.Set("MainForm", "MainPIC", "Pics"); },
       1, "MainForm", "MainPIC", "Pics", kMissing},
      {"main picture name empty", [](TSkinFolder& s) { s.Set("MainForm", "MainPIC", ""); }, 1,
       "MainForm", "MainPIC", "", "no file name"},
      {"colour with two items", [](TSkinFolder& s) { s.Set("HintColor", "Border", "1,2"); }, 2,
       "HintColor", "Border", "1,2", "has 2 items; 3 are needed"},
      {"colour with four items", [](TSkinFolder& s) { s.Set("HintColor", "Font", "1,2,3,4"); },
       2, "HintColor", "Font", "1,2,3,4", "has 4 items; exactly 3 are allowed"},
      {"colour item not a number", [](TSkinFolder& s) { s.Set("HintColor", "Arrow", "0,red,255"); },
       2, "HintColor", "Arrow", "0,red,255", "the 2nd item \"red\" is not a whole number"},
      {"empty colour", [](TSkinFolder& s) { s.Set("HintColor", "TextBG", ""); }, 2, "HintColor",
       "TextBG", "", "has no items; 3 are needed"},
      {"button sheet missing", [](TSkinFolder& s) { s.Remove("Button.bmp"); }, 3, "MainForm",
       "ButtonPIC", "Button.bmp", kMissing},
      {"button with 15 items",
       [](TSkinFolder& s) { s.Set("ButtonInfo", "Button_About", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15"); },
       3, "ButtonInfo", "Button_About", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15",
       "has 15 items; 16 are needed"},
      {"button item not a number",
       [](TSkinFolder& s) { s.Set("ButtonInfo", "Button_Close", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,1.5,16"); },
       3, "ButtonInfo", "Button_Close", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,1.5,16",
       "the 15th item \"1.5\" is not a whole number"},
      {"button item left out",
       [](TSkinFolder& s) { s.Set("ButtonInfo", "Button_Close", "1,2,,4,5,6,7,8,9,10,11,12,13,14,15,16"); },
       3, "ButtonInfo", "Button_Close", "1,2,,4,5,6,7,8,9,10,11,12,13,14,15,16",
       "the 3rd item \"\" is not a whole number"},
      {"button too wide to make pictures of",
       [](TSkinFolder& s) { s.Set("ButtonInfo", "Button_Play", "0,0,100000,20,0,0,1,1,0,0,1,1,0,0,1,1"); },
       3, "ButtonInfo", "Button_Play", "100000", "more than 8192"},
      {"track bar too long", [](TSkinFolder& s) { s.Set("VideoBar", "WidthORHeight", "2000000"); },
       4, "VideoBar", "WidthORHeight", "2000000", "more than 8192"},
      {"slider picture missing", [](TSkinFolder& s) { s.Remove("Zoom_Slider.bmp"); }, 4,
       "ZoomBar", "SliderBMP", "Zoom_Slider.bmp", kMissing},
      {"bar picture named in other key spelling missing",
       [](TSkinFolder& s) { s.Set("ZoomBar", "Barbmp", "Nowhere.bmp"); }, 4, "ZoomBar", "BarBMP",
       "Nowhere.bmp", kMissing},
      {"label with 7 items", [](TSkinFolder& s) { s.Set("Label", "Label_Chapter", "1,2,3,4,5,6,7"); },
       5, "Label", "Label_Chapter", "1,2,3,4,5,6,7", "has 7 items; exactly 6 are allowed"},
      {"label with 5 items", [](TSkinFolder& s) { s.Set("Label", "Label_PlayName", "1,2,3,4,5"); },
       5, "Label", "Label_PlayName", "1,2,3,4,5", "has 5 items; 6 are needed"},
      {"digit strip missing", [](TSkinFolder& s) { s.Remove("Time.bmp"); }, 6, "MainForm",
       "TimePIC", "Time.bmp", kMissing},
      {"clock panel not a bitmap", [](TSkinFolder& s) { s.WriteFile("TimePanel.bmp", "not a picture"); },
       6, "MainForm", "TimePanelPIC", "TimePanel.bmp", "not a readable Windows bitmap"},
      {"time panel with 5 items", [](TSkinFolder& s) { s.Set("Time", "TimePanel", "1,2,3,4,5"); },
       6, "Time", "TimePanel", "1,2,3,4,5", "exactly 4 are allowed"},
      {"time panel with 3 items", [](TSkinFolder& s) { s.Set("Time", "TimePanel", "1,2,3"); }, 6,
       "Time", "TimePanel", "1,2,3", "has 3 items; 4 are needed"},
      {"bottom-right frame picture deleted",
       [](TSkinFolder& s) { s.Remove("Video_Bottom_Right.bmp"); }, 7, "VideoForm",
       "Video_Bottom_Right_PIC", "Video_Bottom_Right.bmp", kMissing},
      {"play-list title missing", [](TSkinFolder& s) { s.Remove("ListTitle.bmp"); }, 7,
       "PlayListBox", "TitleImage", "ListTitle.bmp", kMissing},
      {"play-list colour with extra item",
       [](TSkinFolder& s) { s.Set("PlayListBox", "ListBoxFontColor", "1,2,3,"); }, 7,
       "PlayListBox", "ListBoxFontColor", "1,2,3,", "has 4 items; exactly 3 are allowed"},
  };
}

// Each damage on the small test skin and on a copy of the shipped Default skin.
TEST(ReadSkin, EachFailureStopsTheReadAtItsStepAndNamesTheKey) {
  const std::string shipped = std::string(KAVORO_SHIPPED_SKINS) + "/Default";
  ASSERT_TRUE(QDir(QString::fromStdString(shipped)).exists()) << shipped;
  for (const Damage& damage : Damages()) for (const bool onShipped : {false, true}) {
    SCOPED_TRACE(std::string(damage.Name) + (onShipped ? " (Default skin)" : " (test skin)"));
    const auto folder = onShipped ? std::make_unique<TSkinFolder>(shipped) : std::make_unique<TSkinFolder>();
    TSkinFolder& skin = *folder;
    damage.Apply(skin);
    for (const bool gatherAll : {false, true}) {
      std::vector<TSkinProblem> problems;
      const TSkinData data = ReadSkin(skin.Folder(), &problems, gatherAll);
      EXPECT_EQ(data.CompleteSteps, damage.CompleteSteps) << Describe(problems);
      EXPECT_FALSE(data.Complete());
      const std::vector<TSkinProblem> failures = Failures(problems);
      ASSERT_EQ(failures.size(), 1u) << Describe(problems);
      EXPECT_EQ(failures[0].Section, damage.Section);
      EXPECT_EQ(failures[0].Key, damage.Key);
      EXPECT_EQ(failures[0].Value, damage.Value);
      EXPECT_NE(failures[0].Message.find(damage.MessagePart), std::string::npos)
          << failures[0].Message;
    }
  }
}

TEST(ReadSkin, StopsAtTheFirstFailureOrGathersEveryProblem) {
  TSkinFolder skin;
  skin.Set("HintColor", "Arrow", "1,2");
  skin.Set("HintColor", "Font", "x,2,3");
  skin.Remove("Track_Slider.bmp");
  skin.Remove("Video_Bottom_Right.bmp");
  skin.Set("VolumeBar", "Orientation", "horizontal");

  std::vector<TSkinProblem> first;
  const TSkinData stopped = ReadSkin(skin.Folder(), &first, false);
  EXPECT_EQ(stopped.CompleteSteps, 2);
  ASSERT_EQ(first.size(), 1u) << Describe(first);
  EXPECT_EQ(first[0].Key, "Arrow");

  std::vector<TSkinProblem> all;
  const TSkinData gathered = ReadSkin(skin.Folder(), &all, true);
  EXPECT_EQ(gathered.CompleteSteps, 2);
  std::vector<std::string> keys;
  for (const TSkinProblem& p : all) keys.push_back(p.Key);
  EXPECT_EQ(keys, (std::vector<std::string>{"Arrow", "Font", "Orientation", "SliderBMP",
                                            "Video_Bottom_Right_PIC"}))
      << Describe(all);
  // Reading went on past each failure: the steps after them were still filled in.
  EXPECT_EQ(gathered.Clock.DigitWidth, 8);
  EXPECT_EQ(gathered.Video.ListFontSize, 11);
}

TEST(ReadSkin, GatheringEveryProblemWarnsOfSectionsAndKeysThePlayerDoesNotRead) {
  TSkinFolder skin;
  skin.Set("ButtonInfo", "Button_Plya", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
  skin.Set("Lable", "Label_Title", "1,2,3,4,5,6");
  skin.Set("ZOOMBAR", "sliderbmp", "Zoom_Slider.bmp");  // the same names in other letter case
  std::vector<TSkinProblem> problems;
  EXPECT_TRUE(ReadSkin(skin.Folder(), &problems, true).Complete());
  ASSERT_EQ(problems.size(), 2u) << Describe(problems);
  EXPECT_TRUE(problems[0].Warning);
  EXPECT_EQ(problems[0].Section, "ButtonInfo");
  EXPECT_EQ(problems[0].Key, "Button_Plya");
  EXPECT_EQ(problems[0].Value, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
  EXPECT_NE(problems[0].Message.find("misspelt"), std::string::npos);
  EXPECT_TRUE(problems[1].Warning);
  EXPECT_EQ(problems[1].Section, "Lable");
  EXPECT_EQ(problems[1].Key, "");
  // A read that stops at the first failure does not look for them.
  problems.clear();
  EXPECT_TRUE(ReadSkin(skin.Folder(), &problems, false).Complete());
  EXPECT_TRUE(problems.empty()) << Describe(problems);
}

TEST(ReadSkin, AMissingFolderIsTheOnlyProblem) {
  TSkinFolder skin;
  const std::string gone = skin.Folder() + "/Nowhere";
  for (const bool gatherAll : {false, true}) {
    std::vector<TSkinProblem> problems;
    const TSkinData data = ReadSkin(gone, &problems, gatherAll);
    EXPECT_EQ(data.CompleteSteps, 0);
    ASSERT_EQ(problems.size(), 1u) << Describe(problems);
    EXPECT_EQ(problems[0].Value, gone);
    EXPECT_EQ(problems[0].Message, "the skin folder does not exist");
  }
  // An empty name is no folder (not the root).
  std::vector<TSkinProblem> problems;
  EXPECT_EQ(ReadSkin("", &problems, true).CompleteSteps, 0);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].Message, "the skin folder does not exist");
  // Reading without asking for the problems is allowed.
  EXPECT_EQ(ReadSkin(gone, nullptr, true).CompleteSteps, 0);
}

TEST(ReadSkin, FindsFileNamesWrittenInAnotherLetterCase) {
  TSkinFolder skin;
  // The skin was made where "\" separates folders and letter case does not count.
  ASSERT_TRUE(QDir(QString::fromStdString(skin.Folder())).mkdir("Pics"));
  skin.WritePicture("Pics/timepanel.bmp", QSize(3, 3));
  skin.Set("MainForm", "TimePanelPIC", "PICS\\TimePanel.bmp");
  skin.Rename("Skin.ini", "skin.INI");
  skin.Rename("Main.bmp", "main.bmp");
  skin.Rename("Video_Bottom_Right.bmp", "VIDEO_BOTTOM_RIGHT.BMP");
  std::vector<TSkinProblem> problems;
  const TSkinData data = ReadSkin(skin.Folder(), &problems, false);
  EXPECT_TRUE(data.Complete()) << Describe(problems);
  EXPECT_EQ(data.MainPicture.size(), TSkinFolder::kMainSize);
  EXPECT_EQ(data.Clock.Panel.size(), QSize(3, 3));
  EXPECT_EQ(data.Video.Pictures[vpBottomRight].size(), QSize(5, 8));
}

TEST(ReadSkin, NamesMatchingOnlyInSeveralLetterCasesAreNotGuessedBetween) {
  TSkinFolder skin;
  skin.Rename("Main.bmp", "main.bmp");
  skin.WritePicture("MAIN.BMP", QSize(4, 4));
  std::vector<TSkinProblem> problems;
  const TSkinData data = ReadSkin(skin.Folder(), &problems, false);
  EXPECT_EQ(data.CompleteSteps, 1);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].Key, "MainPIC");
  EXPECT_NE(problems[0].Message.find("\"MAIN.BMP\", \"main.bmp\""), std::string::npos)
      << problems[0].Message;
  // An exact match is never ambiguous.
  skin.WritePicture("Main.bmp", QSize(6, 6));
  problems.clear();
  EXPECT_EQ(ReadSkin(skin.Folder(), &problems, false).MainPicture.size(), QSize(6, 6));
}

}  // namespace
}  // namespace kavoro::skin
