#pragma once
// The filter graph manager: holds the filters and their connections, builds chains with
// intelligent connect, runs the graph's state machine on one reference clock, seeks, and
// queues the filters' events for the application.
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/GraphLog.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaControl.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/MediaEventQueue.h"

namespace kavoro::media {

class FilterGraph final : public ComObject<IFilterGraph2, IMediaControl, IMediaEventEx,
                                           IMediaSeeking, IMediaEventSink> {
 public:
  FilterGraph();

  // IFilterGraph, IGraphBuilder, IFilterGraph2 (application thread).
  HRESULT AddFilter(IBaseFilter* filter, const std::string& name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  HRESULT EnumFilters(IEnumFilters** filters) override;
  HRESULT FindFilterByName(const std::string& name, IBaseFilter** filter) override;
  HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
  HRESULT Reconnect(IPin* pin) override;
  HRESULT Disconnect(IPin* pin) override;
  HRESULT SetDefaultSyncSource() override;
  HRESULT Connect(IPin* output, IPin* input) override;
  HRESULT Render(IPin* output) override;
  HRESULT RenderFile(const std::string& file, const std::string& playList) override;
  HRESULT AddSourceFilter(const std::string& file, const std::string& name,
                          IBaseFilter** filter) override;
  HRESULT SetLogFile(DWORD_PTR file) override;
  HRESULT Abort() override;
  HRESULT ShouldOperationContinue() override;
  HRESULT ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) override;
  HRESULT RenderEx(IPin* output, DWORD flags, DWORD* reserved) override;

  // IMediaControl (application thread).
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;
  HRESULT RenderFile(const std::string& file) override;
  HRESULT StopWhenReady() override;

  // IMediaEvent, IMediaEventEx (any thread).
  HRESULT GetEventHandle(OAEVENT* handle) override;
  HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
  HRESULT WaitForCompletion(LONG timeoutMs, LONG* code) override;
  HRESULT CancelDefaultHandling(LONG code) override;
  HRESULT RestoreDefaultHandling(LONG code) override;
  HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
  HRESULT SetNotifyFlags(LONG flags) override;
  HRESULT GetNotifyFlags(LONG* flags) override;

  // IMediaSeeking (setters: application thread; getters: any thread).
  HRESULT GetCapabilities(DWORD* capabilities) override;
  HRESULT CheckCapabilities(DWORD* capabilities) override;
  HRESULT IsFormatSupported(const GUID* format) override;
  HRESULT QueryPreferredFormat(GUID* format) override;
  HRESULT GetTimeFormat(GUID* format) override;
  HRESULT IsUsingTimeFormat(const GUID* format) override;
  HRESULT SetTimeFormat(const GUID* format) override;
  HRESULT GetDuration(LONGLONG* duration) override;
  HRESULT GetStopPosition(LONGLONG* stop) override;
  HRESULT GetCurrentPosition(LONGLONG* current) override;
  HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                            const GUID* sourceFormat) override;
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                       DWORD stopFlags) override;
  HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
  HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
  HRESULT SetRate(double rate) override;
  HRESULT GetRate(double* rate) override;
  HRESULT GetPreroll(LONGLONG* preroll) override;

  // IMediaEventSink (any thread: filters' streaming threads).
  HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

 private:
  ~FilterGraph() override;

  struct Entry {
    ComPtr<IBaseFilter> filter;
    std::string name;
  };

  // Graph building (GraphBuilder.cpp); lock_ held.
  HRESULT ConnectVia(IPin* output, IPin* input, int depth);
  HRESULT RenderPin(IPin* output, int depth, bool existingOnly);
  HRESULT RenderThroughFilter(IPin* output, IBaseFilter* filter, int depth, bool existingOnly);
  ComPtr<IBaseFilter> AddRegisteredFilter(const CLSID& clsid, const std::string& name);
  HRESULT LoadSource(const std::string& file, ComPtr<IBaseFilter>* source);
  bool Aborted() const { return aborted_; }

  // The state machine (GraphControl.cpp); lock_ held. Every transition goes through here.
  HRESULT ChangeState(FILTER_STATE target);
  HRESULT PauseFilters();
  HRESULT RunFilters(REFERENCE_TIME start);
  void StopFilters();
  // Waits up to `timeoutMs` for every filter to finish its transition.
  HRESULT WaitForFilters(LONG timeoutMs, FILTER_STATE* reached);
  // Filters with renderers first, each before the filters upstream of it.
  std::vector<ComPtr<IBaseFilter>> DownstreamFirst() const;
  std::set<const void*> Renderers() const;
  // The distinct seeking objects upstream of the renderers.
  std::vector<ComPtr<IMediaSeeking>> Seekables() const;
  void ChooseClock();
  REFERENCE_TIME ClockNow() const;
  // The stream time reached: frozen while paused.
  REFERENCE_TIME StreamTime() const;
  LONGLONG PositionNow() const;
  // Moves every source to `current` .. `stop` at `rate` (pausing a running graph and running it
  // again). The first failure of a source, or of pausing or running again, is returned; after a
  // source failed the graph keeps the position and rate the source plays from.
  HRESULT Reposition(LONGLONG current, LONGLONG stop, double rate);
  LONGLONG KnownDuration() const;

  void Log(const std::string& text) { log_.Line(text); }
  std::string Describe(IPin* pin) const;
  std::string UniqueName(const std::string& wanted) const;
  bool Contains(IBaseFilter* filter) const;

  // application thread; also taken by the seeking getters
  mutable std::recursive_mutex lock_;
  // guarded by lock_
  std::vector<Entry> filters_;
  unsigned version_ = 0;  // changes with every AddFilter/RemoveFilter
  FILTER_STATE state_ = State_Stopped;
  ComPtr<IReferenceClock> clock_;
  bool clockChosen_ = false;
  REFERENCE_TIME start_ = 0;          // reference time of stream time 0 while running
  REFERENCE_TIME pausedAt_ = 0;       // stream time reached when paused
  LONGLONG segmentStart_ = 0;         // media time at stream time 0
  LONGLONG stop_ = -1;                // -1: the duration
  double rate_ = 1.0;

  std::atomic<bool> aborted_{false};
  GraphLog log_;
  MediaEventQueue events_;
};

}  // namespace kavoro::media
