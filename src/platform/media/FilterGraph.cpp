#include "platform/media/FilterGraph.h"

#include <malloc.h>

#include <algorithm>

#include "platform/media/Enumerators.h"
#include "platform/media/EventCodes.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {

FilterGraph::FilterGraph() = default;

FilterGraph::~FilterGraph() {
  std::lock_guard g(lock_);
  StopFilters();
  for (Entry& e : filters_) {
    for (auto& pin : PinsOf(e.filter.Get())) pin->Disconnect();
    e.filter->JoinFilterGraph(nullptr, {});
  }
  filters_.clear();
  // The streaming threads allocated in arenas of their own, which keep what was freed: without
  // handing it back, each graph built after another (a disc after files) left the process a
  // few megabytes larger.
  malloc_trim(0);
}

bool FilterGraph::Contains(IBaseFilter* filter) const {
  return std::any_of(filters_.begin(), filters_.end(),
                     [&](const Entry& e) { return IsSameObject(e.filter.Get(), filter); });
}

std::string FilterGraph::UniqueName(const std::string& wanted) const {
  const std::string base = wanted.empty() ? std::string("Filter") : wanted;
  auto taken = [&](const std::string& n) {
    return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.name == n; });
  };
  if (!taken(base)) return base;
  for (int i = 1;; ++i) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " %04d", i);
    if (!taken(base + suffix)) return base + suffix;
  }
}

std::string FilterGraph::Describe(IPin* pin) const {
  std::string pinName = "?";
  std::string filterName = "?";
  PIN_INFO info;
  if (pin && SUCCEEDED(pin->QueryPinInfo(&info))) {
    pinName = info.achName;
    ComPtr<IBaseFilter> f = ComPtr<IBaseFilter>::Attach(info.pFilter);
    for (const Entry& e : filters_)
      if (IsSameObject(e.filter.Get(), f.Get())) filterName = e.name;
  }
  return "'" + filterName + "'." + pinName;
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, const std::string& name) {
  if (!filter) return E_POINTER;
  std::lock_guard g(lock_);
  if (Contains(filter)) return VFW_E_DUPLICATE_NAME;
  const std::string unique = UniqueName(name);
  HRESULT hr = filter->JoinFilterGraph(this, unique);
  if (FAILED(hr)) return hr;
  filters_.push_back({ComPtr<IBaseFilter>(filter), unique});
  ++version_;
  if (clock_) filter->SetSyncSource(clock_.Get());
  Log("AddFilter '" + unique + "'");
  return unique == name || name.empty() ? S_OK : VFW_S_DUPLICATE_NAME;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter) {
  if (!filter) return E_POINTER;
  std::lock_guard g(lock_);
  auto it = std::find_if(filters_.begin(), filters_.end(),
                         [&](const Entry& e) { return IsSameObject(e.filter.Get(), filter); });
  if (it == filters_.end()) return VFW_E_NOT_FOUND;
  ComPtr<IBaseFilter> keep = it->filter;
  keep->Stop();
  for (auto& pin : PinsOf(keep.Get())) {
    if (ComPtr<IPin> peer = PeerOf(pin.Get())) peer->Disconnect();
    pin->Disconnect();
  }
  Log("RemoveFilter '" + it->name + "'");
  filters_.erase(it);
  ++version_;
  if (clock_) {
    ComPtr<IReferenceClock> own;
    if (SUCCEEDED(keep->QueryInterface(IIDOf<IReferenceClock>(), own.PutVoid())) &&
        IsSameObject(own.Get(), clock_.Get())) {
      clock_ = nullptr;
      clockChosen_ = false;
      for (Entry& e : filters_) e.filter->SetSyncSource(nullptr);
    }
  }
  keep->SetSyncSource(nullptr);
  keep->JoinFilterGraph(nullptr, {});
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** out) {
  if (!out) return E_POINTER;
  ComPtr<FilterGraph> self(this);
  auto refill = [self] {
    std::lock_guard g(self->lock_);
    std::vector<ComPtr<IBaseFilter>> list;
    for (const Entry& e : self->filters_) list.push_back(e.filter);
    return list;
  };
  auto version = [self] {
    std::lock_guard g(self->lock_);
    return self->version_;
  };
  *out = MakeCom<FilterEnum>(refill, version).Detach();
  return S_OK;
}

HRESULT FilterGraph::FindFilterByName(const std::string& name, IBaseFilter** filter) {
  if (!filter) return E_POINTER;
  *filter = nullptr;
  std::lock_guard g(lock_);
  for (const Entry& e : filters_) {
    if (e.name == name) {
      *filter = ComPtr<IBaseFilter>(e.filter).Detach();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
  if (!output || !input) return E_POINTER;
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  if (!Contains(FilterOf(output).Get()) || !Contains(FilterOf(input).Get()))
    return VFW_E_NOT_IN_GRAPH;
  HRESULT hr = output->Connect(input, type);
  Log("ConnectDirect " + Describe(output) + " -> " + Describe(input) + ": " + HResultToString(hr));
  return hr;
}

HRESULT FilterGraph::Reconnect(IPin* pin) { return ReconnectEx(pin, nullptr); }

HRESULT FilterGraph::ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) {
  if (!pin) return E_POINTER;
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  ComPtr<IPin> peer = PeerOf(pin);
  if (!peer) return VFW_E_NOT_CONNECTED;
  IPin* out = IsOutput(pin) ? pin : peer.Get();
  ComPtr<IPin> in(IsOutput(pin) ? peer.Get() : pin);
  AM_MEDIA_TYPE old;
  out->ConnectionMediaType(&old);
  out->Disconnect();
  in->Disconnect();
  HRESULT hr = out->Connect(in.Get(), type);
  if (FAILED(hr)) out->Connect(in.Get(), &old);
  Log("Reconnect " + Describe(out) + ": " + HResultToString(hr));
  return hr;
}

HRESULT FilterGraph::Disconnect(IPin* pin) {
  if (!pin) return E_POINTER;
  std::lock_guard g(lock_);
  return pin->Disconnect();
}

HRESULT FilterGraph::SetLogFile(DWORD_PTR file) {
  return log_.Open(static_cast<int>(file)) ? S_OK : E_HANDLE;
}

HRESULT FilterGraph::Abort() {
  aborted_ = true;
  return S_OK;
}

HRESULT FilterGraph::ShouldOperationContinue() { return aborted_ ? S_FALSE : S_OK; }

HRESULT FilterGraph::GetEventHandle(OAEVENT*) { return E_NOTIMPL; }

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* p1, LONG_PTR* p2, LONG timeoutMs) {
  return events_.Get(code, p1, p2, timeoutMs);
}

HRESULT FilterGraph::WaitForCompletion(LONG timeoutMs, LONG* code) {
  {
    std::lock_guard g(lock_);
    if (state_ != State_Running) return VFW_E_WRONG_STATE;
  }
  return events_.WaitForCompletion(timeoutMs, code);
}

HRESULT FilterGraph::CancelDefaultHandling(LONG code) { return events_.SetDefaultHandling(code, false); }
HRESULT FilterGraph::RestoreDefaultHandling(LONG code) { return events_.SetDefaultHandling(code, true); }
HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT FilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
  return events_.SetNotifyWindow(window, message, instance);
}
HRESULT FilterGraph::SetNotifyFlags(LONG flags) { return events_.SetNotifyFlags(flags); }
HRESULT FilterGraph::GetNotifyFlags(LONG* flags) {
  if (!flags) return E_POINTER;
  *flags = events_.NotifyFlags();
  return S_OK;
}

HRESULT FilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
  char text[96];
  std::snprintf(text, sizeof text, "Event 0x%X (0x%lX, 0x%lX)", static_cast<unsigned>(code),
                static_cast<unsigned long>(param1), static_cast<unsigned long>(param2));
  Log(text);
  if (code == EC_COMPLETE) {
    // A renderer reports with itself in param2; its identity is what the count knows.
    ComPtr<IUnknown> who;
    if (auto* f = reinterpret_cast<IBaseFilter*>(param2))
      f->QueryInterface(IIDOf<IUnknown>(), who.PutVoid());
    events_.RendererComplete(who.Get(), static_cast<HRESULT>(param1), param2);
    return S_OK;
  }
  events_.Post(code, param1, param2);
  return S_OK;
}

}  // namespace kavoro::media
