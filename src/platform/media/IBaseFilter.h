#pragma once
// Filters: the processing units of a graph, with their state machine and the enumerator over
// a graph's filters; the sink through which filters report events; file sources.
#include <string>

#include "platform/com/IPersist.h"
#include "platform/media/IPin.h"
#include "platform/media/IReferenceClock.h"

namespace kavoro {

struct IFilterGraph;

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

// The state machine of a filter, driven by the graph manager on the application thread.
// Stopped: no streaming thread runs, no sample is held. Paused: streaming runs, renderers
// hold the first sample (a video renderer shows it) and block. Running: renderers present
// samples at stream time + the start time on the graph's clock.
struct IMediaFilter : IPersist {
  static constexpr IID kIID = MakeGuid(0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IPersist;
  // Stops streaming and releases held samples; returns when no streaming call is inside.
  virtual HRESULT Stop() = 0;
  // S_OK, or S_FALSE when a renderer has yet to receive its first sample.
  virtual HRESULT Pause() = 0;
  // `start`: the reference time at which stream time 0 is due. From Stopped it pauses first.
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  // Waits up to `timeoutMs` for a transition to complete. S_OK; VFW_S_STATE_INTERMEDIATE
  // when it has not; VFW_S_CANT_CUE when paused without data to preroll.
  virtual HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) = 0;
  // Application thread, while stopped. The clock to schedule against (null: run freely).
  // The filter keeps a reference.
  virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
  // AddRef'ed clock or null.
  virtual HRESULT GetSyncSource(IReferenceClock** clock) = 0;
};

// What QueryFilterInfo hands out: the graph is AddRef'ed for the caller (null when the filter
// is in no graph).
struct FILTER_INFO {
  std::string achName;
  IFilterGraph* pGraph = nullptr;
};

struct IBaseFilter : IMediaFilter {
  static constexpr IID kIID = MakeGuid(0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IMediaFilter;
  // Any thread. A snapshot of the pins in the filter's order.
  virtual HRESULT EnumPins(IEnumPins** pins) = 0;
  // The pin whose QueryId is `id`, AddRef'ed; VFW_E_NOT_FOUND.
  virtual HRESULT FindPin(const std::string& id, IPin** pin) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
  // Called by the graph manager only, on AddFilter (graph set) and RemoveFilter (null). The
  // filter does not hold a reference to the graph (the graph holds the filter), but may call
  // the graph's event sink until it leaves.
  virtual HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) = 0;
  // A vendor text; E_NOTIMPL when none.
  virtual HRESULT QueryVendorInfo(std::string* info) = 0;
};

// The filters of a graph in the graph's order (the order of AddFilter). Next hands out
// AddRef'ed filters. VFW_E_ENUM_OUT_OF_SYNC when the graph changed since the snapshot was taken
// (Reset takes a new one).
struct IEnumFilters : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A86893, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  virtual HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFilters** copy) = 0;
};

// The graph side that filters report to: asked of the graph by QueryInterface. Any thread
// (streaming threads report end of stream and errors here).
struct IMediaEventSink : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // The graph handles some codes itself (EC_COMPLETE from each renderer becomes one
  // EC_COMPLETE once all renderers are done); the others go to the application's queue.
  virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

// A source that reads a file.
struct IFileSourceFilter : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868A6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Application thread, once, before the filter's pins are connected. Opens and probes the
  // file and makes one output pin per playable stream. VFW_E_NOT_FOUND (no such file),
  // VFW_E_UNKNOWN_FILE_TYPE (not a media file), VFW_E_INVALID_FILE_FORMAT (damaged beyond
  // use), VFW_E_NO_TYPES (no stream that can be played), E_UNEXPECTED (loaded already).
  // `type` is ignored.
  virtual HRESULT Load(const std::string& fileName, const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetCurFile(std::string* fileName, AM_MEDIA_TYPE* type) = 0;
};

}  // namespace kavoro
