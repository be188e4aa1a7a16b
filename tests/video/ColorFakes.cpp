#include "ColorFakes.h"

#include <algorithm>

#include "platform/com/ClassRegistry.h"
#include "platform/media/Enumerators.h"
#include "platform/media/MediaClasses.h"
#include "platform/os/sim/SimPlatform.h"
#include "video/ColorControl.h"

namespace kavoro::test {

DDCOLORCONTROL FakeColorPin::SurfaceDefaults() {
  DDCOLORCONTROL r;
  r.dwFlags = video::kAllColorControls;
  r.lBrightness = 750;
  r.lContrast = 10000;
  r.lHue = 0;
  r.lSaturation = 10000;
  r.lSharpness = 5;
  r.lGamma = 1;
  r.lColorEnable = 1;
  return r;
}

HRESULT FakeColorPin::QueryInterface(REFIID riid, void** ppv) {
  if (!mixerConfig && (riid == IIDOf<IMixerPinConfig2>() || riid == IIDOf<IMixerPinConfig>())) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(riid, ppv);
}

HRESULT FakeColorPin::QueryDirection(PIN_DIRECTION* dir) {
  if (FAILED(directionResult)) return directionResult;
  *dir = direction;
  return S_OK;
}

HRESULT FakeColorPin::SetOverlaySurfaceColorControls(const DDCOLORCONTROL* controls) {
  writes.push_back(*controls);
  if (FAILED(setResult)) return setResult;
  if (controls->dwSize != sizeof(DDCOLORCONTROL)) return E_INVALIDARG;
  const DWORD f = controls->dwFlags;
  if (f & DDCOLOR_BRIGHTNESS) record.lBrightness = controls->lBrightness;
  if (f & DDCOLOR_CONTRAST) record.lContrast = controls->lContrast;
  if (f & DDCOLOR_HUE) record.lHue = controls->lHue;
  if (f & DDCOLOR_SATURATION) record.lSaturation = controls->lSaturation;
  if (f & DDCOLOR_SHARPNESS) record.lSharpness = controls->lSharpness;
  if (f & DDCOLOR_GAMMA) record.lGamma = controls->lGamma;
  if (f & DDCOLOR_COLORENABLE) record.lColorEnable = controls->lColorEnable;
  return S_OK;
}

HRESULT FakeColorPin::GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) {
  ++reads;
  if (FAILED(getResult)) return getResult;
  *controls = record;
  return S_OK;
}

HRESULT FakeColorFilter::EnumPins(IEnumPins** pins) {
  std::vector<ComPtr<IPin>> list(pins_.begin(), pins_.end());
  auto e = MakeCom<media::PinEnum>([list] { return list; });
  *pins = e.Detach();
  return S_OK;
}

HRESULT FakeColorGraph::AddFilter(IBaseFilter* filter, const std::string& name) {
  filters.emplace_back(filter);
  filter->JoinFilterGraph(this, name);
  return S_OK;
}

HRESULT FakeColorGraph::RemoveFilter(IBaseFilter* filter) {
  const auto at = std::find_if(filters.begin(), filters.end(),
                               [filter](const auto& f) { return f.Get() == filter; });
  if (at == filters.end()) return VFW_E_NOT_FOUND;
  filters.erase(at);
  return S_OK;
}

HRESULT FakeColorGraph::EnumFilters(IEnumFilters** out) {
  const auto list = filters;
  auto e = MakeCom<media::FilterEnum>([list] { return list; });
  *out = e.Detach();
  return S_OK;
}

FakeMixer MakeMixer(const CLSID& clsid) {
  FakeMixer m;
  m.video = MakeCom<FakeColorPin>(PINDIR_INPUT, true);
  m.second = MakeCom<FakeColorPin>(PINDIR_INPUT, true);
  m.filter = MakeCom<FakeColorFilter>(
      clsid, std::vector<ComPtr<FakeColorPin>>{m.video, m.second,
                                               MakeCom<FakeColorPin>(PINDIR_OUTPUT, false)});
  return m;
}

void ColorTest::SetUp() {
  os::Sim().Reset();
  auto& reg = ClassRegistry::Instance();
  reg.RegisterClass(CLSID_FilterGraph, "fake colour graph", [this](REFIID riid, void** ppv) {
    manager = MakeCom<FakeColorGraph>();
    return manager->QueryInterface(riid, ppv);
  });
  // The control's renderer: a filter without pins, so that the mixer is not the only filter.
  reg.RegisterClass(CLSID_VideoRenderer, "fake renderer", [](REFIID riid, void** ppv) {
    auto renderer =
        MakeCom<FakeColorFilter>(CLSID_VideoRenderer, std::vector<ComPtr<FakeColorPin>>{});
    return renderer->QueryInterface(riid, ppv);
  });
  graph = std::make_unique<TFilterGraph>();
  video = std::make_unique<video::TDSVideoWindowEx2>();
  video->SetFilterGraph(graph.get());
}

void ColorTest::TearDown() {
  video.reset();
  graph.reset();
  mixers.clear();
  manager = nullptr;
  auto& reg = ClassRegistry::Instance();
  reg.UnregisterClass(CLSID_FilterGraph);
  reg.UnregisterClass(CLSID_VideoRenderer);
}

void ColorTest::Activate() {
  graph->SetActive(true);
  ASSERT_TRUE(graph->Active());
  ASSERT_TRUE(manager);
}

FakeColorPin* ColorTest::AddMixer(const CLSID& clsid) {
  mixers.push_back(MakeMixer(clsid));
  manager->AddFilter(mixers.back().filter.Get(), "Overlay Mixer");
  return mixers.back().video.Get();
}

FakeColorPin* ColorTest::ActivateWithMixer(const CLSID& clsid) {
  Activate();
  return AddMixer(clsid);
}

std::vector<LONG> ValuesOf(const DDCOLORCONTROL& r) {
  return {r.lBrightness, r.lContrast, r.lHue,        r.lSaturation,
          r.lSharpness,  r.lGamma,    r.lColorEnable};
}

}  // namespace kavoro::test
