#include "media/FilterGraph.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <exception>

#include "media/DSUtil.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/storage/Persist.h"
#include "platform/com/storage/Storage.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"

namespace kavoro {

namespace {

// SetNotifyFlags values: posts on; no posts and an emptied queue.
constexpr LONG kNotificationsOn = 0;
constexpr LONG kNotificationsOff = AM_MEDIAEVENT_NONOTIFY;

const char* ModeText(TGraphMode mode) {
  switch (mode) {
    case gmNormal: return "normal";
    case gmCapture: return "capture";
    case gmDVD: return "DVD";
  }
  return "";
}

// An event parameter that carries a string: a pointer to a null-terminated text or 0.
std::string TextParam(LONG_PTR p) {
  const char* s = reinterpret_cast<const char*>(p);
  return s ? std::string(s) : std::string();
}

// Frames a second of a packed time code's frame-rate code; 0 for codes without a rate.
int FrameRate(std::uint8_t code) {
  switch (code) {
    case 1: return 25;
    case 3: return 30;
    default: return 0;
  }
}

template <class T>
std::vector<ComPtr<T>> CopyOf(const std::unique_ptr<std::vector<ComPtr<T>>>& list) {
  return list ? *list : std::vector<ComPtr<T>>{};
}

template <class T>
void RemoveFrom(std::unique_ptr<std::vector<ComPtr<T>>>& list, T* item) {
  if (!list) return;
  for (auto it = list->begin(); it != list->end(); ++it) {
    if (it->Get() == item) {
      list->erase(it);
      break;
    }
  }
  if (list->empty()) list.reset();
}

}  // namespace

TFilterGraph::TFilterGraph()
    : window_(std::make_unique<os::MessageWindow>(
          [this](os::UINT message, os::WPARAM wParam, os::LPARAM lParam) {
            HandleMessage(message, wParam, lParam);
          })) {}

TFilterGraph::~TFilterGraph() {
  // A listener that throws while the component goes away must not end the program.
  os::RunGuarded([this] { SetActive(false); });
  NotifyDestroyed();
  window_.reset();
}

void TFilterGraph::NotifyDestroyed() {
  // Taken out first, so a companion that detaches itself meanwhile finds nothing to change.
  std::vector<ComPtr<IUnknown>> companions;
  if (members_)
    for (auto& m : *members_) companions.push_back(ComPtr<IUnknown>(m.Get()));
  if (listeners_)
    for (auto& l : *listeners_) companions.push_back(ComPtr<IUnknown>(l.Get()));
  members_.reset();
  listeners_.reset();
  std::vector<IUnknown*> told;
  for (auto& c : companions) {
    ComPtr<IGraphDestroyedSink> sink;
    if (FAILED(c->QueryInterface(IIDOf<IGraphDestroyedSink>(), sink.PutVoid())) || !sink) continue;
    if (std::find(told.begin(), told.end(), sink.Get()) != told.end()) continue;
    told.push_back(sink.Get());
    os::RunGuarded([&] { sink->NotifyGraphDestroyed(this); });
  }
}

void TFilterGraph::Loaded() {
  if (autoCreate_) SetActive(true);
}

void TFilterGraph::SetActive(bool value) {
  if (value == active_) return;
  if (value) {
    Activate();
  } else {
    Deactivate();
  }
}

void TFilterGraph::SetMode(TGraphMode value) {
  if (value == mode_) return;
  bool wasActive = active_;
  SetActive(false);
  mode_ = value;
  SetActive(wasActive);
}

void TFilterGraph::Activate() {
  ComPtr<IFilterGraph2> graph;
  ComPtr<ICaptureGraphBuilder2> capture;
  ComPtr<IDvdGraphBuilder> dvd;
  switch (mode_) {
    case gmNormal:
      graph = CreateInstance<IFilterGraph2>(CLSID_FilterGraph);
      break;
    case gmCapture:
      capture = CreateInstance<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
      graph = CreateInstance<IFilterGraph2>(CLSID_FilterGraph);
      if (capture && graph) capture->SetFiltergraph(graph.Get());
      break;
    case gmDVD:
      dvd = CreateInstance<IDvdGraphBuilder>(CLSID_DvdGraphBuilder);
      if (dvd) {
        ComPtr<IGraphBuilder> builderGraph;
        if (SUCCEEDED(dvd->GetFiltergraph(builderGraph.Put()))) {
          graph = builderGraph.As<IFilterGraph2>();
        }
      }
      break;
  }
  // Without every object of its mode there is no graph to work on: the component stays
  // inactive and nobody is told of an activation.
  if (!graph || (mode_ == gmCapture && !capture) || (mode_ == gmDVD && !dvd)) return;
  graph_ = graph;
  captureBuilder_ = capture;
  dvdBuilder_ = dvd;
  active_ = true;

  events_ = Query<IMediaEventEx>();
  if (events_) {
    events_->SetNotifyFlags(kNotificationsOn);
    events_->SetNotifyWindow(NotificationWindow(), WM_GRAPHNOTIFY,
                             reinterpret_cast<LONG_PTR>(events_.Get()));
  }

  ApplyGraphEdit(graphEdit_);
  ApplyLogFile(logFile_);

  for (const auto& m : CopyOf(members_)) AddMemberFilter(m.Get());

  if (OnActivate) OnActivate(this);
  NotifyListeners(gaActivation, 1);
}

void TFilterGraph::Deactivate() {
  NotifyListeners(gaActivation, 0);

  for (const auto& m : CopyOf(members_)) RemoveMemberFilter(m.Get());

  if (events_) {
    events_->SetNotifyFlags(kNotificationsOff);
    events_ = nullptr;
  }
  ApplyGraphEdit(false);
  if (graph_) graph_->SetLogFile(0);
  CloseLog();

  graph_ = nullptr;
  captureBuilder_ = nullptr;
  dvdBuilder_ = nullptr;
  active_ = false;
}

void TFilterGraph::AddMemberFilter(IGraphMember* member) {
  member->MemberNotify(msAdding, 0);
  std::string name;
  member->MemberName(&name);
  ComPtr<IBaseFilter> filter;
  member->MemberFilter(filter.Put());
  if (filter && graph_) graph_->AddFilter(filter.Get(), name);
  member->MemberNotify(msAdded, 0);
}

void TFilterGraph::RemoveMemberFilter(IGraphMember* member) {
  member->MemberNotify(msRemoving, 0);
  ComPtr<IBaseFilter> filter;
  member->MemberFilter(filter.Put());
  if (filter && graph_) graph_->RemoveFilter(filter.Get());
  member->MemberNotify(msRemoved, 0);
}

void TFilterGraph::AttachMember(IGraphMember* member) {
  if (!member) return;
  if (!members_) members_ = std::make_unique<std::vector<ComPtr<IGraphMember>>>();
  members_->push_back(ComPtr<IGraphMember>(member));
  if (active_) AddMemberFilter(member);
}

void TFilterGraph::DetachMember(IGraphMember* member) {
  if (!member) return;
  // Keeps the member alive while its filter leaves the graph.
  ComPtr<IGraphMember> keep(member);
  RemoveFrom(members_, member);
  if (active_) RemoveMemberFilter(member);
}

void TFilterGraph::AttachListener(IGraphListener* listener) {
  if (!listener) return;
  if (!listeners_) listeners_ = std::make_unique<std::vector<ComPtr<IGraphListener>>>();
  listeners_->push_back(ComPtr<IGraphListener>(listener));
}

void TFilterGraph::DetachListener(IGraphListener* listener) {
  if (!listener) return;
  RemoveFrom(listeners_, listener);
}

void TFilterGraph::NotifyListeners(TGraphAction action, LONG param) {
  // A copy: a listener may detach itself (or others) while it is told.
  for (const auto& l : CopyOf(listeners_)) l->NotifyControl(action, param);
}

HRESULT TFilterGraph::QueryInterface(REFIID iid, void** obj) {
  if (!obj) return E_POINTER;
  *obj = nullptr;
  // The component is not itself a platform object, so it answers no interface of its own.
  if (!active_) return E_NOINTERFACE;

  HRESULT hr = E_NOINTERFACE;
  auto ask = [&](IUnknown* source) {
    if (!source) return false;
    hr = source->QueryInterface(iid, obj);
    if (SUCCEEDED(hr) && *obj) return true;
    *obj = nullptr;
    return false;
  };
  switch (mode_) {
    case gmNormal:
      ask(graph_.Get());
      break;
    case gmCapture:
      if (!ask(captureBuilder_.Get())) ask(graph_.Get());
      break;
    case gmDVD:
      if (ask(dvdBuilder_.Get())) break;
      if (dvdBuilder_) {
        hr = dvdBuilder_->GetDvdInterface(iid, obj);
        if (SUCCEEDED(hr) && *obj) break;
        *obj = nullptr;
      }
      ask(graph_.Get());
      break;
  }
  if (SUCCEEDED(hr) && !*obj) hr = E_NOINTERFACE;
  return hr;
}

std::optional<FILTER_STATE> TFilterGraph::GraphState() {
  if (!active_) return std::nullopt;
  auto control = Query<IMediaControl>();
  OAFilterState state = State_Stopped;
  if (!control || FAILED(control->GetState(0, &state))) return std::nullopt;
  return static_cast<FILTER_STATE>(state);
}

bool TFilterGraph::Play() {
  auto control = Query<IMediaControl>();
  if (!control) return false;
  NotifyListeners(gaPlay, 0);
  return control->Run() == S_OK;
}

bool TFilterGraph::Pause() {
  auto control = Query<IMediaControl>();
  if (!control) return false;
  NotifyListeners(gaPause, 0);
  return control->Pause() == S_OK;
}

bool TFilterGraph::Stop() {
  auto control = Query<IMediaControl>();
  if (!control) return false;
  NotifyListeners(gaStop, 0);
  return control->Stop() == S_OK;
}

HRESULT TFilterGraph::RenderFile(const std::string& fileName) {
  if (!graph_) return S_FALSE;
  ComPtr<IFilterGraph2> graph = graph_;
  NotifyListeners(gaRenderFileBegin, 0);
  HRESULT hr = graph->RenderFile(fileName, std::string());
  if (SUCCEEDED(hr)) NotifyListeners(gaRenderFileEnd, 0);
  return hr;
}

HRESULT TFilterGraph::RenderDvd(AM_DVD_RENDERSTATUS* status, const std::string& volumePath,
                                DWORD flags) {
  if (!dvdBuilder_) return VFW_E_DVD_RENDERFAIL;
  ComPtr<IDvdGraphBuilder> builder = dvdBuilder_;
  AM_DVD_RENDERSTATUS unused;
  if (!status) status = &unused;
  NotifyListeners(gaRenderDvdBegin, static_cast<LONG>(flags));
  HRESULT hr = builder->RenderDvdVideoVolume(volumePath.empty() ? nullptr : volumePath.c_str(),
                                             flags, status);
  if (hr == S_OK || hr == S_FALSE) NotifyListeners(gaRenderDvdEnd, static_cast<LONG>(flags));
  return hr;
}

void TFilterGraph::ClearGraph() {
  if (!graph_) return;
  Stop();
  DisconnectAll();
  // A listener told of the stop may have taken the graph down.
  if (!graph_) return;
  ComPtr<IFilterGraph2> graph = graph_;
  TFilterList filters(graph.Get());
  for (const auto& m : CopyOf(members_)) {
    ComPtr<IBaseFilter> own;
    m->MemberFilter(own.Put());
    filters.Remove(own.Get());
  }
  for (const auto& f : filters) graph->RemoveFilter(f.Get());
}

void TFilterGraph::DisconnectAll() {
  if (!graph_) return;
  TFilterList filters(graph_.Get());
  for (const auto& f : filters) {
    TPinList pins(f.Get());
    for (const auto& p : pins) p->Disconnect();
  }
}

namespace {
constexpr const char* kBookmarkStream = "BookMark";
constexpr DWORD kBookmarkWriteMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD kBookmarkReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
}  // namespace

HRESULT TFilterGraph::SaveDvdBookmark(const std::string& fileName) {
  if (!active_ || mode_ != gmDVD) return E_UNEXPECTED;
  auto info = Query<IDvdInfo2>();
  if (!info) return E_NOINTERFACE;
  ComPtr<IDvdState> state;
  HRESULT hr = info->GetState(state.Put());
  if (FAILED(hr)) return hr;
  if (!state) return E_UNEXPECTED;
  // A state that cannot save itself would leave an empty bookmark: nothing is written.
  auto persist = state.As<IPersistStream>();
  if (!persist) return E_NOINTERFACE;
  // Transacted: only the commit below writes, as a new file renamed over the old one, so a
  // failure on the way leaves the old file untouched.
  ComPtr<IStorage> storage;
  hr = StgCreateDocfile(fileName.c_str(), kBookmarkWriteMode | STGM_TRANSACTED, 0, storage.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IStream> stream;
  hr = storage->CreateStream(kBookmarkStream, kBookmarkWriteMode, 0, 0, stream.Put());
  if (FAILED(hr)) return hr;
  hr = OleSaveToStream(persist.Get(), stream.Get());
  if (FAILED(hr)) return hr;
  stream = nullptr;
  return storage->Commit(STGC_DEFAULT);
}

HRESULT TFilterGraph::RestoreDvdBookmark(const std::string& fileName, DWORD waitMs) {
  auto control = Query<IDvdControl2>();
  if (!control) return E_UNEXPECTED;
  ComPtr<IStorage> storage;
  HRESULT hr = StgOpenStorage(fileName.c_str(), nullptr, kBookmarkReadMode, nullptr, 0, storage.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IStream> stream;
  hr = storage->OpenStream(kBookmarkStream, nullptr, kBookmarkReadMode, 0, stream.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IDvdState> state;
  hr = OleLoadFromStream(stream.Get(), IDvdState::kIID, state.PutVoid());
  if (FAILED(hr)) return hr;
  if (!state) return E_UNEXPECTED;
  ComPtr<IDvdCmd> command;
  hr = control->SetState(state.Get(), DVD_CMD_FLAG_None, command.Put());
  if (FAILED(hr) || !command) return hr;
  // The navigator ends the command (E_ABORT) when the graph stops; the bound covers a
  // navigator that never gets to it.
  return command->WaitForEndWithin(waitMs);
}

void TFilterGraph::SetGraphEdit(bool value) {
  ApplyGraphEdit(value);
  graphEdit_ = value;
}

void TFilterGraph::ApplyGraphEdit(bool value) {
  auto& table = os::Os().RunningObjectTable();
  if (value) {
    if (!active_ || rotCookie_ != 0 || !graph_) return;
    std::uint32_t pid = table.CurrentProcessId();
    char item[96];
    std::snprintf(item, sizeof item, "FilterGraph %0*" PRIXPTR " pid %x",
                  static_cast<int>(sizeof(void*) * 2),
                  reinterpret_cast<std::uintptr_t>(graph_.Get()), pid);
    // An item moniker's display name: the delimiter, then the item.
    rotCookie_ = table.Register(std::string("!") + item, pid,
                                std::string("filter graph (") + ModeText(mode_) + ")");
  } else if (rotCookie_ != 0) {
    table.Revoke(rotCookie_);
    rotCookie_ = 0;
  }
}

void TFilterGraph::SetLogFile(const std::string& value) {
  if (active_ && !ApplyLogFile(value)) return;
  logFile_ = value;
}

bool TFilterGraph::ApplyLogFile(const std::string& value) {
  if (!graph_) return true;
  graph_->SetLogFile(0);
  CloseLog();
  if (value.empty()) return true;
  int fd = ::open(value.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    graph_->SetLogFile(0);
    CloseLog();
    return false;
  }
  logHandle_ = fd;
  graph_->SetLogFile(static_cast<DWORD_PTR>(fd));
  return true;
}

void TFilterGraph::CloseLog() {
  if (logHandle_ >= 0) {
    ::close(logHandle_);
    logHandle_ = -1;
  }
}

void TFilterGraph::HandleMessage(os::UINT message, os::WPARAM, os::LPARAM) {
  if (message == WM_GRAPHNOTIFY) PumpEvents();
}

void TFilterGraph::PumpEvents() {
  // Held here: a handler may deactivate the graph, which drops the component's reference.
  ComPtr<IMediaEventEx> events = events_;
  if (!events) return;
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  while (active_ && events_ == events && events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
    try {
      DispatchGraphEvent(code, p1, p2);
    } catch (...) {
      // The event was taken: its parameters are freed before the report, and the events
      // still queued wait for the next notification.
      events->FreeEventParams(code, p1, p2);
      os::HandleException(std::current_exception());
      return;
    }
    events->FreeEventParams(code, p1, p2);
  }
}

std::string TFilterGraph::EnglishLanguageName(LCID lcid) {
  struct Entry {
    std::uint16_t primary;
    const char* name;
  };
  // English names of the platform's primary language identifiers (the low ten bits).
  static constexpr Entry kNames[] = {
      {0x01, "Arabic"},     {0x02, "Bulgarian"},  {0x03, "Catalan"},    {0x04, "Chinese"},
      {0x05, "Czech"},      {0x06, "Danish"},     {0x07, "German"},     {0x08, "Greek"},
      {0x09, "English"},    {0x0A, "Spanish"},    {0x0B, "Finnish"},    {0x0C, "French"},
      {0x0D, "Hebrew"},     {0x0E, "Hungarian"},  {0x0F, "Icelandic"},  {0x10, "Italian"},
      {0x11, "Japanese"},   {0x12, "Korean"},     {0x13, "Dutch"},      {0x14, "Norwegian"},
      {0x15, "Polish"},     {0x16, "Portuguese"}, {0x18, "Romanian"},   {0x19, "Russian"},
      {0x1A, "Croatian"},   {0x1B, "Slovak"},     {0x1C, "Albanian"},   {0x1D, "Swedish"},
      {0x1E, "Thai"},       {0x1F, "Turkish"},    {0x20, "Urdu"},       {0x21, "Indonesian"},
      {0x22, "Ukrainian"},  {0x23, "Belarusian"}, {0x24, "Slovenian"},  {0x25, "Estonian"},
      {0x26, "Latvian"},    {0x27, "Lithuanian"}, {0x29, "Farsi"},      {0x2A, "Vietnamese"},
      {0x2B, "Armenian"},   {0x2C, "Azeri"},      {0x2D, "Basque"},     {0x2F, "Macedonian"},
      {0x36, "Afrikaans"},  {0x37, "Georgian"},   {0x38, "Faroese"},    {0x39, "Hindi"},
      {0x3E, "Malay"},      {0x3F, "Kazakh"},     {0x41, "Swahili"},    {0x43, "Uzbek"},
      {0x44, "Tatar"},      {0x46, "Punjabi"},    {0x47, "Gujarati"},   {0x49, "Tamil"},
      {0x4A, "Telugu"},     {0x4B, "Kannada"},    {0x4E, "Marathi"},    {0x4F, "Sanskrit"},
      {0x56, "Galician"},   {0x57, "Konkani"},    {0x5A, "Syriac"},     {0x65, "Divehi"},
  };
  std::uint16_t primary = lcid & 0x3FF;
  std::uint16_t sub = (lcid >> 10) & 0x3F;
  // Croatian and Serbian share a primary identifier; the Serbian sublanguages are 2 and 3.
  if (primary == 0x1A && (sub == 2 || sub == 3)) return "Serbian";
  for (const auto& e : kNames) {
    if (e.primary == primary) return e.name;
  }
  return {};
}

void TFilterGraph::RaiseStreamChange(const TDVDStreamChangeEvent& event, bool audio,
                                     LONG_PTR stream) {
  if (!event) return;
  auto info = Query<IDvdInfo2>();
  if (!info) return;
  LCID lcid = 0;
  ULONG number = static_cast<ULONG>(stream);
  if (audio) {
    info->GetAudioLanguage(number, &lcid);
  } else {
    info->GetSubpictureLanguage(number, &lcid);
  }
  event(this, static_cast<int>(stream), lcid, EnglishLanguageName(lcid));
}

void TFilterGraph::DispatchGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
  for (const auto& l : CopyOf(listeners_)) l->NotifyGraphEvent(code, param1, param2);
  if (OnDSEvent) OnDSEvent(this, code, param1, param2);

  const LONG p1 = static_cast<LONG>(param1);
  const LONG p2 = static_cast<LONG>(param2);
  auto raise = [this](const auto& event, auto... args) {
    if (event) event(this, args...);
  };

  switch (code) {
    case EC_COMPLETE: raise(OnGraphComplete, HRESULT(p1), reinterpret_cast<IBaseFilter*>(param2)); break;
    case EC_USERABORT: raise(OnGraphUserAbort); break;
    case EC_PALETTE_CHANGED: raise(OnGraphPaletteChanged); break;
    case EC_QUALITY_CHANGE: raise(OnGraphQualityChange); break;
    case EC_CLOCK_CHANGED: raise(OnGraphClockChanged); break;
    case EC_STEP_COMPLETE: raise(OnGraphStepComplete); break;
    case EC_GRAPH_CHANGED: raise(OnGraphChanged); break;
    case EC_CLOCK_UNSET: raise(OnGraphClockUnset); break;
    case EC_ERRORABORT: raise(OnGraphErrorAbort, HRESULT(p1)); break;
    case EC_ERROR_STILLPLAYING: raise(OnGraphErrorStillPlaying, HRESULT(p1)); break;
    case EC_PAUSED: raise(OnGraphPaused, HRESULT(p1)); break;
    case EC_STREAM_ERROR_STOPPED: raise(OnGraphStreamErrorStopped, HRESULT(p1), p2); break;
    case EC_STREAM_ERROR_STILLPLAYING: raise(OnGraphStreamErrorStillPlaying, HRESULT(p1), p2); break;
    case EC_VIDEO_SIZE_CHANGED:
      raise(OnGraphVideoSizeChanged, int(p1 & 0xFFFF), int((static_cast<std::uint32_t>(p1) >> 16) & 0xFFFF));
      break;
    case EC_OPENING_FILE: raise(OnGraphOpeningFile, p1 == 1); break;
    case EC_BUFFERING_DATA: raise(OnGraphBufferingData, p1 == 1); break;
    case EC_FULLSCREEN_LOST: raise(OnGraphFullscreenLost, reinterpret_cast<IBaseFilter*>(param2)); break;
    case EC_OLE_EVENT: raise(OnGraphOleEvent, TextParam(param1), TextParam(param2)); break;
    case EC_STREAM_CONTROL_STOPPED: raise(OnGraphStreamControlStopped, reinterpret_cast<IPin*>(param1), p2); break;
    case EC_STREAM_CONTROL_STARTED: raise(OnGraphStreamControlStarted, reinterpret_cast<IPin*>(param1), p2); break;
    case EC_END_OF_SEGMENT: {
      // p1 points to the stream time; a missing pointer reads as time 0 rather than a fault.
      const auto* time = reinterpret_cast<const REFERENCE_TIME*>(param1);
      raise(OnGraphEndOfSegment, time ? *time : REFERENCE_TIME(0), p2);
      break;
    }
    case EC_DEVICE_LOST: raise(OnGraphDeviceLost, reinterpret_cast<IUnknown*>(param1), p2 == 1); break;
    case EC_TIMECODE_AVAILABLE: raise(OnGraphTimeCodeAvailable, reinterpret_cast<IBaseFilter*>(param1), p2); break;
    case EC_EXTDEVICE_MODE_CHANGE: raise(OnGraphEXTDeviceModeChange, p1, p2); break;
    case EC_VMR_RENDERDEVICE_SET: raise(OnGraphVMRRenderDevice, p1); break;
    case EC_SNDDEV_IN_ERROR: raise(OnGraphSNDDevInError, p1, p2); break;
    case EC_SNDDEV_OUT_ERROR: raise(OnGraphSNDDevOutError, p1, p2); break;

    case EC_DVD_DOMAIN_CHANGE:
      switch (p1) {
        case DVD_DOMAIN_FirstPlay: raise(OnDVDDomainFirstPlay); break;
        case DVD_DOMAIN_VideoManagerMenu: raise(OnDVDDomainVideoManagerMenu); break;
        case DVD_DOMAIN_VideoTitleSetMenu: raise(OnDVDDomainVideoTitleSetMenu); break;
        case DVD_DOMAIN_Title: raise(OnDVDDomainTitle); break;
        case DVD_DOMAIN_Stop: raise(OnDVDDomainStop); break;
        default: break;
      }
      break;
    case EC_DVD_TITLE_CHANGE: raise(OnDVDTitleChange, int(p1)); break;
    case EC_DVD_CHAPTER_START: raise(OnDVDChapterStart, int(p1)); break;
    case EC_DVD_AUDIO_STREAM_CHANGE: RaiseStreamChange(OnDVDAudioStreamChange, true, p1); break;
    case EC_DVD_SUBPICTURE_STREAM_CHANGE: RaiseStreamChange(OnDVDSubpictureStreamChange, false, p1); break;
    case EC_DVD_ANGLE_CHANGE: raise(OnDVDAngleChange, int(p1), int(p2)); break;
    case EC_DVD_BUTTON_CHANGE: raise(OnDVDButtonChange, int(p1), int(p2)); break;
    case EC_DVD_VALID_UOPS_CHANGE: raise(OnDVDValidUOPSChange, int(p1)); break;
    case EC_DVD_STILL_ON: raise(OnDVDStillOn, p1 == 1, int(p2)); break;
    case EC_DVD_STILL_OFF: raise(OnDVDStillOff); break;
    case EC_DVD_CURRENT_TIME: {
      TDVD_TimeCode t = TimeCodeFromParam(static_cast<std::uint32_t>(p1));
      raise(OnDVDCurrentTime, t.Hours1 + 10 * t.Hours10, t.Minutes1 + 10 * t.Minutes10,
            t.Seconds1 + 10 * t.Seconds10, t.Frames1 + 10 * t.Frames10, FrameRate(t.FrameRateCode));
      break;
    }
    case EC_DVD_ERROR:
      switch (p1) {
        case 1: raise(OnDVDErrorUnexpected); break;
        case 2: raise(OnDVDErrorCopyProtectFail); break;
        case 3: raise(OnDVDErrorInvalidDVD1_0Disc); break;
        case 4: raise(OnDVDErrorInvalidDiscRegion); break;
        case 5: raise(OnDVDErrorLowParentalLevel); break;
        case 6: raise(OnDVDErrorMacrovisionFail); break;
        case 7: raise(OnDVDErrorIncompatibleSystemAndDecoderRegions); break;
        case 8: raise(OnDVDErrorIncompatibleDiscAndDecoderRegions); break;
        default: break;
      }
      break;
    case EC_DVD_WARNING:
      switch (p1) {
        case 1: raise(OnDVDWarningInvalidDVD1_0Disc); break;
        case 2: raise(OnDVDWarningFormatNotSupported); break;
        case 3: raise(OnDVDWarningIllegalNavCommand); break;
        case 4: raise(OnDVDWarningOpen); break;
        case 5: raise(OnDVDWarningSeek); break;
        case 6: raise(OnDVDWarningRead); break;
        default: break;
      }
      break;
    case EC_DVD_CHAPTER_AUTOSTOP: raise(OnDVDChapterAutoStop); break;
    case EC_DVD_NO_FP_PGC: raise(OnDVDNoFP_PGC); break;
    case EC_DVD_PLAYBACK_RATE_CHANGE: raise(OnDVDPlaybackRateChange, static_cast<float>(p1) / 10000.0f); break;
    case EC_DVD_PARENTAL_LEVEL_CHANGE: raise(OnDVDParentalLevelChange, int(p1)); break;
    case EC_DVD_PLAYBACK_STOPPED: raise(OnDVDPlaybackStopped); break;
    case EC_DVD_ANGLES_AVAILABLE: raise(OnDVDAnglesAvailable, p1 == 1); break;
    case EC_DVD_PLAYPERIOD_AUTOSTOP: raise(OnDVDPlayPeriodAutoStop); break;
    case EC_DVD_BUTTON_AUTO_ACTIVATED: raise(OnDVDButtonAutoActivated, int(p1)); break;
    case EC_DVD_CMD_START: raise(OnDVDCMDStart, int(p1)); break;
    case EC_DVD_CMD_END: raise(OnDVDCMDEnd, int(p1)); break;
    case EC_DVD_DISC_EJECTED: raise(OnDVDDiscEjected); break;
    case EC_DVD_DISC_INSERTED: raise(OnDVDDiscInserted); break;
    case EC_DVD_CURRENT_HMSF_TIME:
      raise(OnDVDCurrentHMSFTime, HmsfTimeCodeFromParam(static_cast<std::uint32_t>(p1)),
            TimeCodeFromParam(static_cast<std::uint32_t>(p2)));
      break;
    case EC_DVD_KARAOKE_MODE: raise(OnDVDKaraokeMode, p1 != 0); break;
    default: break;
  }
}

}  // namespace kavoro
