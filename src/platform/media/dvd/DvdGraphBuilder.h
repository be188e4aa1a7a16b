#pragma once
// The DVD graph builder: makes a graph manager, puts a DVD navigator for the volume into it
// and renders the navigator's video, audio and subpicture pins with the graph's own
// intelligent connect.
#include "platform/com/ComPtr.h"
#include "platform/media/dvd/DvdNavigator.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"

namespace kavoro::media {

class DvdGraphBuilder final : public ComObject<IDvdGraphBuilder> {
 public:
  DvdGraphBuilder();

  HRESULT GetFiltergraph(IGraphBuilder** graph) override;
  HRESULT GetDvdInterface(REFIID riid, void** ppv) override;
  HRESULT RenderDvdVideoVolume(const char* path, DWORD flags,
                               AM_DVD_RENDERSTATUS* status) override;

 private:
  ~DvdGraphBuilder() override = default;
  // The drive path of the first drive of the table that holds a DVD-Video volume.
  static std::string FirstDvdDrive();

  ComPtr<IGraphBuilder> graph_;
  ComPtr<DvdNavigator> navigator_;
};

}  // namespace kavoro::media
