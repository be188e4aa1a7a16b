#pragma once
// The DVD graph builder: makes a graph manager, puts a DVD navigator for the volume into it
// and renders the navigator's video, audio and subpicture pins with the graph's own
// intelligent connect: video to a video renderer, audio to the audio renderer, subpictures
// through the subpicture decoder onto the video renderer's overlay input (or the Overlay
// Mixer's, in front of the classic renderer, where no renderer has one).
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
  // True when a registered renderer takes ARGB32 overlay pictures on an input of its own.
  static bool RendererTakesOverlays();
  // The classic renderer, added to the graph; null when that fails.
  ComPtr<IBaseFilter> AddClassicRenderer();
  // Puts the Overlay Mixer between the classic renderer and the filter feeding it; false
  // (and the graph as it was) when that cannot be done.
  bool InsertMixer(IBaseFilter* renderer);
  static bool InputConnected(IBaseFilter* f);

  ComPtr<IGraphBuilder> graph_;
  ComPtr<DvdNavigator> navigator_;
};

}  // namespace kavoro::media
