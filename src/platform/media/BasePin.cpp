#include "platform/media/BasePin.h"

#include "platform/media/Enumerators.h"
#include "platform/media/MemAllocator.h"

namespace kavoro::media {
namespace {

// A type with wildcards only constrains the fields it sets.
bool IsPartial(const AM_MEDIA_TYPE& t) {
  return t.majortype == GUID_NULL || t.subtype == GUID_NULL || t.formattype == GUID_NULL;
}

bool FitsPattern(const AM_MEDIA_TYPE& t, const AM_MEDIA_TYPE* pattern) {
  if (!pattern) return true;
  return MatchesPattern(t, pattern->majortype, pattern->subtype) &&
         (pattern->formattype == GUID_NULL || pattern->formattype == t.formattype);
}

}  // namespace

BasePin::BasePin(BaseFilter& filter, PIN_DIRECTION dir, std::string name)
    : filter_(filter), dir_(dir), name_(std::move(name)) {}

HRESULT BasePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
  if (!receiver) return E_POINTER;
  if (dir_ != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION other;
  if (FAILED(receiver->QueryDirection(&other)) || other != PINDIR_INPUT)
    return VFW_E_INVALID_DIRECTION;

  if (type && !IsPartial(*type)) return AttemptConnection(receiver, *type);

  std::vector<AM_MEDIA_TYPE> mine;
  AM_MEDIA_TYPE t;
  for (int i = 0; GetMediaType(i, &t) == S_OK; ++i) mine.push_back(t);
  HRESULT hr = TryTypes(receiver, mine, type);
  if (SUCCEEDED(hr)) return hr;
  hr = TryTypes(receiver, TypesOf(receiver), type);
  if (SUCCEEDED(hr)) return hr;
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT BasePin::TryTypes(IPin* receiver, const std::vector<AM_MEDIA_TYPE>& types,
                          const AM_MEDIA_TYPE* pattern) {
  for (const AM_MEDIA_TYPE& t : types) {
    if (!FitsPattern(t, pattern) || IsPartial(t)) continue;
    if (SUCCEEDED(AttemptConnection(receiver, t))) return S_OK;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT BasePin::AttemptConnection(IPin* receiver, const AM_MEDIA_TYPE& type) {
  if (CheckMediaType(type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  connected_ = ComPtr<IPin>(receiver);
  type_ = type;
  HRESULT hr = receiver->ReceiveConnection(this, &type);
  if (SUCCEEDED(hr)) {
    hr = CompleteConnect(receiver);
    if (SUCCEEDED(hr)) return S_OK;
    receiver->Disconnect();
  }
  BreakConnect();
  connected_ = nullptr;
  type_ = AM_MEDIA_TYPE{};
  return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT BasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
  if (!connector || !type) return E_POINTER;
  if (dir_ != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (CheckMediaType(*type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  connected_ = ComPtr<IPin>(connector);
  type_ = *type;
  HRESULT hr = CompleteConnect(connector);
  if (FAILED(hr)) {
    BreakConnect();
    connected_ = nullptr;
    type_ = AM_MEDIA_TYPE{};
  }
  return hr;
}

HRESULT BasePin::Disconnect() {
  if (!connected_) return S_FALSE;
  if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
  BreakConnect();
  connected_ = nullptr;
  type_ = AM_MEDIA_TYPE{};
  return S_OK;
}

HRESULT BasePin::ConnectedTo(IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = ComPtr<IPin>(connected_).Detach();
  return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  if (!connected_) {
    *type = AM_MEDIA_TYPE{};
    return VFW_E_NOT_CONNECTED;
  }
  *type = type_;
  return S_OK;
}

HRESULT BasePin::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  info->pFilter = &filter_;
  filter_.AddRef();
  info->dir = dir_;
  info->achName = name_;
  return S_OK;
}

HRESULT BasePin::QueryDirection(PIN_DIRECTION* dir) {
  if (!dir) return E_POINTER;
  *dir = dir_;
  return S_OK;
}

HRESULT BasePin::QueryId(std::string* id) {
  if (!id) return E_POINTER;
  *id = name_;
  return S_OK;
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  return CheckMediaType(*type) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** out) {
  if (!out) return E_POINTER;
  std::vector<AM_MEDIA_TYPE> types;
  AM_MEDIA_TYPE t;
  HRESULT hr;
  for (int i = 0; (hr = GetMediaType(i, &t)) == S_OK; ++i) types.push_back(t);
  if (FAILED(hr)) {
    *out = nullptr;
    return hr;
  }
  *out = MakeCom<MediaTypeEnum>(std::move(types)).Detach();
  return S_OK;
}

HRESULT BasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

HRESULT BasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  segStart_ = start;
  segStop_ = stop;
  segRate_ = rate;
  return S_OK;
}

BaseInputPin::BaseInputPin(BaseFilter& filter, std::string name)
    : AddInterfaces(filter, PINDIR_INPUT, std::move(name)) {}

HRESULT BaseInputPin::EndOfStream() {
  if (flushing_) return S_FALSE;
  if (filter_.State() == State_Stopped) return VFW_E_WRONG_STATE;
  return OnEndOfStream();
}

HRESULT BaseInputPin::BeginFlush() {
  flushing_ = true;
  return OnBeginFlush();
}

HRESULT BaseInputPin::EndFlush() {
  HRESULT hr = OnEndFlush();
  flushing_ = false;
  return hr;
}

HRESULT BaseInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  BasePin::NewSegment(start, stop, rate);
  return OnNewSegment(start, stop, rate);
}

HRESULT BaseInputPin::GetAllocator(IMemAllocator** allocator) {
  if (!allocator) return E_POINTER;
  *allocator = nullptr;
  return VFW_E_NO_ALLOCATOR;
}

HRESULT BaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
  if (!allocator) return E_POINTER;
  allocator_ = ComPtr<IMemAllocator>(allocator);
  return S_OK;
}

HRESULT BaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT BaseInputPin::Receive(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  if (filter_.State() == State_Stopped) return VFW_E_WRONG_STATE;
  if (flushing_) return S_FALSE;
  return OnReceive(sample);
}

HRESULT BaseInputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) {
  if (!samples || !processed) return E_POINTER;
  *processed = 0;
  HRESULT hr = S_OK;
  while (*processed < count) {
    hr = Receive(samples[*processed]);
    if (hr != S_OK) break;
    ++*processed;
  }
  return hr;
}

HRESULT BaseInputPin::Inactive() {
  flushing_ = false;
  return S_OK;
}

void BaseInputPin::BreakConnect() { allocator_ = nullptr; }

BaseOutputPin::BaseOutputPin(BaseFilter& filter, std::string name)
    : BasePin(filter, PINDIR_OUTPUT, std::move(name)) {}

HRESULT BaseOutputPin::CompleteConnect(IPin* peer) {
  ComPtr<IMemInputPin> input;
  if (FAILED(peer->QueryInterface(IIDOf<IMemInputPin>(), input.PutVoid())))
    return VFW_E_NO_TRANSPORT;
  ALLOCATOR_PROPERTIES want;
  HRESULT hr = DecideBufferSize(&want);
  if (FAILED(hr)) return hr;
  ComPtr<IMemAllocator> allocator;
  if (FAILED(input->GetAllocator(allocator.Put())) || !allocator)
    allocator = MakeCom<MemAllocator>();
  ALLOCATOR_PROPERTIES actual;
  hr = allocator->SetProperties(&want, &actual);
  if (FAILED(hr)) return hr;
  hr = input->NotifyAllocator(allocator.Get(), 0);
  if (FAILED(hr)) return hr;
  allocator_ = allocator;
  input_ = input;
  return S_OK;
}

void BaseOutputPin::BreakConnect() {
  if (allocator_) allocator_->Decommit();
  allocator_ = nullptr;
  input_ = nullptr;
}

HRESULT BaseOutputPin::Active() {
  if (!allocator_) return S_OK;
  return allocator_->Commit();
}

HRESULT BaseOutputPin::Inactive() {
  if (allocator_) allocator_->Decommit();
  return S_OK;
}

HRESULT BaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, DWORD flags) {
  if (!allocator_) return VFW_E_NO_ALLOCATOR;
  return allocator_->GetBuffer(sample, nullptr, nullptr, flags);
}

HRESULT BaseOutputPin::Deliver(IMediaSample* sample) {
  if (!input_) return VFW_E_NOT_CONNECTED;
  return input_->Receive(sample);
}

HRESULT BaseOutputPin::DeliverEndOfStream() {
  IPin* peer = Peer();
  return peer ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::DeliverBeginFlush() {
  IPin* peer = Peer();
  return peer ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::DeliverEndFlush() {
  IPin* peer = Peer();
  return peer ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  BasePin::NewSegment(start, stop, rate);
  IPin* peer = Peer();
  return peer ? peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

FixedTypeOutputPin::FixedTypeOutputPin(BaseFilter& filter, std::string name, AM_MEDIA_TYPE type,
                                       LONG buffers, LONG bytes)
    : BaseOutputPin(filter, std::move(name)), offered_(std::move(type)), buffers_(buffers),
      bytes_(bytes) {}

HRESULT FixedTypeOutputPin::CheckMediaType(const AM_MEDIA_TYPE& type) {
  return type == offered_ ? S_OK : S_FALSE;
}

HRESULT FixedTypeOutputPin::GetMediaType(int index, AM_MEDIA_TYPE* type) {
  if (index != 0) return S_FALSE;
  *type = offered_;
  return S_OK;
}

HRESULT FixedTypeOutputPin::DecideBufferSize(ALLOCATOR_PROPERTIES* props) {
  props->cBuffers = buffers_;
  props->cbBuffer = bytes_;
  return S_OK;
}

}  // namespace kavoro::media
