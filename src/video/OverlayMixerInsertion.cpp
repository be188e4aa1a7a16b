// The overlay set-up of the video control: the overlay mixer put in front of the classic
// renderer the graph uses, with every change to the connections logged so that a failure part
// way puts the graph back as it was; and the DVD builder's renderer adopted after a DVD volume
// was rendered. Everything here runs on the GUI thread, inside the graph's control-step
// notification; the pins and filters are the graph's, held here only for the one call.
#include <utility>
#include <vector>

#include "media/DSUtil.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "video/ColorControl.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::video {
namespace {

using TConnectionLog = std::vector<TConnection>;
using TFilters = std::vector<ComPtr<IBaseFilter>>;

bool IsClass(IBaseFilter* filter, REFCLSID clsid) {
  CLSID id{};
  return filter && SUCCEEDED(filter->GetClassID(&id)) && id == clsid;
}

// The pin connected to `pin`, or null.
ComPtr<IPin> PeerOf(IPin* pin) {
  ComPtr<IPin> peer;
  if (!pin || FAILED(pin->ConnectedTo(peer.Put()))) return nullptr;
  return peer;
}

bool HasDirection(IPin* pin, PIN_DIRECTION wanted) {
  PIN_DIRECTION dir = PINDIR_INPUT;
  return pin && SUCCEEDED(pin->QueryDirection(&dir)) && dir == wanted;
}

// The pin connected to `pin`; the failure code when there is none.
HRESULT ConnectedPin(IPin* pin, ComPtr<IPin>* peer) {
  HRESULT hr = pin->ConnectedTo(peer->Put());
  if (SUCCEEDED(hr) && !*peer) hr = VFW_E_NOT_CONNECTED;
  return hr;
}

// The pin at `index` of an enumeration of the filter's pins; E_FAIL when there are fewer.
HRESULT EnumeratedPin(IBaseFilter* filter, ULONG index, ComPtr<IPin>* pin) {
  ComPtr<IEnumPins> pins;
  HRESULT hr = filter->EnumPins(pins.Put());
  if (SUCCEEDED(hr) && index > 0) hr = pins->Skip(index);
  if (hr == S_OK) hr = pins->Next(1, pin->Put(), nullptr);
  if (hr != S_OK || !*pin) {
    *pin = nullptr;
    return FAILED(hr) ? hr : E_FAIL;
  }
  return S_OK;
}

// The filter that owns `pin`.
HRESULT OwnerOf(IPin* pin, ComPtr<IBaseFilter>* filter) {
  PIN_INFO info;
  HRESULT hr = pin->QueryPinInfo(&info);
  if (FAILED(hr)) return hr;
  *filter = ComPtr<IBaseFilter>::Attach(info.pFilter);
  return *filter ? S_OK : E_FAIL;
}

HRESULT CreateFilter(REFCLSID clsid, ComPtr<IBaseFilter>* filter) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC, IIDOf<IBaseFilter>(),
                          filter->PutVoid());
}

// The mixer's first input pin that is not connected: its pins are looked at in order and
// listed again after each look (the mixer adds an input as one gets connected). Null: none.
ComPtr<IPin> FirstFreeMixerInput(IBaseFilter* mixer) {
  for (std::size_t index = 0;; ++index) {
    TPinList pins(mixer);
    if (index >= pins.Count()) return nullptr;
    IPin* pin = pins[index];
    if (HasDirection(pin, PINDIR_INPUT) && !PeerOf(pin)) return ComPtr<IPin>(pin);
  }
}

// Breaks the connection from `output` to `input`, disconnecting `output` first when
// `outputFirst` is set, else `input` first. It is logged as broken as soon as one side is, so
// that the roll back restores a connection left broken on one side only.
HRESULT BreakConnection(IGraphBuilder* builder, IPin* output, IPin* input, bool outputFirst,
                        TConnectionLog& log) {
  IPin* first = outputFirst ? output : input;
  IPin* second = outputFirst ? input : output;
  HRESULT hr = builder->Disconnect(first);
  if (FAILED(hr)) return hr;
  hr = builder->Disconnect(second);
  log.push_back({ComPtr<IPin>(output), ComPtr<IPin>(input), ckBroken});
  return hr;
}

// Connects `output` to `input` with intelligent connect and logs the connection as made.
HRESULT MakeConnection(IGraphBuilder* builder, IPin* output, IPin* input, TConnectionLog& log) {
  HRESULT hr = builder->Connect(output, input);
  if (SUCCEEDED(hr)) log.push_back({ComPtr<IPin>(output), ComPtr<IPin>(input), ckMade});
  return hr;
}

// A mixer found in the graph is usable when one of its outputs feeds `renderer` and at least
// one of its inputs is connected.
bool MixerUsable(IBaseFilter* mixer, IBaseFilter* renderer) {
  bool feedsRenderer = false;
  bool fed = false;
  for (const auto& pin : TPinList(mixer)) {
    ComPtr<IPin> peer = PeerOf(pin.Get());
    if (!peer) continue;
    if (HasDirection(pin.Get(), PINDIR_INPUT)) {
      fed = true;
    } else if (HasDirection(pin.Get(), PINDIR_OUTPUT)) {
      ComPtr<IBaseFilter> owner;
      if (renderer && SUCCEEDED(OwnerOf(peer.Get(), &owner)) &&
          IsSameObject(owner.Get(), renderer)) {
        feedsRenderer = true;
      }
    }
  }
  return feedsRenderer && fed;
}

// The work of one insertion: the builder, the connection log, the Line 21 Decoders added and
// the Line 21 Decoder 2 filters they replace.
struct TRewiring {
  IGraphBuilder* Builder;
  TConnectionLog Log;
  TFilters AddedLine21;
  TFilters ReplacedLine21;
};

// The VMR's connected inputs, walked by index from 0 until the first one that is not
// connected, are disconnected; the output pins that fed them are appended to `moved`.
HRESULT DetachVmrInputs(TRewiring& work, IBaseFilter* vmr, std::vector<ComPtr<IPin>>& moved) {
  TPinList pins(vmr);
  for (std::size_t index = 0; index < pins.Count(); ++index) {
    ComPtr<IPin> vmrPin(pins[index]);
    ComPtr<IPin> output = PeerOf(vmrPin.Get());
    if (!output) break;
    HRESULT hr = BreakConnection(work.Builder, output.Get(), vmrPin.Get(), true, work.Log);
    if (FAILED(hr)) return hr;
    moved.push_back(output);
    pins = TPinList(vmr);  // the VMR may change its pins
  }
  return S_OK;
}

// `pin` (a moved output) belongs to `line21v2`, a Line 21 Decoder 2, which only the VMR can
// take: the output feeding that decoder is moved to a new Line 21 Decoder (one the mixer
// takes), whose output becomes `pin`.
HRESULT SwapLine21Decoder(TRewiring& work, IBaseFilter* line21v2, ComPtr<IPin>* pin) {
  ComPtr<IPin> input, output;
  HRESULT hr = EnumeratedPin(line21v2, 0, &input);
  if (SUCCEEDED(hr)) hr = ConnectedPin(input.Get(), &output);
  if (SUCCEEDED(hr)) hr = BreakConnection(work.Builder, output.Get(), input.Get(), false, work.Log);
  if (FAILED(hr)) return hr;
  work.ReplacedLine21.push_back(ComPtr<IBaseFilter>(line21v2));

  ComPtr<IBaseFilter> line21;
  hr = CreateFilter(CLSID_Line21Decoder, &line21);
  if (SUCCEEDED(hr)) hr = work.Builder->AddFilter(line21.Get(), kLine21DecoderName);
  if (FAILED(hr)) return hr;
  work.AddedLine21.push_back(line21);

  ComPtr<IPin> line21Input;
  hr = EnumeratedPin(line21.Get(), 0, &line21Input);
  if (SUCCEEDED(hr)) hr = MakeConnection(work.Builder, output.Get(), line21Input.Get(), work.Log);
  if (SUCCEEDED(hr)) hr = EnumeratedPin(line21.Get(), 1, pin);
  return hr;
}

// The VMR's inputs moved, in their order, to the mixer's first free inputs.
HRESULT MoveVmrInputs(TRewiring& work, IBaseFilter* vmr, IBaseFilter* mixer) {
  std::vector<ComPtr<IPin>> moved;
  HRESULT hr = DetachVmrInputs(work, vmr, moved);
  if (FAILED(hr)) return hr;
  for (ComPtr<IPin> pin : moved) {
    ComPtr<IPin> mixerInput = FirstFreeMixerInput(mixer);
    if (!mixerInput) return E_FAIL;
    ComPtr<IBaseFilter> owner;
    hr = OwnerOf(pin.Get(), &owner);
    if (SUCCEEDED(hr) && IsClass(owner.Get(), CLSID_Line21Decoder2)) {
      hr = SwapLine21Decoder(work, owner.Get(), &pin);
    }
    if (SUCCEEDED(hr)) hr = MakeConnection(work.Builder, pin.Get(), mixerInput.Get(), work.Log);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// The output feeding the classic renderer directly is moved to the mixer's first free input.
HRESULT MoveRendererInput(TRewiring& work, IPin* rendererInput, IBaseFilter* mixer) {
  ComPtr<IPin> output;
  HRESULT hr = ConnectedPin(rendererInput, &output);
  if (SUCCEEDED(hr)) {
    hr = BreakConnection(work.Builder, output.Get(), rendererInput, false, work.Log);
  }
  if (FAILED(hr)) return hr;
  ComPtr<IPin> mixerInput = FirstFreeMixerInput(mixer);
  if (!mixerInput) return E_FAIL;
  return MakeConnection(work.Builder, output.Get(), mixerInput.Get(), work.Log);
}

}  // namespace

HRESULT TDSVideoWindowEx2::InsertOverlayMixer() {
  FMixerFilter = nullptr;
  FGraphRenderer = nullptr;

  // The graph's filters sorted by class; the last of a class wins.
  ComPtr<IBaseFilter> vmr;
  {
    ComPtr<IFilterGraph> graph;
    if (FFilterGraph) graph = FFilterGraph->Query<IFilterGraph>();
    for (const auto& filter : TFilterList(graph.Get())) {
      if (IsClass(filter.Get(), CLSID_OverlayMixer)) FMixerFilter = filter;
      else if (IsClass(filter.Get(), CLSID_VideoMixingRenderer)) vmr = filter;
      else if (IsClass(filter.Get(), CLSID_VideoRenderer)) FGraphRenderer = filter;
    }
  }

  ComPtr<IGraphBuilder> builder;
  HRESULT hr = E_NOINTERFACE;
  if (FFilterGraph) hr = FFilterGraph->QueryInterface(IIDOf<IGraphBuilder>(), builder.PutVoid());
  if (FAILED(hr) || !builder) return FAILED(hr) ? hr : E_NOINTERFACE;
  TRewiring work{builder.Get(), {}, {}, {}};

  // A mixer already in the graph is used as it is, or not at all.
  const bool mixerFound = FMixerFilter != nullptr;
  if (mixerFound && !MixerUsable(FMixerFilter.Get(), FGraphRenderer.Get())) return E_FAIL;

  if (!mixerFound) {
    // The mixer joins the graph. A failure before any connection changed leaves the graph as
    // it was found: the mixer, once added, is taken out again, so that no stray mixer is
    // taken for a working overlay by the colour settings and the capability flags.
    hr = CreateFilter(CLSID_OverlayMixer, &FMixerFilter);
    if (SUCCEEDED(hr)) hr = builder->AddFilter(FMixerFilter.Get(), kOverlayMixerName);
    if (FAILED(hr)) {
      FMixerFilter = nullptr;
      return hr;
    }
    ComPtr<IPin> rendererInput;
    hr = FGraphRenderer ? EnumeratedPin(FGraphRenderer.Get(), 0, &rendererInput) : E_FAIL;
    if (FAILED(hr)) {
      builder->RemoveFilter(FMixerFilter.Get());
      FMixerFilter = nullptr;
      return hr;
    }

    // The video moves to the mixer's inputs; then the mixer feeds the renderer.
    hr = vmr ? MoveVmrInputs(work, vmr.Get(), FMixerFilter.Get())
             : MoveRendererInput(work, rendererInput.Get(), FMixerFilter.Get());

    if (SUCCEEDED(hr)) {
      ComPtr<IPin> mixerOutput;
      hr = FMixerFilter->FindPin(kMixerOutputPinName, mixerOutput.Put());
      if (SUCCEEDED(hr) && !mixerOutput) hr = VFW_E_NOT_FOUND;
      if (SUCCEEDED(hr)) {
        hr = MakeConnection(builder.Get(), mixerOutput.Get(), rendererInput.Get(), work.Log);
      }
    }
    if (FAILED(hr)) return RollBack(work.Log, builder.Get(), vmr.Get(), work.AddedLine21, hr);
  }

  // The mixer tells the control of colour-key and size changes through the callback.
  FExclModeVideo = nullptr;
  hr = FMixerFilter.As(&FExclModeVideo);
  if (SUCCEEDED(hr) && !FExclModeVideo) hr = E_NOINTERFACE;
  if (SUCCEEDED(hr)) {
    if (FOverlayCallback) FOverlayCallback->Forget();
    FOverlayCallback = MakeCom<TOverlayCallback>(this);
    hr = FExclModeVideo->SetCallbackInterface(FOverlayCallback.Get(), 0);
  }
  if (FAILED(hr)) {
    FExclModeVideo = nullptr;
    if (FOverlayCallback) FOverlayCallback->Forget();
    FOverlayCallback = nullptr;
    // A mixer that was in the graph already stays as it was: nothing was changed.
    if (mixerFound) return hr;
    return RollBack(work.Log, builder.Get(), vmr.Get(), work.AddedLine21, hr);
  }
  for (const auto& replaced : work.ReplacedLine21) builder->RemoveFilter(replaced.Get());
  if (vmr) builder->RemoveFilter(vmr.Get());
  return S_OK;
}

// Undoes the logged changes from the last to the first, takes the added filters out and, in a
// VMR graph, falls back on the VMR and its window (the control's own renderer leaves the
// graph). Returns `failure`, or the mixer's removal code when the mixer cannot be taken out
// (then nothing falls back). Empties the log.
HRESULT TDSVideoWindowEx2::RollBack(std::vector<TConnection>& log, IGraphBuilder* builder,
                                    IBaseFilter* vmr,
                                    const std::vector<ComPtr<IBaseFilter>>& addedLine21,
                                    HRESULT failure) {
  for (auto record = log.rbegin(); record != log.rend(); ++record) {
    IPin* output = record->First.Get();
    IPin* input = record->Second.Get();
    if (record->Kind == ckMade) {
      builder->Disconnect(output);
      builder->Disconnect(input);
    } else {
      // A connection broken on one side only loses its other side first.
      if (PeerOf(output)) builder->Disconnect(output);
      if (PeerOf(input)) builder->Disconnect(input);
      builder->Connect(output, input);
    }
  }
  log.clear();

  for (const auto& line21 : addedLine21) builder->RemoveFilter(line21.Get());
  if (FMixerFilter) {
    HRESULT hr = builder->RemoveFilter(FMixerFilter.Get());
    if (FAILED(hr)) return hr;
  }
  FMixerFilter = nullptr;
  if (vmr) {
    if (auto own = FVideoWindow.As<IBaseFilter>()) builder->RemoveFilter(own.Get());
    FGraphRenderer = ComPtr<IBaseFilter>(vmr);
    FVideoWindow = FGraphRenderer.As<IVideoWindow>();
  }
  return failure;
}

void TDSVideoWindowEx2::AdoptDvdRenderer() {
  ComPtr<IGraphBuilder> builder;
  if (FFilterGraph) builder = FFilterGraph->Query<IGraphBuilder>();
  ComPtr<IBaseFilter> chosen;
  bool classic = false;
  for (const auto& filter : TFilterList(builder.Get())) {
    classic = IsClass(filter.Get(), CLSID_VideoRenderer);
    if (classic || IsClass(filter.Get(), CLSID_VideoMixingRenderer)) {
      chosen = filter;
      break;
    }
  }
  if (!chosen) return;

  FMixerFilter = nullptr;
  FRendererFilter = nullptr;
  FGraphRenderer = nullptr;
  if (classic) {
    FVideoWindow = nullptr;
    FRendererFilter = chosen;
    FVideoWindow = chosen.As<IVideoWindow>();
  } else if (FVideoWindow) {
    // The control's own renderer goes (back) into the graph; the result is not checked.
    ComPtr<IBaseFilter> own = FVideoWindow.As<IBaseFilter>();
    if (own) builder->AddFilter(own.Get(), Name());
    FRendererFilter = own;
  }

  FOverlayActive = SUCCEEDED(InsertOverlayMixer());
  if (FOverlayActive && FColorControl) {
    FColorControl->ReadHardwareSettings();
    FColorControl->ApplyToOverlay();
  }
}

}  // namespace kavoro::video
