#include "platform/media/OverlayMixer.h"

#include <algorithm>
#include <cstring>

#include "platform/media/IMediaSeeking.h"
#include "platform/media/MediaClasses.h"
#include "platform/os/Platform.h"

namespace kavoro::media {
namespace {

constexpr LONG kMixerBuffers = 4;
// The key colour the mixer picks: a dark magenta no picture or skin is likely to contain.
constexpr COLORREF kDefaultKeyColor = 0x00100010;
constexpr char kVideoInputName[] = "Input0";
constexpr char kInputPrefix[] = "Input";

}  // namespace

class OverlayMixer::InputPin final : public AddInterfaces<BaseInputPin, IMixerPinConfig2> {
 public:
  // `slot`: the overlay input's slot in the compositor; none for the video input.
  InputPin(OverlayMixer& m, std::string name, std::optional<std::size_t> slot)
      : AddInterfaces(m, std::move(name)), m_(m), video_(!slot), slot_(slot.value_or(0)) {}

  // IMixerPinConfig, IMixerPinConfig2.
  HRESULT SetRelativePosition(DWORD l, DWORD t, DWORD r, DWORD b) override {
    if (l >= r || t >= b || r > kRelativePositionScale || b > kRelativePositionScale)
      return E_INVALIDARG;
    const RECT place{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r),
                     static_cast<LONG>(b)};
    if (video_) rel_ = place;
    else m_.overlay_.SetPlace(slot_, place);
    return S_OK;
  }
  HRESULT GetRelativePosition(DWORD* l, DWORD* t, DWORD* r, DWORD* b) override {
    if (!l || !t || !r || !b) return E_POINTER;
    const RECT place = video_ ? rel_ : m_.overlay_.Place(slot_);
    *l = static_cast<DWORD>(place.left);
    *t = static_cast<DWORD>(place.top);
    *r = static_cast<DWORD>(place.right);
    *b = static_cast<DWORD>(place.bottom);
    return S_OK;
  }
  // The video is the bottom layer whatever its value; overlays stack by theirs.
  HRESULT SetZOrder(DWORD z) override {
    if (video_) videoZ_ = z;
    else m_.overlay_.SetZOrder(slot_, z);
    return S_OK;
  }
  HRESULT GetZOrder(DWORD* z) override {
    if (!z) return E_POINTER;
    *z = video_ ? videoZ_ : m_.overlay_.ZOrder(slot_);
    return S_OK;
  }
  HRESULT SetColorKey(const COLORKEY* key) override { return m_.SetColorKey(key); }
  HRESULT GetColorKey(COLORKEY* key, DWORD* color) override { return m_.GetColorKey(key, color); }
  HRESULT SetBlendingParameter(DWORD value) override {
    if (value > kOpaqueBlend) return E_INVALIDARG;
    if (video_) return value == kOpaqueBlend ? S_OK : E_INVALIDARG;  // the video is the base
    m_.overlay_.SetBlend(slot_, value);
    return S_OK;
  }
  HRESULT GetBlendingParameter(DWORD* value) override {
    if (!value) return E_POINTER;
    *value = video_ ? kOpaqueBlend : m_.overlay_.Blend(slot_);
    return S_OK;
  }
  HRESULT SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) override {
    if (mode < AM_ARMODE_STRETCHED || mode > AM_ARMODE_STRETCHED_AS_PRIMARY) return E_INVALIDARG;
    aspect_ = mode;
    return S_OK;
  }
  HRESULT GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) override {
    if (!mode) return E_POINTER;
    *mode = aspect_;
    return S_OK;
  }
  HRESULT SetStreamTransparent(BOOL transparent) override {
    transparent_ = transparent;
    return S_OK;
  }
  HRESULT GetStreamTransparent(BOOL* transparent) override {
    if (!transparent) return E_POINTER;
    *transparent = transparent_;
    return S_OK;
  }
  HRESULT SetOverlaySurfaceColorControls(const DDCOLORCONTROL* c) override {
    return m_.SetColorControls(c);
  }
  HRESULT GetOverlaySurfaceColorControls(DDCOLORCONTROL* c) override {
    return m_.GetColorControls(c);
  }

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    if (video_) {
      PictureFormat f;
      return ReadI420Type(t, &f) ? S_OK : S_FALSE;
    }
    LONG w, h;
    bool topDown;
    return ReadOverlayType(t, &w, &h, &topDown) ? S_OK : S_FALSE;
  }
  HRESULT CompleteConnect(IPin*) override {
    if (video_) {
      PictureFormat f = m_.current_;
      ReadI420Type(Type(), &f);
      {
        std::lock_guard still(m_.stillLock_);
        m_.current_ = f;
      }
      m_.TakeShown(f);
    }
    return S_OK;
  }
  void BreakConnect() override {
    BaseInputPin::BreakConnect();
    if (!video_) m_.overlay_.Clear(slot_);
  }
  HRESULT OnReceive(IMediaSample* sample) override {
    if (video_) return m_.MixAndDeliver(sample);
    if (m_.overlay_.Receive(slot_, sample, Type()) && m_.State() != State_Stopped)
      m_.MixStillAgain();
    return S_OK;
  }
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

 private:
  OverlayMixer& m_;
  const bool video_;
  const std::size_t slot_;
  // application thread
  RECT rel_{0, 0, static_cast<LONG>(kRelativePositionScale),
            static_cast<LONG>(kRelativePositionScale)};
  DWORD videoZ_ = 0;
  AM_ASPECT_RATIO_MODE aspect_ = AM_ARMODE_LETTER_BOX;
  BOOL transparent_ = 0;
};

class OverlayMixer::OutputPin final : public BaseOutputPin {
 public:
  OutputPin(OverlayMixer& m) : BaseOutputPin(m, "Output"), m_(m) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    if (!m_.video_->IsConnected()) return VFW_E_NOT_CONNECTED;
    PictureFormat in, out;
    ReadI420Type(m_.video_->Type(), &in);
    return ReadI420Type(t, &out) && out.width == in.width && out.height == in.height ? S_OK : S_FALSE;
  }
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* t) override {
    if (!m_.video_->IsConnected()) return VFW_E_NOT_CONNECTED;
    if (index) return S_FALSE;
    *t = m_.video_->Type();
    return S_OK;
  }
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
    p->cBuffers = kMixerBuffers;
    p->cbBuffer = static_cast<LONG>(Type().lSampleSize);
    return S_OK;
  }
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override {
    if (riid == IIDOf<IMediaSeeking>() && m_.video_->Peer())
      return m_.video_->Peer()->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
  }

 private:
  OverlayMixer& m_;
};

HRESULT OverlayMixer::InputPin::OnEndOfStream() {
  if (!video_) return S_OK;
  std::lock_guard g(m_.streaming_);
  return m_.output_->DeliverEndOfStream();
}

HRESULT OverlayMixer::InputPin::OnBeginFlush() {
  if (!video_) return S_OK;
  return m_.output_->DeliverBeginFlush();
}

HRESULT OverlayMixer::InputPin::OnEndFlush() {
  if (!video_) {
    m_.overlay_.Clear(slot_);
    return S_OK;
  }
  std::lock_guard g(m_.streaming_);
  {
    std::lock_guard still(m_.stillLock_);
    m_.last_.clear();  // belongs to the segment flushed away
    m_.lastStart_.reset();
  }
  return m_.output_->DeliverEndFlush();
}

HRESULT OverlayMixer::InputPin::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  return video_ ? m_.output_->DeliverNewSegment(start, stop, rate) : S_OK;
}

OverlayMixer::OverlayMixer(const CLSID& clsid) : AddInterfaces(clsid) {
  key_.KeyType = CK_INDEX | CK_RGB;
  key_.LowColorValue = key_.HighColorValue = kDefaultKeyColor;
  video_ = MakePin<InputPin>(*this, kVideoInputName, std::nullopt);
  output_ = MakePin<OutputPin>(*this);
  for (std::size_t i = 0; i < kMaxOverlayInputs; ++i)
    overlays_.push_back(MakePin<InputPin>(*this, kInputPrefix + std::to_string(i + 1), i));
}

std::vector<BasePin*> OverlayMixer::ListedPins() const {
  const std::size_t shown = ListedOverlayInputs(overlays_);
  std::vector<BasePin*> pins{video_};
  pins.insert(pins.end(), overlays_.begin(), overlays_.begin() + static_cast<long>(shown));
  pins.push_back(output_);
  return pins;
}

HRESULT OverlayMixer::EnumPins(IEnumPins** out) { return EnumListedPins(ListedPins(), out); }

HRESULT OverlayMixer::FindPin(const std::string& id, IPin** pin) {
  return FindListedPin(ListedPins(), id, pin);
}

HRESULT OverlayMixer::OnStop() {
  std::lock_guard g(streaming_);
  overlay_.ClearAll();
  std::lock_guard still(stillLock_);
  last_.clear();
  return S_OK;
}

void OverlayMixer::TakeShown(const PictureFormat& f) {
  ComPtr<IDDrawExclModeVideoCallback> cb;
  {
    std::lock_guard g(lock_);
    shown_ = f;
    cb = callback_;
  }
  if (!cb) return;
  os::Os().GuiThread().Queue([cb, f] {
    cb->OnUpdateSize(static_cast<DWORD>(f.width), static_cast<DWORD>(f.height), f.aspectX, f.aspectY);
  });
}

HRESULT OverlayMixer::MixAndDeliver(IMediaSample* in) {
  std::lock_guard s(streaming_);
  if (State() == State_Stopped) return VFW_E_WRONG_STATE;
  if (!output_->IsConnected()) return S_OK;
  AM_MEDIA_TYPE* changed = nullptr;
  if (in->GetMediaType(&changed) == S_OK && changed) {
    PictureFormat f;
    if (ReadI420Type(*changed, &f)) {
      {
        std::lock_guard still(stillLock_);
        current_ = f;
      }
      formatChanged_ = true;
      TakeShown(f);
    }
    DeleteMediaType(changed);
  }
  const LONG size = I420Size(current_.width, current_.height);
  if (in->GetActualDataLength() < size) return S_OK;
  BYTE* src = nullptr;
  in->GetPointer(&src);
  REFERENCE_TIME start = 0, end = 0;
  const HRESULT timed = in->GetTime(&start, &end);
  std::optional<REFERENCE_TIME> s0, e0;
  if (SUCCEEDED(timed)) s0 = start;
  if (timed == S_OK) e0 = end;
  {
    std::lock_guard still(stillLock_);
    last_.assign(src, src + size);
    lastStart_ = s0;
  }
  return Deliver(src, s0, e0, in->IsDiscontinuity() == S_OK);
}

void OverlayMixer::MixStillAgain() {
  if (State() == State_Stopped || !output_->IsConnected()) return;
  if (State() == State_Paused) {
    // The renderer holds the picture until it runs; it takes the new mix in its place. The
    // video input may meanwhile be blocked handing the next picture to that renderer, so the
    // still is read without waiting for it.
    std::vector<BYTE> picture;
    PictureFormat f;
    std::optional<REFERENCE_TIME> at;
    {
      std::lock_guard still(stillLock_);
      if (last_.empty()) return;
      picture = last_;
      f = current_;
      at = lastStart_;
    }
    ComPtr<IHeldPicture> held = HeldPictureDownstream();
    ComPtr<IMediaSample> out;
    if (held && SUCCEEDED(Mix(picture.data(), f, at, std::nullopt, std::nullopt, false, &out)))
      held->ReplaceHeldPicture(out.Get());
    return;
  }
  // A picture under way carries the overlay anyway.
  std::unique_lock s(streaming_, std::try_to_lock);
  if (!s || last_.empty()) return;
  const std::vector<BYTE> picture = last_;
  Deliver(picture.data(), std::nullopt, std::nullopt, false);
}

ComPtr<IHeldPicture> OverlayMixer::HeldPictureDownstream() {
  ComPtr<IHeldPicture> held;
  ComPtr<IPin> peer(output_->Peer());
  PIN_INFO info;
  if (!peer || FAILED(peer->QueryPinInfo(&info)) || !info.pFilter) return held;
  info.pFilter->QueryInterface(IIDOf<IHeldPicture>(), held.PutVoid());
  info.pFilter->Release();
  return held;
}

HRESULT OverlayMixer::Deliver(const BYTE* picture, std::optional<REFERENCE_TIME> start,
                              std::optional<REFERENCE_TIME> end, bool discontinuity) {
  ComPtr<IMediaSample> out;
  HRESULT hr = Mix(picture, current_, start ? start : lastStart_, start, end, discontinuity, &out);
  if (FAILED(hr)) return hr;
  if (formatChanged_) {
    AM_MEDIA_TYPE t = MakeI420Type(current_);
    out->SetMediaType(&t);
    formatChanged_ = false;
  }
  return output_->Deliver(out.Get());
}

HRESULT OverlayMixer::Mix(const BYTE* picture, const PictureFormat& f,
                          std::optional<REFERENCE_TIME> at, std::optional<REFERENCE_TIME> start,
                          std::optional<REFERENCE_TIME> end, bool discontinuity,
                          ComPtr<IMediaSample>* mixed) {
  const LONG size = I420Size(f.width, f.height);
  ComPtr<IMediaSample> out;
  HRESULT hr = output_->GetDeliveryBuffer(out.Put());
  if (FAILED(hr)) return hr;
  if (out->GetSize() < size) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
  }
  BYTE* dst = nullptr;
  out->GetPointer(&dst);
  std::memcpy(dst, picture, static_cast<std::size_t>(size));
  {
    std::lock_guard g(lock_);
    colors_.Apply(dst, f.width, f.height);
  }
  // Overlays at the time the picture was meant for (a still shown again: its own time).
  overlay_.BlendInto(dst, f, at);
  out->SetActualDataLength(size);
  if (start) {
    REFERENCE_TIME s = *start, e = end.value_or(0);
    out->SetTime(&s, end ? &e : nullptr);
  }
  out->SetSyncPoint(1);
  out->SetDiscontinuity(discontinuity);
  *mixed = std::move(out);
  return S_OK;
}

HRESULT OverlayMixer::SetColorKey(const COLORKEY* key) {
  if (!key) return E_POINTER;
  if (!(key->KeyType & (CK_INDEX | CK_RGB))) return E_INVALIDARG;
  ComPtr<IDDrawExclModeVideoCallback> cb;
  COLORKEY k;
  {
    std::lock_guard g(lock_);
    key_ = *key;
    k = key_;
    cb = callback_;
  }
  if (cb) cb->OnUpdateColorKey(&k, k.HighColorValue);
  return S_OK;
}

HRESULT OverlayMixer::GetColorKey(COLORKEY* key, DWORD* color) {
  std::lock_guard g(lock_);
  if (key) *key = key_;
  if (color) *color = key_.HighColorValue;
  return S_OK;
}

HRESULT OverlayMixer::SetColorControls(const DDCOLORCONTROL* c) {
  if (!c) return E_POINTER;
  HRESULT hr = CheckColorControls(*c);
  if (FAILED(hr)) return hr;
  {
    std::lock_guard g(lock_);
    colors_.Set(*c);
  }
  // A still on show (paused, or a menu's still under its overlays) takes the new colours at
  // once; moving pictures carry them from the next one.
  const bool overlaid = std::any_of(overlays_.begin(), overlays_.end(),
                                    [](InputPin* p) { return p->IsConnected(); });
  if (State() == State_Paused || overlaid) MixStillAgain();
  return S_OK;
}

HRESULT OverlayMixer::GetColorControls(DDCOLORCONTROL* c) {
  if (!c) return E_POINTER;
  std::lock_guard g(lock_);
  *c = colors_.Values();
  c->dwSize = sizeof(DDCOLORCONTROL);
  c->dwFlags = DefaultColorControls().dwFlags;
  return S_OK;
}

HRESULT OverlayMixer::SetDrawParameters(const RECT* clip, const RECT* destination) {
  std::lock_guard g(lock_);
  clip_ = clip ? *clip : RECT{};
  destination_ = destination ? *destination : RECT{};
  return S_OK;
}

HRESULT OverlayMixer::GetOverlayKeying(OverlayKeying* keying) {
  if (!keying) return E_POINTER;
  *keying = OverlayKeying{};
  AM_ASPECT_RATIO_MODE mode = AM_ARMODE_LETTER_BOX;
  video_->GetAspectRatioMode(&mode);
  keying->aspectMode = mode;
  const bool connected = video_->IsConnected();
  std::lock_guard g(lock_);
  if (connected) {
    keying->aspectX = shown_.aspectX;
    keying->aspectY = shown_.aspectY;
  }
  keying->keyColor = key_.HighColorValue;
  keying->hasDestination = RectWidth(destination_) > 0 && RectHeight(destination_) > 0;
  keying->destination = destination_;
  return S_OK;
}

HRESULT OverlayMixer::GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                                          DWORD* aspectY) {
  if (!width || !height || !aspectX || !aspectY) return E_POINTER;
  if (!video_->IsConnected()) return VFW_E_NOT_CONNECTED;
  PictureFormat f;
  {
    std::lock_guard g(lock_);
    f = shown_;
  }
  *width = static_cast<DWORD>(f.width);
  *height = static_cast<DWORD>(f.height);
  *aspectX = f.aspectX;
  *aspectY = f.aspectY;
  return S_OK;
}

HRESULT OverlayMixer::SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) {
  if (flags != 0) return E_INVALIDARG;
  std::lock_guard g(lock_);
  callback_ = ComPtr<IDDrawExclModeVideoCallback>(callback);
  return S_OK;
}

}  // namespace kavoro::media
