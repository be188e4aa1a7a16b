#include "platform/media/dvd/DvdGraphBuilder.h"

#include <mutex>

#include "platform/com/ClassRegistry.h"
#include "platform/media/FilterCatalog.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaFramework.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/media/dvd/SubpictureDecoder.h"
#include "platform/media/dvd/DvdState.h"
#include "platform/os/Platform.h"

namespace kavoro::media {
namespace {

// Filters between the navigator and a renderer: decoder, mixer, and room to spare.
constexpr int kMaxChainLength = 8;

}  // namespace

DvdGraphBuilder::DvdGraphBuilder() {
  graph_ = CreateInstance<IGraphBuilder>(CLSID_FilterGraph);
}

HRESULT DvdGraphBuilder::GetFiltergraph(IGraphBuilder** graph) {
  if (!graph) return E_POINTER;
  *graph = graph_.Get();
  if (!*graph) return E_FAIL;
  graph_->AddRef();
  return S_OK;
}

HRESULT DvdGraphBuilder::GetDvdInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!navigator_) return E_NOINTERFACE;
  if (SUCCEEDED(navigator_->QueryInterface(riid, ppv))) return S_OK;
  // The renderers' interfaces (IVideoWindow, IBasicVideo...): the first filter that has it.
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph_->EnumFilters(filters.Put()))) return E_NOINTERFACE;
  IBaseFilter* f = nullptr;
  while (filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
    if (SUCCEEDED(f->QueryInterface(riid, ppv))) return S_OK;
  }
  return E_NOINTERFACE;
}

ComPtr<IBaseFilter> DvdGraphBuilder::RendererOf(IPin* output) {
  // Downstream along the first connected output of each filter, to one that has none.
  ComPtr<IPin> at(output);
  for (int hops = 0; hops < kMaxChainLength; ++hops) {
    ComPtr<IPin> peer;
    PIN_INFO info;
    if (FAILED(at->ConnectedTo(peer.Put())) || FAILED(peer->QueryPinInfo(&info)) || !info.pFilter)
      return {};
    ComPtr<IBaseFilter> f = ComPtr<IBaseFilter>::Attach(info.pFilter);
    ComPtr<IPin> next = ConnectedOutput(f.Get());
    if (!next) return f;
    at = next;
  }
  return {};
}

ComPtr<IPin> DvdGraphBuilder::ConnectedOutput(IBaseFilter* f) {
  ComPtr<IEnumPins> pins;
  if (FAILED(f->EnumPins(pins.Put()))) return {};
  IPin* p = nullptr;
  while (pins->Next(1, &p, nullptr) == S_OK) {
    ComPtr<IPin> held = ComPtr<IPin>::Attach(p);
    PIN_DIRECTION dir;
    ComPtr<IPin> peer;
    if (SUCCEEDED(p->QueryDirection(&dir)) && dir == PINDIR_OUTPUT &&
        SUCCEEDED(p->ConnectedTo(peer.Put())))
      return held;
  }
  return {};
}

bool DvdGraphBuilder::InsertMixer(IBaseFilter* renderer) {
  ComPtr<IPin> input, upstream;
  if (FAILED(renderer->FindPin("Input", input.Put())) ||
      FAILED(input->ConnectedTo(upstream.Put())))
    return false;
  ComPtr<IBaseFilter> mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
  if (!mixer || FAILED(graph_->AddFilter(mixer.Get(), "Overlay Mixer"))) return false;
  ComPtr<IPin> video, output;
  graph_->Disconnect(upstream.Get());
  graph_->Disconnect(input.Get());
  if (SUCCEEDED(mixer->FindPin("Input0", video.Put())) &&
      SUCCEEDED(mixer->FindPin("Output", output.Put())) &&
      SUCCEEDED(graph_->ConnectDirect(upstream.Get(), video.Get(), nullptr)) &&
      SUCCEEDED(graph_->ConnectDirect(output.Get(), input.Get(), nullptr)))
    return true;
  // Back as it was: the video straight into the renderer.
  graph_->RemoveFilter(mixer.Get());
  graph_->ConnectDirect(upstream.Get(), input.Get(), nullptr);
  return false;
}

std::string DvdGraphBuilder::FirstDvdDrive() {
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (os::Os().Drives().GetDriveType(root) == os::DRIVE_NO_ROOT_DIR) continue;
    if (os::Os().Drives().FileExists(root + "VIDEO_TS\\VIDEO_TS.IFO")) return root;
  }
  return {};
}

HRESULT DvdGraphBuilder::RenderDvdVideoVolume(const char* path, DWORD flags,
                                              AM_DVD_RENDERSTATUS* status) {
  constexpr DWORD kKnown = AM_DVD_HWDEC_PREFER | AM_DVD_HWDEC_ONLY | AM_DVD_SWDEC_PREFER |
                           AM_DVD_SWDEC_ONLY | AM_DVD_NOVPE;
  const DWORD mode = flags & 0x0F;
  if ((flags & ~kKnown) || (mode & (mode - 1))) return E_INVALIDARG;  // at most one mode
  if (path && !*path) return E_INVALIDARG;
  if (!graph_) return VFW_E_DVD_RENDERFAIL;
  if (navigator_) return VFW_E_DVD_RENDERFAIL;  // one volume per builder
  AM_DVD_RENDERSTATUS s;
  // This machine decodes in software only.
  if (mode == AM_DVD_HWDEC_ONLY) {
    if (status) *status = s;
    return VFW_E_DVD_DECNOTENOUGH;
  }

  std::string volume = path ? path : FirstDvdDrive();
  if (volume.empty()) {
    s.bDvdVolUnknown = 1;
    if (status) *status = s;
    return S_FALSE;
  }
  ComPtr<DvdNavigator> nav = MakeCom<DvdNavigator>();
  if (FAILED(nav->Open(volume))) {
    if (path) s.bDvdVolInvalid = 1;
    else s.bDvdVolUnknown = 1;
    if (status) *status = s;
    return S_FALSE;
  }
  if (FAILED(graph_->AddFilter(nav.Get(), "DVD Navigator"))) {
    if (status) *status = s;
    return VFW_E_DVD_RENDERFAIL;
  }
  navigator_ = nav;

  struct Stream {
    DvdNavigator::Output output;
    DWORD flag;
  };
  const Stream streams[] = {{DvdNavigator::Output::Video, AM_DVD_STREAM_VIDEO},
                            {DvdNavigator::Output::Audio, AM_DVD_STREAM_AUDIO},
                            {DvdNavigator::Output::Subpicture, AM_DVD_STREAM_SUBPIC}};
  for (const Stream& st : streams) {
    ++s.iNumStreams;
    IPin* pin = nav->OutputPin(st.output);
    bool rendered = pin && SUCCEEDED(graph_->Render(pin));
    if (!rendered && pin && st.output == DvdNavigator::Output::Subpicture) {
      // The video renderer has no overlay input of its own: the Overlay Mixer in front of it
      // lays the subpictures over the picture instead.
      IPin* video = nav->OutputPin(DvdNavigator::Output::Video);
      ComPtr<IBaseFilter> renderer = video ? RendererOf(video) : nullptr;
      rendered = renderer && InsertMixer(renderer.Get()) && SUCCEEDED(graph_->Render(pin));
    }
    if (!rendered) {
      ++s.iNumStreamsFailed;
      s.dwFailedStreamsFlag |= st.flag;
    }
  }
  if (status) *status = s;
  if ((s.dwFailedStreamsFlag & (AM_DVD_STREAM_VIDEO | AM_DVD_STREAM_AUDIO)) ==
      (AM_DVD_STREAM_VIDEO | AM_DVD_STREAM_AUDIO))
    return VFW_E_DVD_RENDERFAIL;  // nothing to see or hear
  return s.iNumStreamsFailed ? S_FALSE : S_OK;
}

void RegisterDvdPlayback() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterMediaFramework();
    RegisterDvdState();
    auto& classes = ClassRegistry::Instance();
    classes.RegisterClass(CLSID_DvdGraphBuilder, "DVD Graph Builder", [](REFIID riid, void** ppv) {
      ComPtr<DvdGraphBuilder> b = MakeCom<DvdGraphBuilder>();
      return b->QueryInterface(riid, ppv);
    });
    classes.RegisterClass(CLSID_KavoroDvdNavigator, "DVD Navigator", [](REFIID riid, void** ppv) {
      ComPtr<DvdNavigator> n = MakeCom<DvdNavigator>();
      return n->QueryInterface(riid, ppv);
    });
    RegisteredFilter decoder;
    decoder.clsid = CLSID_KavoroSubpictureDecoder;
    decoder.name = "Subpicture Decoder";
    decoder.merit = MERIT_NORMAL;
    decoder.pins = {{"Subpicture Input", false, false, {{MEDIATYPE_Subpicture, GUID_NULL}}},
                    {"Overlay Output", true, false, {{MEDIATYPE_Video, MEDIASUBTYPE_ARGB32}}}};
    RegisterBuiltInFilter(CLSID_LegacyAmFilterCategory, decoder, [](REFIID riid, void** ppv) {
      ComPtr<SubpictureDecoder> d = MakeCom<SubpictureDecoder>();
      return d->QueryInterface(riid, ppv);
    });
  });
}

}  // namespace kavoro::media
