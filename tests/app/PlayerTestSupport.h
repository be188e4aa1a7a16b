#pragma once
// The fixture of the player's controller tests: the main window, the video window and the
// colour pop-up as the program makes them, on the sim world with fake graph managers and a fake
// DVD builder whose navigator logs every command. The application folder is the build's own
// (the shipped skins, for switching); the sim drives mirror the folders the player lists there.
#include <gtest/gtest.h>

#include <QListWidget>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "GraphTestSupport.h"
#include "app/Label.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "controls/VeskoTrackBar.h"
#include "media/FilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/os/Application.h"
#include "util/ThdTimer.h"
#include "video/ColorSet.h"
#include "video/Video.h"

namespace kavoro::test {

using Lines = std::vector<std::string>;

class PlayerTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    app::Settings() = app::TSettings{};
    const char* folder = std::getenv("KAVORO_APP_DIR");
    appFolder = std::string(folder ? folder : ".") + "/";
    os::SetApplicationFolder(appFolder);
    main = std::make_unique<app::TFrm_Main>();
    video = std::make_unique<video::TFrm_Video>();
    colorSet = std::make_unique<video::TFrm_ColorSet>(video->VideoWindowEx);
    main->AttachVideo(video.get(), colorSet.get());
  }
  void TearDown() override {
    main.reset();
    colorSet.reset();
    video.reset();
    GraphTest::TearDown();
  }

  // A DVD-Video drive: the two folders of its root, and a label.
  void AddDvdDrive(char letter, const std::string& label = "MOVIE") {
    auto& drives = os::Sim().Drives();
    drives.AddDrive(letter, os::DRIVE_CDROM);
    drives.InsertDisc(letter, label);
    const std::string root = os::DriveRoot(letter);
    drives.AddFolder(root + "AUDIO_TS");
    drives.AddFolder(root + "VIDEO_TS");
  }
  // FormCreate with the drives set up so far, the sim's first-run dialog never needed.
  void Start(const std::string& defaultDrive = "E") {
    app::Settings().DefaultDrive = defaultDrive;
    main->DriveList.clear();
    for (char letter = 'D'; letter <= 'Z'; ++letter)
      if (os::Sim().Drives().GetDriveType(os::DriveRoot(letter)) == os::DRIVE_CDROM)
        main->DriveList.push_back(os::DriveRoot(letter));
  }
  void OpenDvd() {
    AddDvdDrive('E');
    Start();
    main->Menu_Video_PlayClick();
    ASSERT_EQ(State(), "DVD Playing 1.0X");
    CallLog().clear();
  }
  // Open File on the given files (the dialog's answer).
  void OpenFiles(const Lines& files) {
    os::Sim().Dialogs().ScriptOpenAnswer(files);
    main->Menu_Main_OpenFileClick();
  }
  void AddFiles(const Lines& files) {
    os::Sim().Dialogs().ScriptOpenAnswer(files);
    main->Menu_PlayListBox_AddClick();
  }

  std::string State() const { return main->Label_PlayState->Caption().toStdString(); }
  // The state the graph itself reports; State_Stopped without a graph.
  OAFilterState GraphState() const {
    OAFilterState state = State_Stopped;
    if (auto control = main->FilterGraph->Query<IMediaControl>()) control->GetState(0, &state);
    return state;
  }
  std::string Caption(app::TLabel* label) const { return label->Caption().toStdString(); }
  Lines PlayList() const {
    Lines lines;
    for (int i = 0; i < main->PlayListCount(); ++i) lines.push_back(main->PlayListItem(i)->FileName);
    return lines;
  }
  int Selected() const { return main->PlayListSelected(); }
  FakeDvdNavigator& Navigator() { return *dvd->navigator.Get(); }
  Lines MessageTexts() const {
    Lines texts;
    for (const auto& box : os::Sim().Dialogs().MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  // The navigator's commands logged since the last clear.
  Lines Commands() const {
    Lines out;
    for (const std::string& line : CallLog())
      for (const char* what : {"PlayTitle", "ShowMenu", "PlayNextChapter", "PlayPrevChapter",
                               "PlayForwards", "PlayBackwards", "SetSubpictureState", "Select",
                               "SetOption", "SetState"})
        if (line.rfind(what, 0) == 0) {
          out.push_back(line);
          break;
        }
    return out;
  }

  std::string appFolder;
  std::unique_ptr<app::TFrm_Main> main;
  std::unique_ptr<video::TFrm_Video> video;
  std::unique_ptr<video::TFrm_ColorSet> colorSet;
};

}  // namespace kavoro::test
