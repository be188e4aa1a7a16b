#pragma once
// The DVD graph builder: makes a graph manager, puts a DVD navigator for the volume into it
// and renders the navigator's video, audio and subpicture pins with the graph's own
// intelligent connect: video to a video renderer, audio to the audio renderer, subpictures
// through the subpicture decoder onto the video renderer's overlay input (or, for a renderer
// without one, onto the Overlay Mixer's, put in front of it).
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
  // The renderer a connected output pin leads to; null when the chain ends unconnected.
  static ComPtr<IBaseFilter> RendererOf(IPin* output);
  static ComPtr<IPin> ConnectedOutput(IBaseFilter* f);
  // Puts the Overlay Mixer between a renderer's "Input" and the filter feeding it; false
  // (and the graph as it was) when that cannot be done.
  bool InsertMixer(IBaseFilter* renderer);

  ComPtr<IGraphBuilder> graph_;
  ComPtr<DvdNavigator> navigator_;
};

}  // namespace kavoro::media
