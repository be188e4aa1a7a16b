// Intelligent connect: the graph-building half of the filter graph manager.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/com/ClassRegistry.h"
#include "platform/media/Enumerators.h"
#include "platform/media/FilterCatalog.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/IOptionalPin.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/MidiFile.h"

namespace kavoro::media {
namespace {

// Chains longer than this (source, parser, decoder, converter, renderer) are not searched.
constexpr int kMaxChainDepth = 5;

bool HasOutputPins(IBaseFilter* f) {
  for (auto& p : PinsOf(f))
    if (IsOutput(p.Get())) return true;
  return false;
}

bool IsOptional(IPin* pin) {
  ComPtr<IOptionalPin> optional;
  return SUCCEEDED(pin->QueryInterface(IIDOf<IOptionalPin>(), optional.PutVoid()));
}

std::vector<ComPtr<IPin>> FreePins(IBaseFilter* f, bool outputs) {
  std::vector<ComPtr<IPin>> out;
  for (auto& p : PinsOf(f))
    if (IsOutput(p.Get()) == outputs && !PeerOf(p.Get())) out.push_back(p);
  return out;
}

}  // namespace

ComPtr<IBaseFilter> FilterGraph::AddRegisteredFilter(const CLSID& clsid, const std::string& name) {
  ComPtr<IBaseFilter> f;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IIDOf<IBaseFilter>(),
                                f.PutVoid());
  if (FAILED(hr) || !f) {
    Log("Cannot create '" + name + "': " + HResultToString(hr));
    return nullptr;
  }
  if (FAILED(AddFilter(f.Get(), name))) return nullptr;
  return f;
}

HRESULT FilterGraph::Connect(IPin* output, IPin* input) {
  if (!output || !input) return E_POINTER;
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  aborted_ = false;
  if (!IsOutput(output) || IsOutput(input)) return VFW_E_INVALID_DIRECTION;
  if (PeerOf(output) || PeerOf(input)) return VFW_E_ALREADY_CONNECTED;
  HRESULT hr = ConnectVia(output, input, 0);
  Log("Connect " + Describe(output) + " -> " + Describe(input) + ": " + HResultToString(hr));
  return hr;
}

HRESULT FilterGraph::ConnectVia(IPin* output, IPin* input, int depth) {
  if (Aborted()) return E_ABORT;
  if (SUCCEEDED(output->Connect(input, nullptr))) return S_OK;
  if (depth >= kMaxChainDepth) return VFW_E_CANNOT_CONNECT;

  ComPtr<IBaseFilter> ends[] = {FilterOf(output), FilterOf(input)};
  // Transforms already in the graph with a free input and a free output.
  std::vector<ComPtr<IBaseFilter>> existing;
  for (const Entry& e : filters_) {
    if (IsSameObject(e.filter.Get(), ends[0].Get()) || IsSameObject(e.filter.Get(), ends[1].Get()))
      continue;
    if (!FreePins(e.filter.Get(), false).empty() && !FreePins(e.filter.Get(), true).empty())
      existing.push_back(e.filter);
  }
  for (auto& f : existing) {
    for (auto& in : FreePins(f.Get(), false)) {
      if (FAILED(output->Connect(in.Get(), nullptr))) continue;
      for (auto& out : FreePins(f.Get(), true))
        if (SUCCEEDED(ConnectVia(out.Get(), input, depth + 1))) return S_OK;
      output->Disconnect();
      in->Disconnect();
    }
  }

  for (const RegisteredFilter& rec :
       CandidateFilters(CLSID_LegacyAmFilterCategory, TypesOf(output))) {
    if (IsRendererRecord(rec)) continue;
    ComPtr<IBaseFilter> f = AddRegisteredFilter(rec.clsid, rec.name);
    if (!f) continue;
    for (auto& in : FreePins(f.Get(), false)) {
      if (FAILED(output->Connect(in.Get(), nullptr))) continue;
      for (auto& out : FreePins(f.Get(), true))
        if (SUCCEEDED(ConnectVia(out.Get(), input, depth + 1))) return S_OK;
      break;
    }
    RemoveFilter(f.Get());
    if (Aborted()) return E_ABORT;
  }
  return VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::Render(IPin* output) { return RenderEx(output, 0, nullptr); }

HRESULT FilterGraph::RenderEx(IPin* output, DWORD flags, DWORD* reserved) {
  if (!output) return E_POINTER;
  if (reserved) return E_INVALIDARG;
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  aborted_ = false;
  if (!IsOutput(output)) return VFW_E_INVALID_DIRECTION;
  if (PeerOf(output)) return VFW_E_ALREADY_CONNECTED;
  HRESULT hr = RenderPin(output, 0, (flags & AM_RENDEREX_RENDERTOEXISTINGRENDERERS) != 0);
  Log("Render " + Describe(output) + ": " + HResultToString(hr));
  return hr;
}

HRESULT FilterGraph::RenderThroughFilter(IPin* output, IBaseFilter* f, int depth,
                                         bool existingOnly) {
  for (auto& in : FreePins(f, false)) {
    if (FAILED(output->Connect(in.Get(), nullptr))) continue;
    bool all = true;
    std::vector<ComPtr<IPin>> optional;
    for (auto& out : FreePins(f, true)) {
      if (IsOptional(out.Get())) optional.push_back(out);
      else if (FAILED(RenderPin(out.Get(), depth + 1, existingOnly))) all = false;
    }
    if (all) {
      // Streams the filter can do without go only where a renderer is there for them.
      for (auto& out : optional) RenderPin(out.Get(), depth + 1, true);
      return S_OK;
    }
    output->Disconnect();
    in->Disconnect();
    return VFW_E_CANNOT_RENDER;
  }
  return VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::RenderPin(IPin* output, int depth, bool existingOnly) {
  if (Aborted()) return E_ABORT;
  if (depth >= kMaxChainDepth) return VFW_E_CANNOT_RENDER;
  ComPtr<IBaseFilter> self = FilterOf(output);

  // Filters already in the graph, renderers first: the application's own renderer is used
  // before a new one is made.
  std::vector<ComPtr<IBaseFilter>> renderers, transforms;
  for (const Entry& e : filters_) {
    if (IsSameObject(e.filter.Get(), self.Get()) || FreePins(e.filter.Get(), false).empty())
      continue;
    (HasOutputPins(e.filter.Get()) ? transforms : renderers).push_back(e.filter);
  }
  for (auto* list : {&renderers, &transforms})
    for (auto& f : *list)
      if (SUCCEEDED(RenderThroughFilter(output, f.Get(), depth, existingOnly))) return S_OK;

  const std::vector<AM_MEDIA_TYPE> types = TypesOf(output);
  for (const RegisteredFilter& rec : CandidateFilters(CLSID_LegacyAmFilterCategory, types)) {
    if (existingOnly && IsRendererRecord(rec)) continue;
    ComPtr<IBaseFilter> f = AddRegisteredFilter(rec.clsid, rec.name);
    if (!f) continue;
    if (SUCCEEDED(RenderThroughFilter(output, f.Get(), depth, existingOnly))) return S_OK;
    // Whatever the failed path added downstream of f was removed by the deeper calls.
    RemoveFilter(f.Get());
    if (Aborted()) return E_ABORT;
  }
  return VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::LoadSource(const std::string& file, ComPtr<IBaseFilter>* source) {
  // MIDI files go to the synthesizer; everything else to the demuxer, which probes it.
  std::uint8_t head[12] = {};
  std::size_t got = 0;
  if (std::FILE* in = std::fopen(file.c_str(), "rb")) {
    got = std::fread(head, 1, sizeof head, in);
    std::fclose(in);
  }
  const CLSID& kind = MidiFile::LooksLikeMidi(head, got) ? CLSID_KavoroMidiSource
                                                         : CLSID_KavoroFileSource;
  ComPtr<IBaseFilter> f;
  HRESULT hr = CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IIDOf<IBaseFilter>(),
                                f.PutVoid());
  if (FAILED(hr)) return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  ComPtr<IFileSourceFilter> load = f.As<IFileSourceFilter>();
  if (!load) return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  hr = load->Load(file, nullptr);
  Log("Load '" + file + "': " + HResultToString(hr));
  if (FAILED(hr)) return hr;
  *source = f;
  return S_OK;
}

HRESULT FilterGraph::AddSourceFilter(const std::string& file, const std::string& name,
                                     IBaseFilter** filter) {
  if (!filter) return E_POINTER;
  *filter = nullptr;
  std::lock_guard g(lock_);
  ComPtr<IBaseFilter> source;
  HRESULT hr = LoadSource(file, &source);
  if (FAILED(hr)) return hr;
  hr = AddFilter(source.Get(), name.empty() ? file : name);
  if (FAILED(hr)) return hr;
  *filter = source.Detach();
  return hr;
}

HRESULT FilterGraph::RenderFile(const std::string& file, const std::string& playList) {
  if (!playList.empty()) return E_INVALIDARG;
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  aborted_ = false;
  Log("RenderFile '" + file + "'");
  ComPtr<IBaseFilter> source;
  HRESULT hr = LoadSource(file, &source);
  if (FAILED(hr)) return hr;
  hr = AddFilter(source.Get(), std::filesystem::path(file).filename().string());
  if (FAILED(hr)) return hr;

  int rendered = 0, failed = 0;
  bool videoFailed = false, audioFailed = false;
  for (auto& pin : PinsOf(source.Get())) {
    if (!IsOutput(pin.Get())) continue;
    const std::vector<AM_MEDIA_TYPE> types = TypesOf(pin.Get());
    const GUID major = types.empty() ? GUID_NULL : types.front().majortype;
    if (SUCCEEDED(RenderPin(pin.Get(), 0, false))) {
      ++rendered;
    } else {
      ++failed;
      videoFailed |= major == MEDIATYPE_Video;
      audioFailed |= major == MEDIATYPE_Audio;
    }
    if (Aborted()) break;
  }
  if (rendered == 0) {
    RemoveFilter(source.Get());
    hr = Aborted() ? E_ABORT : VFW_E_CANNOT_RENDER;
  } else if (failed == 0) {
    hr = S_OK;
  } else if (videoFailed && !audioFailed) {
    hr = VFW_S_VIDEO_NOT_RENDERED;
  } else if (audioFailed && !videoFailed) {
    hr = VFW_S_AUDIO_NOT_RENDERED;
  } else {
    hr = VFW_S_PARTIAL_RENDER;
  }
  Log("RenderFile done: " + HResultToString(hr));
  return hr;
}

HRESULT FilterGraph::RenderFile(const std::string& file) { return RenderFile(file, {}); }

}  // namespace kavoro::media
