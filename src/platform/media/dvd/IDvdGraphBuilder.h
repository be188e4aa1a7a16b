#pragma once
// Builds a whole DVD playback graph: navigator, decoders, renderers.
#include "platform/media/IFilterGraph.h"
#include "platform/media/dvd/DvdTypes.h"

namespace kavoro {

// Application thread.
struct IDvdGraphBuilder : IUnknown {
  static constexpr IID kIID = MakeGuid(0xFCC152B6, 0xF372, 0x11D0, 0x8E, 0x00, 0x00, 0xC0, 0x4F,
                                       0xD7, 0xC0, 0x8B);
  using Base = IUnknown;
  // The graph the builder works in (made with the builder); AddRef'ed for the caller.
  virtual HRESULT GetFiltergraph(IGraphBuilder** graph) = 0;
  // IDvdControl2 and IDvdInfo2 of the navigator, or the interfaces of the renderers it chose
  // (IVideoWindow, IBasicVideo...). E_NOINTERFACE before rendering.
  virtual HRESULT GetDvdInterface(REFIID riid, void** ppv) = 0;
  // Renders the volume at `path` (a VIDEO_TS.IFO, its folder, a drive root or an image; null
  // to take the first DVD-Video disc of the drive table). S_OK when every stream rendered;
  // S_FALSE with the reasons in *status when some did not; VFW_E_DVD_RENDERFAIL when nothing
  // could be built; VFW_E_DVD_DECNOTENOUGH when decoders are missing; E_INVALIDARG for a bad
  // path or flags.
  virtual HRESULT RenderDvdVideoVolume(const char* path, DWORD flags,
                                       AM_DVD_RENDERSTATUS* status) = 0;
};

}  // namespace kavoro
