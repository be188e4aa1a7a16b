#include <memory>

#include "platform/media/Enumerators.h"
#include "platform/media/IMediaSample.h"
#include "platform/media/MediaTypes.h"

namespace kavoro {

bool operator==(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
  return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
         a.format == b.format;
}

bool MatchesPattern(const AM_MEDIA_TYPE& type, const GUID& major, const GUID& sub) {
  return (major == GUID_NULL || type.majortype == major) &&
         (sub == GUID_NULL || type.subtype == sub);
}

void FreeMediaType(AM_MEDIA_TYPE& type) {
  type.format.clear();
  type.format.shrink_to_fit();
  type.formattype = FORMAT_None;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
  std::unique_ptr<AM_MEDIA_TYPE> owned(type);
}

}  // namespace kavoro

namespace kavoro::media {

HRESULT MediaTypeEnum::Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) {
  if (!out || (count > 1 && !fetched)) return E_POINTER;
  ULONG n = 0;
  while (n < count && pos_ < types_.size()) {
    out[n++] = std::make_unique<AM_MEDIA_TYPE>(types_[pos_++]).release();
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT MediaTypeEnum::Skip(ULONG count) {
  pos_ += count;
  if (pos_ > types_.size()) {
    pos_ = types_.size();
    return S_FALSE;
  }
  return S_OK;
}

HRESULT MediaTypeEnum::Reset() {
  pos_ = 0;
  return S_OK;
}

HRESULT MediaTypeEnum::Clone(IEnumMediaTypes** copy) {
  if (!copy) return E_POINTER;
  auto c = MakeCom<MediaTypeEnum>(types_);
  c->pos_ = pos_;
  *copy = c.Detach();
  return S_OK;
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> e;
  if (!filter || FAILED(filter->EnumPins(e.Put())) || !e) return pins;
  IPin* p = nullptr;
  while (e->Next(1, &p, nullptr) == S_OK) pins.push_back(ComPtr<IPin>::Attach(p));
  return pins;
}

bool IsOutput(IPin* pin) {
  PIN_DIRECTION dir = PINDIR_INPUT;
  return pin && SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_OUTPUT;
}

ComPtr<IBaseFilter> FilterOf(IPin* pin) {
  PIN_INFO info;
  if (!pin || FAILED(pin->QueryPinInfo(&info))) return nullptr;
  return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

ComPtr<IPin> PeerOf(IPin* pin) {
  ComPtr<IPin> peer;
  if (pin) pin->ConnectedTo(peer.Put());
  return peer;
}

std::vector<AM_MEDIA_TYPE> TypesOf(IPin* pin) {
  std::vector<AM_MEDIA_TYPE> types;
  ComPtr<IEnumMediaTypes> e;
  if (!pin || FAILED(pin->EnumMediaTypes(e.Put())) || !e) return types;
  AM_MEDIA_TYPE* t = nullptr;
  while (e->Next(1, &t, nullptr) == S_OK) {
    std::unique_ptr<AM_MEDIA_TYPE> owned(t);
    types.push_back(*owned);
  }
  return types;
}

}  // namespace kavoro::media
