#include "video/DSVideoWindowEx2.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "media/DSUtil.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/PictureFit.h"
#include "platform/media/dvd/DvdPictureMap.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "video/ColorControl.h"
#include "video/FullScreenForm.h"

namespace kavoro::video {
namespace {

constexpr int kInitialWidth = 320;
constexpr int kInitialHeight = 240;
// What the inhibition is asked for on the desktop's behalf.
constexpr const char* kScreenSaverReason = "Playing video";

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

OAHWND AsHandle(QWidget* w) { return reinterpret_cast<OAHWND>(w); }

QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The first pin of the filter's pin list with its mixer configuration; null when none.
ComPtr<IMixerPinConfig2> FirstPinConfig(IBaseFilter* filter) {
  TPinList pins(filter);
  ComPtr<IMixerPinConfig2> config;
  if (pins.Count() == 0) return config;
  pins[0]->QueryInterface(IIDOf<IMixerPinConfig2>(), config.PutVoid());
  return config;
}

}  // namespace

// ---- Capabilities and callback.

bool TDSVideoWindowEx2Caps::CanOverlayGraphic() const { return owner_->MixerFilter() != nullptr; }

bool TDSVideoWindowEx2Caps::HasBit(DWORD bit) const {
  const TColorControl* colors = owner_->ColorControl();
  return colors && (colors->HardwareSettings().dwFlags & bit) != 0;
}

bool TDSVideoWindowEx2Caps::CanControlBrigtness() const { return HasBit(DDCOLOR_BRIGHTNESS); }
bool TDSVideoWindowEx2Caps::CanControlContrast() const { return HasBit(DDCOLOR_CONTRAST); }
bool TDSVideoWindowEx2Caps::CanControlHue() const { return HasBit(DDCOLOR_HUE); }
bool TDSVideoWindowEx2Caps::CanControlSaturation() const { return HasBit(DDCOLOR_SATURATION); }
bool TDSVideoWindowEx2Caps::CanControlSharpness() const { return HasBit(DDCOLOR_SHARPNESS); }
bool TDSVideoWindowEx2Caps::CanControlGamma() const { return HasBit(DDCOLOR_GAMMA); }
bool TDSVideoWindowEx2Caps::CanControlColorEnabled() const { return HasBit(DDCOLOR_COLORENABLE); }

HRESULT TOverlayCallback::OnUpdateOverlay(BOOL, DWORD, BOOL, const RECT*, const RECT*, BOOL,
                                          const RECT*, const RECT*) {
  return S_OK;
}

HRESULT TOverlayCallback::OnUpdateColorKey(const COLORKEY* key, DWORD) {
  if (!control_ || !key) return S_OK;
  const bool changed = control_->FColorKey != key->HighColorValue;
  control_->FColorKey = key->HighColorValue;
  if (control_->OnColorKeyChanged) control_->OnColorKeyChanged(this);
  if (changed) control_->PaintOverlayKey();
  return S_OK;
}

HRESULT TOverlayCallback::OnUpdateSize(DWORD, DWORD, DWORD, DWORD) {
  if (!control_) return S_OK;
  control_->ComputeVideoRect();
  control_->PaintOverlayKey();
  return S_OK;
}

// ---- Life.

TDSVideoWindowEx2::TDSVideoWindowEx2(QWidget* parent) : QWidget(parent) {
  resize(kInitialWidth, kInitialHeight);
  setFocusPolicy(Qt::StrongFocus);  // TabStop
  setMouseTracking(true);
  // Every paint covers every pixel: nothing is erased first, so the key never flickers.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  FColorControl = std::make_unique<TColorControl>(this);
  FCaps = std::make_unique<TDSVideoWindowEx2Caps>(this);
  SetAspectRatio(rmLetterBox);
  SetDigitalZoom(0);
  FFullScreenForm = std::make_unique<TFullScreenForm>(this);
  FIdleTimer = new QTimer(this);
  FIdleTimer->setInterval(kIdleCursorCheckMs);
  connect(FIdleTimer, &QTimer::timeout, this, [this] { os::RunGuarded([this] { IdleCursorCheck(); }); });
}

TDSVideoWindowEx2::~TDSVideoWindowEx2() {
  FDestroying = true;
  if (FDesktopMode) ShowInWindow();
  if (FFullScreen && FSavedParent) {
    // Back to the frame, so the form is not destroyed with the control on it.
    setParent(FSavedParent);
    FFullScreen = false;
  }
  if (FExclModeVideo) FExclModeVideo->SetCallbackInterface(nullptr, 0);
  if (FOverlayCallback) FOverlayCallback->Forget();
  FOverlayCallback = nullptr;
  FMixerFilter = nullptr;
  SetFilterGraph(nullptr);
  FScreenSaver.reset();
  FVideoWindow = nullptr;
  FGraphRenderer = nullptr;
  FExclModeVideo = nullptr;
  FRendererFilter = nullptr;
  FFullScreenForm.reset();
}

void TDSVideoWindowEx2::Loaded() {
  FSavedStyle.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (isVisible() ? WS_VISIBLE : 0);
  FSavedStyle.ExStyle = 0;
}

std::string TDSVideoWindowEx2::Name() const { return objectName().toStdString(); }
void TDSVideoWindowEx2::SetName(const std::string& value) {
  setObjectName(QString::fromStdString(value));
}

void TDSVideoWindowEx2::SetColor(TColor value) {
  FColor = value;
  if (FFullScreenForm) FFullScreenForm->SetColor(ToQColor(value));
  update();
}

// ---- The graph.

void TDSVideoWindowEx2::SetFilterGraph(TFilterGraph* value) {
  if (value == FFilterGraph) return;
  // Keep ourselves alive across the detach: the graph drops its references meanwhile.
  if (FFilterGraph) {
    FFilterGraph->DetachMember(this);
    FFilterGraph->DetachListener(this);
  }
  FFilterGraph = value;
  if (FFilterGraph) {
    FFilterGraph->AttachMember(this);
    FFilterGraph->AttachListener(this);
  }
}

HRESULT TDSVideoWindowEx2::NotifyGraphDestroyed(TFilterGraph* graph) {
  if (graph == FFilterGraph) FFilterGraph = nullptr;
  return S_OK;
}

HRESULT TDSVideoWindowEx2::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IUnknown::kIID || riid == IGraphMember::kIID) {
    *ppv = static_cast<IGraphMember*>(this);
  } else if (riid == IGraphListener::kIID) {
    *ppv = static_cast<IGraphListener*>(this);
  } else if (riid == IGraphDestroyedSink::kIID) {
    *ppv = static_cast<IGraphDestroyedSink*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TDSVideoWindowEx2::AddRef() { return ++FRefCount; }
ULONG TDSVideoWindowEx2::Release() { return FRefCount > 0 ? --FRefCount : 0; }

HRESULT TDSVideoWindowEx2::MemberFilter(IBaseFilter** filter) {
  if (!filter) return E_POINTER;
  *filter = FRendererFilter.Get();
  if (*filter) (*filter)->AddRef();
  return S_OK;
}

HRESULT TDSVideoWindowEx2::MemberName(std::string* name) {
  if (!name) return E_POINTER;
  *name = Name();
  return S_OK;
}

HRESULT TDSVideoWindowEx2::MemberNotify(TMemberStage stage, LONG) {
  switch (stage) {
    case msAdding:
      FRendererFilter = nullptr;
      CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                       IIDOf<IBaseFilter>(), FRendererFilter.PutVoid());
      break;
    case msAdded:
      FVideoWindow = nullptr;
      if (FRendererFilter)
        FRendererFilter->QueryInterface(IIDOf<IVideoWindow>(), FVideoWindow.PutVoid());
      break;
    case msRemoving:
      UpdateScreenSaver(false);
      if (FMixerFilter) {
        FColorControl->ResetToDefaults();
        if (FRendererFilter) FRendererFilter->Stop();
        for (const auto& pin : TPinList(FMixerFilter.Get())) pin->Disconnect();
      }
      if (FRendererFilter) {
        FRendererFilter->Stop();
        for (const auto& pin : TPinList(FRendererFilter.Get())) pin->Disconnect();
      }
      if (FExclModeVideo) FExclModeVideo->SetCallbackInterface(nullptr, 0);
      if (FOverlayCallback) FOverlayCallback->Forget();
      FOverlayCallback = nullptr;
      break;
    case msRemoved:
      ReleaseOverlayInterfaces();
      FVideoWindow = nullptr;
      FRendererFilter = nullptr;
      break;
  }
  return S_OK;
}

void TDSVideoWindowEx2::ReleaseOverlayInterfaces() {
  FExclModeVideo = nullptr;
  FMixerFilter = nullptr;
  FGraphRenderer = nullptr;
}

HRESULT TDSVideoWindowEx2::NotifyGraphEvent(LONG code, LONG_PTR, LONG_PTR) {
  switch (code) {
    case EC_PALETTE_CHANGED:
      PlaceRendererWindow();
      break;
    case EC_CLOCK_CHANGED:
      if (FOverlayActive) SyncOverlayWindow();
      SetDigitalZoom(FDigitalZoom);
      SetAspectRatio(FAspectRatio);
      if (FOverlayActive) PaintOverlayKey();
      break;
    default:
      break;
  }
  return S_OK;
}

HRESULT TDSVideoWindowEx2::NotifyControl(TGraphAction action, LONG) {
  switch (action) {
    case gaPlay:
    case gaPause:
      if (FOverlayActive && !FOverlayVisible && !FDesktopMode) SetOverlayVisible(true);
      UpdateScreenSaver(action == gaPlay);
      break;
    case gaStop:
      if (FOverlayActive && FOverlayVisible) SetOverlayVisible(false);
      UpdateScreenSaver(false);
      break;
    case gaRenderFileEnd:
      FOverlayActive = InsertOverlayMixer() == S_OK;
      if (FOverlayActive) {
        FColorControl->ReadHardwareSettings();
        FColorControl->ApplyToOverlay();
        // Known before the key is first painted, so no other colour shows for a moment.
        ReadColorKey();
      }
      PlaceRendererWindow();
      break;
    case gaRenderDvdEnd:
      AdoptDvdRenderer();
      if (FOverlayActive) ReadColorKey();
      break;
    default:  // gaRenderFileBegin, gaRenderDvdBegin, gaActivation
      break;
  }
  return S_OK;
}

void TDSVideoWindowEx2::SetOverlayVisible(bool value) {
  FOverlayVisible = value;
  // Shown: raised after the key is painted; taken away: raised after the control is plain.
  PaintOverlayKey();
  if (OnOverlayVisible) OnOverlayVisible(value);
}

void TDSVideoWindowEx2::SetNoScreenSaver(bool value) {
  FNoScreenSaver = value;
  if (!value) FScreenSaver.reset();
}

void TDSVideoWindowEx2::UpdateScreenSaver(bool playing) {
  if (playing && FNoScreenSaver) {
    if (!FScreenSaver)
      FScreenSaver = os::Os().ScreenSaver().Inhibit(os::ApplicationTitle(), kScreenSaverReason);
  } else {
    FScreenSaver.reset();
  }
}

bool TDSVideoWindowEx2::ScreenSaverInhibited() const { return FScreenSaver != nullptr; }

// ---- The renderer's window and the key.

void TDSVideoWindowEx2::PlaceRendererWindow() {
  if (!FVideoWindow) return;
  QWidget* owner = FDesktopMode ? nullptr : parentWidget();
  FVideoWindow->put_Owner(AsHandle(owner));
  FVideoWindow->put_WindowStyle(FSavedStyle.Style | kRendererChildStyle);
  FVideoWindow->put_WindowStyleEx(FSavedStyle.ExStyle);
  if (FDesktopMode) {
    os::IScreens& screens = os::Os().Screens();
    FVideoWindow->SetWindowPosition(0, 0, screens.ScreenWidth(), screens.ScreenHeight());
  } else {
    FVideoWindow->SetWindowPosition(x(), y(), width(), height());
  }
  FVideoWindow->put_Caption(Name());
  FVideoWindow->put_MessageDrain(AsHandle(this));
  // On the desktop the renderer's own window carries the picture (there is no keyed desktop
  // background to show it through), so it is shown there too, as a desktop layer.
  FVideoWindow->put_Visible(OATRUE);
  FVideoWindow->put_AutoShow(FDesktopMode ? OAFALSE : OATRUE);
}

void TDSVideoWindowEx2::SyncOverlayWindow() {
  if (!FOverlayActive) return;
  QWidget* found = nullptr;
  const QString caption = QString::fromStdString(Name());
  auto isRenderer = [&](QWidget* w) {
    return w->property("windowClass").toString() == QLatin1String(kVideoRendererWindowClass) &&
           w->windowTitle() == caption;
  };
  if (QWidget* p = parentWidget()) {
    for (QWidget* w : p->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (isRenderer(w)) {
        found = w;
        break;
      }
  }
  if (!found) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (isRenderer(w)) {
        found = w;
        break;
      }
  }
  if (!found) return;
  if (found->parentWidget() == parentWidget()) found->stackUnder(this);
  found->show();
  ReadColorKey();
}

void TDSVideoWindowEx2::ReadColorKey() {
  if (!FMixerFilter) return;
  ComPtr<IMixerPinConfig2> config = FirstPinConfig(FMixerFilter.Get());
  if (!config) return;
  COLORKEY key;
  key.KeyType = kPrefilledKeyType;
  key.PaletteIndex = 0;
  key.LowColorValue = key.HighColorValue = kPrefilledKeyColor;
  DWORD color = 0;
  config->GetColorKey(&key, &color);
  const bool changed = FColorKey != key.HighColorValue;
  FColorKey = key.HighColorValue;
  if (OnColorKeyChanged) OnColorKeyChanged(this);
  if (changed) PaintOverlayKey();
}

RECT TDSVideoWindowEx2::LetterBoxRect(const RECT& target, const RECT& source) {
  // The one letter-box fit the keyed picture is drawn with, so key and picture coincide.
  return media::LetterBoxRect(target, source.right - source.left, source.bottom - source.top);
}

HRESULT TDSVideoWindowEx2::ComputeVideoRect() {
  if (!FVideoWindow || !FRendererFilter || !FExclModeVideo || !FGraphRenderer || !FMixerFilter)
    return E_FAIL;
  const RECT client{0, 0, width(), height()};
  if (FAspectRatio == rmLetterBox) {
    DWORD w = 0, h = 0, ax = 0, ay = 0;
    FExclModeVideo->GetNativeVideoProps(&w, &h, &ax, &ay);
    FVideoRect = LetterBoxRect(client, RECT{0, 0, static_cast<LONG>(ax), static_cast<LONG>(ay)});
  } else {
    FVideoRect = client;
  }
  return S_OK;
}

void TDSVideoWindowEx2::PaintOverlayKey() {
  if (FDestroying) return;
  update();
  // The keyed picture lies over the control and hides its repaints from the window system.
  if (FVideoWindow) FVideoWindow->NotifyOwnerMessage(AsHandle(this), WM_PAINT, 0, 0);
}

void TDSVideoWindowEx2::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  canvas.fillRect(rect(), ToQColor(FColor));
  if (ComputeVideoRect() == S_OK && FOverlayVisible)
    canvas.fillRect(ToQRect(FVideoRect), ToQColor(FColorKey));
}

// ---- Geometry.

void TDSVideoWindowEx2::SetAspectRatio(TRatioModes value) {
  if (!FGraphRenderer || !FMixerFilter) {
    FAspectRatio = value;
  } else {
    ComPtr<IMixerPinConfig2> config = FirstPinConfig(FMixerFilter.Get());
    if (config &&
        SUCCEEDED(config->SetAspectRatioMode(static_cast<AM_ASPECT_RATIO_MODE>(value))))
      FAspectRatio = value;
  }
  if (FOverlayActive && !FDesktopMode) PaintOverlayKey();
}

void TDSVideoWindowEx2::SetDigitalZoom(int value) {
  CheckRange(value, kMinDigitalZoom, kMaxDigitalZoom, kDigitalZoomRangeText);
  if (FGraphRenderer) {
    ComPtr<IBasicVideo2> video;
    if (FGraphRenderer->QueryInterface(IIDOf<IBasicVideo2>(), video.PutVoid()) == S_OK) {
      video->SetDefaultSourcePosition();
      LONG sw = 0, sh = 0;
      video->get_SourceWidth(&sw);
      video->get_SourceHeight(&sh);
      if (sw > 0) {
        const double ratio = static_cast<double>(sh) / sw;
        const double w = sw - static_cast<double>(static_cast<long long>(value) * sw) / 100;
        const double h = w * ratio;
        video->put_SourceWidth(static_cast<LONG>(w));
        video->put_SourceHeight(static_cast<LONG>(h));
        video->put_SourceLeft(static_cast<LONG>((sw - w) / 2));
        video->put_SourceTop(static_cast<LONG>((sh - h) / 2));
      }
    }
  }
  FDigitalZoom = value;
}

void TDSVideoWindowEx2::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (FVideoWindow && !FFullScreen && !FDesktopMode)
    FVideoWindow->SetWindowPosition(x(), y(), width(), height());
  if (FVideoWindow && FFullScreen) FVideoWindow->SetWindowPosition(0, 0, width(), height());
  if (OnResize) OnResize(this);
}

void TDSVideoWindowEx2::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // The renderer's window lies on the control's area of the same parent.
  if (FVideoWindow && !FDesktopMode) FVideoWindow->SetWindowPosition(x(), y(), width(), height());
}

std::optional<POINT> TDSVideoWindowEx2::PicturePointAt(int px, int py) {
  if (!FGraphRenderer) return std::nullopt;
  ComPtr<IBasicVideo2> video;
  if (FAILED(FGraphRenderer->QueryInterface(IIDOf<IBasicVideo2>(), video.PutVoid()))) return std::nullopt;
  // Positions come in the control's client coordinates, or the screen's in full screen.
  const QPoint origin = FFullScreen ? mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
  const RECT client{origin.x(), origin.y(), origin.x() + width(), origin.y() + height()};
  media::PictureGeometry geometry;
  if (FAILED(media::PictureGeometryOf(video.Get(), client,
                                      static_cast<media::PictureFit>(FAspectRatio), FDigitalZoom,
                                      &geometry)))
    return std::nullopt;
  return media::DvdPictureMap(geometry).ToPicture(POINT{px, py});
}

// ---- Pointer and cursor.

QPoint TDSVideoWindowEx2::PositionUsed(const QPointF& clientPos) const {
  return FFullScreen ? QCursor::pos() : clientPos.toPoint();
}

void TDSVideoWindowEx2::ShowCursorAgain() {
  if (!FVideoWindow) return;
  if (FOverlayActive) {
    if (cursor().shape() == Qt::BlankCursor) {
      setCursor(FSavedCursor);
      FLastActivityTick = os::Os().Screens().TickCount();
    }
    return;
  }
  LONG hidden = OAFALSE;
  FVideoWindow->IsCursorHidden(&hidden);
  FCursorHidden = hidden;
  if (FCursorHidden) {
    FVideoWindow->HideCursor(OAFALSE);
    FLastActivityTick = os::Os().Screens().TickCount();
    FCursorHidden = OAFALSE;
  }
}

void TDSVideoWindowEx2::mousePressEvent(QMouseEvent* event) {
  const QPoint p = PositionUsed(event->position());
  if (FVideoWindow) {
    ShowCursorAgain();
    FLastMousePos = p;
  }
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TDSVideoWindowEx2::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = PositionUsed(event->position());
  if (FVideoWindow) {
    ShowCursorAgain();
    FLastMousePos = p;
  }
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
    OnClick(this);
}

void TDSVideoWindowEx2::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = PositionUsed(event->position());
  if (p != FLastMousePos) {
    FLastMousePos = p;
    FLastActivityTick = os::Os().Screens().TickCount();
    ShowCursorAgain();
  }
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
}

void TDSVideoWindowEx2::mouseDoubleClickEvent(QMouseEvent*) {
  if (OnDblClick) OnDblClick(this);
}

void TDSVideoWindowEx2::contextMenuEvent(QContextMenuEvent* event) {
  if (!FPopupMenu) return;
  FPopupMenu->popup(FFullScreen ? QCursor::pos() : event->globalPos());
  event->accept();
}

void TDSVideoWindowEx2::SetAutoHideCursor(int value) {
  FAutoHideCursor = value;
  if (value > 0) FIdleTimer->start();
  else FIdleTimer->stop();
}

bool TDSVideoWindowEx2::CursorHiddenByIdle() const {
  return cursor().shape() == Qt::BlankCursor || FCursorHidden != OAFALSE;
}

void TDSVideoWindowEx2::IdleCursorCheck() {
  if (FAutoHideCursor == 0 || !FVideoWindow) return;
  const std::uint32_t idle = os::Os().Screens().TickCount() - FLastActivityTick;
  if (idle < static_cast<std::uint32_t>(FAutoHideCursor)) return;
  if (FOverlayActive) {
    if (cursor().shape() == Qt::BlankCursor) return;
    FSavedCursor = cursor();
    setCursor(Qt::BlankCursor);
  } else {
    LONG hidden = OAFALSE;
    FVideoWindow->IsCursorHidden(&hidden);
    if (hidden) return;
    FVideoWindow->HideCursor(OATRUE);
    FCursorHidden = OATRUE;
  }
  // The pointer put back where it is, so the new cursor shows at once.
  QCursor::setPos(QCursor::pos());
}

}  // namespace kavoro::video
