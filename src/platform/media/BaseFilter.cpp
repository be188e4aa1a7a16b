#include "platform/media/BaseFilter.h"

#include "platform/media/BasePin.h"
#include "platform/media/Enumerators.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {

void PinDeleter::operator()(BasePin* pin) const { delete pin; }

BaseFilter::BaseFilter(const CLSID& clsid) : clsid_(clsid) {}

BaseFilter::~BaseFilter() = default;

HRESULT BaseFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT BaseFilter::Stop() {
  std::lock_guard t(transition_);
  const FILTER_STATE old = state_;
  if (old == State_Stopped) return S_OK;
  state_ = State_Stopped;
  // Decommitting first wakes a streaming thread that waits for a free buffer, so OnStop's
  // wait for the streaming calls to leave cannot hang on it.
  for (auto& pin : pins_) pin->Inactive();
  HRESULT hr = OnStop();
  if (FAILED(hr)) state_ = old;
  return hr;
}

HRESULT BaseFilter::Pause() {
  std::lock_guard t(transition_);
  const FILTER_STATE old = state_;
  if (old == State_Paused) return StateComplete(0) == S_OK ? S_OK : S_FALSE;
  if (old == State_Stopped) {
    for (auto& pin : pins_) {
      HRESULT hr = pin->Active();
      if (FAILED(hr)) {
        for (auto& p : pins_) p->Inactive();
        return hr;
      }
    }
  }
  state_ = State_Paused;
  HRESULT hr = OnPause(old);
  if (FAILED(hr)) {
    state_ = old;
    if (old == State_Stopped)
      for (auto& p : pins_) p->Inactive();
    return hr;
  }
  return StateComplete(0) == S_OK ? S_OK : S_FALSE;
}

HRESULT BaseFilter::Run(REFERENCE_TIME start) {
  if (State() == State_Stopped) {
    HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  std::lock_guard t(transition_);
  const FILTER_STATE old = state_;
  start_ = start;
  if (old == State_Running) return S_OK;
  state_ = State_Running;
  HRESULT hr = OnRun(start);
  if (FAILED(hr)) {
    state_ = old;
    return hr;
  }
  return StateComplete(0) == S_OK ? S_OK : S_FALSE;
}

HRESULT BaseFilter::GetState(DWORD timeoutMs, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  if (*state == State_Stopped) return S_OK;
  return StateComplete(timeoutMs);
}

HRESULT BaseFilter::SetSyncSource(IReferenceClock* clock) {
  std::lock_guard g(lock_);
  clock_ = ComPtr<IReferenceClock>(clock);
  return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  std::lock_guard g(lock_);
  *clock = ComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

HRESULT BaseFilter::EnumPins(IEnumPins** out) {
  if (!out) return E_POINTER;
  std::vector<ComPtr<IPin>> pins;
  for (auto& p : pins_) pins.emplace_back(p.get());
  *out = MakeCom<PinEnum>([pins] { return pins; }).Detach();
  return S_OK;
}

HRESULT BaseFilter::FindPin(const std::string& id, IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = nullptr;
  for (auto& p : pins_) {
    if (p->PinName() == id) {
      *pin = ComPtr<IPin>(p.get()).Detach();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  std::lock_guard g(lock_);
  info->achName = name_;
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph* graph, const std::string& name) {
  std::lock_guard g(lock_);
  graph_ = graph;
  name_ = graph ? name : std::string();
  sink_ = nullptr;
  if (graph) {
    ComPtr<IMediaEventSink> sink;
    if (SUCCEEDED(graph->QueryInterface(IIDOf<IMediaEventSink>(), sink.PutVoid()))) {
      sink_ = sink.Get();  // not counted, like graph_
    }
  }
  return S_OK;
}

HRESULT BaseFilter::QueryVendorInfo(std::string*) { return E_NOTIMPL; }

FILTER_STATE BaseFilter::State() const { return state_; }
REFERENCE_TIME BaseFilter::StartTime() const { return start_; }

ComPtr<IReferenceClock> BaseFilter::Clock() const {
  std::lock_guard g(lock_);
  return clock_;
}

void BaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
  IMediaEventSink* sink;
  {
    std::lock_guard g(lock_);
    sink = sink_;
  }
  // The graph outlives its filters' streaming: it stops them before it lets them go.
  if (sink) sink->Notify(code, param1, param2);
}

std::string BaseFilter::Name() const {
  std::lock_guard g(lock_);
  return name_;
}

}  // namespace kavoro::media
