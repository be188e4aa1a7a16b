#pragma once
// The main window: a frameless window shaped by its skin, holding the player's buttons, track
// bars, labels and picture clock. Every position and picture comes from the skin loader; here
// the controls are only created with their fixed settings. The player's commands act on these
// controls from units of their own.
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace kavoro {
class TVesko_TrackBar;
}
namespace kavoro::controls {
class TImage;
class TVeskoHint;
class TVeskoImageButton;
class TVeskoSkinForm;
class TVeskoTrackBar;
}  // namespace kavoro::controls

namespace kavoro::app {

class TLabel;

constexpr const char* kMainWindowCaption = "Kavoro Player";
constexpr const char* kInitialPlayName = "Kavoro Player";
constexpr const char* kMainFontFamily = "Tahoma";
constexpr int kMainFontPoints = 9;
// The clock has two digits each of hours, minutes and seconds.
constexpr int kClockDigits = 6;
constexpr int kMainButtonCount = 21;
// The widest hint, in pixels.
constexpr int kHintMaxWidth = 250;

class TFrm_Main : public QWidget {
  Q_OBJECT
 public:
  // Creates the window (hidden) and its controls with their settings. GUI thread only; a
  // platform backend must be linked (the seek bar takes a message window of it).
  explicit TFrm_Main(QWidget* parent = nullptr);
  ~TFrm_Main() override;

  // ---- Controls, owned by the window.
  controls::TVeskoSkinForm* SkinForm;
  controls::TVeskoHint* VeskoHint;

  controls::TVeskoImageButton* Button_MainMenu;
  controls::TVeskoImageButton* Button_Minimize;
  controls::TVeskoImageButton* Button_Close;
  controls::TVeskoImageButton* Button_MuteON;
  controls::TVeskoImageButton* Button_MuteOFF;
  controls::TVeskoImageButton* Button_Play;
  controls::TVeskoImageButton* Button_Stop;
  controls::TVeskoImageButton* Button_Pause;
  controls::TVeskoImageButton* Button_Open;
  controls::TVeskoImageButton* Button_Previous;
  controls::TVeskoImageButton* Button_Next;
  controls::TVeskoImageButton* Button_Forward;
  controls::TVeskoImageButton* Button_Rewind;
  controls::TVeskoImageButton* Button_ShowVideo;
  controls::TVeskoImageButton* Button_Fullscreen;
  controls::TVeskoImageButton* Button_Wallpaper;
  controls::TVeskoImageButton* Button_PlayList;
  controls::TVeskoImageButton* Button_RootMenu;
  controls::TVeskoImageButton* Button_Color;
  controls::TVeskoImageButton* Button_Option;
  controls::TVeskoImageButton* Button_About;

  controls::TVeskoTrackBar* VolumeBar;
  controls::TVeskoTrackBar* TrackBar;
  controls::TVeskoTrackBar* ZoomBar;
  TVesko_TrackBar* VideoBar;

  TLabel* Label_PlayName;
  TLabel* Label_PlayState;
  TLabel* Label_Title;
  TLabel* Label_Chapter;

  controls::TImage* TimePanel;

  // ---- Clock state, filled by the skin loader, read by the time display.
  QImage DigitStrip;  // the ten digits side by side, each DigitWidth wide
  int DigitWidth = 0;
  int DigitHeight = 0;
  std::array<QPoint, kClockDigits> DigitCells{};  // (left, top) in TimePanel's picture

  // The name of what is playing, shown in Label_PlayName.
  std::string PlayName = kInitialPlayName;

  // The picture button whose control name is `name` ("Button_Play"); nullptr for any other.
  // GUI thread only.
  controls::TVeskoImageButton* ButtonByName(std::string_view name) const;

 private:
  controls::TVeskoImageButton* MakeButton(const char* name, const char* hint);

  std::array<std::pair<const char*, controls::TVeskoImageButton*>, kMainButtonCount> FButtons{};
  int FButtonCount = 0;
};

}  // namespace kavoro::app
