#include "skin/SkinLoader.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>

#include <array>
#include <utility>

#include "app/Label.h"
#include "app/Main.h"
#include "controls/Image.h"
#include "controls/VeskoHint.h"
#include "controls/VeskoImageButton.h"
#include "controls/VeskoImagePanel.h"
#include "controls/VeskoSkinForm.h"
#include "controls/VeskoTrackBar.h"
#include "media/Vesko_TrackBar.h"
#include "skin/SkinReader.h"
#include "skin/TimeDisplay.h"
#include "system/MasterMute.h"
#include "video/Video.h"

namespace kavoro::skin {
namespace {

using controls::TVeskoImagePanel;
using controls::TVeskoProgressBarOrientation;
using controls::TVeskoTrackBar;

constexpr const char* kClockStartText = "00:00:00";
constexpr TColor kByteMask = 0xFF;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;
// A play list without a usable size keeps the type size a missing key gives.
constexpr int kDefaultListFontPoints = 9;
// The work bitmap a button picture is cut into starts black, as a fresh bitmap of the screen.
const QColor kWorkBitmapColor(Qt::black);

// Whether the reader read the step completely.
bool Done(const TSkinData& data, TSkinStep step) {
  return data.CompleteSteps >= static_cast<int>(step);
}

// The main picture onto the skin form, which shapes and sizes the window from it.
void ApplyMainPicture(app::TFrm_Main& main, const QImage& picture) {
  controls::TVeskoSkinForm& form = *main.SkinForm;
  form.move(0, 0);
  form.Glyph().Assign(picture);
  // Setting the colour shapes the window from the new picture and sizes it to it.
  form.SetTransparentColor(QColor::fromRgb(controls::TVeskoSkinForm::DefaultTransparentColor));
  form.update();
}

// The five hint colours, in the order the skin gives them.
void ApplyHintColors(controls::TVeskoHint& hint, const THintColors& colors) {
  hint.SetColorArrow(ToQColor(colors.Arrow));
  hint.SetColorArrowBackground(ToQColor(colors.ArrowBackground));
  hint.SetColorBackground(ToQColor(colors.Background));
  hint.SetColorBorder(ToQColor(colors.Border));
  hint.SetFontColor(ToQColor(colors.Font));
}

// Every button of the window from its value, in the order of the keys.
void ApplyButtons(app::TFrm_Main& main, const TSkinData& data) {
  for (std::size_t i = 0; i < kButtonKeys.size(); ++i)
    if (controls::TVeskoImageButton* button = main.ButtonByName(kButtonKeys[i]))
      ApplyButtonInfo(*button, data.Buttons[i], data.ButtonSheet);
}

// Place, direction, length and pictures of one track bar; its thickness follows the slider.
void ApplyTrackBar(TVeskoTrackBar& bar, const TTrackBarInfo& info) {
  bar.move(bar.x(), info.Top);
  bar.move(info.Left, bar.y());
  if (info.Horizontal) {
    bar.SetOrientation(TVeskoProgressBarOrientation::VeskoHorizontal);
    bar.resize(info.WidthOrHeight, bar.height());
  } else {
    bar.SetOrientation(TVeskoProgressBarOrientation::VeskoVertical);
    bar.resize(bar.width(), info.WidthOrHeight);
  }
  bar.BarImage().Assign(info.Bar);
  bar.SliderImage().Assign(info.Slider);
  // One pixel longer and back: the change of size rebuilds the bar from its new pictures and
  // fits its thickness to the new slider.
  if (info.Horizontal) {
    bar.resize(bar.width() + 1, bar.height());
    bar.resize(bar.width() - 1, bar.height());
  } else {
    bar.resize(bar.width(), bar.height() + 1);
    bar.resize(bar.width(), bar.height() - 1);
  }
  // A bar out of sight gets no resize event for that.
  if (!bar.isVisible()) bar.Rebuild();
}

void ApplyTrackBars(app::TFrm_Main& main, const TSkinData& data) {
  const std::array<TVeskoTrackBar*, kTrackBarSections.size()> bars = {
      main.VolumeBar, main.TrackBar, main.VideoBar, main.ZoomBar};
  for (std::size_t i = 0; i < bars.size(); ++i) ApplyTrackBar(*bars[i], data.TrackBars[i]);
}

// The four labels; the play name's width is fixed by the skin.
void ApplyLabels(app::TFrm_Main& main, const TSkinData& data) {
  app::TLabel& playName = *main.Label_PlayName;
  ApplyLabelInfo(playName, data.PlayName);
  playName.SetAutoSize(false);
  // The height follows the font too, so a skin with larger type than the last is not cut off.
  playName.resize(data.PlayNameMax, QFontMetrics(playName.font()).height());
  ApplyLabelInfo(*main.Label_PlayState, data.PlayState);
  ApplyLabelInfo(*main.Label_Title, data.Title);
  ApplyLabelInfo(*main.Label_Chapter, data.Chapter);
}

// The clock state and TimePanel, then the clock drawn at zero.
void ApplyClock(app::TFrm_Main& main, const TClockInfo& clock) {
  main.DigitStrip = clock.DigitStrip;
  main.TimePanel->Picture().Assign(clock.Panel);
  main.TimePanel->setGeometry(clock.PanelLeft, clock.PanelTop, clock.PanelWidth,
                              clock.PanelHeight);
  main.DigitWidth = clock.DigitWidth;
  main.DigitHeight = clock.DigitStrip.height();
  main.DigitCells = clock.Cells;
  ShowTime(main, kClockStartText);
}

void SetHeightFromPicture(TVeskoImagePanel* panel) {
  panel->resize(panel->width(), panel->Picture().Height());
}
void SetWidthFromPicture(TVeskoImagePanel* panel) {
  panel->resize(panel->Picture().Width(), panel->height());
}

// The frame's nine pictures and the sizes of its pieces, the play list's title row, colours
// and type size; then the form lays the pieces out.
void ApplyVideoWindow(video::TFrm_Video& video, const TVideoWindowInfo& info) {
  // By TVideoPicture.
  const std::array<TVeskoImagePanel*, kVideoFormKeys.size()> pieces = {
      video.Image_Main,        video.Image_Top_Left,    video.Image_Top_Center,
      video.Image_Top_Right,   video.Image_Left,        video.Image_Right,
      video.Image_Bottom_Left, video.Image_Bottom_Center, video.Image_Bottom_Right};
  for (std::size_t i = 0; i < pieces.size(); ++i) pieces[i]->SetPicture(info.Pictures[i]);

  // The middle pieces take only a height and the sides only a width: their other extent
  // follows the window.
  for (TVeskoImagePanel* p : {video.Image_Top_Center, video.Image_Top_Left, video.Image_Top_Right})
    SetHeightFromPicture(p);
  for (TVeskoImagePanel* p :
       {video.Image_Top_Left, video.Image_Top_Right, video.Image_Left, video.Image_Right})
    SetWidthFromPicture(p);
  for (TVeskoImagePanel* p :
       {video.Image_Bottom_Center, video.Image_Bottom_Left, video.Image_Bottom_Right})
    SetHeightFromPicture(p);
  for (TVeskoImagePanel* p : {video.Image_Bottom_Left, video.Image_Bottom_Right})
    SetWidthFromPicture(p);

  video.Image_PlayListBoxTitle->SetPicture(info.Title);
  SetHeightFromPicture(video.Image_PlayListBoxTitle);

  QPalette panel = video.PlayListPanel->palette();
  panel.setColor(QPalette::Window, ToQColor(info.TitleBackground));
  video.PlayListPanel->setPalette(panel);
  QPalette list = video.PlayListBox->palette();
  list.setColor(QPalette::Base, ToQColor(info.ListBackground));
  list.setColor(QPalette::Text, ToQColor(info.ListFont));
  video.PlayListBox->setPalette(list);
  QFont font = video.PlayListBox->font();
  font.setPointSize(info.ListFontSize > 0 ? info.ListFontSize : kDefaultListFontPoints);
  video.PlayListBox->setFont(font);
  video.FormResize();
}

// Mute ON shows while the master output plays, Mute OFF while it is muted.
void ShowMuteButton(app::TFrm_Main& main) {
  const bool muted = GetLineMute(mlSpeakers);
  main.Button_MuteON->setVisible(!muted);
  main.Button_MuteOFF->setVisible(muted);
}

// The video window just large enough for the main picture inside its frame; not moved.
void SizeVideoWindow(video::TFrm_Video& video, const QImage& mainPicture) {
  video.resize(mainPicture.width() + video.Image_Left->width() + video.Image_Right->width(),
               mainPicture.height() + video.Image_Top_Center->height() +
                   video.Image_Bottom_Center->height());
  // A window out of sight gets no resize event for that.
  video.FormResize();
}

}  // namespace

QColor ToQColor(TColor color) {
  return QColor(static_cast<int>(color & kByteMask),
                static_cast<int>((color >> kGreenShift) & kByteMask),
                static_cast<int>((color >> kBlueShift) & kByteMask));
}

std::string SkinFolder(const TSkinSettings& settings) {
  return settings.ApplicationFolder + kSkinsFolder + "/" + settings.SkinName + "/";
}

void ApplyButtonInfo(controls::TVeskoImageButton& button, const TButtonInfo& info,
                     const QImage& sheet) {
  button.setGeometry(info.Left, info.Top, info.Width, info.Height);
  const QSize size(info.Width, info.Height);
  const std::array<std::pair<QRect, controls::TPicture*>, 3> pictures = {{
      {info.Normal, &button.PicNormal()},
      {info.MouseOn, &button.PicMouseOn()},
      {info.Down, &button.PicMouseDown()},
  }};
  for (const auto& [source, picture] : pictures) {
    if (size.isEmpty()) {
      picture->Clear();
      continue;
    }
    QImage work(size, QImage::Format_RGB32);
    work.fill(kWorkBitmapColor);
    if (source.isValid() && !sheet.isNull()) {
      QPainter painter(&work);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.drawImage(QRect(QPoint(0, 0), size), sheet, source);
    }
    picture->Assign(work);
  }
  button.update();
}

void ApplyLabelInfo(app::TLabel& label, const TLabelInfo& info) {
  label.move(info.Left, info.Top);
  label.SetFontSize(info.FontSize > 0 ? info.FontSize : app::kMainFontPoints);
  label.SetFontColor(ToQColor(info.Color));
}

bool ApplySkin(app::TFrm_Main& main, video::TFrm_Video& video, const TSkinData& data) {
  if (!Done(data, TSkinStep::ssMainPicture)) return false;
  ApplyMainPicture(main, data.MainPicture);
  if (!Done(data, TSkinStep::ssHintColors)) return false;
  ApplyHintColors(*main.VeskoHint, data.Hint);
  if (!Done(data, TSkinStep::ssButtons)) return false;
  ApplyButtons(main, data);
  if (!Done(data, TSkinStep::ssTrackBars)) return false;
  ApplyTrackBars(main, data);
  if (!Done(data, TSkinStep::ssLabels)) return false;
  ApplyLabels(main, data);
  if (!Done(data, TSkinStep::ssClock)) return false;
  ApplyClock(main, data.Clock);
  if (!Done(data, TSkinStep::ssVideoWindow)) return false;
  ApplyVideoWindow(video, data.Video);
  ShowMuteButton(main);
  SizeVideoWindow(video, data.Video.Pictures[vpMain]);
  ShowPlayName(main, main.PlayName);
  return true;
}

bool LoadSkin(app::TFrm_Main& main, video::TFrm_Video& video, const TSkinSettings& settings) {
  return LoadSkinFolder(main, video, SkinFolder(settings));
}

bool LoadSkinFolder(app::TFrm_Main& main, video::TFrm_Video& video, const std::string& folder) {
  return ApplySkin(main, video, ReadSkin(folder, nullptr, false));
}

}  // namespace kavoro::skin
