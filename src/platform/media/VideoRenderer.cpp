#include "platform/media/VideoRenderer.h"

#include <QApplication>
#include <QThread>

#include <algorithm>
#include <cstring>

#include "platform/media/DesktopLayer.h"
#include "platform/media/EventCodes.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/VideoRendererWindow.h"
#include "platform/os/Platform.h"

namespace kavoro::media {
namespace {

// A picture later than this (or than its own duration, when that is longer) is dropped, so
// playback catches up with the clock; never more than kMaxConsecutiveDrops in a row, so the
// picture still moves on a machine too slow to keep up.
constexpr REFERENCE_TIME kLateDropThreshold = 20 * kUnitsPerMillisecond;
constexpr int kMaxConsecutiveDrops = 8;

bool OnGuiThread() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  return app && QThread::currentThread() == app->thread();
}

QWidget* AsWidget(OAHWND h) { return reinterpret_cast<QWidget*>(h); }

QColor ColorOf(LONG c) {
  const auto v = static_cast<std::uint32_t>(c);
  return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

constexpr char kOverlayInputPrefix[] = "Input";

}  // namespace

// An overlay input of the mixing renderer: its pictures go into the compositor; one that
// applies to the picture on show already (a still) is blended over it at once.
class VideoRenderer::OverlayInput final : public BaseInputPin {
 public:
  OverlayInput(VideoRenderer& r, std::string name, std::size_t slot)
      : BaseInputPin(r, std::move(name)), r_(r), slot_(slot) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    LONG w, h;
    bool topDown;
    return ReadOverlayType(t, &w, &h, &topDown) ? S_OK : S_FALSE;
  }
  void BreakConnect() override {
    BaseInputPin::BreakConnect();
    r_.overlays_->Clear(slot_);
  }
  HRESULT OnReceive(IMediaSample* sample) override {
    if (r_.overlays_->Receive(slot_, sample, Type()) && r_.State() != State_Stopped) {
      r_.surface_->Refresh();
      r_.RequestRepaint();
    }
    return S_OK;
  }
  HRESULT OnEndFlush() override {
    r_.overlays_->Clear(slot_);
    return S_OK;
  }

 private:
  VideoRenderer& r_;
  const std::size_t slot_;
};

VideoRenderer::VideoRenderer(const CLSID& clsid)
    : AddInterfaces(clsid, "Input"), surface_(std::make_shared<VideoSurface>()) {
  if (clsid == CLSID_VideoMixingRenderer) {
    overlays_ = std::make_shared<OverlayCompositor>(kMaxOverlayInputs);
    surface_->SetOverlays(overlays_);
    for (std::size_t i = 0; i < kMaxOverlayInputs; ++i)
      overlayInputs_.push_back(
          MakePin<OverlayInput>(*this, kOverlayInputPrefix + std::to_string(i + 1), i));
  }
  if (OnGuiThread()) {
    window_ = new VideoRendererWindow(surface_);
    window_->onResize = [this](int, int) {
      if (defaultDestination_) {
        destination_ = ClientRect();
        ApplyGeometry();
      }
    };
    surface_->window = window_;
    mode_ = kPresentInWindow;
    windowed_ = true;
  }
}

VideoRenderer::~VideoRenderer() {
  if (keyed_) {
    std::unique_ptr<KeyedOverlay> layer(keyed_.data());
    if (!OnGuiThread()) {
      std::shared_ptr<KeyedOverlay> l(std::move(layer));
      os::Os().GuiThread().Queue([l]() mutable { l.reset(); });
    }
  }
  if (!window_) return;
  window_->onResize = nullptr;
  std::unique_ptr<VideoRendererWindow> owned(window_.data());
  if (OnGuiThread()) return;
  // Widgets die on the GUI thread.
  std::shared_ptr<VideoRendererWindow> w(std::move(owned));
  os::Os().GuiThread().Queue([w]() mutable { w.reset(); });
}

std::vector<BasePin*> VideoRenderer::ListedPins() const {
  std::vector<BasePin*> pins{PinAt(0)};
  const std::size_t shown = ListedOverlayInputs(overlayInputs_);
  pins.insert(pins.end(), overlayInputs_.begin(), overlayInputs_.begin() + static_cast<long>(shown));
  return pins;
}

HRESULT VideoRenderer::EnumPins(IEnumPins** out) { return EnumListedPins(ListedPins(), out); }

HRESULT VideoRenderer::FindPin(const std::string& id, IPin** pin) {
  return FindListedPin(ListedPins(), id, pin);
}

HRESULT VideoRenderer::OnStop() {
  HRESULT hr = BaseRenderer::OnStop();
  if (overlays_) overlays_->ClearAll();
  return hr;
}

RECT VideoRenderer::ClientRect() const {
  if (Windowed()) return {0, 0, window_->width(), window_->height()};
  return {0, 0, format_.width, format_.height};
}

HRESULT VideoRenderer::CheckMediaType(const AM_MEDIA_TYPE& type) {
  PictureFormat f;
  return ReadI420Type(type, &f) ? S_OK : S_FALSE;
}

HRESULT VideoRenderer::OnConnected(const AM_MEDIA_TYPE& type) {
  if (!ReadI420Type(type, &format_)) return VFW_E_TYPE_NOT_ACCEPTED;
  current_ = format_;
  source_ = {0, 0, format_.width, format_.height};
  defaultSource_ = true;
  if (defaultDestination_) destination_ = ClientRect();
  ApplyGeometry();
  keying_ = nullptr;
  if (ComPtr<IPin> peer(PinAt(0)->Peer()); peer && overlays_ == nullptr) {
    PIN_INFO info;
    if (SUCCEEDED(peer->QueryPinInfo(&info)) && info.pFilter) {
      info.pFilter->QueryInterface(IIDOf<IOverlayKeying>(), keying_.PutVoid());
      info.pFilter->Release();
    }
  }
  UpdateKeyed();
  return S_OK;
}

void VideoRenderer::OnDisconnected() {
  format_ = current_ = PictureFormat{};
  surface_->Clear();
  keying_ = nullptr;
  UpdateKeyed();
}

void VideoRenderer::UpdateKeyed() {
  if (!OnGuiThread()) return;
  QWidget* owner = (owner_ && (style_ & WS_CHILD)) ? AsWidget(owner_) : nullptr;
  if (keyed_ && (!keying_ || !Windowed() || keyed_->parentWidget() != owner)) delete keyed_.data();
  if (window_) window_->SetShowsPicture(!(keying_ && Windowed() && owner));
  if (!keying_ || !Windowed() || !owner) return;
  if (!keyed_) keyed_ = new KeyedOverlay(surface_, keying_, owner, window_);
  keyed_->SetWindowRect(
      QRect(position_.left, position_.top, RectWidth(position_), RectHeight(position_)));
}

void VideoRenderer::ApplyGeometry() {
  surface_->SetSource(source_);
  if (Windowed() || !defaultDestination_) {
    surface_->SetDestinationSize(RectWidth(destination_), RectHeight(destination_));
  } else {
    surface_->SetDestinationSize(0, 0);
  }
  if (window_) {
    window_->SetDestination(QRect(destination_.left, destination_.top, RectWidth(destination_),
                                  RectHeight(destination_)));
  }
  surface_->Refresh();
  RequestRepaint();
}

void VideoRenderer::RequestRepaint() {
  if (!windowed_ || surface_->repaintQueued.exchange(true)) return;
  std::shared_ptr<VideoSurface> s = surface_;
  os::Os().GuiThread().Queue([s] {
    s->repaintQueued = false;
    if (s->keyed) s->keyed->Refresh();
    else if (s->window) s->window->PictureChanged();
  });
}

void VideoRenderer::TakeFormatChange(IMediaSample* sample) {
  AM_MEDIA_TYPE* changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    PictureFormat f;
    if (ReadI420Type(*changed, &f)) {
      const bool resized = f.width != current_.width || f.height != current_.height;
      current_ = f;
      if (resized) {
        // The old source rectangle belongs to the old picture.
        surface_->SetSource(RECT{});
        NotifyEvent(EC_VIDEO_SIZE_CHANGED,
                    static_cast<LONG_PTR>((f.width & 0xFFFF) | ((f.height & 0xFFFF) << 16)), 0);
      }
    }
    DeleteMediaType(changed);
  }
}

void VideoRenderer::Present(IMediaSample* sample) {
  TakeFormatChange(sample);
  if (surface_->Present(sample, current_)) RequestRepaint();
  REFERENCE_TIME start = 0, end = 0;
  if (FAILED(sample->GetTime(&start, &end))) start = 0;
  std::lock_guard g(stampLock_);
  ++stamp_.sequence;
  stamp_.run = run_;
  stamp_.start = start;
}

void VideoRenderer::ShowPreroll(IMediaSample* sample) { Present(sample); }

HRESULT VideoRenderer::Render(IMediaSample* sample, REFERENCE_TIME lateness) {
  REFERENCE_TIME start = 0, end = 0;
  const REFERENCE_TIME length =
      SUCCEEDED(sample->GetTime(&start, &end)) ? end - start : 0;
  if (lateness > std::max(kLateDropThreshold, length) && consecutiveDrops_ < kMaxConsecutiveDrops) {
    // The pictures after it are in the format it brings, shown or not.
    TakeFormatChange(sample);
    ++consecutiveDrops_;
    ++dropped_;
    return S_OK;
  }
  consecutiveDrops_ = 0;
  Present(sample);
  ++presented_;
  return S_OK;
}

void VideoRenderer::ResetStream() {
  consecutiveDrops_ = 0;
  std::lock_guard g(stampLock_);
  ++run_;
}

HRESULT VideoRenderer::OnPause(FILTER_STATE from) {
  if (from == State_Stopped) {
    presented_ = 0;
    dropped_ = 0;
    current_ = format_;
  }
  if (Windowed() && autoShow_ == OATRUE && visible_ != OATRUE) {
    visible_ = OATRUE;
    std::shared_ptr<VideoSurface> s = surface_;
    os::Os().GuiThread().Queue([s] {
      if (s->window) s->window->show();
    });
  }
  return BaseRenderer::OnPause(from);
}

// IVideoPresentation

HRESULT VideoRenderer::SetPresentationMode(VideoPresentationMode mode) {
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (mode == kPresentInWindow && !window_) return E_FAIL;
  if (mode != kPresentInWindow && mode != kPresentOffscreen) return E_INVALIDARG;
  mode_ = mode;
  windowed_ = Windowed();
  if (window_ && mode == kPresentOffscreen) window_->hide();
  if (defaultDestination_) destination_ = ClientRect();
  ApplyGeometry();
  UpdateKeyed();
  return S_OK;
}

HRESULT VideoRenderer::SetClockScheduling(BOOL waitForClock) {
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  SetScheduling(waitForClock != 0);
  return S_OK;
}

HRESULT VideoRenderer::ReplaceHeldPicture(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  if (State() != State_Paused || !surface_->HasPicture()) return VFW_E_WRONG_STATE;
  if (!surface_->ReplacePicture(sample)) return E_INVALIDARG;
  RequestRepaint();
  return S_OK;
}

HRESULT VideoRenderer::GetPresentedImage(PresentedImage* out) {
  if (!out) return E_POINTER;
  const QImage image = surface_->Image();
  if (image.isNull()) return E_UNEXPECTED;
  out->width = image.width();
  out->height = image.height();
  out->pixels.resize(static_cast<std::size_t>(out->width) * out->height);
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(&out->pixels[static_cast<std::size_t>(y) * out->width], image.constScanLine(y),
                static_cast<std::size_t>(out->width) * 4);
  return S_OK;
}

HRESULT VideoRenderer::GetLastPresented(PresentationStamp* stamp, LONGLONG* run) {
  if (!stamp || !run) return E_POINTER;
  std::lock_guard g(stampLock_);
  *stamp = stamp_;
  *run = run_;
  return S_OK;
}

HRESULT VideoRenderer::GetFrameCounts(LONGLONG* presented, LONGLONG* dropped) {
  if (!presented || !dropped) return E_POINTER;
  *presented = presented_;
  *dropped = dropped_;
  return S_OK;
}

HRESULT VideoRenderer::SetDesktopLayer(BOOL on) {
  if (!window_) return E_FAIL;
  desktopLayer_ = on != 0;
  return put_Owner(owner_);
}

// IVideoWindow

#define KAVORO_GETTER(name, field)       \
  HRESULT VideoRenderer::get_##name(LONG* v) { \
    if (!v) return E_POINTER;             \
    *v = field;                           \
    return S_OK;                          \
  }
KAVORO_GETTER(WindowStyle, style_)
KAVORO_GETTER(WindowStyleEx, styleEx_)
KAVORO_GETTER(AutoShow, autoShow_)
KAVORO_GETTER(WindowState, windowState_)
KAVORO_GETTER(Visible, visible_)
KAVORO_GETTER(Left, position_.left)
KAVORO_GETTER(Top, position_.top)
KAVORO_GETTER(Width, RectWidth(position_))
KAVORO_GETTER(Height, RectHeight(position_))
KAVORO_GETTER(BorderColor, borderColor_)
#undef KAVORO_GETTER

HRESULT VideoRenderer::put_Caption(const std::string& caption) {
  caption_ = caption;
  if (window_) window_->setWindowTitle(QString::fromStdString(caption));
  return S_OK;
}

HRESULT VideoRenderer::get_Caption(std::string* caption) {
  if (!caption) return E_POINTER;
  *caption = caption_;
  return S_OK;
}

HRESULT VideoRenderer::put_WindowStyle(LONG style) {
  style_ = style;
  return put_Owner(owner_);
}

HRESULT VideoRenderer::put_WindowStyleEx(LONG style) {
  styleEx_ = style;
  return S_OK;
}

HRESULT VideoRenderer::put_AutoShow(LONG autoShow) {
  autoShow_ = autoShow ? OATRUE : OAFALSE;
  return S_OK;
}

HRESULT VideoRenderer::put_WindowState(LONG state) {
  windowState_ = state;
  if (!window_) return S_OK;
  switch (state) {
    case SW_HIDE: return put_Visible(OAFALSE);
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: window_->showMinimized(); break;
    case SW_SHOWMAXIMIZED: window_->showMaximized(); break;
    default: window_->showNormal(); break;
  }
  visible_ = OATRUE;
  return S_OK;
}

HRESULT VideoRenderer::put_BackgroundPalette(LONG) { return S_OK; }
HRESULT VideoRenderer::get_BackgroundPalette(LONG* palette) {
  if (!palette) return E_POINTER;
  *palette = OAFALSE;
  return S_OK;
}

HRESULT VideoRenderer::put_Visible(LONG visible) {
  visible_ = visible ? OATRUE : OAFALSE;
  if (window_ && mode_ == kPresentInWindow) window_->setVisible(visible_ == OATRUE);
  return S_OK;
}

HRESULT VideoRenderer::put_Left(LONG v) {
  return SetWindowPosition(v, position_.top, RectWidth(position_), RectHeight(position_));
}
HRESULT VideoRenderer::put_Top(LONG v) {
  return SetWindowPosition(position_.left, v, RectWidth(position_), RectHeight(position_));
}
HRESULT VideoRenderer::put_Width(LONG v) {
  return SetWindowPosition(position_.left, position_.top, v, RectHeight(position_));
}
HRESULT VideoRenderer::put_Height(LONG v) {
  return SetWindowPosition(position_.left, position_.top, RectWidth(position_), v);
}

HRESULT VideoRenderer::put_Owner(OAHWND owner) {
  owner_ = owner;
  if (!window_) return S_OK;
  const bool wasVisible = window_->isVisible();
  QWidget* parent = (owner && (style_ & WS_CHILD)) ? AsWidget(owner) : nullptr;
  Qt::WindowFlags flags = parent ? Qt::Widget : Qt::Window;
  if (!parent && !(style_ & (WS_CAPTION | WS_THICKFRAME))) flags |= Qt::FramelessWindowHint;
  DesktopLayer::Apply(window_, parent, flags, desktopLayer_);
  window_->setGeometry(position_.left, position_.top, RectWidth(position_), RectHeight(position_));
  if (wasVisible) window_->show();
  UpdateKeyed();
  return S_OK;
}

HRESULT VideoRenderer::get_Owner(OAHWND* owner) {
  if (!owner) return E_POINTER;
  *owner = owner_;
  return S_OK;
}

HRESULT VideoRenderer::put_MessageDrain(OAHWND drain) {
  drain_ = drain;
  if (window_) window_->SetDrain(AsWidget(drain));
  return S_OK;
}

HRESULT VideoRenderer::get_MessageDrain(OAHWND* drain) {
  if (!drain) return E_POINTER;
  *drain = drain_;
  return S_OK;
}

HRESULT VideoRenderer::put_BorderColor(LONG color) {
  borderColor_ = color;
  if (window_) window_->SetBorderColor(ColorOf(color));
  return S_OK;
}

HRESULT VideoRenderer::get_FullScreenMode(LONG* mode) {
  if (!mode) return E_POINTER;
  *mode = OAFALSE;
  return S_OK;
}

HRESULT VideoRenderer::put_FullScreenMode(LONG mode) { return mode ? E_NOTIMPL : S_OK; }

HRESULT VideoRenderer::SetWindowForeground(LONG focus) {
  if (!window_ || DesktopLayer::IsLayer(window_)) return S_OK;  // the layer stays below
  window_->raise();
  if (focus) window_->activateWindow();
  return S_OK;
}

HRESULT VideoRenderer::NotifyOwnerMessage(OAHWND, LONG message, LONG_PTR, LONG_PTR) {
  if (message == WM_PAINT && keyed_) keyed_->OwnerPainted();
  return S_OK;
}

HRESULT VideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
  if (width < 0 || height < 0) return E_INVALIDARG;
  position_ = {left, top, left + width, top + height};
  if (window_) window_->setGeometry(left, top, width, height);
  UpdateKeyed();
  return S_OK;
}

HRESULT VideoRenderer::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = position_.left;
  *top = position_.top;
  *width = RectWidth(position_);
  *height = RectHeight(position_);
  return S_OK;
}

HRESULT VideoRenderer::GetMinIdealImageSize(LONG* width, LONG* height) {
  if (!width || !height) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *width = 1;
  *height = 1;
  return S_OK;
}

HRESULT VideoRenderer::GetMaxIdealImageSize(LONG* width, LONG* height) {
  if (!width || !height) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *width = kMaxPictureSide;
  *height = kMaxPictureSide;
  return S_OK;
}

HRESULT VideoRenderer::GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) {
  return GetWindowPosition(left, top, width, height);
}

HRESULT VideoRenderer::HideCursor(LONG hide) {
  cursorHidden_ = hide ? OATRUE : OAFALSE;
  if (window_) {
    if (hide) window_->setCursor(Qt::BlankCursor);
    else window_->unsetCursor();
  }
  return S_OK;
}

HRESULT VideoRenderer::IsCursorHidden(LONG* hidden) {
  if (!hidden) return E_POINTER;
  *hidden = cursorHidden_;
  return S_OK;
}

// IBasicVideo

HRESULT VideoRenderer::get_AvgTimePerFrame(REFERENCE_TIME* t) {
  if (!t) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *t = format_.frameTime;
  return S_OK;
}

HRESULT VideoRenderer::get_BitRate(LONG* r) {
  if (!r) return E_POINTER;
  *r = 0;
  return IsConnected() ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT VideoRenderer::get_BitErrorRate(LONG* r) { return get_BitRate(r); }

HRESULT VideoRenderer::get_VideoWidth(LONG* w) {
  LONG h;
  return GetVideoSize(w, &h);
}

HRESULT VideoRenderer::get_VideoHeight(LONG* h) {
  LONG w;
  return GetVideoSize(&w, h);
}

HRESULT VideoRenderer::GetVideoSize(LONG* width, LONG* height) {
  if (!width || !height) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const PictureFormat f = surface_->HasPicture() ? surface_->Format() : format_;
  *width = f.width;
  *height = f.height;
  return S_OK;
}

HRESULT VideoRenderer::SetSource(const RECT& r) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  LONG w = 0, h = 0;
  GetVideoSize(&w, &h);
  if (r.left < 0 || r.top < 0 || RectWidth(r) <= 0 || RectHeight(r) <= 0 || r.right > w ||
      r.bottom > h)
    return E_INVALIDARG;
  source_ = r;
  defaultSource_ = r == RECT{0, 0, w, h};
  ApplyGeometry();
  return S_OK;
}

HRESULT VideoRenderer::SetDestination(const RECT& r) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (RectWidth(r) <= 0 || RectHeight(r) <= 0 || RectWidth(r) > kMaxPictureSide ||
      RectHeight(r) > kMaxPictureSide)
    return E_INVALIDARG;
  destination_ = r;
  defaultDestination_ = false;
  ApplyGeometry();
  return S_OK;
}

#define KAVORO_RECT_PROPERTY(Name, rect, expr)                    \
  HRESULT VideoRenderer::get_##Name(LONG* v) {                            \
    if (!v) return E_POINTER;                                             \
    if (!IsConnected()) return VFW_E_NOT_CONNECTED;                       \
    const RECT& r = rect;                                                 \
    *v = (expr);                                                          \
    return S_OK;                                                          \
  }
KAVORO_RECT_PROPERTY(SourceLeft, source_, r.left)
KAVORO_RECT_PROPERTY(SourceTop, source_, r.top)
KAVORO_RECT_PROPERTY(SourceWidth, source_, RectWidth(r))
KAVORO_RECT_PROPERTY(SourceHeight, source_, RectHeight(r))
KAVORO_RECT_PROPERTY(DestinationLeft, destination_, r.left)
KAVORO_RECT_PROPERTY(DestinationTop, destination_, r.top)
KAVORO_RECT_PROPERTY(DestinationWidth, destination_, RectWidth(r))
KAVORO_RECT_PROPERTY(DestinationHeight, destination_, RectHeight(r))
#undef KAVORO_RECT_PROPERTY

// Setting one edge keeps the others: left and top move the rectangle, width and height size it.
HRESULT VideoRenderer::put_SourceLeft(LONG v) {
  return SetSource({v, source_.top, v + RectWidth(source_), source_.bottom});
}
HRESULT VideoRenderer::put_SourceTop(LONG v) {
  return SetSource({source_.left, v, source_.right, v + RectHeight(source_)});
}
HRESULT VideoRenderer::put_SourceWidth(LONG v) {
  return SetSource({source_.left, source_.top, source_.left + v, source_.bottom});
}
HRESULT VideoRenderer::put_SourceHeight(LONG v) {
  return SetSource({source_.left, source_.top, source_.right, source_.top + v});
}
HRESULT VideoRenderer::put_DestinationLeft(LONG v) {
  return SetDestination({v, destination_.top, v + RectWidth(destination_), destination_.bottom});
}
HRESULT VideoRenderer::put_DestinationTop(LONG v) {
  return SetDestination({destination_.left, v, destination_.right, v + RectHeight(destination_)});
}
HRESULT VideoRenderer::put_DestinationWidth(LONG v) {
  return SetDestination({destination_.left, destination_.top, destination_.left + v, destination_.bottom});
}
HRESULT VideoRenderer::put_DestinationHeight(LONG v) {
  return SetDestination({destination_.left, destination_.top, destination_.right, destination_.top + v});
}

HRESULT VideoRenderer::SetSourcePosition(LONG left, LONG top, LONG width, LONG height) {
  return SetSource({left, top, left + width, top + height});
}

HRESULT VideoRenderer::GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height) {
  if (!left || !top || !width || !height) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *left = source_.left;
  *top = source_.top;
  *width = RectWidth(source_);
  *height = RectHeight(source_);
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultSourcePosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  LONG w = 0, h = 0;
  GetVideoSize(&w, &h);
  return SetSource({0, 0, w, h});
}

HRESULT VideoRenderer::SetDestinationPosition(LONG left, LONG top, LONG width, LONG height) {
  return SetDestination({left, top, left + width, top + height});
}

HRESULT VideoRenderer::GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
  if (!left || !top || !width || !height) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *left = destination_.left;
  *top = destination_.top;
  *width = RectWidth(destination_);
  *height = RectHeight(destination_);
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultDestinationPosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  defaultDestination_ = true;
  destination_ = ClientRect();
  ApplyGeometry();
  return S_OK;
}

HRESULT VideoRenderer::GetVideoPaletteEntries(LONG, LONG, LONG*, LONG*) {
  return VFW_E_NO_PALETTE_AVAILABLE;
}

HRESULT VideoRenderer::GetCurrentImage(LONG* size, LONG* image) {
  if (!size) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  QImage whole;
  if (!surface_->WholePicture(&whole)) return E_UNEXPECTED;
  const LONG pixelBytes = whole.width() * whole.height() * 4;
  const LONG need = static_cast<LONG>(sizeof(BITMAPINFOHEADER)) + pixelBytes;
  if (!image) {
    *size = need;
    return S_OK;
  }
  if (*size < need) return E_OUTOFMEMORY;
  BITMAPINFOHEADER h;
  h.biWidth = whole.width();
  h.biHeight = whole.height();
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(pixelBytes);
  auto* out = reinterpret_cast<BYTE*>(image);
  std::memcpy(out, &h, sizeof h);
  out += sizeof h;
  for (int y = whole.height() - 1; y >= 0; --y) {
    std::memcpy(out, whole.constScanLine(y), static_cast<std::size_t>(whole.width()) * 4);
    out += static_cast<std::size_t>(whole.width()) * 4;
  }
  *size = need;
  return S_OK;
}

HRESULT VideoRenderer::IsUsingDefaultSource() { return defaultSource_ ? S_OK : S_FALSE; }
HRESULT VideoRenderer::IsUsingDefaultDestination() { return defaultDestination_ ? S_OK : S_FALSE; }

HRESULT VideoRenderer::GetPreferredAspectRatio(LONG* x, LONG* y) {
  if (!x || !y) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const PictureFormat f = surface_->HasPicture() ? surface_->Format() : format_;
  *x = static_cast<LONG>(f.aspectX);
  *y = static_cast<LONG>(f.aspectY);
  return S_OK;
}

}  // namespace kavoro::media
