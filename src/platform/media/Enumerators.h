#pragma once
// Enumerators over snapshots: pins of a filter, filters of a graph, media types of a pin.
// Each holds counted references to what it lists; any thread may use one, one at a time.
#include <functional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {

// A snapshot enumerator for interface I under enumerator interface E.
template <class E, class I>
class SnapshotEnum : public ComObject<E> {
 public:
  // `version` (when given) is read on every call; a change since the snapshot makes Next and
  // Skip fail with VFW_E_ENUM_OUT_OF_SYNC until Reset takes a new snapshot with `refill`.
  using Refill = std::function<std::vector<ComPtr<I>>()>;
  using Version = std::function<unsigned()>;
  SnapshotEnum(Refill refill, Version version = {})
      : refill_(std::move(refill)), version_(std::move(version)) {
    Take();
  }

  HRESULT Next(ULONG count, I** out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG n = 0;
    while (n < count && pos_ < items_.size()) {
      out[n] = items_[pos_].Get();
      out[n]->AddRef();
      ++n;
      ++pos_;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    pos_ += count;
    if (pos_ > items_.size()) {
      pos_ = items_.size();
      return S_FALSE;
    }
    return S_OK;
  }
  HRESULT Reset() override {
    Take();
    return S_OK;
  }
  HRESULT Clone(E** copy) override {
    if (!copy) return E_POINTER;
    auto c = MakeCom<SnapshotEnum>(refill_, version_);
    c->items_ = items_;
    c->pos_ = pos_;
    c->taken_ = taken_;
    *copy = c.Detach();
    return S_OK;
  }

 private:
  void Take() {
    items_ = refill_();
    pos_ = 0;
    taken_ = version_ ? version_() : 0;
  }
  bool OutOfSync() const { return version_ && version_() != taken_; }

  Refill refill_;
  Version version_;
  std::vector<ComPtr<I>> items_;
  std::size_t pos_ = 0;
  unsigned taken_ = 0;
};

using PinEnum = SnapshotEnum<IEnumPins, IPin>;
using FilterEnum = SnapshotEnum<IEnumFilters, IBaseFilter>;

// Media types of a pin, copied at creation.
class MediaTypeEnum : public ComObject<IEnumMediaTypes> {
 public:
  explicit MediaTypeEnum(std::vector<AM_MEDIA_TYPE> types) : types_(std::move(types)) {}
  HRESULT Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumMediaTypes** copy) override;

 private:
  std::vector<AM_MEDIA_TYPE> types_;
  std::size_t pos_ = 0;
};

// Every pin of `filter`, in order.
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter);
// True for an output pin.
bool IsOutput(IPin* pin);
// The filter that owns `pin` (null when the pin cannot tell).
ComPtr<IBaseFilter> FilterOf(IPin* pin);
// The pin connected to `pin`, or null.
ComPtr<IPin> PeerOf(IPin* pin);
// The types `pin` offers, in its order (empty when it offers none now).
std::vector<AM_MEDIA_TYPE> TypesOf(IPin* pin);

}  // namespace kavoro::media
