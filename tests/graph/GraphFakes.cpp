#include "GraphFakes.h"

#include <unistd.h>

#include <cstdio>

#include "platform/os/Platform.h"

namespace kavoro::test {

std::vector<std::string>& CallLog() {
  static std::vector<std::string> log;
  return log;
}

void Log(const std::string& line) { CallLog().push_back(line); }

std::vector<std::string> LogLines(const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& l : CallLog()) {
    if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
  }
  return out;
}

const char* StageName(TMemberStage stage) {
  switch (stage) {
    case msAdding: return "msAdding";
    case msAdded: return "msAdded";
    case msRemoving: return "msRemoving";
    case msRemoved: return "msRemoved";
  }
  return "?";
}

const char* ActionName(TGraphAction action) {
  switch (action) {
    case gaPlay: return "gaPlay";
    case gaPause: return "gaPause";
    case gaStop: return "gaStop";
    case gaRenderFileBegin: return "gaRenderFileBegin";
    case gaRenderFileEnd: return "gaRenderFileEnd";
    case gaRenderDvdBegin: return "gaRenderDvdBegin";
    case gaRenderDvdEnd: return "gaRenderDvdEnd";
    case gaActivation: return "gaActivation";
  }
  return "?";
}

namespace {
// Answers a query through ComObject's table unless the interface is switched off.
template <class Base>
HRESULT Gated(Base* self, bool allowed, REFIID riid, void** ppv) {
  if (!allowed) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return self->Base::QueryInterface(riid, ppv);
}
}  // namespace

HRESULT FakePin::Disconnect() {
  std::string id;
  QueryId(&id);
  Log("Disconnect " + owner_->Name() + "." + id);
  return S_FALSE;
}

FakeFilter::FakeFilter(std::string name, int pins) : name_(std::move(name)) {
  for (int i = 0; i < pins; ++i) {
    pins_.push_back(ComPtr<IPin>::Attach(new FakePin(this, "pin" + std::to_string(i))));
  }
}

HRESULT FakeFilter::EnumPins(IEnumPins** pins) {
  auto list = pins_;
  *pins = MakeCom<media::PinEnum>([list] { return list; }).Detach();
  return S_OK;
}

FakeGraph::FakeGraph(GraphScript script, std::string who)
    : script_(script), who_(std::move(who)) {
  Log("create " + who_);
}

HRESULT FakeGraph::QueryInterface(REFIID riid, void** ppv) {
  using Com = ComObject<IFilterGraph2, IMediaControl, IMediaEventEx, IProbe>;
  bool allowed = true;
  if (riid == IMediaControl::kIID) allowed = script_.mediaControl;
  if (riid == IMediaEventEx::kIID || riid == IMediaEvent::kIID) allowed = script_.mediaEvents;
  if (riid == IProbe::kIID) allowed = script_.probe;
  if (riid == IMediaSeeking::kIID) {
    if (!script_.seeking) return Gated<Com>(this, false, riid, ppv);
    return script_.seeking->QueryInterface(riid, ppv);
  }
  return Gated<Com>(this, allowed, riid, ppv);
}

HRESULT FakeGraph::AddFilter(IBaseFilter* filter, const std::string& name) {
  Log("AddFilter " + name);
  filters_.emplace_back(ComPtr<IBaseFilter>(filter), name);
  return S_OK;
}

HRESULT FakeGraph::RemoveFilter(IBaseFilter* filter) {
  for (auto it = filters_.begin(); it != filters_.end(); ++it) {
    if (it->first.Get() == filter) {
      Log("RemoveFilter " + it->second);
      filters_.erase(it);
      return S_OK;
    }
  }
  Log("RemoveFilter (not in graph)");
  return VFW_E_NOT_FOUND;
}

HRESULT FakeGraph::EnumFilters(IEnumFilters** out) {
  std::vector<ComPtr<IBaseFilter>> list;
  for (const auto& f : filters_) list.push_back(f.first);
  *out = MakeCom<media::FilterEnum>([list] { return list; }).Detach();
  return S_OK;
}

std::vector<std::string> FakeGraph::FilterNames() const {
  std::vector<std::string> names;
  for (const auto& f : filters_) names.push_back(f.second);
  return names;
}

HRESULT FakeGraph::RenderFile(const std::string& file, const std::string&) {
  Log("RenderFile " + file);
  if (auto it = script_.renderFileByPath.find(file); it != script_.renderFileByPath.end()) return it->second;
  return script_.renderFile;
}

HRESULT FakeGraph::SetLogFile(DWORD_PTR file) {
  Log(file ? "SetLogFile handle" : "SetLogFile none");
  logHandle_ = file;
  if (file) {
    static const char kLine[] = "graph log\n";
    if (::write(static_cast<int>(file), kLine, sizeof kLine - 1) < 0) Log("log write failed");
  }
  return S_OK;
}

HRESULT FakeGraph::Run() {
  Log("Run");
  if (SUCCEEDED(script_.run)) state_ = State_Running;
  return script_.run;
}
HRESULT FakeGraph::Pause() {
  Log("Pause");
  if (SUCCEEDED(script_.pause)) state_ = State_Paused;
  return script_.pause;
}
HRESULT FakeGraph::Stop() {
  Log("Stop");
  if (SUCCEEDED(script_.stop)) state_ = State_Stopped;
  return script_.stop;
}

HRESULT FakeGraph::GetEvent(LONG* code, LONG_PTR* p1, LONG_PTR* p2, LONG) {
  if (queue_.empty()) return E_ABORT;
  Event e = queue_.front();
  queue_.pop_front();
  *code = e.code;
  *p1 = e.p1;
  *p2 = e.p2;
  return S_OK;
}

HRESULT FakeGraph::FreeEventParams(LONG code, LONG_PTR, LONG_PTR) {
  char text[32];
  std::snprintf(text, sizeof text, "FreeEventParams 0x%X", static_cast<unsigned>(code));
  Log(text);
  return S_OK;
}

HRESULT FakeGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
  Log("SetNotifyWindow");
  window_ = window;
  message_ = message;
  instance_ = instance;
  return S_OK;
}

HRESULT FakeGraph::SetNotifyFlags(LONG flags) {
  Log("SetNotifyFlags " + std::to_string(flags));
  flags_ = flags;
  if (flags == AM_MEDIAEVENT_NONOTIFY) queue_.clear();
  return S_OK;
}

void FakeGraph::QueueEvent(LONG code, LONG_PTR p1, LONG_PTR p2, bool post) {
  if (flags_ == AM_MEDIAEVENT_NONOTIFY) return;
  queue_.push_back({code, p1, p2});
  if (window_ && post) {
    os::Os().MessageWindows().PostMessage(window_, static_cast<os::UINT>(message_), 0, instance_);
  }
}

HRESULT FakeSeeking::GetDuration(LONGLONG* value) {
  if (SUCCEEDED(durationResult)) *value = duration;
  return durationResult;
}

HRESULT FakeSeeking::GetStopPosition(LONGLONG* value) {
  if (SUCCEEDED(stopResult)) *value = stop;
  return stopResult;
}

HRESULT FakeSeeking::GetCurrentPosition(LONGLONG* value) {
  if (SUCCEEDED(currentResult)) *value = current;
  return currentResult;
}

HRESULT FakeSeeking::SetPositions(LONGLONG* newCurrent, DWORD currentFlags, LONGLONG* newStop,
                                  DWORD stopFlags) {
  Log("SetPositions " + std::to_string(newCurrent ? *newCurrent : -1) + " flags " +
      std::to_string(currentFlags) + " " + std::to_string(newStop ? *newStop : -1) + " flags " +
      std::to_string(stopFlags));
  if ((currentFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning) {
    current = *newCurrent;
  }
  if ((stopFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning) {
    stop = *newStop;
  }
  return S_OK;
}

HRESULT FakeCaptureBuilder::QueryInterface(REFIID riid, void** ppv) {
  using Com = ComObject<ICaptureGraphBuilder2, IProbe>;
  return Gated<Com>(this, riid != IProbe::kIID || probe_, riid, ppv);
}

HRESULT FakeCaptureBuilder::SetFiltergraph(IGraphBuilder* g) {
  Log("SetFiltergraph");
  if (graph) return E_UNEXPECTED;
  graph = ComPtr<IGraphBuilder>(g);
  return S_OK;
}

HRESULT FakeCaptureBuilder::GetFiltergraph(IGraphBuilder** g) {
  if (!graph) return E_FAIL;
  *g = ComPtr<IGraphBuilder>(graph).Detach();
  return S_OK;
}

HRESULT FakeDvdNavigator::GetAudioLanguage(ULONG stream, LCID* language) {
  Log("GetAudioLanguage " + std::to_string(stream));
  auto it = audio.find(stream);
  *language = it == audio.end() ? 0 : it->second;
  return S_OK;
}

HRESULT FakeDvdNavigator::GetSubpictureLanguage(ULONG stream, LCID* language) {
  Log("GetSubpictureLanguage " + std::to_string(stream));
  auto it = subpicture.find(stream);
  *language = it == subpicture.end() ? 0 : it->second;
  return S_OK;
}

HRESULT FakeDvdNavigator::PlayAtTime(const DVD_HMSF_TIMECODE* time, DWORD flags,
                                     IDvdCmd** cmd) {
  char text[64];
  std::snprintf(text, sizeof text, "PlayAtTime %u:%02u:%02u.%u flags %u", time->bHours,
                time->bMinutes, time->bSeconds, time->bFrames, static_cast<unsigned>(flags));
  Log(text);
  if (cmd) *cmd = SUCCEEDED(playAtTimeResult) ? new FakeDvdCmd : nullptr;
  return playAtTimeResult;
}

HRESULT FakeDvdNavigator::SetOption(DVD_OPTION_FLAG option, BOOL on) {
  Log("SetOption " + std::to_string(static_cast<int>(option)) + " " + std::to_string(on));
  return S_OK;
}

HRESULT FakeDvdState::QueryInterface(REFIID riid, void** ppv) {
  using Com = ComObject<IDvdState, IPersistStream>;
  bool allowed = persists_ || (riid != IPersistStream::kIID && riid != IPersist::kIID);
  return Gated<Com>(this, allowed, riid, ppv);
}

HRESULT FakeDvdState::Load(IStream* stream) {
  ULONG read = 0;
  HRESULT hr = stream->Read(&place, sizeof place, &read);
  return SUCCEEDED(hr) && read == sizeof place ? S_OK : STG_E_READFAULT;
}

HRESULT FakeDvdState::Save(IStream* stream, BOOL) {
  return stream->Write(&place, sizeof place, nullptr);
}

HRESULT FakeDvdState::GetSizeMax(ULARGE_INTEGER* size) {
  *size = sizeof place;
  return S_OK;
}

HRESULT FakeDvdNavigator::GetState(IDvdState** state) {
  Log("GetState");
  *state = new FakeDvdState(place, statePersists);
  return S_OK;
}

HRESULT FakeDvdNavigator::SetState(IDvdState* state, DWORD flags, IDvdCmd** cmd) {
  std::uint64_t id = 0;
  state->GetDiscID(&id);
  auto* fake = dynamic_cast<FakeDvdState*>(state);
  Log("SetState " + std::to_string(fake ? fake->place : 0) + " flags " + std::to_string(flags));
  *cmd = nullptr;
  if (FAILED(setStateResult)) return setStateResult;
  if (fake) place = fake->place;
  *cmd = new FakeDvdCmd;
  return setStateResult;
}

FakeDvdBuilder::FakeDvdBuilder(DvdScript s) : script(s) {
  Log("create DVD builder");
  graph = ComPtr<FakeGraph>::Attach(new FakeGraph(script.graph, "DVD manager"));
  navigator = MakeCom<FakeDvdNavigator>();
}

HRESULT FakeDvdBuilder::QueryInterface(REFIID riid, void** ppv) {
  using Com = ComObject<IDvdGraphBuilder, IProbe>;
  return Gated<Com>(this, riid != IProbe::kIID || script.probe, riid, ppv);
}

HRESULT FakeDvdBuilder::GetFiltergraph(IGraphBuilder** g) {
  Log("GetFiltergraph");
  *g = static_cast<IGraphBuilder*>(graph.Get());
  (*g)->AddRef();
  return S_OK;
}

HRESULT FakeDvdBuilder::GetDvdInterface(REFIID riid, void** ppv) {
  *ppv = nullptr;
  if (!script.navigator) return E_NOINTERFACE;
  return navigator->QueryInterface(riid, ppv);
}

HRESULT FakeDvdBuilder::RenderDvdVideoVolume(const char* path, DWORD flags,
                                             AM_DVD_RENDERSTATUS* status) {
  Log(std::string("RenderDvdVideoVolume ") + (path ? path : "(none)") + " flags " +
      std::to_string(flags));
  if (script.render == S_FALSE && status) {
    if (script.renderStatus) *status = *script.renderStatus;
    else status->iNumStreamsFailed = 1;
  }
  return script.render;
}

FakeMember::FakeMember(std::string name, int pins)
    : filter(ComPtr<FakeFilter>::Attach(new FakeFilter(name, pins))), name_(std::move(name)) {}

HRESULT FakeMember::MemberFilter(IBaseFilter** f) {
  Log(name_ + " MemberFilter");
  *f = static_cast<IBaseFilter*>(filter.Get());
  (*f)->AddRef();
  return S_OK;
}

HRESULT FakeMember::MemberName(std::string* name) {
  Log(name_ + " MemberName");
  *name = name_;
  return S_OK;
}

HRESULT FakeMember::MemberNotify(TMemberStage stage, LONG param) {
  Log(name_ + " " + StageName(stage) + " " + std::to_string(param));
  return S_OK;
}

HRESULT FakeListener::NotifyGraphEvent(LONG code, LONG_PTR p1, LONG_PTR p2) {
  char text[96];
  std::snprintf(text, sizeof text, " event 0x%X %lld %lld", static_cast<unsigned>(code),
                static_cast<long long>(p1), static_cast<long long>(p2));
  Log(name_ + text);
  if (onNotify) onNotify();
  return S_OK;
}

HRESULT FakeListener::NotifyControl(TGraphAction action, LONG param) {
  Log(name_ + " " + ActionName(action) + " " + std::to_string(param));
  if (onNotify) onNotify();
  return S_OK;
}

}  // namespace kavoro::test
