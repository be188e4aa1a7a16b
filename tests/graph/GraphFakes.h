#pragma once
#include <cstdio>
// Fake platform objects for the graph component's tests: filters with pins, a graph manager
// with media control and an event queue, a capture builder, a DVD builder with its navigator,
// members and listeners. Every call of interest is written to one shared call log, so tests
// can check the order of steps across objects.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "media/GraphTypes.h"
#include "platform/com/ComPtr.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/com/storage/Persist.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"
#include "support/IdleFakes.h"

namespace kavoro::test {

// The shared call log.
std::vector<std::string>& CallLog();
void Log(const std::string& line);
// Entries of the log that begin with `prefix`.
std::vector<std::string> LogLines(const std::string& prefix = "");

const char* StageName(TMemberStage stage);
const char* ActionName(TGraphAction action);

// Answers which object a query reached.
struct IProbe : IUnknown {
  static constexpr IID kIID = MakeGuid(0x0A11CE00, 0x0001, 0x0002, 0x03, 0x04, 0x05, 0x06, 0x07,
                                       0x08, 0x09, 0x0A);
  using Base = IUnknown;
  virtual std::string Who() = 0;
};

class FakeFilter;

class FakePin : public IdlePin<ComObject<IPin>> {
 public:
  FakePin(FakeFilter* owner, std::string id) : owner_(owner), id_(std::move(id)) {}
  HRESULT Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin**) override { return VFW_E_NOT_CONNECTED; }
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
  HRESULT QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
  HRESULT QueryDirection(PIN_DIRECTION* dir) override {
    *dir = PINDIR_INPUT;
    return S_OK;
  }
  HRESULT QueryId(std::string* id) override {
    *id = id_;
    return S_OK;
  }
  HRESULT QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }

 private:
  FakeFilter* owner_;
  std::string id_;
};

class FakeFilter : public IdleFilter<ComObject<IBaseFilter>> {
 public:
  FakeFilter(std::string name, int pins);
  const std::string& Name() const { return name_; }

  HRESULT GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string&, IPin**) override { return VFW_E_NOT_FOUND; }
  HRESULT QueryFilterInfo(FILTER_INFO* info) override {
    info->achName = name_;
    return S_OK;
  }

 private:
  std::string name_;
  std::vector<ComPtr<IPin>> pins_;
};

// The graph's positions, in 100 ns units. Each read gives its result code; SetPositions is
// logged and moves the positions it is told to.
class FakeSeeking : public ComObject<IMediaSeeking> {
 public:
  HRESULT GetCapabilities(DWORD*) override { return E_NOTIMPL; }
  HRESULT CheckCapabilities(DWORD*) override { return E_NOTIMPL; }
  HRESULT IsFormatSupported(const GUID*) override { return E_NOTIMPL; }
  HRESULT QueryPreferredFormat(GUID*) override { return E_NOTIMPL; }
  HRESULT GetTimeFormat(GUID*) override { return E_NOTIMPL; }
  HRESULT IsUsingTimeFormat(const GUID*) override { return E_NOTIMPL; }
  HRESULT SetTimeFormat(const GUID*) override { return E_NOTIMPL; }
  HRESULT GetDuration(LONGLONG* value) override;
  HRESULT GetStopPosition(LONGLONG* value) override;
  HRESULT GetCurrentPosition(LONGLONG* value) override;
  HRESULT ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override {
    return E_NOTIMPL;
  }
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                       DWORD stopFlags) override;
  HRESULT GetPositions(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
  HRESULT GetAvailable(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
  HRESULT SetRate(double) override { return E_NOTIMPL; }
  HRESULT GetRate(double*) override { return E_NOTIMPL; }
  HRESULT GetPreroll(LONGLONG*) override { return E_NOTIMPL; }

  LONGLONG duration = 0;
  LONGLONG stop = 0;
  LONGLONG current = 0;
  HRESULT durationResult = S_OK;
  HRESULT stopResult = S_OK;
  HRESULT currentResult = S_OK;
};

// What a fake answers for a given call; tests change these before the call.
struct GraphScript {
  HRESULT run = S_OK;
  HRESULT pause = S_OK;
  HRESULT stop = S_OK;
  HRESULT renderFile = S_OK;
  // Files whose rendering answers otherwise than renderFile, by the path asked for.
  std::map<std::string, HRESULT> renderFileByPath;
  bool mediaControl = true;  // answers IMediaControl
  bool mediaEvents = true;   // answers IMediaEventEx
  bool probe = true;         // answers IProbe
  ComPtr<FakeSeeking> seeking;  // answers IMediaSeeking with it when set
};

class FakeGraph : public ComObject<IFilterGraph2, IMediaControl, IMediaEventEx, IProbe> {
 public:
  explicit FakeGraph(GraphScript script, std::string who = "manager");

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  std::string Who() override { return who_; }

  // IFilterGraph / IGraphBuilder / IFilterGraph2
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
  HRESULT RenderFile(const std::string& file, const std::string& playList) override;
  HRESULT AddSourceFilter(const std::string&, const std::string&, IBaseFilter**) override {
    return E_NOTIMPL;
  }
  HRESULT SetLogFile(DWORD_PTR file) override;
  HRESULT Abort() override { return S_OK; }
  HRESULT ShouldOperationContinue() override { return S_OK; }
  HRESULT ReconnectEx(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT RenderEx(IPin*, DWORD, DWORD*) override { return E_NOTIMPL; }

  // IMediaControl
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  // The state the last successful Run, Pause or Stop left.
  HRESULT GetState(LONG, OAFilterState* state) override {
    *state = state_;
    return S_OK;
  }
  HRESULT RenderFile(const std::string& file) override { return RenderFile(file, ""); }
  HRESULT StopWhenReady() override { return E_NOTIMPL; }

  // IMediaEventEx
  HRESULT GetEventHandle(OAEVENT*) override { return E_NOTIMPL; }
  HRESULT GetEvent(LONG* code, LONG_PTR* p1, LONG_PTR* p2, LONG timeoutMs) override;
  HRESULT WaitForCompletion(LONG, LONG*) override { return E_NOTIMPL; }
  HRESULT CancelDefaultHandling(LONG) override { return S_OK; }
  HRESULT RestoreDefaultHandling(LONG) override { return S_OK; }
  HRESULT FreeEventParams(LONG code, LONG_PTR, LONG_PTR) override;
  HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
  HRESULT SetNotifyFlags(LONG flags) override;
  HRESULT GetNotifyFlags(LONG* flags) override {
    *flags = flags_;
    return S_OK;
  }

  // Test side. Queues an event and, while notifications are on and `post` is set, posts the
  // notification (one post may stand for several events).
  void QueueEvent(LONG code, LONG_PTR p1, LONG_PTR p2, bool post = true);
  std::size_t QueuedEvents() const { return queue_.size(); }
  std::vector<std::string> FilterNames() const;
  GraphScript& Script() { return script_; }
  OAHWND NotifyWindow() const { return window_; }
  LONG NotifyMessage() const { return message_; }
  LONG_PTR NotifyInstance() const { return instance_; }
  DWORD_PTR LogHandle() const { return logHandle_; }

 private:
  struct Event {
    LONG code;
    LONG_PTR p1, p2;
  };
  GraphScript script_;
  std::string who_;
  std::vector<std::pair<ComPtr<IBaseFilter>, std::string>> filters_;
  std::deque<Event> queue_;
  OAHWND window_ = 0;
  LONG message_ = 0;
  LONG_PTR instance_ = 0;
  LONG flags_ = 0;
  DWORD_PTR logHandle_ = 0;
  OAFilterState state_ = State_Stopped;
};

class FakeCaptureBuilder : public ComObject<ICaptureGraphBuilder2, IProbe> {
 public:
  explicit FakeCaptureBuilder(bool probe) : probe_(probe) {}
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  std::string Who() override { return "capture builder"; }
  HRESULT SetFiltergraph(IGraphBuilder* graph) override;
  HRESULT GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT SetOutputFileName(const GUID*, const std::string&, IBaseFilter**, IUnknown**) override {
    return VFW_E_NO_CAPTURE_HARDWARE;
  }
  HRESULT FindInterface(const GUID*, const GUID*, IBaseFilter*, REFIID, void**) override {
    return E_NOINTERFACE;
  }
  HRESULT RenderStream(const GUID*, const GUID*, IUnknown*, IBaseFilter*, IBaseFilter*) override {
    return VFW_E_NO_CAPTURE_HARDWARE;
  }
  HRESULT ControlStream(const GUID*, const GUID*, IBaseFilter*, REFERENCE_TIME*, REFERENCE_TIME*,
                        WORD, WORD) override {
    return VFW_E_NO_CAPTURE_HARDWARE;
  }
  HRESULT AllocCapFile(const std::string&, DWORDLONG) override { return VFW_E_NO_CAPTURE_HARDWARE; }
  HRESULT CopyCaptureFile(const std::string&, const std::string&, int, IUnknown*) override {
    return VFW_E_NO_CAPTURE_HARDWARE;
  }
  HRESULT FindPin(IUnknown*, PIN_DIRECTION, const GUID*, const GUID*, BOOL, int, IPin**) override {
    return E_FAIL;
  }
  ComPtr<IGraphBuilder> graph;

 private:
  bool probe_;
};

// A navigator state: the place it stands for, saved as eight bytes.
constexpr CLSID CLSID_FakeDvdState = MakeGuid(0x0A11CE00, 0x0001, 0x0002, 0x03, 0x04, 0x05, 0x06,
                                              0x07, 0x08, 0x09, 0x0B);

class FakeDvdState : public ComObject<IDvdState, IPersistStream> {
 public:
  explicit FakeDvdState(std::uint64_t place = 0, bool persists = true)
      : place(place), persists_(persists) {}
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  HRESULT GetDiscID(std::uint64_t* id) override {
    *id = 1;
    return S_OK;
  }
  HRESULT GetParentalLevel(ULONG* level) override {
    *level = 8;
    return S_OK;
  }
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = CLSID_FakeDvdState;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_OK; }
  HRESULT Load(IStream* stream) override;
  HRESULT Save(IStream* stream, BOOL) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
  std::uint64_t place;

 private:
  bool persists_;
};

class FakeDvdCmd : public ComObject<IDvdCmd> {
 public:
  HRESULT WaitForStart() override { return S_OK; }
  HRESULT WaitForEnd() override {
    Log("WaitForEnd");
    return S_OK;
  }
  HRESULT WaitForEndWithin(DWORD) override { return WaitForEnd(); }
};

// The DVD navigator: a language per stream, and a place that states save and restore.
class FakeDvdNavigator : public ComObject<IDvdInfo2, IDvdControl2, IProbe> {
 public:
  // The player's commands are logged ("PlayTitle 1 flags 0", "ShowMenu 2 flags 0",
  // "PlayForwards 8.0 flags 0", "SetSubpictureState 1 flags 0", ...) and answer S_OK with a
  // command object.
  HRESULT PlayTitle(ULONG title, DWORD flags, IDvdCmd** cmd) override {
    return Command("PlayTitle " + std::to_string(title), flags, cmd);
  }
  HRESULT PlayChapterInTitle(ULONG, ULONG, DWORD, IDvdCmd**) override { return E_NOTIMPL; }
  // Logged as "PlayAtTime h:m:s.f flags n"; answers playAtTimeResult.
  HRESULT PlayAtTime(const DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** cmd) override;
  HRESULT Stop() override { return E_NOTIMPL; }
  HRESULT ReturnFromSubmenu(DWORD, IDvdCmd**) override { return E_NOTIMPL; }
  HRESULT PlayNextChapter(DWORD flags, IDvdCmd** cmd) override { return Command("PlayNextChapter", flags, cmd); }
  HRESULT PlayPrevChapter(DWORD flags, IDvdCmd** cmd) override { return Command("PlayPrevChapter", flags, cmd); }
  HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** cmd) override {
    return Command("ShowMenu " + std::to_string(static_cast<int>(menu)), flags, cmd);
  }
  HRESULT Resume(DWORD, IDvdCmd**) override { return E_NOTIMPL; }
  HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON) override { return E_NOTIMPL; }
  HRESULT SelectButton(ULONG) override { return E_NOTIMPL; }
  HRESULT ActivateButton() override { return E_NOTIMPL; }
  HRESULT SelectAtPosition(POINT) override { return E_NOTIMPL; }
  HRESULT ActivateAtPosition(POINT) override { return E_NOTIMPL; }
  HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd** cmd) override {
    return Command("PlayForwards " + Rate(speed), flags, cmd);
  }
  HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd** cmd) override {
    return Command("PlayBackwards " + Rate(speed), flags, cmd);
  }
  HRESULT SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override {
    return Command("SelectAudioStream " + std::to_string(stream), flags, cmd);
  }
  HRESULT SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override {
    return Command("SelectSubpictureStream " + std::to_string(stream), flags, cmd);
  }
  HRESULT SetSubpictureState(BOOL on, DWORD flags, IDvdCmd** cmd) override {
    return Command("SetSubpictureState " + std::to_string(on), flags, cmd);
  }
  HRESULT SelectAngle(ULONG, DWORD, IDvdCmd**) override { return E_NOTIMPL; }
  HRESULT SelectVideoModePreference(ULONG) override { return E_NOTIMPL; }
  HRESULT SetState(IDvdState* state, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SetOption(DVD_OPTION_FLAG option, BOOL on) override;

  std::uint64_t place = 0;
  HRESULT playAtTimeResult = S_OK;
  HRESULT setStateResult = S_OK;
  bool statePersists = true;

  std::string Who() override { return "navigator"; }
  HRESULT GetCurrentDomain(DVD_DOMAIN*) override { return E_NOTIMPL; }
  HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2*) override { return E_NOTIMPL; }
  // Answers titleTime; E_FAIL when titleTimeResult says so.
  HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* flags) override {
    if (FAILED(titleTimeResult)) return titleTimeResult;
    *total = titleTime;
    if (flags) *flags = 0;
    return S_OK;
  }
  HRESULT GetNumberOfChapters(ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT GetCurrentButton(ULONG*, ULONG*) override { return E_NOTIMPL; }
  // The stream counts and current streams: the highest stream number with a language + 1,
  // unless audioCount / subpictureCount say otherwise.
  HRESULT GetCurrentAudio(ULONG* available, ULONG* current) override {
    *available = audioCount >= 0 ? static_cast<ULONG>(audioCount) : CountOf(audio);
    *current = currentAudio;
    return S_OK;
  }
  HRESULT GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled) override {
    *available = subpictureCount >= 0 ? static_cast<ULONG>(subpictureCount) : CountOf(subpicture);
    *current = currentSubpicture;
    if (disabled) *disabled = 0;
    return S_OK;
  }
  HRESULT GetCurrentUOPS(ULONG*) override { return E_NOTIMPL; }
  HRESULT GetAudioLanguage(ULONG stream, LCID* language) override;
  HRESULT GetSubpictureLanguage(ULONG stream, LCID* language) override;
  HRESULT GetButtonAtPosition(POINT, ULONG*) override { return VFW_E_DVD_NO_BUTTON; }
  HRESULT GetState(IDvdState** state) override;

  std::map<ULONG, LCID> audio, subpicture;
  int audioCount = -1, subpictureCount = -1;
  ULONG currentAudio = 0, currentSubpicture = 0;
  DVD_HMSF_TIMECODE titleTime{};
  HRESULT titleTimeResult = S_OK;

 private:
  static ULONG CountOf(const std::map<ULONG, LCID>& streams) {
    return streams.empty() ? 0 : streams.rbegin()->first + 1;
  }
  static std::string Rate(double speed) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", speed);
    return text;
  }
  HRESULT Command(const std::string& what, DWORD flags, IDvdCmd** cmd) {
    Log(what + " flags " + std::to_string(flags));
    if (cmd) *cmd = new FakeDvdCmd;
    return S_OK;
  }
};

struct DvdScript {
  HRESULT render = S_OK;
  // With render S_FALSE: the status the builder reports (one failed stream when not given).
  std::optional<AM_DVD_RENDERSTATUS> renderStatus;
  bool probe = true;      // the builder itself answers IProbe
  bool navigator = true;  // GetDvdInterface reaches a navigator
  GraphScript graph;
};

class FakeDvdBuilder : public ComObject<IDvdGraphBuilder, IProbe> {
 public:
  explicit FakeDvdBuilder(DvdScript script);
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  std::string Who() override { return "DVD builder"; }
  HRESULT GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT GetDvdInterface(REFIID riid, void** ppv) override;
  HRESULT RenderDvdVideoVolume(const char* path, DWORD flags, AM_DVD_RENDERSTATUS* status) override;

  DvdScript script;
  ComPtr<FakeGraph> graph;
  ComPtr<FakeDvdNavigator> navigator;
};

class FakeMember : public ComObject<IGraphMember> {
 public:
  FakeMember(std::string name, int pins = 1);
  HRESULT MemberFilter(IBaseFilter** filter) override;
  HRESULT MemberName(std::string* name) override;
  HRESULT MemberNotify(TMemberStage stage, LONG param) override;
  ComPtr<FakeFilter> filter;

 private:
  std::string name_;
};

class FakeListener : public ComObject<IGraphListener> {
 public:
  explicit FakeListener(std::string name) : name_(std::move(name)) {}
  HRESULT NotifyGraphEvent(LONG code, LONG_PTR p1, LONG_PTR p2) override;
  HRESULT NotifyControl(TGraphAction action, LONG param) override;
  // Runs inside each notification, after it is logged.
  std::function<void()> onNotify;

 private:
  std::string name_;
};

}  // namespace kavoro::test
