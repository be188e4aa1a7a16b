#pragma once
// How a video renderer presents pictures, for the player's window modes, tests and the
// benchmark: in its own window or into an off-screen surface, with counts of what it
// presented and dropped, and its window as the desktop layer for desktop playback.
#include <cstdint>
#include <vector>

#include "platform/media/MediaTypes.h"

namespace kavoro {

enum VideoPresentationMode : LONG {
  kPresentInWindow = 0,   // the renderer's own window (IVideoWindow) shows the picture
  kPresentOffscreen = 1,  // the picture goes into the surface only; no window is shown
};

// A presented picture: 0xAARRGGBB pixels, rows top-down.
struct PresentedImage {
  LONG width = 0;
  LONG height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t Pixel(LONG x, LONG y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The last picture put on show (presented while running, or shown as the paused graph's
// preroll picture).
struct PresentationStamp {
  LONGLONG sequence = 0;      // pictures put on show since the renderer was made
  LONGLONG run = 0;           // the renderer's run when it was shown: each stop and each flush
                              // (a seek) starts a new one
  REFERENCE_TIME start = 0;   // its stream time (from the segment start; 0 when untimed)
};

struct IVideoPresentation : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A002, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0x02);
  using Base = IUnknown;
  // Application thread, while stopped. In a window (the default when a GUI application
  // exists) or off-screen (the default otherwise).
  virtual HRESULT SetPresentationMode(VideoPresentationMode mode) = 0;
  // Any thread. A copy of the last presented picture: the source rectangle of the frame,
  // colour-converted and scaled to the destination rectangle's size (while the picture is
  // keyed: to the size of its fitted rectangle). E_UNEXPECTED when none.
  virtual HRESULT GetPresentedImage(PresentedImage* image) = 0;
  // Any thread. Frames presented and frames dropped for being late since the last Stop→Pause.
  virtual HRESULT GetFrameCounts(LONGLONG* presented, LONGLONG* dropped) = 0;
  // GUI thread. While on and the renderer's window has no owner, the window is the desktop
  // layer: borderless, of the desktop window type, kept below every other window, off the
  // task bar and never taking the focus, showing the picture itself (no keying without an
  // owner). Off, or with an owner (put_Owner), it is the window its style and owner make it.
  // Geometry and visibility are kept. E_FAIL when the renderer has no window.
  virtual HRESULT SetDesktopLayer(BOOL on) = 0;
  // Any thread. The last picture put on show, and in `run` the renderer's run now (so a
  // picture of the run since a seek is one whose stamp has a run at least the one read just
  // before the seek plus one). For measuring seeks.
  virtual HRESULT GetLastPresented(PresentationStamp* stamp, LONGLONG* run) = 0;
};

}  // namespace kavoro
