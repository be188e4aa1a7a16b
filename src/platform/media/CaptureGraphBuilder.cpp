#include "platform/media/CaptureGraphBuilder.h"

#include "platform/com/ClassRegistry.h"
#include "platform/media/Enumerators.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {
namespace {

bool PinMatches(IPin* pin, const GUID* category, const GUID* type) {
  // Pins here carry no categories: a category asks for a capture pin, which none is.
  if (category && *category != GUID_NULL) return false;
  if (!type || *type == GUID_NULL) return true;
  for (const AM_MEDIA_TYPE& t : TypesOf(pin))
    if (t.majortype == *type) return true;
  AM_MEDIA_TYPE now;
  return SUCCEEDED(pin->ConnectionMediaType(&now)) && now.majortype == *type;
}

}  // namespace

HRESULT CaptureGraphBuilder::SetFiltergraph(IGraphBuilder* graph) {
  if (!graph) return E_POINTER;
  if (graph_) return E_UNEXPECTED;
  graph_ = ComPtr<IGraphBuilder>(graph);
  return S_OK;
}

HRESULT CaptureGraphBuilder::GetFiltergraph(IGraphBuilder** graph) {
  if (!graph) return E_POINTER;
  if (!graph_) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                  IIDOf<IGraphBuilder>(), graph_.PutVoid());
    if (FAILED(hr)) return hr;
  }
  *graph = ComPtr<IGraphBuilder>(graph_).Detach();
  return S_OK;
}

HRESULT CaptureGraphBuilder::SetOutputFileName(const GUID*, const std::string&, IBaseFilter**,
                                               IUnknown**) {
  return VFW_E_NO_CAPTURE_HARDWARE;
}

HRESULT CaptureGraphBuilder::FindInterface(const GUID*, const GUID*, IBaseFilter* filter,
                                           REFIID riid, void** ppv) {
  if (!filter || !ppv) return E_POINTER;
  *ppv = nullptr;
  if (SUCCEEDED(filter->QueryInterface(riid, ppv))) return S_OK;
  // Then downstream, one filter after another along each output.
  for (auto& pin : PinsOf(filter)) {
    if (!IsOutput(pin.Get())) continue;
    if (SUCCEEDED(pin->QueryInterface(riid, ppv))) return S_OK;
    if (ComPtr<IPin> peer = PeerOf(pin.Get())) {
      if (SUCCEEDED(peer->QueryInterface(riid, ppv))) return S_OK;
      if (ComPtr<IBaseFilter> next = FilterOf(peer.Get()))
        if (SUCCEEDED(FindInterface(nullptr, nullptr, next.Get(), riid, ppv))) return S_OK;
    }
  }
  return E_NOINTERFACE;
}

HRESULT CaptureGraphBuilder::RenderStream(const GUID* category, const GUID* type,
                                          IUnknown* source, IBaseFilter* intermediate,
                                          IBaseFilter* sink) {
  if (!source) return E_POINTER;
  if (!graph_) return E_UNEXPECTED;
  if (category && *category != GUID_NULL) return VFW_E_NO_CAPTURE_HARDWARE;
  ComPtr<IPin> out;
  if (FAILED(source->QueryInterface(IIDOf<IPin>(), out.PutVoid()))) {
    ComPtr<IBaseFilter> f;
    if (FAILED(source->QueryInterface(IIDOf<IBaseFilter>(), f.PutVoid()))) return E_INVALIDARG;
    if (FAILED(FindPin(f.Get(), PINDIR_OUTPUT, nullptr, type, 1, 0, out.Put())))
      return VFW_E_NOT_FOUND;
  }
  for (IBaseFilter* next : {intermediate, sink}) {
    if (!next) continue;
    ComPtr<IPin> in;
    if (FAILED(FindPin(next, PINDIR_INPUT, nullptr, nullptr, 1, 0, in.Put()))) return VFW_E_NOT_FOUND;
    HRESULT hr = graph_->Connect(out.Get(), in.Get());
    if (FAILED(hr)) return hr;
    if (next == sink) return S_OK;
    if (FAILED(FindPin(next, PINDIR_OUTPUT, nullptr, nullptr, 1, 0, out.Put()))) return S_OK;
  }
  return graph_->Render(out.Get());
}

HRESULT CaptureGraphBuilder::ControlStream(const GUID*, const GUID*, IBaseFilter*,
                                           REFERENCE_TIME*, REFERENCE_TIME*, WORD, WORD) {
  return VFW_E_NO_CAPTURE_HARDWARE;
}

HRESULT CaptureGraphBuilder::AllocCapFile(const std::string&, DWORDLONG) {
  return VFW_E_NO_CAPTURE_HARDWARE;
}

HRESULT CaptureGraphBuilder::CopyCaptureFile(const std::string&, const std::string&, int,
                                             IUnknown*) {
  return VFW_E_NO_CAPTURE_HARDWARE;
}

HRESULT CaptureGraphBuilder::FindPin(IUnknown* source, PIN_DIRECTION dir, const GUID* category,
                                     const GUID* type, BOOL unconnected, int index, IPin** pin) {
  if (!source || !pin) return E_POINTER;
  *pin = nullptr;
  ComPtr<IBaseFilter> filter;
  if (FAILED(source->QueryInterface(IIDOf<IBaseFilter>(), filter.PutVoid()))) return E_INVALIDARG;
  int seen = 0;
  for (auto& p : PinsOf(filter.Get())) {
    if (IsOutput(p.Get()) != (dir == PINDIR_OUTPUT)) continue;
    if (unconnected && PeerOf(p.Get())) continue;
    if (!PinMatches(p.Get(), category, type)) continue;
    if (seen++ == index) {
      *pin = p.Detach();
      return S_OK;
    }
  }
  return E_FAIL;
}

}  // namespace kavoro::media
