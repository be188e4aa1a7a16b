#pragma once
// The graph manager's building interfaces and the capture graph builder.
#include <string>

#include "platform/media/IBaseFilter.h"

namespace kavoro {

// Graph building. All methods: application thread, while the graph is stopped unless said.
struct IFilterGraph : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Adds a filter under `name` (empty: a name is made up); the graph keeps a reference.
  // A name already in use gets a number appended and VFW_S_DUPLICATE_NAME.
  virtual HRESULT AddFilter(IBaseFilter* filter, const std::string& name) = 0;
  // Stops the filter if needed, disconnects its pins and drops the graph's reference.
  // VFW_E_NOT_FOUND when the filter is not in the graph.
  virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
  virtual HRESULT EnumFilters(IEnumFilters** filters) = 0;
  virtual HRESULT FindFilterByName(const std::string& name, IBaseFilter** filter) = 0;
  // Connects exactly these two pins, with `type` when given; no filter is added.
  virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) = 0;
  // Breaks and makes again the connection of `pin`, with the same two pins.
  virtual HRESULT Reconnect(IPin* pin) = 0;
  // Disconnects this one pin (the caller disconnects the other side).
  virtual HRESULT Disconnect(IPin* pin) = 0;
  // Picks the graph's clock again: the first renderer that offers a clock, else the system
  // clock.
  virtual HRESULT SetDefaultSyncSource() = 0;
};

// Intelligent graph building on top of IFilterGraph.
struct IGraphBuilder : IFilterGraph {
  static constexpr IID kIID = MakeGuid(0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IFilterGraph;
  // Connects `output` to `input`, directly or through transform filters: filters already in
  // the graph first, then registered filters by merit, recursively. Filters added on a path
  // that failed are removed again. VFW_E_CANNOT_CONNECT.
  virtual HRESULT Connect(IPin* output, IPin* input) = 0;
  // Builds a chain from `output` to a renderer: a free input of a filter already in the
  // graph first (so renderers already there are used), then registered filters by merit.
  // VFW_E_CANNOT_RENDER.
  virtual HRESULT Render(IPin* output) = 0;
  // Adds a source for the file and renders every output pin. S_OK when all streams were
  // rendered, VFW_S_PARTIAL_RENDER / VFW_S_AUDIO_NOT_RENDERED / VFW_S_VIDEO_NOT_RENDERED
  // when some were; on failure the filters it added are removed again and the source's
  // error (VFW_E_NOT_FOUND, VFW_E_UNKNOWN_FILE_TYPE, ...) or VFW_E_CANNOT_RENDER is returned.
  // `playList` must be empty.
  virtual HRESULT RenderFile(const std::string& file, const std::string& playList) = 0;
  // Adds a loaded source filter for the file without rendering it.
  virtual HRESULT AddSourceFilter(const std::string& file, const std::string& name,
                                  IBaseFilter** filter) = 0;
  // Any thread. Writes the graph manager's log to `file`, a POSIX file descriptor open for
  // writing (the graph writes to a duplicate, so the caller may close its own at any time);
  // 0 stops logging.
  virtual HRESULT SetLogFile(DWORD_PTR file) = 0;
  // Any thread. Makes a graph-building call under way give up (E_ABORT).
  virtual HRESULT Abort() = 0;
  // S_FALSE after Abort until the next building call starts.
  virtual HRESULT ShouldOperationContinue() = 0;
};

constexpr DWORD AM_RENDEREX_RENDERTOEXISTINGRENDERERS = 0x01;

struct IFilterGraph2 : IGraphBuilder {
  static constexpr IID kIID = MakeGuid(0x36B73882, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F,
                                       0x6C, 0xEF, 0x60);
  using Base = IGraphBuilder;
  // Reconnects `pin` and its partner with `type` (null: negotiate again).
  virtual HRESULT ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) = 0;
  // Render with flags: AM_RENDEREX_RENDERTOEXISTINGRENDERERS uses only renderers already in
  // the graph.
  virtual HRESULT RenderEx(IPin* output, DWORD flags, DWORD* reserved) = 0;
};

// Pin categories and filter search of the capture builder.
constexpr GUID PIN_CATEGORY_CAPTURE = MakeGuid(0xFB6C4281, 0x0353, 0x11D1, 0x90, 0x5F, 0x00, 0x00,
                                               0xC0, 0xCC, 0x16, 0xBA);
constexpr GUID PIN_CATEGORY_PREVIEW = MakeGuid(0xFB6C4282, 0x0353, 0x11D1, 0x90, 0x5F, 0x00, 0x00,
                                               0xC0, 0xCC, 0x16, 0xBA);
constexpr GUID LOOK_UPSTREAM_ONLY = MakeGuid(0xAC798BE0, 0x98E3, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA,
                                             0x00, 0x37, 0x61, 0xC5);
constexpr GUID LOOK_DOWNSTREAM_ONLY = MakeGuid(0xAC798BE1, 0x98E3, 0x11D1, 0xB3, 0xF1, 0x00, 0xAA,
                                               0x00, 0x37, 0x61, 0xC5);

// Builds capture graphs on a graph manager it is given. This machine has no capture devices:
// the capture-specific operations refuse with VFW_E_NO_CAPTURE_HARDWARE. Application thread.
struct ICaptureGraphBuilder2 : IUnknown {
  static constexpr IID kIID = MakeGuid(0x93E5A4E0, 0x2D50, 0x11D2, 0xAB, 0xFA, 0x00, 0xA0, 0xC9,
                                       0xC6, 0xE3, 0x8D);
  using Base = IUnknown;
  // Hands the builder the graph to work on; it keeps a reference. E_UNEXPECTED when it has
  // one already.
  virtual HRESULT SetFiltergraph(IGraphBuilder* graph) = 0;
  // The graph, AddRef'ed; made on first call when none was set.
  virtual HRESULT GetFiltergraph(IGraphBuilder** graph) = 0;
  virtual HRESULT SetOutputFileName(const GUID* type, const std::string& file,
                                    IBaseFilter** mux, IUnknown** sink) = 0;
  // Finds interface `riid` on `filter`, then on the filters around it in the graph
  // (downstream, or upstream with LOOK_UPSTREAM_ONLY).
  virtual HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter,
                                REFIID riid, void** ppv) = 0;
  // Renders an output pin of `source` (of the given category and type; null: any) through
  // `intermediate` (optional) to `sink` (optional: a renderer is found).
  virtual HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                               IBaseFilter* intermediate, IBaseFilter* sink) = 0;
  virtual HRESULT ControlStream(const GUID* category, const GUID* type, IBaseFilter* filter,
                                REFERENCE_TIME* start, REFERENCE_TIME* stop, WORD startCookie,
                                WORD stopCookie) = 0;
  virtual HRESULT AllocCapFile(const std::string& file, DWORDLONG size) = 0;
  virtual HRESULT CopyCaptureFile(const std::string& oldFile, const std::string& newFile,
                                  int allowEscAbort, IUnknown* callback) = 0;
  // The `index`-th pin of `filter` in direction `dir` (and category/type when given) that is
  // unconnected when `unconnected` is set.
  virtual HRESULT FindPin(IUnknown* filter, PIN_DIRECTION dir, const GUID* category,
                          const GUID* type, BOOL unconnected, int index, IPin** pin) = 0;
};

}  // namespace kavoro
