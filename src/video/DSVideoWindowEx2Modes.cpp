// The video control's three presentation modes: in the frame, full screen on one monitor, and
// on the desktop below every window. The transitions:
//   frame      --ShowFullScreen--> full screen  (control moves onto the full-screen form)
//   frame      --ShowOnDesktop---> desktop      (wallpaper and colour saved and changed)
//   full screen--ShowOnDesktop---> frame, then desktop
//   desktop    --ShowFullScreen--> frame (wallpaper and colour restored), then full screen
//   any        --ShowInWindow----> frame        (refresh when already there)
//   desktop    --ShowOnDesktop---> desktop      (nothing)
#include <QCloseEvent>
#include <QPainter>

#include <cstdlib>
#include <limits>

#include "platform/media/IVideoPresentation.h"
#include "platform/media/PictureFit.h"
#include "platform/os/Platform.h"
#include "video/DSVideoWindowEx2.h"
#include "video/FullScreenForm.h"

namespace kavoro::video {
namespace {

constexpr std::uint32_t kWallpaperFlags = os::SPIF_UPDATEINIFILE | os::SPIF_SENDWININICHANGE;
// The RGB part of a colour value (the no-colour value included).
constexpr TColor kRgbMask = 0x00FFFFFF;

QRect ToQRect(const os::Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Squared distance from a point to a rectangle; 0 inside.
long long DistanceSquared(const os::Rect& r, const QPoint& p) {
  const long long dx = p.x() < r.left ? r.left - p.x() : (p.x() >= r.right ? p.x() - r.right + 1 : 0);
  const long long dy = p.y() < r.top ? r.top - p.y() : (p.y() >= r.bottom ? p.y() - r.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

}  // namespace

// ---- The full-screen form.

TFullScreenForm::TFullScreenForm(TDSVideoWindowEx2* control)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), FControl(control) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowTitle(QStringLiteral("Video"));
}

void TFullScreenForm::SetColor(const QColor& color) {
  FColor = color;
  update();
}

void TFullScreenForm::SetTopMost(bool value) {
  setWindowFlag(Qt::WindowStaysOnTopHint, value);
}

void TFullScreenForm::ShowOn(const QRect& bounds) {
  setGeometry(bounds);
  show();
  raise();
  activateWindow();
}

void TFullScreenForm::closeEvent(QCloseEvent* event) {
  if (FControl && FControl->FDestroying) {
    FControl->ShowInWindow();
    event->accept();
  } else {
    event->ignore();  // only leaving full screen closes it
  }
}

void TFullScreenForm::paintEvent(QPaintEvent*) {
  QPainter(this).fillRect(rect(), FColor);
}

void TFullScreenForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (FControl && FControl->parentWidget() == this) FControl->setGeometry(rect());
}

// ---- The modes.

QWidget* TDSVideoWindowEx2::FullScreenForm() const { return FFullScreenForm.get(); }

void TDSVideoWindowEx2::ShowFullScreen(int monitor) {
  const std::vector<os::Monitor> monitors = os::Os().Screens().Monitors();
  if (monitor < 0 || static_cast<std::size_t>(monitor) >= monitors.size()) {
    ShowFullScreen();
    return;
  }
  ShowFullScreenOn(ToQRect(monitors[static_cast<std::size_t>(monitor)].bounds));
}

void TDSVideoWindowEx2::ShowFullScreen() {
  const std::vector<os::Monitor> monitors = os::Os().Screens().Monitors();
  const QPoint centre = mapToGlobal(rect().center());
  const os::Monitor* nearest = &monitors.front();
  long long best = std::numeric_limits<long long>::max();
  for (const os::Monitor& m : monitors) {
    const long long d = DistanceSquared(m.bounds, centre);
    if (d < best) {
      best = d;
      nearest = &m;
    }
  }
  ShowFullScreenOn(ToQRect(nearest->bounds));
}

void TDSVideoWindowEx2::ShowFullScreenOn(const QRect& bounds) {
  if (FDesktopMode) ShowInWindow();
  FSavedParent = parentWidget();
  FSavedGeometry = geometry();
  setParent(FFullScreenForm.get());
  setGeometry(0, 0, bounds.width(), bounds.height());
  show();
  FFullScreenForm->SetTopMost(FFullScreenTopMost);
  FFullScreenForm->ShowOn(bounds);
  FFullScreen = true;
  PlaceRendererWindow();
  if (FOverlayActive) SyncOverlayWindow();
  PaintOverlayKey();
}

void TDSVideoWindowEx2::ShowOnDesktop() {
  if (FDesktopMode) return;
  if (FFullScreen) ShowInWindow();
  os::IDesktop& desktop = os::Os().Desktop();
  FSavedWallpaper = desktop.Wallpaper();
  FSavedDesktopColor = desktop.GetSysColor(os::COLOR_BACKGROUND);
  desktop.SetWallpaper("", kWallpaperFlags);
  desktop.SetSysColor(os::COLOR_BACKGROUND, FColorKey & kRgbMask);
  FDesktopMode = true;
  if (FVideoWindow) {
    ComPtr<IVideoPresentation> presentation;
    if (SUCCEEDED(FVideoWindow->QueryInterface(IIDOf<IVideoPresentation>(), presentation.PutVoid())))
      presentation->SetDesktopLayer(1);
  }
  PlaceRendererWindow();
  FitDesktopPicture();
  SetOverlayVisible(false);
}

void TDSVideoWindowEx2::FitDesktopPicture() {
  if (!FVideoWindow) return;
  ComPtr<IBasicVideo2> video;
  if (FAILED(FVideoWindow->QueryInterface(IIDOf<IBasicVideo2>(), video.PutVoid()))) return;
  LONG ax = 0, ay = 0, vw = 0, vh = 0;
  video->GetVideoSize(&vw, &vh);
  if (FAILED(video->GetPreferredAspectRatio(&ax, &ay)) || ax <= 0 || ay <= 0) {
    ax = vw;
    ay = vh;
  }
  os::IScreens& screens = os::Os().Screens();
  const RECT screen{0, 0, screens.ScreenWidth(), screens.ScreenHeight()};
  const RECT fitted = media::FitPictureRect(screen, ax, ay, static_cast<media::PictureFit>(FAspectRatio));
  video->SetDestinationPosition(fitted.left, fitted.top, fitted.right - fitted.left,
                                fitted.bottom - fitted.top);
}

void TDSVideoWindowEx2::ShowInWindow() {
  if (FDesktopMode) {
    os::IDesktop& desktop = os::Os().Desktop();
    desktop.SetWallpaper(FSavedWallpaper, kWallpaperFlags);
    desktop.SetSysColor(os::COLOR_BACKGROUND, FSavedDesktopColor);
    FDesktopMode = false;
    if (FVideoWindow) {
      ComPtr<IVideoPresentation> presentation;
      if (SUCCEEDED(FVideoWindow->QueryInterface(IIDOf<IVideoPresentation>(), presentation.PutVoid())))
        presentation->SetDesktopLayer(0);
      ComPtr<IBasicVideo2> video;
      if (SUCCEEDED(FVideoWindow->QueryInterface(IIDOf<IBasicVideo2>(), video.PutVoid())))
        video->SetDefaultDestinationPosition();
    }
    if (FDestroying) return;
  }
  if (FFullScreen && FSavedParent) {
    setParent(FSavedParent);
    setGeometry(FSavedGeometry);
    show();
  }
  if (FFullScreen) {
    FFullScreenForm->hide();
    FFullScreenForm->update();
    FFullScreen = false;
  }
  PlaceRendererWindow();
  if (FOverlayActive) SyncOverlayWindow();
  SetOverlayVisible(true);
}

}  // namespace kavoro::video
