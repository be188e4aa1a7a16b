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
constexpr DWORD kOpaque = 255;
constexpr DWORD kWholeOutput = 10000;  // relative positions in 1/10000

bool ReadArgbType(const AM_MEDIA_TYPE& t, LONG* w, LONG* h) {
  if (t.majortype != MEDIATYPE_Video || t.subtype != MEDIASUBTYPE_ARGB32 ||
      t.formattype != FORMAT_VideoInfo)
    return false;
  const auto* vih = t.FormatAs<VIDEOINFOHEADER>();
  if (!vih) return false;
  *w = vih->bmiHeader.biWidth;
  *h = vih->bmiHeader.biHeight < 0 ? -vih->bmiHeader.biHeight : vih->bmiHeader.biHeight;
  return *w > 0 && *h > 0 && *w <= kMaxPictureSide && *h <= kMaxPictureSide;
}

}  // namespace

class OverlayMixer::InputPin final : public AddInterfaces<BaseInputPin, IMixerPinConfig2> {
 public:
  InputPin(OverlayMixer& m, std::string name, bool video)
      : AddInterfaces(m, std::move(name)), m_(m), video_(video) {}

  // IMixerPinConfig, IMixerPinConfig2.
  HRESULT SetRelativePosition(DWORD l, DWORD t, DWORD r, DWORD b) override {
    if (l >= r || t >= b || r > kWholeOutput || b > kWholeOutput) return E_INVALIDARG;
    rel_ = {static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(r), static_cast<LONG>(b)};
    return S_OK;
  }
  HRESULT GetRelativePosition(DWORD* l, DWORD* t, DWORD* r, DWORD* b) override {
    if (!l || !t || !r || !b) return E_POINTER;
    *l = static_cast<DWORD>(rel_.left);
    *t = static_cast<DWORD>(rel_.top);
    *r = static_cast<DWORD>(rel_.right);
    *b = static_cast<DWORD>(rel_.bottom);
    return S_OK;
  }
  HRESULT SetZOrder(DWORD z) override {
    z_ = z;
    return S_OK;
  }
  HRESULT GetZOrder(DWORD* z) override {
    if (!z) return E_POINTER;
    *z = z_;
    return S_OK;
  }
  HRESULT SetColorKey(const COLORKEY* key) override { return m_.SetColorKey(key); }
  HRESULT GetColorKey(COLORKEY* key, DWORD* color) override { return m_.GetColorKey(key, color); }
  HRESULT SetBlendingParameter(DWORD value) override {
    if (value > kOpaque) return E_INVALIDARG;
    if (video_) return value == kOpaque ? S_OK : E_INVALIDARG;  // the video is the base
    std::lock_guard g(m_.lock_);
    m_.overlayBlend_ = value;
    return S_OK;
  }
  HRESULT GetBlendingParameter(DWORD* value) override {
    if (!value) return E_POINTER;
    std::lock_guard g(m_.lock_);
    *value = video_ ? kOpaque : m_.overlayBlend_;
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
    return ReadArgbType(t, &w, &h) ? S_OK : S_FALSE;
  }
  HRESULT CompleteConnect(IPin*) override {
    if (video_) {
      ReadI420Type(Type(), &m_.current_);
      m_.TellSize(m_.current_);
    }
    return S_OK;
  }
  HRESULT OnReceive(IMediaSample* sample) override {
    if (video_) return m_.MixAndDeliver(sample);
    LONG w = 0, h = 0;
    ReadArgbType(Type(), &w, &h);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    if (sample->GetActualDataLength() < w * h * 4) return S_OK;
    std::lock_guard g(m_.lock_);
    m_.overlayPixels_.resize(static_cast<std::size_t>(w) * h);
    for (LONG y = 0; y < h; ++y)  // bottom-up rows
      std::memcpy(&m_.overlayPixels_[static_cast<std::size_t>(h - 1 - y) * w],
                  data + static_cast<std::size_t>(y) * w * 4, static_cast<std::size_t>(w) * 4);
    m_.overlayWidth_ = w;
    m_.overlayHeight_ = h;
    return S_OK;
  }
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

 private:
  OverlayMixer& m_;
  const bool video_;
  RECT rel_{0, 0, static_cast<LONG>(kWholeOutput), static_cast<LONG>(kWholeOutput)};
  DWORD z_ = 0;
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
    std::lock_guard g(m_.lock_);
    m_.overlayPixels_.clear();
    m_.overlayWidth_ = m_.overlayHeight_ = 0;
    return S_OK;
  }
  std::lock_guard g(m_.streaming_);
  return m_.output_->DeliverEndFlush();
}

HRESULT OverlayMixer::InputPin::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  return video_ ? m_.output_->DeliverNewSegment(start, stop, rate) : S_OK;
}

OverlayMixer::OverlayMixer(const CLSID& clsid) : AddInterfaces(clsid) {
  key_.KeyType = CK_INDEX | CK_RGB;
  key_.LowColorValue = key_.HighColorValue = kDefaultKeyColor;
  video_ = MakePin<InputPin>(*this, "Input0", true);
  overlay_ = MakePin<InputPin>(*this, "Input1", false);
  output_ = MakePin<OutputPin>(*this);
}

HRESULT OverlayMixer::OnStop() {
  std::lock_guard g(streaming_);
  std::lock_guard l(lock_);
  overlayPixels_.clear();
  overlayWidth_ = overlayHeight_ = 0;
  return S_OK;
}

void OverlayMixer::TellSize(const PictureFormat& f) {
  ComPtr<IDDrawExclModeVideoCallback> cb;
  {
    std::lock_guard g(lock_);
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
  bool formatChanged = false;
  if (in->GetMediaType(&changed) == S_OK && changed) {
    PictureFormat f;
    if (ReadI420Type(*changed, &f)) {
      current_ = f;
      formatChanged = true;
      TellSize(f);
    }
    DeleteMediaType(changed);
  }
  const LONG size = I420Size(current_.width, current_.height);
  if (in->GetActualDataLength() < size) return S_OK;
  ComPtr<IMediaSample> out;
  HRESULT hr = output_->GetDeliveryBuffer(out.Put());
  if (FAILED(hr)) return hr;
  if (out->GetSize() < size) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
  }
  BYTE *src = nullptr, *dst = nullptr;
  in->GetPointer(&src);
  out->GetPointer(&dst);
  std::memcpy(dst, src, static_cast<std::size_t>(size));
  {
    std::lock_guard g(lock_);
    colors_.Apply(dst, current_.width, current_.height);
    BlendOverlay(dst, current_);
  }
  out->SetActualDataLength(size);
  REFERENCE_TIME start = 0, end = 0;
  HRESULT timed = in->GetTime(&start, &end);
  if (SUCCEEDED(timed)) out->SetTime(&start, timed == S_OK ? &end : nullptr);
  out->SetSyncPoint(1);
  out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
  if (formatChanged) {
    AM_MEDIA_TYPE t = MakeI420Type(current_);
    out->SetMediaType(&t);
  }
  return output_->Deliver(out.Get());
}

void OverlayMixer::BlendOverlay(std::uint8_t* picture, const PictureFormat& f) {
  if (overlayPixels_.empty() || overlayBlend_ == 0) return;
  const int w = f.width, h = f.height, cw = ChromaWidth(w);
  std::uint8_t* yp = picture;
  std::uint8_t* up = picture + w * h;
  std::uint8_t* vp = up + cw * ChromaHeight(h);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* row =
        &overlayPixels_[static_cast<std::size_t>(y * overlayHeight_ / h) * overlayWidth_];
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = row[x * overlayWidth_ / w];
      const int a = static_cast<int>((p >> 24) * overlayBlend_ / kOpaque);
      if (a == 0) continue;
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      // BT.601 studio range, the decoders' pictures.
      const int oy = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
      std::uint8_t& py = yp[y * w + x];
      py = static_cast<std::uint8_t>((oy * a + py * (255 - a)) / 255);
      if ((x & 1) == 0 && (y & 1) == 0) {
        const int ou = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
        const int ov = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
        std::uint8_t& pu = up[(y / 2) * cw + x / 2];
        std::uint8_t& pv = vp[(y / 2) * cw + x / 2];
        pu = static_cast<std::uint8_t>((ou * a + pu * (255 - a)) / 255);
        pv = static_cast<std::uint8_t>((ov * a + pv * (255 - a)) / 255);
      }
    }
  }
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
  std::lock_guard g(lock_);
  colors_.Set(*c);
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

HRESULT OverlayMixer::GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                                          DWORD* aspectY) {
  if (!width || !height || !aspectX || !aspectY) return E_POINTER;
  if (!video_->IsConnected()) return VFW_E_NOT_CONNECTED;
  PictureFormat f;
  ReadI420Type(video_->Type(), &f);
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
