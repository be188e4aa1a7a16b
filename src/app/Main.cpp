#include "app/Main.h"

#include <QColor>
#include <QFont>

#include "app/Label.h"
#include "controls/Image.h"
#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"
#include "media/Vesko_TrackBar.h"

namespace kavoro::app {
namespace {

// The fixed settings of a track bar at creation.
struct TTrackBarSettings {
  int Min, Max, Position;
  const char* Hint;
};
constexpr TTrackBarSettings kVolumeBarSettings{0, 255, 0, "VolumeBar"};
constexpr TTrackBarSettings kTrackBarSettings{0, 2, 1, "TrackBar"};
constexpr TTrackBarSettings kZoomBarSettings{0, 99, 0, "Digital Zoom"};
constexpr TTrackBarSettings kVideoBarSettings{0, 100, 0, "VideoBar"};

void Configure(controls::TVeskoTrackBar* bar, const char* name, const TTrackBarSettings& s) {
  bar->setObjectName(QString::fromLatin1(name));
  bar->SetMin(s.Min);
  bar->SetMax(s.Max);
  bar->SetPosition(s.Position);
  bar->setToolTip(QString::fromLatin1(s.Hint));
}

TLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, bool autoSize) {
  auto* label = new TLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->SetAutoSize(autoSize);
  label->SetCaption(QString::fromLatin1(caption));
  return label;
}

}  // namespace

TFrm_Main::TFrm_Main(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint) {
  setObjectName(QStringLiteral("Frm_Main"));
  setWindowTitle(QString::fromLatin1(kMainWindowCaption));
  setFont(QFont(QString::fromLatin1(kMainFontFamily), kMainFontPoints));

  SkinForm = new controls::TVeskoSkinForm(this);
  SkinForm->setObjectName(QStringLiteral("SkinForm"));
  SkinForm->SetTransparentColor(QColor::fromRgb(controls::TVeskoSkinForm::DefaultTransparentColor));

  VeskoHint = new controls::TVeskoHint(this);
  VeskoHint->setObjectName(QStringLiteral("VeskoHint"));
  VeskoHint->SetMaxHintWidth(kHintMaxWidth);

  Button_MainMenu = MakeButton("Button_MainMenu", "Kavoro Player Menu");
  Button_Minimize = MakeButton("Button_Minimize", "Minimize");
  Button_Close = MakeButton("Button_Close", "Close");
  Button_MuteON = MakeButton("Button_MuteON", "Mute");
  Button_MuteOFF = MakeButton("Button_MuteOFF", "Mute");
  Button_Play = MakeButton("Button_Play", "Play");
  Button_Stop = MakeButton("Button_Stop", "Stop");
  Button_Pause = MakeButton("Button_Pause", "Pause");
  Button_Open = MakeButton("Button_Open", "Open File");
  Button_Previous = MakeButton("Button_Previous", "Previous");
  Button_Next = MakeButton("Button_Next", "Next");
  Button_Forward = MakeButton("Button_Forward", "Fast Forward");
  Button_Rewind = MakeButton("Button_Rewind", "Fast Rewind");
  Button_ShowVideo = MakeButton("Button_ShowVideo", "Show the video window");
  Button_Fullscreen = MakeButton("Button_Fullscreen", "Fullscreen Mode");
  Button_Wallpaper = MakeButton("Button_Wallpaper", "Wallpaper Mode");
  Button_PlayList = MakeButton("Button_PlayList", "Play List");
  Button_RootMenu = MakeButton("Button_RootMenu", "DVD Root Menu");
  Button_Color = MakeButton("Button_Color", "Color Controls");
  Button_Option = MakeButton("Button_Option", "Option");
  Button_About = MakeButton("Button_About", "About Kavoro Player");
  // One of the two mute buttons shows at a time; the skin loader picks it.
  Button_MuteOFF->hide();

  VolumeBar = new controls::TVeskoTrackBar(this);
  Configure(VolumeBar, "VolumeBar", kVolumeBarSettings);
  TrackBar = new controls::TVeskoTrackBar(this);
  Configure(TrackBar, "TrackBar", kTrackBarSettings);
  VideoBar = new TVesko_TrackBar(this);
  Configure(VideoBar, "VideoBar", kVideoBarSettings);
  ZoomBar = new controls::TVeskoTrackBar(this);
  Configure(ZoomBar, "ZoomBar", kZoomBarSettings);

  // The play name has a fixed width (the skin's); the other three fit their text.
  Label_PlayName = MakeLabel(this, "Label_PlayName", kInitialPlayName, false);
  Label_PlayState = MakeLabel(this, "Label_PlayState", "Stopped", true);
  Label_Title = MakeLabel(this, "Label_Title", "Title: 0", true);
  Label_Chapter = MakeLabel(this, "Label_Chapter", "Chapter: 0", true);

  TimePanel = new controls::TImage(this);
  TimePanel->setObjectName(QStringLiteral("TimePanel"));
  // Each windowless control goes beneath the controls made before it; the skin's picture is
  // the backdrop of them all, the clock panel included.
  SkinForm->lower();
}

TFrm_Main::~TFrm_Main() = default;

controls::TVeskoImageButton* TFrm_Main::MakeButton(const char* name, const char* hint) {
  auto* button = new controls::TVeskoImageButton(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(QString::fromLatin1(hint));
  FButtons[FButtonCount++] = {name, button};
  return button;
}

controls::TVeskoImageButton* TFrm_Main::ButtonByName(std::string_view name) const {
  for (const auto& [buttonName, button] : FButtons)
    if (buttonName != nullptr && name == buttonName) return button;
  return nullptr;
}

}  // namespace kavoro::app
