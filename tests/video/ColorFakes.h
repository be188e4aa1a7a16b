#pragma once
// Fakes for the colour settings' tests: a graph manager that only holds filters, filters of a
// chosen class with chosen pins, and an overlay mixer input pin whose colour record behaves
// like a surface (a write changes the flagged values) and can refuse reads and writes. The
// fixture registers the manager and a renderer under the framework's class identifiers, so a
// real graph component and a real video control build their graph from them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/FilterGraph.h"
#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IPin.h"
#include "platform/media/MediaErrors.h"
#include "support/IdleFakes.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::test {

// A pin of a chosen direction that answers IMixerPinConfig2 only when `mixerConfig` is set.
// The colour record starts as `record`; writes are kept in `writes`, accepted or not.
class FakeColorPin : public IdlePin<ComObject<IPin, IMixerPinConfig2>> {
 public:
  FakeColorPin(PIN_DIRECTION direction, bool mixerConfig)
      : direction(direction), mixerConfig(mixerConfig) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // IPin: only the direction is of interest.
  HRESULT Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT Disconnect() override { return S_FALSE; }
  HRESULT ConnectedTo(IPin**) override { return VFW_E_NOT_CONNECTED; }
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
  HRESULT QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
  HRESULT QueryDirection(PIN_DIRECTION* dir) override;
  HRESULT QueryId(std::string*) override { return E_NOTIMPL; }
  HRESULT QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }

  // IMixerPinConfig: not used by the colour settings.
  HRESULT SetRelativePosition(DWORD, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRelativePosition(DWORD*, DWORD*, DWORD*, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetZOrder(DWORD) override { return E_NOTIMPL; }
  HRESULT GetZOrder(DWORD*) override { return E_NOTIMPL; }
  HRESULT SetColorKey(const COLORKEY*) override { return E_NOTIMPL; }
  HRESULT GetColorKey(COLORKEY*, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetBlendingParameter(DWORD) override { return E_NOTIMPL; }
  HRESULT GetBlendingParameter(DWORD*) override { return E_NOTIMPL; }
  HRESULT SetAspectRatioMode(AM_ASPECT_RATIO_MODE) override { return E_NOTIMPL; }
  HRESULT GetAspectRatioMode(AM_ASPECT_RATIO_MODE*) override { return E_NOTIMPL; }
  HRESULT SetStreamTransparent(BOOL) override { return E_NOTIMPL; }
  HRESULT GetStreamTransparent(BOOL*) override { return E_NOTIMPL; }

  // IMixerPinConfig2. A refused or malformed write changes nothing.
  HRESULT SetOverlaySurfaceColorControls(const DDCOLORCONTROL* controls) override;
  HRESULT GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) override;

  PIN_DIRECTION direction;
  bool mixerConfig;
  HRESULT directionResult = S_OK;
  HRESULT getResult = S_OK;
  HRESULT setResult = S_OK;
  DDCOLORCONTROL record = SurfaceDefaults();
  std::vector<DDCOLORCONTROL> writes;
  int reads = 0;

  // A surface that supports all seven settings, at their usual values.
  static DDCOLORCONTROL SurfaceDefaults();
};

// A filter of class `clsid` with the given pins.
class FakeColorFilter : public IdleFilter<ComObject<IBaseFilter>> {
 public:
  FakeColorFilter(const CLSID& clsid, std::vector<ComPtr<FakeColorPin>> pins)
      : clsid_(clsid), pins_(std::move(pins)) {}
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = clsid_;
    return S_OK;
  }
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string&, IPin**) override { return VFW_E_NOT_FOUND; }
  HRESULT QueryFilterInfo(FILTER_INFO*) override { return E_NOTIMPL; }

 private:
  CLSID clsid_;
  std::vector<ComPtr<FakeColorPin>> pins_;
};

// A graph manager that holds filters in the order they were added, and nothing else.
class FakeColorGraph : public ComObject<IFilterGraph2> {
 public:
  HRESULT AddFilter(IBaseFilter* filter, const std::string& name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  HRESULT EnumFilters(IEnumFilters** filters) override;
  HRESULT FindFilterByName(const std::string&, IBaseFilter**) override { return VFW_E_NOT_FOUND; }
  HRESULT ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT Reconnect(IPin*) override { return E_NOTIMPL; }
  HRESULT Disconnect(IPin*) override { return E_NOTIMPL; }
  HRESULT SetDefaultSyncSource() override { return S_OK; }
  HRESULT Connect(IPin*, IPin*) override { return E_NOTIMPL; }
  HRESULT Render(IPin*) override { return E_NOTIMPL; }
  HRESULT RenderFile(const std::string&, const std::string&) override { return E_NOTIMPL; }
  HRESULT AddSourceFilter(const std::string&, const std::string&, IBaseFilter**) override {
    return E_NOTIMPL;
  }
  HRESULT SetLogFile(DWORD_PTR) override { return S_OK; }
  HRESULT Abort() override { return S_OK; }
  HRESULT ShouldOperationContinue() override { return S_OK; }
  HRESULT ReconnectEx(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT RenderEx(IPin*, DWORD, DWORD*) override { return E_NOTIMPL; }

  std::vector<ComPtr<IBaseFilter>> filters;
};

// The usual mixer: input 0 (the video, with the colour record), input 1, output.
struct FakeMixer {
  ComPtr<FakeColorFilter> filter;
  ComPtr<FakeColorPin> video;
  ComPtr<FakeColorPin> second;
};
FakeMixer MakeMixer(const CLSID& clsid);

// A fresh sim world, the fakes registered, a real video control bound to a real graph
// component (inactive until Activate).
class ColorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Activates the graph (the control's renderer joins it) and adds a mixer of `clsid`.
  FakeColorPin* ActivateWithMixer(const CLSID& clsid);
  void Activate();
  FakeColorPin* AddMixer(const CLSID& clsid);

  std::unique_ptr<video::TDSVideoWindowEx2> video;
  std::unique_ptr<TFilterGraph> graph;
  ComPtr<FakeColorGraph> manager;  // the one the graph component made last
  std::vector<FakeMixer> mixers;
};

// The seven values of a record, for readable comparisons.
std::vector<LONG> ValuesOf(const DDCOLORCONTROL& record);

}  // namespace kavoro::test
