#pragma once
// Fakes for the overlay mixer insertion: filters with the class identifiers of the classic
// renderer, the VMR, the Overlay Mixer, the two Line 21 decoders and a video decoder, whose
// pins keep real connection state (each side knows its peer, as platform pins do); a graph
// manager whose intelligent Connect, Disconnect, AddFilter and RemoveFilter can be told to
// fail on a chosen call; and a DVD builder that hands out such a manager. The classes are
// registered in the class registry, so TFilterGraph and CoCreateInstance make them. Every
// filter made lives in one world until the test ends. GUI thread (the test's) only.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "support/IdleFakes.h"

namespace kavoro::test {

enum class FilterKind { Renderer, Vmr, Mixer, Line21Decoder2, Line21Decoder, Decoder };

// The operations of the fake manager that can be told to fail.
enum class GraphOp { AddFilter, RemoveFilter, Connect, Disconnect };

class FakeFilter;

// A pin whose reference count is its filter's. The mixer's inputs also answer
// IMixerPinConfig2 (colour controls of a record the test sets; calls are logged).
class FakePin final : public IdlePin<IPin>, public IMixerPinConfig2 {
 public:
  FakePin(FakeFilter* owner, std::string id, PIN_DIRECTION dir, bool mixerInput);

  // "filter.pin"
  std::string Name() const;
  FakePin* Peer() const { return peer_; }
  PIN_DIRECTION Direction() const { return dir_; }
  const std::string& Id() const { return id_; }
  // Test side: drops the connection on this side without any call being logged.
  void Forget() { peer_ = nullptr; }

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IPin
  HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
  HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin** pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT QueryPinInfo(PIN_INFO* info) override;
  HRESULT QueryDirection(PIN_DIRECTION* dir) override;
  HRESULT QueryId(std::string* id) override;
  HRESULT QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }

  // IMixerPinConfig2
  HRESULT SetRelativePosition(DWORD, DWORD, DWORD, DWORD) override { return S_OK; }
  HRESULT GetRelativePosition(DWORD* l, DWORD* t, DWORD* r, DWORD* b) override;
  HRESULT SetZOrder(DWORD) override { return S_OK; }
  HRESULT GetZOrder(DWORD* z) override;
  HRESULT SetColorKey(const COLORKEY*) override { return S_OK; }
  HRESULT GetColorKey(COLORKEY* key, DWORD* color) override;
  HRESULT SetBlendingParameter(DWORD) override { return S_OK; }
  HRESULT GetBlendingParameter(DWORD* value) override;
  HRESULT SetAspectRatioMode(AM_ASPECT_RATIO_MODE) override { return S_OK; }
  HRESULT GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) override;
  HRESULT SetStreamTransparent(BOOL) override { return S_OK; }
  HRESULT GetStreamTransparent(BOOL* transparent) override;
  HRESULT SetOverlaySurfaceColorControls(const DDCOLORCONTROL* controls) override;
  HRESULT GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) override;

 private:
  FakeFilter* owner_;
  std::string id_;
  PIN_DIRECTION dir_;
  bool mixerInput_;
  FakePin* peer_ = nullptr;
};

// One fake filter of the given kind. Pins by kind:
//   Renderer: Input.  Vmr: Input0, Input1, ... (up to the last connected one and one free
//   one after it, at most four).  Mixer: the same inputs (at most World().mixerInputs), then
//   Output.  Line 21 decoders: Input, Output.  Decoder: Input, Video, CC, Subpicture.
// Renderers answer IVideoWindow (accepting everything); the mixer answers
// IDDrawExclModeVideo while World().exclModeVideo is set.
class FakeFilter final
    : public IdleFilter<ComObject<IBaseFilter, IVideoWindow, IDDrawExclModeVideo>> {
 public:
  FakeFilter(FilterKind kind, std::string label);
  ~FakeFilter() override;

  FilterKind Kind() const { return kind_; }
  const std::string& Label() const { return label_; }
  // The pin with this id (listed or not), or null.
  FakePin* Pin(const std::string& id) const;
  // Every pin the filter has, listed or not.
  std::vector<FakePin*> AllPins() const;
  // The pins EnumPins lists now.
  std::vector<FakePin*> ListedPins() const;
  // The sink registered through SetCallbackInterface, and how often it was called.
  IDDrawExclModeVideoCallback* Callback() const { return callback_.Get(); }
  int callbackCalls = 0;
  void DropCallback() { callback_ = nullptr; }

  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // IBaseFilter
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string& id, IPin** pin) override;
  HRESULT QueryFilterInfo(FILTER_INFO* info) override;

  // IVideoWindow: stores nothing, accepts everything.
  HRESULT put_Caption(const std::string&) override { return S_OK; }
  HRESULT get_Caption(std::string* caption) override;
  HRESULT put_WindowStyle(LONG) override { return S_OK; }
  HRESULT get_WindowStyle(LONG* v) override { return Zero(v); }
  HRESULT put_WindowStyleEx(LONG) override { return S_OK; }
  HRESULT get_WindowStyleEx(LONG* v) override { return Zero(v); }
  HRESULT put_AutoShow(LONG) override { return S_OK; }
  HRESULT get_AutoShow(LONG* v) override { return Zero(v); }
  HRESULT put_WindowState(LONG) override { return S_OK; }
  HRESULT get_WindowState(LONG* v) override { return Zero(v); }
  HRESULT put_BackgroundPalette(LONG) override { return S_OK; }
  HRESULT get_BackgroundPalette(LONG* v) override { return Zero(v); }
  HRESULT put_Visible(LONG) override { return S_OK; }
  HRESULT get_Visible(LONG* v) override { return Zero(v); }
  HRESULT put_Left(LONG) override { return S_OK; }
  HRESULT get_Left(LONG* v) override { return Zero(v); }
  HRESULT put_Width(LONG) override { return S_OK; }
  HRESULT get_Width(LONG* v) override { return Zero(v); }
  HRESULT put_Top(LONG) override { return S_OK; }
  HRESULT get_Top(LONG* v) override { return Zero(v); }
  HRESULT put_Height(LONG) override { return S_OK; }
  HRESULT get_Height(LONG* v) override { return Zero(v); }
  HRESULT put_Owner(OAHWND) override { return S_OK; }
  HRESULT get_Owner(OAHWND* v) override;
  HRESULT put_MessageDrain(OAHWND) override { return S_OK; }
  HRESULT get_MessageDrain(OAHWND* v) override;
  HRESULT get_BorderColor(LONG* v) override { return Zero(v); }
  HRESULT put_BorderColor(LONG) override { return S_OK; }
  HRESULT get_FullScreenMode(LONG* v) override { return Zero(v); }
  HRESULT put_FullScreenMode(LONG) override { return S_OK; }
  HRESULT SetWindowForeground(LONG) override { return S_OK; }
  HRESULT NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override { return S_OK; }
  HRESULT SetWindowPosition(LONG, LONG, LONG, LONG) override { return S_OK; }
  HRESULT GetWindowPosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT GetMinIdealImageSize(LONG* w, LONG* h) override;
  HRESULT GetMaxIdealImageSize(LONG* w, LONG* h) override;
  HRESULT GetRestorePosition(LONG* l, LONG* t, LONG* w, LONG* h) override;
  HRESULT HideCursor(LONG) override { return S_OK; }
  HRESULT IsCursorHidden(LONG* v) override { return Zero(v); }

  // IDDrawExclModeVideo
  HRESULT SetDrawParameters(const RECT*, const RECT*) override { return S_OK; }
  HRESULT GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                              DWORD* aspectY) override;
  HRESULT SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) override;

 private:
  static HRESULT Zero(LONG* v);
  std::size_t FamilyListed() const;

  FilterKind kind_;
  std::string label_;
  std::vector<std::unique_ptr<FakePin>> family_;  // the numbered inputs
  std::vector<std::unique_ptr<FakePin>> fixed_;
  ComPtr<IDDrawExclModeVideoCallback> callback_;
};

class FakeGraphManager final : public ComObject<IFilterGraph2> {
 public:
  FakeGraphManager();
  // IFilterGraph
  HRESULT AddFilter(IBaseFilter* filter, const std::string& name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  HRESULT EnumFilters(IEnumFilters** filters) override;
  HRESULT FindFilterByName(const std::string&, IBaseFilter**) override { return E_NOTIMPL; }
  HRESULT ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT Reconnect(IPin*) override { return E_NOTIMPL; }
  HRESULT Disconnect(IPin* pin) override;
  HRESULT SetDefaultSyncSource() override { return S_OK; }
  // IGraphBuilder: Connect connects the two pins directly.
  HRESULT Connect(IPin* output, IPin* input) override;
  HRESULT Render(IPin*) override { return E_NOTIMPL; }
  HRESULT RenderFile(const std::string&, const std::string&) override { return E_NOTIMPL; }
  HRESULT AddSourceFilter(const std::string&, const std::string&, IBaseFilter**) override {
    return E_NOTIMPL;
  }
  HRESULT SetLogFile(DWORD_PTR) override { return S_OK; }
  HRESULT Abort() override { return S_OK; }
  HRESULT ShouldOperationContinue() override { return S_OK; }
  // IFilterGraph2
  HRESULT ReconnectEx(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT RenderEx(IPin*, DWORD, DWORD*) override { return E_NOTIMPL; }

  // Test side: puts a filter into the graph or takes it out without any call being logged
  // or counted (taking out does not touch its connections).
  void Put(FakeFilter* filter, const std::string& name = "");
  void Take(FakeFilter* filter);
  // The labels of the filters in the graph, in the graph's order.
  std::vector<std::string> Labels() const;
  // The names the filters were added under, by label.
  std::string NameOf(const std::string& label) const;
  bool Holds(IBaseFilter* filter) const;

 private:
  struct Entry {
    ComPtr<IBaseFilter> filter;
    std::string name;
  };
  std::vector<Entry> filters_;
};

class FakeDvdBuilder final : public ComObject<IDvdGraphBuilder> {
 public:
  FakeDvdBuilder();
  HRESULT GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT GetDvdInterface(REFIID, void** ppv) override;
  HRESULT RenderDvdVideoVolume(const char*, DWORD, AM_DVD_RENDERSTATUS*) override {
    return E_NOTIMPL;
  }

 private:
  ComPtr<FakeGraphManager> graph_;
};

// The state the fakes share: what the test set up, what the fakes were asked.
struct InsertionWorld {
  // Every filter made, kept until Reset.
  std::vector<ComPtr<FakeFilter>> filters;
  // The last graph manager made.
  ComPtr<FakeGraphManager> manager;
  // Calls of the manager's building operations and of SetCallbackInterface, in order:
  // "AddFilter mixer as 'Overlay Mixer'", "Connect decoder.Video -> mixer.Input0",
  // "Disconnect renderer.Input", "RemoveFilter vmr", with " FAILS" appended to refused ones.
  std::vector<std::string> calls;
  // Colour-control calls on the mixer's inputs: "Get mixer.Input0", "Set mixer.Input0".
  std::vector<std::string> colorCalls;
  // The record the mixer's inputs give, and the last one written to them.
  DDCOLORCONTROL colorRecord;
  DDCOLORCONTROL colorWritten;

  // How many inputs a mixer made from now on can have.
  int mixerInputs = 4;
  // The mixer answers IDDrawExclModeVideo; SetCallbackInterface gives this result.
  bool exclModeVideo = true;
  HRESULT setCallbackResult = S_OK;
  // Classes CoCreateInstance refuses to make (with the code given).
  std::map<FilterKind, HRESULT> uncreatable;

  // The `call`-th call (1-based, counted from now) of `op` fails with `code`.
  void FailOn(GraphOp op, int call, HRESULT code);
  // Counts the call and tells whether it fails; *code receives the failure.
  bool Fails(GraphOp op, HRESULT* code);

  // A new filter, kept in the world. The label names it in snapshots and call logs; a label
  // in use gets "#2", "#3", ... appended.
  FakeFilter* Make(FilterKind kind, const std::string& label);
  // The filter with this label, or null.
  FakeFilter* Find(const std::string& label) const;

  // Every connection of every filter made, sorted: "out->in" for an output pin and the input
  // pin it is connected to when both sides agree; a side whose peer does not point back
  // appears as "x.p=>y.q (one-sided)".
  std::vector<std::string> Connections() const;

  // Forgets everything: connections, callbacks, filters, logs, settings.
  void Reset();

 private:
  struct Plan {
    int call = 0;
    HRESULT code = S_OK;
  };
  std::map<GraphOp, Plan> plans_;
  std::map<GraphOp, int> counts_;
};

InsertionWorld& World();

// Registers the fakes under CLSID_FilterGraph, CLSID_DvdGraphBuilder, CLSID_VideoRenderer,
// CLSID_VideoMixingRenderer, CLSID_OverlayMixer, CLSID_Line21Decoder2 and CLSID_Line21Decoder
// (labels "renderer", "vmr", "mixer", "line21 v2", "line21"); Unregister takes them out.
void RegisterInsertionFakes();
void UnregisterInsertionFakes();

const char* OpName(GraphOp op);

}  // namespace kavoro::test
