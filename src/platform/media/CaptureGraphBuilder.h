#pragma once
// The capture graph builder: works on a graph manager it is given (or makes one). This
// machine has no capture devices, so the capture-only operations refuse; rendering a
// stream and finding pins and interfaces work on any graph.
#include "platform/com/ComPtr.h"
#include "platform/media/IFilterGraph.h"

namespace kavoro::media {

class CaptureGraphBuilder final : public ComObject<ICaptureGraphBuilder2> {
 public:
  HRESULT SetFiltergraph(IGraphBuilder* graph) override;
  HRESULT GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT SetOutputFileName(const GUID* type, const std::string& file, IBaseFilter** mux,
                            IUnknown** sink) override;
  HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid,
                        void** ppv) override;
  HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                       IBaseFilter* intermediate, IBaseFilter* sink) override;
  HRESULT ControlStream(const GUID* category, const GUID* type, IBaseFilter* filter,
                        REFERENCE_TIME* start, REFERENCE_TIME* stop, WORD startCookie,
                        WORD stopCookie) override;
  HRESULT AllocCapFile(const std::string& file, DWORDLONG size) override;
  HRESULT CopyCaptureFile(const std::string& oldFile, const std::string& newFile,
                          int allowEscAbort, IUnknown* callback) override;
  HRESULT FindPin(IUnknown* filter, PIN_DIRECTION dir, const GUID* category, const GUID* type,
                  BOOL unconnected, int index, IPin** pin) override;

 private:
  ComPtr<IGraphBuilder> graph_;  // application thread
};

}  // namespace kavoro::media
