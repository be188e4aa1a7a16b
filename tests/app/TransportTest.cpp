// The player's transport on fake graphs: opening a disc and files, Stop, Pause, the DVD speeds
// and navigation, the play list moving on, volume and balance, and what the user is told when
// something cannot play.
#include "PlayerTestSupport.h"

#include <functional>

#include "app/MediaErrorText.h"
#include "app/StateReport.h"
#include "media/Vesko_TrackBar.h"
#include "platform/media/EventCodes.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::test {
namespace {

using app::ChannelVolume;

TEST_F(PlayerTest, PlayOpensTheDefaultDrivesDiscAtItsTitleMenu) {
  AddDvdDrive('E');
  Start("E");
  main->Menu_Video_PlayClick();
  EXPECT_EQ(LogLines("RenderDvdVideoVolume"), Lines{"RenderDvdVideoVolume E:\\VIDEO_TS\\VIDEO_TS.IFO flags 1"});
  EXPECT_EQ(Commands(), (Lines{"SetOption 2 0", "SetOption 3 1", "PlayForwards 1.0 flags 0",
                               "SetSubpictureState 1 flags 0", "ShowMenu 2 flags 0"}));
  EXPECT_EQ(State(), "DVD Playing 1.0X");
  EXPECT_EQ(PlayList(), Lines{"DVD Video Drive E:"});
  EXPECT_FALSE(main->PlayListItem(0)->Playable);
  EXPECT_EQ(main->PlayIndex, 0);
  EXPECT_EQ(main->PlayName, "DVD Video Drive E:");
  EXPECT_TRUE(main->AtTitleStart);
  EXPECT_TRUE(main->SubtitleShown);
  EXPECT_FALSE(video->VideoPanel->isHidden());

  // With the prelude skipped the disc starts at title 1.
  main->Menu_Video_StopClick();
  app::Settings().SkipIntro = true;
  CallLog().clear();
  main->Menu_Video_PlayClick();
  EXPECT_EQ(Commands().back(), "PlayTitle 1 flags 0");
  EXPECT_FALSE(main->AtTitleStart);
}

TEST_F(PlayerTest, PlayWithoutADiscInTheDefaultDriveDoesNothing) {
  os::Sim().Drives().AddDrive('E', os::DRIVE_CDROM);
  Start("E");
  main->Menu_Video_PlayClick();
  Start("Q");  // a default drive that is gone
  main->Menu_Video_PlayClick();
  EXPECT_TRUE(LogLines("RenderDvdVideoVolume").empty());
  EXPECT_EQ(State(), "Stopped");
  EXPECT_TRUE(MessageTexts().empty());
}

// Each failure of building the DVD graph is said in boxes captioned "Error", and the player
// ends stopped with an empty list (the disc's line goes, so no index points past the list).
TEST_F(PlayerTest, DvdBuildingFailuresAreSaidAndThePlayerStops) {
  AM_DVD_RENDERSTATUS everything;
  everything.hrVPEStatus = VFW_E_CANNOT_RENDER;
  everything.bDvdVolInvalid = everything.bDvdVolUnknown = 1;
  everything.bNoLine21In = everything.bNoLine21Out = 1;
  everything.iNumStreamsFailed = 2;
  struct Case {
    HRESULT render;
    std::optional<AM_DVD_RENDERSTATUS> status;
    Lines said;
  };
  const std::vector<Case> cases = {
      {S_FALSE, everything,
       {app::MediaErrorText(VFW_E_CANNOT_RENDER), "The specified DVD volume to be played does not exist.",
        "No DVD volume is specified or isn't found.",
        "The video decoder doesn't produce line 21 (closed captioning) data.",
        "The video decoder can't be shown as closed captioning on video due to a problem with graph building.",
        "Can't render one or more stream."}},
      {VFW_E_DVD_RENDERFAIL, std::nullopt,
       {"Some basic error occurred in building the graph.\rPossibilities include the DVD Navigator filter or "
        "the video or audio renderer not instantiating,\ra trivial connection or pin enumeration failing, or "
        "none of the streams rendering."}},
      {VFW_E_DVD_DECNOTENOUGH, std::nullopt, {"There isn't enough hardware or software decoders to decode all streams."}},
      {E_INVALIDARG, std::nullopt, {"Invalid Argument."}},
  };
  AddDvdDrive('E');
  Start("E");
  for (const Case& c : cases) {
    SCOPED_TRACE(HResultToString(c.render));
    os::Sim().Dialogs().Reset();
    dvdScript.render = c.render;
    dvdScript.renderStatus = c.status;
    main->Menu_Video_PlayClick();
    EXPECT_EQ(MessageTexts(), c.said);
    for (const auto& box : os::Sim().Dialogs().MessageBoxes()) EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(State(), "Stopped");
    EXPECT_TRUE(PlayList().empty());
    EXPECT_EQ(main->PlayIndex, -1);
    EXPECT_FALSE(main->FilterGraph->Active());
  }
}

TEST_F(PlayerTest, SpeedsPlayAndPauseOnADisc) {
  OpenDvd();
  main->Menu_Video_ForwardClick();
  EXPECT_EQ(Commands(), Lines{"PlayForwards 8.0 flags 0"});
  EXPECT_EQ(State(), "DVD Playing 8.0X");
  EXPECT_TRUE(main->SpeedChanged);

  // Play returns a fast disc to normal speed.
  CallLog().clear();
  main->Menu_Video_PlayClick();
  EXPECT_EQ(Commands(), Lines{"PlayForwards 1.0 flags 0"});
  EXPECT_EQ(State(), "DVD Playing 1.0X");

  // Paused at 4.0X, Play resumes at 4.0X.
  main->Menu_Video_SelectSpeedClick(6);
  main->Menu_Video_PauseClick();
  EXPECT_EQ(State(), "Pause");
  EXPECT_FALSE(main->SpeedChanged);
  main->Menu_Video_PlayClick();
  EXPECT_EQ(State(), "DVD Playing 4.0X");

  // Rewind reads like forward; reaching the title's start returns to normal speed.
  CallLog().clear();
  main->Menu_Video_RewindClick();
  EXPECT_EQ(Commands(), Lines{"PlayBackwards 8.0 flags 0"});
  EXPECT_EQ(State(), "DVD Playing 8.0X");
  CallLog().clear();
  main->FilterGraphDVDCurrentHMSFTime({0, 0, 0, 5});
  EXPECT_EQ(Commands(), Lines{"PlayForwards 1.0 flags 0"});
  EXPECT_EQ(State(), "DVD Playing 1.0X");
  EXPECT_TRUE(main->AtTitleStart);

  // Exactly one speed is checked, and "Rewind 1.0X" counts as a changed speed.
  main->Menu_Video_SelectSpeedClick(-4);
  EXPECT_TRUE(main->SpeedChanged);
  int checked = 0;
  for (QAction* item : main->Menu_Video_SelectSpeed->actions()) checked += item->isChecked() ? 1 : 0;
  EXPECT_EQ(checked, 1);
}

// Whatever a disc command leaves, the label and the graph agree: a command that shows
// "DVD Playing" while the disc is paused (a speed, a chapter step, Play after a speed chosen
// in pause) runs the graph, and the state file says so too.
TEST_F(PlayerTest, DiscCommandsInPauseLeaveTheLabelTrue) {
  struct Case {
    const char* name;
    std::function<void(app::TFrm_Main&)> command;
    const char* label;
  };
  const std::vector<Case> cases = {
      {"Next", [](app::TFrm_Main& m) { m.Menu_Video_NextClick(); }, "DVD Playing 1.0X"},
      {"Previous", [](app::TFrm_Main& m) { m.Menu_Video_PreviousClick(); }, "DVD Playing 1.0X"},
      {"Forward", [](app::TFrm_Main& m) { m.Menu_Video_ForwardClick(); }, "DVD Playing 8.0X"},
      {"Rewind", [](app::TFrm_Main& m) { m.Menu_Video_RewindClick(); }, "DVD Playing 8.0X"},
      {"Forward then Play",
       [](app::TFrm_Main& m) {
         m.Menu_Video_ForwardClick();
         m.Menu_Video_PlayClick();
       },
       "DVD Playing 1.0X"},
      {"Pause", [](app::TFrm_Main& m) { m.Menu_Video_PauseClick(); }, "Pause"},
  };
  OpenDvd();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    main->Menu_Video_PauseClick();
    ASSERT_EQ(GraphState(), State_Paused);
    c.command(*main);
    EXPECT_EQ(State(), c.label);
    const bool paused = std::string(c.label) == "Pause";
    EXPECT_EQ(GraphState(), paused ? State_Paused : State_Running);
    EXPECT_NE(app::DescribeState(*main).find(paused ? "\nGraphState=paused\n" : "\nGraphState=running\n"),
              std::string::npos);
  }
}

TEST_F(PlayerTest, NextAtTheTitleStartPlaysTitleOneThenChapters) {
  OpenDvd();
  main->Menu_Video_NextClick();
  main->Menu_Video_NextClick();
  main->Menu_Video_PreviousClick();
  EXPECT_EQ(Commands(), (Lines{"PlayTitle 1 flags 0", "PlayForwards 1.0 flags 0", "PlayNextChapter flags 0",
                               "PlayForwards 1.0 flags 0", "PlayPrevChapter flags 0", "PlayForwards 1.0 flags 0"}));
  // A time of 00:00:00 (a menu showing) makes the next Next play title 1 again.
  main->FilterGraphDVDCurrentHMSFTime({0, 0, 0, 0});
  CallLog().clear();
  main->Menu_Video_NextClick();
  EXPECT_EQ(Commands().front(), "PlayTitle 1 flags 0");
}

TEST_F(PlayerTest, DvdEventsKeepLabelsClockAndSeekBarCurrent) {
  OpenDvd();
  Navigator().titleTime = {1, 2, 3, 10};
  main->FilterGraph->DispatchGraphEvent(EC_DVD_TITLE_CHANGE, 3, 0);
  EXPECT_EQ(Caption(main->Label_Title), "Title: 3");
  EXPECT_EQ(main->VideoBar->Max(), 3723);
  Navigator().titleTime = {0, 0, 0, 20};  // under a second
  main->FilterGraphDVDChapterStart(7);
  EXPECT_EQ(Caption(main->Label_Chapter), "Chapter: 7");
  EXPECT_EQ(main->VideoBar->Max(), 1);
  Navigator().titleTimeResult = E_FAIL;
  main->FilterGraphDVDChapterStart(8);
  EXPECT_EQ(main->VideoBar->Max(), 1);

  main->VideoBar->SetMax(5000);
  main->FilterGraphDVDCurrentHMSFTime({0, 1, 2, 0});
  EXPECT_EQ(main->VideoBar->Position(), 62);
  EXPECT_FALSE(main->AtTitleStart);
}

// The disc going away stops the player quietly; an error of the navigator is said, then the
// player stops. Neither does anything once the player has stopped or plays a file.
TEST_F(PlayerTest, AnEjectedOrFailingDiscStopsThePlayer) {
  OpenDvd();
  os::Sim().Dialogs().Reset();
  main->FilterGraph->DispatchGraphEvent(EC_DVD_DISC_EJECTED, 0, 0);
  EXPECT_EQ(State(), "Stopped");
  EXPECT_TRUE(PlayList().empty());
  EXPECT_TRUE(MessageTexts().empty());
  main->FilterGraph->DispatchGraphEvent(EC_DVD_DISC_EJECTED, 0, 0);
  EXPECT_EQ(State(), "Stopped");

  OpenDvd();
  os::Sim().Dialogs().Reset();
  main->FilterGraph->DispatchGraphEvent(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
  EXPECT_EQ(MessageTexts(), Lines{"The disc could not be read; playback has stopped."});
  EXPECT_EQ(State(), "Stopped");
  main->FilterGraph->DispatchGraphEvent(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
  EXPECT_EQ(MessageTexts().size(), 1u);
}

TEST_F(PlayerTest, StopResetsEverythingAndTakesTheDiscLineAway) {
  OpenDvd();
  main->FilterGraphDVDTitleChange(2);
  video->resize(900, 700);
  main->Menu_Video_StopClick();
  EXPECT_EQ(State(), "Stopped");
  EXPECT_EQ(Caption(main->Label_Title), "Title: 0");
  EXPECT_EQ(Caption(main->Label_Chapter), "Chapter: 0");
  EXPECT_EQ(Caption(main->Label_PlayName), "Kavoro Player");
  EXPECT_TRUE(PlayList().empty());
  EXPECT_EQ(main->PlayIndex, -1);
  EXPECT_TRUE(video->VideoPanel->isHidden());
  EXPECT_FALSE(main->FilterGraph->Active());
  // The video window goes back to its skin's size.
  EXPECT_EQ(video->width(), video->Image_Main->Picture().Width() + video->Image_Left->width() +
                                video->Image_Right->width());
  // Stop with nothing open does nothing.
  CallLog().clear();
  main->Menu_Video_StopClick();
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(PlayerTest, FilesPlayRoundTheListAndNextStopsAtTheEnd) {
  Start();
  OpenFiles({"/media/a.mpg", "/media/b.mpg", "/media/c.mpg"});
  EXPECT_EQ(PlayList(), Lines{"a.mpg"});  // only the first of several chosen files
  EXPECT_EQ(State(), "Playing");
  EXPECT_EQ(main->PlayName, "a.mpg");
  AddFiles({"/media/b.mpg", "/media/c.mpg"});
  EXPECT_EQ(Selected(), 0);  // a non-empty list keeps its selection
  EXPECT_EQ(PlayList(), (Lines{"a.mpg", "b.mpg", "c.mpg"}));

  main->FilterGraph->DispatchGraphEvent(EC_COMPLETE, S_OK, 0);
  EXPECT_EQ(main->PlayIndex, 1);
  main->Menu_Video_NextClick();
  EXPECT_EQ(main->PlayIndex, 2);
  CallLog().clear();
  main->Menu_Video_NextClick();  // the last line: no wrap
  EXPECT_TRUE(LogLines("RenderFile").empty());
  main->FilterGraphGraphComplete();  // the end of the last file: round again
  EXPECT_EQ(main->PlayIndex, 0);
  EXPECT_EQ(LogLines("RenderFile"), Lines{"RenderFile /media/a.mpg"});
  main->Menu_Video_PreviousClick();  // line 0: nothing
  EXPECT_EQ(main->PlayIndex, 0);

  // Selecting another line without playing it: the end of the file plays the line after it.
  video->PlayListBox->setCurrentRow(1);
  main->FilterGraphGraphComplete();
  EXPECT_EQ(main->PlayIndex, 2);
  EXPECT_EQ(main->PlayName, "c.mpg");

  // Fast forward on a file changes nothing.
  main->Menu_Video_ForwardClick();
  EXPECT_EQ(State(), "Playing");
  EXPECT_FALSE(main->SpeedChanged);
}

// A file that cannot be rendered is named with the reason, and the list goes on to the next
// line that plays; a list of nothing playable ends stopped, one message per file, no spinning.
TEST_F(PlayerTest, UnplayableFilesAreSaidAndSkipped) {
  graphScript.renderFileByPath["/media/bad.avi"] = VFW_E_UNKNOWN_FILE_TYPE;
  Start();
  OpenFiles({"/media/bad.avi"});
  AddFiles({"/media/good.mpg"});
  // Open File on the bad one alone: said, then stopped.
  EXPECT_EQ(MessageTexts(), Lines{"Cannot play \"bad.avi\".\n" + app::MediaErrorText(VFW_E_UNKNOWN_FILE_TYPE)});
  EXPECT_EQ(State(), "Stopped");

  os::Sim().Dialogs().Reset();
  video->PlayListBox->setCurrentRow(0);
  main->Menu_PlayListBox_PlayClick();
  EXPECT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(State(), "Playing");
  EXPECT_EQ(main->PlayName, "good.mpg");
  EXPECT_EQ(main->PlayIndex, 1);

  // The graph giving up half way through good.mpg moves on round the list to bad.avi, which
  // cannot play either: two messages, and the player stops.
  os::Sim().Dialogs().Reset();
  main->FilterGraph->DispatchGraphEvent(EC_ERRORABORT, E_FAIL, 0);
  EXPECT_EQ(MessageTexts(), (Lines{"Cannot play \"good.mpg\".\n" + app::MediaErrorText(E_FAIL),
                                   "Cannot play \"bad.avi\".\n" + app::MediaErrorText(VFW_E_UNKNOWN_FILE_TYPE)}));
  EXPECT_EQ(State(), "Stopped");
  EXPECT_EQ(main->PlayIndex, -1);
}

TEST_F(PlayerTest, PlayListCommands) {
  Start();
  AddFiles({"/m/a.mpg", "/m/b.mpg", "/m/c.mpg", "/m/d.mpg"});
  EXPECT_EQ(Selected(), 0);  // into an empty list: the first new line
  EXPECT_EQ(main->PlayIndex, -1);  // nothing plays

  main->AddToPlayList("/drop/e.mpg");  // a drop appends without playing or selecting
  EXPECT_EQ(PlayList().back(), "e.mpg");
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(main->PlayListItem(4)->FullPath(), "/drop/e.mpg");

  video->PlayListBox->setCurrentRow(2);
  main->Menu_PlayListBox_PlayClick();
  EXPECT_EQ(main->PlayIndex, 2);

  // Removing a middle line selects the line moving into its place; the last, the new last.
  video->PlayListBox->setCurrentRow(1);
  main->Menu_PlayListBox_RemoveClick();
  EXPECT_EQ(PlayList(), (Lines{"a.mpg", "c.mpg", "d.mpg", "e.mpg"}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(main->PlayIndex, 1);  // c.mpg is still the line playing
  EXPECT_EQ(State(), "Playing");
  video->PlayListBox->setCurrentRow(3);
  main->Menu_PlayListBox_RemoveClick();
  EXPECT_EQ(Selected(), 2);

  // Removing the line playing stops first.
  video->PlayListBox->setCurrentRow(1);
  main->Menu_PlayListBox_RemoveClick();
  EXPECT_EQ(State(), "Stopped");
  EXPECT_EQ(PlayList(), (Lines{"a.mpg", "d.mpg"}));

  main->Menu_PlayListBox_ClearClick();
  EXPECT_TRUE(PlayList().empty());
  main->Menu_PlayListBox_PlayClick();  // empty: nothing
  main->Menu_PlayListBox_RemoveClick();
  EXPECT_EQ(State(), "Stopped");
}

TEST_F(PlayerTest, PlayingTheDiscLineDoesNothing) {
  OpenDvd();
  video->PlayListBox->setCurrentRow(0);
  CallLog().clear();
  main->Menu_PlayListBox_PlayClick();
  EXPECT_TRUE(CallLog().empty());
  EXPECT_EQ(State(), "DVD Playing 1.0X");
}

TEST_F(PlayerTest, AVideoCdPlaysItsFilesInTheDrivesOrder) {
  auto& drives = os::Sim().Drives();
  drives.AddDrive('F', os::DRIVE_CDROM);
  drives.InsertDisc('F', "VCD");
  for (const char* folder : {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD"}) drives.AddFolder(std::string("F:\\") + folder);
  drives.AddFile("F:\\MPEGAV\\AVSEQ02.DAT", 100);
  drives.AddFile("F:\\MPEGAV\\AVSEQ01.DAT", 100);
  drives.AddFolder("F:\\MPEGAV\\SUB");
  Start("F");
  main->PlayDrive('F');
  const Lines listed = PlayList();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(main->PlayIndex, 0);
  EXPECT_EQ(LogLines("RenderFile"), Lines{"RenderFile F:\\MPEGAV\\" + listed.front()});

  // A Video CD without files plays nothing and does not fail.
  drives.AddDrive('G', os::DRIVE_CDROM);
  drives.InsertDisc('G', "EMPTY");
  for (const char* folder : {"EXT", "CDI", "MPEGAV", "SEGMENT", "VCD"}) drives.AddFolder(std::string("G:\\") + folder);
  main->PlayDrive('G');
  EXPECT_TRUE(PlayList().empty());
  EXPECT_EQ(State(), "Stopped");
}

TEST_F(PlayerTest, VolumeAndBalanceInSixteenSteps) {
  struct Case {
    int volume, channel;
    std::uint32_t word;
  };
  for (const Case& c : std::vector<Case>{{255, 0, 0x0000FFFF}, {255, 2, 0xFFFF0000}, {128, 1, 0x77777777},
                                         {0, 1, 0}, {16, 1, 0x00000000}, {17, 1, 0x11111111}, {34, 1, 0x22222222}}) {
    EXPECT_EQ(ChannelVolume(c.volume, c.channel), c.word) << c.volume << " " << c.channel;
  }
  main->TrackBar->SetPosition(0);
  main->VolumeBar->SetPosition(255);
  std::uint32_t volume = 0;
  os::Sim().WaveOut().GetVolume(0, &volume);
  EXPECT_EQ(volume, 0x0000FFFFu);
}

}  // namespace
}  // namespace kavoro::test
