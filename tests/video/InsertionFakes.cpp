#include "InsertionFakes.h"

#include <algorithm>

#include "platform/com/ClassRegistry.h"
#include "platform/media/Enumerators.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::test {

namespace {

constexpr std::size_t kVmrInputs = 4;

const CLSID& ClassOf(FilterKind kind) {
  switch (kind) {
    case FilterKind::Renderer: return CLSID_VideoRenderer;
    case FilterKind::Vmr: return CLSID_VideoMixingRenderer;
    case FilterKind::Mixer: return CLSID_OverlayMixer;
    case FilterKind::Line21Decoder2: return CLSID_Line21Decoder2;
    case FilterKind::Line21Decoder: return CLSID_Line21Decoder;
    case FilterKind::Decoder: return CLSID_KavoroVideoDecoder;
  }
  return CLSID_KavoroVideoDecoder;
}

FakePin* AsFake(IPin* pin) { return dynamic_cast<FakePin*>(pin); }

std::string PinName(IPin* pin) {
  FakePin* fake = AsFake(pin);
  return fake ? fake->Name() : std::string("(foreign pin)");
}

// The fake filter behind an interface of it, or null.
FakeFilter* AsFakeFilter(IBaseFilter* filter) { return dynamic_cast<FakeFilter*>(filter); }

std::string LabelOf(IBaseFilter* filter) {
  FakeFilter* fake = AsFakeFilter(filter);
  return fake ? fake->Label() : std::string("(foreign filter)");
}

// Logs a call of the manager and tells whether it is to fail.
bool Refused(GraphOp op, std::string line, HRESULT* code) {
  bool fails = World().Fails(op, code);
  if (fails) line += " FAILS";
  World().calls.push_back(line);
  return fails;
}

}  // namespace

const char* OpName(GraphOp op) {
  switch (op) {
    case GraphOp::AddFilter: return "AddFilter";
    case GraphOp::RemoveFilter: return "RemoveFilter";
    case GraphOp::Connect: return "Connect";
    case GraphOp::Disconnect: return "Disconnect";
  }
  return "?";
}

// ---- FakePin

FakePin::FakePin(FakeFilter* owner, std::string id, PIN_DIRECTION dir, bool mixerInput)
    : owner_(owner), id_(std::move(id)), dir_(dir), mixerInput_(mixerInput) {}

std::string FakePin::Name() const { return owner_->Label() + "." + id_; }

HRESULT FakePin::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IUnknown::kIID || riid == IPin::kIID) {
    *ppv = static_cast<IPin*>(this);
  } else if (mixerInput_ && (riid == IMixerPinConfig::kIID || riid == IMixerPinConfig2::kIID)) {
    *ppv = static_cast<IMixerPinConfig2*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG FakePin::AddRef() { return owner_->AddRef(); }
ULONG FakePin::Release() { return owner_->Release(); }

HRESULT FakePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
  if (!receiver) return E_POINTER;
  if (dir_ != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  FakePin* other = AsFake(receiver);
  if (!other) return VFW_E_NO_ACCEPTABLE_TYPES;
  HRESULT hr = receiver->ReceiveConnection(this, type);
  if (FAILED(hr)) return hr;
  peer_ = other;
  return S_OK;
}

HRESULT FakePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE*) {
  if (dir_ != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  FakePin* other = AsFake(connector);
  if (!other) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = other;
  return S_OK;
}

HRESULT FakePin::Disconnect() {
  if (!peer_) return S_FALSE;
  peer_ = nullptr;
  return S_OK;
}

HRESULT FakePin::ConnectedTo(IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = peer_;
  if (!peer_) return VFW_E_NOT_CONNECTED;
  peer_->AddRef();
  return S_OK;
}

HRESULT FakePin::QueryPinInfo(PIN_INFO* info) {
  info->pFilter = owner_;
  owner_->AddRef();
  info->dir = dir_;
  info->achName = id_;
  return S_OK;
}

HRESULT FakePin::QueryDirection(PIN_DIRECTION* dir) {
  *dir = dir_;
  return S_OK;
}

HRESULT FakePin::QueryId(std::string* id) {
  *id = id_;
  return S_OK;
}

HRESULT FakePin::GetRelativePosition(DWORD* l, DWORD* t, DWORD* r, DWORD* b) {
  *l = *t = 0;
  *r = *b = 10000;
  return S_OK;
}
HRESULT FakePin::GetZOrder(DWORD* z) {
  *z = 0;
  return S_OK;
}
HRESULT FakePin::GetColorKey(COLORKEY* key, DWORD* color) {
  if (key) {
    key->KeyType = CK_RGB;
    key->LowColorValue = key->HighColorValue = 0x00100010;
  }
  if (color) *color = 0x00100010;
  return S_OK;
}
HRESULT FakePin::GetBlendingParameter(DWORD* value) {
  *value = 255;
  return S_OK;
}
HRESULT FakePin::GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) {
  *mode = AM_ARMODE_LETTER_BOX;
  return S_OK;
}
HRESULT FakePin::GetStreamTransparent(BOOL* transparent) {
  *transparent = 0;
  return S_OK;
}

HRESULT FakePin::SetOverlaySurfaceColorControls(const DDCOLORCONTROL* controls) {
  World().colorCalls.push_back("Set " + Name());
  if (controls) World().colorWritten = *controls;
  return S_OK;
}

HRESULT FakePin::GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) {
  World().colorCalls.push_back("Get " + Name());
  if (controls) *controls = World().colorRecord;
  return S_OK;
}

// ---- FakeFilter

FakeFilter::FakeFilter(FilterKind kind, std::string label)
    : kind_(kind), label_(std::move(label)) {
  auto fixed = [this](const char* id, PIN_DIRECTION dir) {
    fixed_.push_back(std::make_unique<FakePin>(this, id, dir, false));
  };
  auto family = [this](std::size_t count, bool mixer) {
    for (std::size_t i = 0; i < count; ++i) {
      family_.push_back(
          std::make_unique<FakePin>(this, "Input" + std::to_string(i), PINDIR_INPUT, mixer));
    }
  };
  switch (kind) {
    case FilterKind::Renderer:
      fixed("Input", PINDIR_INPUT);
      break;
    case FilterKind::Vmr:
      family(kVmrInputs, false);
      break;
    case FilterKind::Mixer:
      family(static_cast<std::size_t>(std::max(0, World().mixerInputs)), true);
      fixed("Output", PINDIR_OUTPUT);
      break;
    case FilterKind::Line21Decoder2:
    case FilterKind::Line21Decoder:
      fixed("Input", PINDIR_INPUT);
      fixed("Output", PINDIR_OUTPUT);
      break;
    case FilterKind::Decoder:
      fixed("Input", PINDIR_INPUT);
      fixed("Video", PINDIR_OUTPUT);
      fixed("CC", PINDIR_OUTPUT);
      fixed("Subpicture", PINDIR_OUTPUT);
      break;
  }
}

FakeFilter::~FakeFilter() = default;

FakePin* FakeFilter::Pin(const std::string& id) const {
  for (FakePin* pin : AllPins()) {
    if (pin->Id() == id) return pin;
  }
  return nullptr;
}

std::vector<FakePin*> FakeFilter::AllPins() const {
  std::vector<FakePin*> pins;
  for (const auto& p : family_) pins.push_back(p.get());
  for (const auto& p : fixed_) pins.push_back(p.get());
  return pins;
}

// The numbered inputs listed: up to the last connected one and one free one after it.
std::size_t FakeFilter::FamilyListed() const {
  std::size_t listed = 1;
  for (std::size_t i = 0; i < family_.size(); ++i) {
    if (family_[i]->Peer()) listed = i + 2;
  }
  return std::min(listed, family_.size());
}

std::vector<FakePin*> FakeFilter::ListedPins() const {
  std::vector<FakePin*> pins;
  for (std::size_t i = 0; i < FamilyListed(); ++i) pins.push_back(family_[i].get());
  for (const auto& p : fixed_) pins.push_back(p.get());
  return pins;
}

HRESULT FakeFilter::QueryInterface(REFIID riid, void** ppv) {
  bool renderer = kind_ == FilterKind::Renderer || kind_ == FilterKind::Vmr;
  bool refused = (riid == IVideoWindow::kIID && !renderer) ||
                 (riid == IDDrawExclModeVideo::kIID &&
                  (kind_ != FilterKind::Mixer || !World().exclModeVideo));
  if (refused) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(riid, ppv);
}

HRESULT FakeFilter::GetClassID(CLSID* clsid) {
  *clsid = ClassOf(kind_);
  return S_OK;
}

HRESULT FakeFilter::EnumPins(IEnumPins** pins) {
  std::vector<ComPtr<IPin>> list;
  for (FakePin* pin : ListedPins()) list.push_back(ComPtr<IPin>(static_cast<IPin*>(pin)));
  *pins = MakeCom<media::PinEnum>([list] { return list; }).Detach();
  return S_OK;
}

HRESULT FakeFilter::FindPin(const std::string& id, IPin** pin) {
  *pin = nullptr;
  for (FakePin* p : ListedPins()) {
    if (p->Id() == id) {
      *pin = p;
      p->AddRef();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT FakeFilter::QueryFilterInfo(FILTER_INFO* info) {
  info->achName = label_;
  info->pGraph = nullptr;
  return S_OK;
}

HRESULT FakeFilter::get_Caption(std::string* caption) {
  caption->clear();
  return S_OK;
}

HRESULT FakeFilter::get_Owner(OAHWND* v) {
  *v = 0;
  return S_OK;
}

HRESULT FakeFilter::get_MessageDrain(OAHWND* v) {
  *v = 0;
  return S_OK;
}

HRESULT FakeFilter::GetWindowPosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  *l = *t = *w = *h = 0;
  return S_OK;
}

HRESULT FakeFilter::GetMinIdealImageSize(LONG* w, LONG* h) {
  *w = *h = 0;
  return S_OK;
}

HRESULT FakeFilter::GetMaxIdealImageSize(LONG* w, LONG* h) {
  *w = *h = 0;
  return S_OK;
}

HRESULT FakeFilter::GetRestorePosition(LONG* l, LONG* t, LONG* w, LONG* h) {
  *l = *t = *w = *h = 0;
  return S_OK;
}

HRESULT FakeFilter::Zero(LONG* v) {
  *v = 0;
  return S_OK;
}

HRESULT FakeFilter::GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                                        DWORD* aspectY) {
  *width = 720;
  *height = 576;
  *aspectX = 4;
  *aspectY = 3;
  return S_OK;
}

HRESULT FakeFilter::SetCallbackInterface(IDDrawExclModeVideoCallback* callback, DWORD flags) {
  ++callbackCalls;
  std::string line = std::string("SetCallbackInterface ") + (callback ? "sink" : "none") +
                     " flags " + std::to_string(flags);
  if (FAILED(World().setCallbackResult) && callback) {
    World().calls.push_back(line + " FAILS");
    return World().setCallbackResult;
  }
  World().calls.push_back(line);
  callback_ = ComPtr<IDDrawExclModeVideoCallback>(callback);
  return S_OK;
}

// ---- FakeGraphManager

FakeGraphManager::FakeGraphManager() { World().manager = ComPtr<FakeGraphManager>(this); }

HRESULT FakeGraphManager::AddFilter(IBaseFilter* filter, const std::string& name) {
  if (!filter) return E_POINTER;
  HRESULT code = S_OK;
  if (Refused(GraphOp::AddFilter, "AddFilter " + LabelOf(filter) + " as '" + name + "'", &code))
    return code;
  if (Holds(filter)) return VFW_E_DUPLICATE_NAME;
  filter->JoinFilterGraph(this, name);
  filters_.push_back({ComPtr<IBaseFilter>(filter), name});
  return S_OK;
}

HRESULT FakeGraphManager::RemoveFilter(IBaseFilter* filter) {
  if (!filter) return E_POINTER;
  HRESULT code = S_OK;
  if (Refused(GraphOp::RemoveFilter, "RemoveFilter " + LabelOf(filter), &code)) return code;
  auto it = std::find_if(filters_.begin(), filters_.end(),
                         [&](const Entry& e) { return IsSameObject(e.filter.Get(), filter); });
  if (it == filters_.end()) return VFW_E_NOT_FOUND;
  // As the platform's manager does: both sides of every connection of the filter go.
  if (FakeFilter* fake = AsFakeFilter(filter)) {
    for (FakePin* pin : fake->AllPins()) {
      if (FakePin* peer = pin->Peer(); peer && peer->Peer() == pin) peer->Disconnect();
      pin->Disconnect();
    }
  }
  filter->JoinFilterGraph(nullptr, "");
  filters_.erase(it);
  return S_OK;
}

HRESULT FakeGraphManager::EnumFilters(IEnumFilters** out) {
  std::vector<ComPtr<IBaseFilter>> list;
  for (const auto& e : filters_) list.push_back(e.filter);
  *out = MakeCom<media::FilterEnum>([list] { return list; }).Detach();
  return S_OK;
}

HRESULT FakeGraphManager::Disconnect(IPin* pin) {
  if (!pin) return E_POINTER;
  HRESULT code = S_OK;
  if (Refused(GraphOp::Disconnect, "Disconnect " + PinName(pin), &code)) return code;
  return pin->Disconnect();
}

HRESULT FakeGraphManager::Connect(IPin* output, IPin* input) {
  if (!output || !input) return E_POINTER;
  HRESULT code = S_OK;
  if (Refused(GraphOp::Connect, "Connect " + PinName(output) + " -> " + PinName(input), &code))
    return code;
  return output->Connect(input, nullptr);
}

void FakeGraphManager::Put(FakeFilter* filter, const std::string& name) {
  filters_.push_back({ComPtr<IBaseFilter>(filter), name.empty() ? filter->Label() : name});
}

void FakeGraphManager::Take(FakeFilter* filter) {
  std::erase_if(filters_, [&](const Entry& e) { return e.filter.Get() == filter; });
}

std::vector<std::string> FakeGraphManager::Labels() const {
  std::vector<std::string> labels;
  for (const auto& e : filters_) labels.push_back(LabelOf(e.filter.Get()));
  return labels;
}

std::string FakeGraphManager::NameOf(const std::string& label) const {
  for (const auto& e : filters_) {
    if (LabelOf(e.filter.Get()) == label) return e.name;
  }
  return "(not in graph)";
}

bool FakeGraphManager::Holds(IBaseFilter* filter) const {
  return std::any_of(filters_.begin(), filters_.end(),
                     [&](const Entry& e) { return IsSameObject(e.filter.Get(), filter); });
}

// ---- FakeDvdBuilder

FakeDvdBuilder::FakeDvdBuilder() : graph_(MakeCom<FakeGraphManager>()) {}

HRESULT FakeDvdBuilder::GetFiltergraph(IGraphBuilder** graph) {
  *graph = graph_.Get();
  graph_->AddRef();
  return S_OK;
}

HRESULT FakeDvdBuilder::GetDvdInterface(REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return E_NOINTERFACE;
}

// ---- InsertionWorld

InsertionWorld& World() {
  static InsertionWorld world;
  return world;
}

void InsertionWorld::FailOn(GraphOp op, int call, HRESULT code) {
  plans_[op] = {call, code};
  counts_[op] = 0;
}

bool InsertionWorld::Fails(GraphOp op, HRESULT* code) {
  int n = ++counts_[op];
  auto it = plans_.find(op);
  if (it == plans_.end() || it->second.call != n) return false;
  *code = it->second.code;
  return true;
}

FakeFilter* InsertionWorld::Make(FilterKind kind, const std::string& label) {
  std::string unique = label;
  for (int n = 2; Find(unique); ++n) unique = label + "#" + std::to_string(n);
  filters.push_back(MakeCom<FakeFilter>(kind, unique));
  return filters.back().Get();
}

FakeFilter* InsertionWorld::Find(const std::string& label) const {
  for (const auto& f : filters) {
    if (f->Label() == label) return f.Get();
  }
  return nullptr;
}

std::vector<std::string> InsertionWorld::Connections() const {
  std::vector<std::string> lines;
  for (const auto& f : filters) {
    for (FakePin* pin : f->AllPins()) {
      FakePin* peer = pin->Peer();
      if (!peer) continue;
      bool agreed = peer->Peer() == pin;
      if (agreed && pin->Direction() == PINDIR_OUTPUT) {
        lines.push_back(pin->Name() + "->" + peer->Name());
      } else if (!agreed) {
        lines.push_back(pin->Name() + "=>" + peer->Name() + " (one-sided)");
      }
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

void InsertionWorld::Reset() {
  for (const auto& f : filters) {
    for (FakePin* pin : f->AllPins()) pin->Forget();
    f->DropCallback();
  }
  filters.clear();
  manager = nullptr;
  calls.clear();
  colorCalls.clear();
  colorRecord = DDCOLORCONTROL{};
  colorWritten = DDCOLORCONTROL{};
  mixerInputs = 4;
  exclModeVideo = true;
  setCallbackResult = S_OK;
  uncreatable.clear();
  plans_.clear();
  counts_.clear();
}

// ---- Registration

namespace {

const std::pair<FilterKind, const char*> kCreatable[] = {
    {FilterKind::Renderer, "renderer"},
    {FilterKind::Vmr, "vmr"},
    {FilterKind::Mixer, "mixer"},
    {FilterKind::Line21Decoder2, "line21 v2"},
    {FilterKind::Line21Decoder, "line21"},
};

}  // namespace

void RegisterInsertionFakes() {
  auto& reg = ClassRegistry::Instance();
  reg.RegisterClass(CLSID_FilterGraph, "fake graph manager", [](REFIID riid, void** ppv) {
    return MakeCom<FakeGraphManager>()->QueryInterface(riid, ppv);
  });
  reg.RegisterClass(CLSID_DvdGraphBuilder, "fake DVD builder", [](REFIID riid, void** ppv) {
    return MakeCom<FakeDvdBuilder>()->QueryInterface(riid, ppv);
  });
  for (const auto& [kind, label] : kCreatable) {
    reg.RegisterClass(ClassOf(kind), std::string("fake ") + label,
                      [kind = kind, label = label](REFIID riid, void** ppv) {
                        if (ppv) *ppv = nullptr;
                        auto refused = World().uncreatable.find(kind);
                        if (refused != World().uncreatable.end()) return refused->second;
                        return World().Make(kind, label)->QueryInterface(riid, ppv);
                      });
  }
}

void UnregisterInsertionFakes() {
  auto& reg = ClassRegistry::Instance();
  reg.UnregisterClass(CLSID_FilterGraph);
  reg.UnregisterClass(CLSID_DvdGraphBuilder);
  for (const auto& entry : kCreatable) reg.UnregisterClass(ClassOf(entry.first));
}

}  // namespace kavoro::test
