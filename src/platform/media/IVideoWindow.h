#pragma once
// The window and the picture geometry of a video renderer.
#include <string>

#include "platform/media/IMediaEvent.h"
#include "platform/media/MediaTypes.h"

namespace kavoro {

constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

// Window styles that IVideoWindow understands.
constexpr LONG WS_POPUP = static_cast<LONG>(0x80000000u);
constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_CLIPCHILDREN = 0x02000000;
constexpr LONG WS_CAPTION = 0x00C00000;
constexpr LONG WS_THICKFRAME = 0x00040000;
constexpr LONG WS_OVERLAPPEDWINDOW = 0x00CF0000;

// Owner messages forwarded through NotifyOwnerMessage.
constexpr LONG WM_PAINT = 0x000F;

// Window states.
constexpr LONG SW_HIDE = 0;
constexpr LONG SW_SHOWNORMAL = 1;
constexpr LONG SW_SHOWMINIMIZED = 2;
constexpr LONG SW_SHOWMAXIMIZED = 3;
constexpr LONG SW_SHOW = 5;
constexpr LONG SW_MINIMIZE = 6;
constexpr LONG SW_RESTORE = 9;

// The class name under which a renderer's window can be found (the widget's "windowClass"
// property; its window title is the caption).
constexpr const char* kVideoRendererWindowClass = "VideoRenderer";

// The renderer's own window. Owner and message drain are widgets of the GUI class library,
// passed as QWidget* converted to OAHWND (0: none). GUI thread only; the window exists from
// the renderer's creation on, hidden until shown (or, with AutoShow, until the graph pauses).
// A renderer in off-screen presentation (IVideoPresentation.h) keeps these values but shows
// no window.
struct IVideoWindow : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868B4, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  virtual HRESULT put_Caption(const std::string& caption) = 0;
  virtual HRESULT get_Caption(std::string* caption) = 0;
  // WS_CHILD with an owner makes the window a child of the owner (positions relative to it);
  // otherwise it is a top-level window (WS_CAPTION/WS_THICKFRAME give it a frame).
  virtual HRESULT put_WindowStyle(LONG style) = 0;
  virtual HRESULT get_WindowStyle(LONG* style) = 0;
  virtual HRESULT put_WindowStyleEx(LONG style) = 0;
  virtual HRESULT get_WindowStyleEx(LONG* style) = 0;
  // OATRUE: the window shows itself when the graph pauses or runs.
  virtual HRESULT put_AutoShow(LONG autoShow) = 0;
  virtual HRESULT get_AutoShow(LONG* autoShow) = 0;
  virtual HRESULT put_WindowState(LONG state) = 0;
  virtual HRESULT get_WindowState(LONG* state) = 0;
  virtual HRESULT put_BackgroundPalette(LONG palette) = 0;
  virtual HRESULT get_BackgroundPalette(LONG* palette) = 0;
  virtual HRESULT put_Visible(LONG visible) = 0;
  virtual HRESULT get_Visible(LONG* visible) = 0;
  virtual HRESULT put_Left(LONG left) = 0;
  virtual HRESULT get_Left(LONG* left) = 0;
  virtual HRESULT put_Width(LONG width) = 0;
  virtual HRESULT get_Width(LONG* width) = 0;
  virtual HRESULT put_Top(LONG top) = 0;
  virtual HRESULT get_Top(LONG* top) = 0;
  virtual HRESULT put_Height(LONG height) = 0;
  virtual HRESULT get_Height(LONG* height) = 0;
  // The owner widget; with WS_CHILD the window becomes its child. 0 makes it top-level.
  virtual HRESULT put_Owner(OAHWND owner) = 0;
  virtual HRESULT get_Owner(OAHWND* owner) = 0;
  // Mouse and keyboard input on the video goes to this widget, in its coordinates.
  virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
  virtual HRESULT get_MessageDrain(OAHWND* drain) = 0;
  // Colour of the borders around the picture: 0x00BBGGRR.
  virtual HRESULT get_BorderColor(LONG* color) = 0;
  virtual HRESULT put_BorderColor(LONG color) = 0;
  // Full-screen mode of the renderer itself is not offered (the player has its own):
  // E_NOTIMPL for OATRUE.
  virtual HRESULT get_FullScreenMode(LONG* mode) = 0;
  virtual HRESULT put_FullScreenMode(LONG mode) = 0;
  virtual HRESULT SetWindowForeground(LONG focus) = 0;
  // Forwards a message of the owner's to the renderer. WM_PAINT: the owner changed what it
  // paints under the picture (the colour key), so a keyed picture looks at it again; a paint
  // the window system skips (the keyed layer lies over the owner) would go unseen otherwise.
  // Other messages: nothing to do on this platform.
  virtual HRESULT NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam,
                                     LONG_PTR lParam) = 0;
  virtual HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
  virtual HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
  virtual HRESULT GetMinIdealImageSize(LONG* width, LONG* height) = 0;
  virtual HRESULT GetMaxIdealImageSize(LONG* width, LONG* height) = 0;
  virtual HRESULT GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
  // OATRUE hides the mouse cursor over the video window.
  virtual HRESULT HideCursor(LONG hide) = 0;
  virtual HRESULT IsCursorHidden(LONG* hidden) = 0;
};

// The picture's geometry: which part of the decoded picture (source rectangle, in picture
// pixels) goes to which part of the window (destination rectangle, in window pixels).
// Application thread; the rectangles take effect from the next frame presented (and a paused
// picture is presented again at once). VFW_E_NOT_CONNECTED until the renderer is connected.
struct IBasicVideo : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868B5, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  virtual HRESULT get_AvgTimePerFrame(REFERENCE_TIME* time) = 0;
  virtual HRESULT get_BitRate(LONG* rate) = 0;
  virtual HRESULT get_BitErrorRate(LONG* rate) = 0;
  virtual HRESULT get_VideoWidth(LONG* width) = 0;
  virtual HRESULT get_VideoHeight(LONG* height) = 0;
  // Setting one edge keeps the others; a rectangle outside the picture or empty is refused
  // with E_INVALIDARG and changes nothing.
  virtual HRESULT put_SourceLeft(LONG v) = 0;
  virtual HRESULT get_SourceLeft(LONG* v) = 0;
  virtual HRESULT put_SourceWidth(LONG v) = 0;
  virtual HRESULT get_SourceWidth(LONG* v) = 0;
  virtual HRESULT put_SourceTop(LONG v) = 0;
  virtual HRESULT get_SourceTop(LONG* v) = 0;
  virtual HRESULT put_SourceHeight(LONG v) = 0;
  virtual HRESULT get_SourceHeight(LONG* v) = 0;
  virtual HRESULT put_DestinationLeft(LONG v) = 0;
  virtual HRESULT get_DestinationLeft(LONG* v) = 0;
  virtual HRESULT put_DestinationWidth(LONG v) = 0;
  virtual HRESULT get_DestinationWidth(LONG* v) = 0;
  virtual HRESULT put_DestinationTop(LONG v) = 0;
  virtual HRESULT get_DestinationTop(LONG* v) = 0;
  virtual HRESULT put_DestinationHeight(LONG v) = 0;
  virtual HRESULT get_DestinationHeight(LONG* v) = 0;
  virtual HRESULT SetSourcePosition(LONG left, LONG top, LONG width, LONG height) = 0;
  virtual HRESULT GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
  // The whole picture.
  virtual HRESULT SetDefaultSourcePosition() = 0;
  virtual HRESULT SetDestinationPosition(LONG left, LONG top, LONG width, LONG height) = 0;
  virtual HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
  // The whole client area of the window.
  virtual HRESULT SetDefaultDestinationPosition() = 0;
  virtual HRESULT GetVideoSize(LONG* width, LONG* height) = 0;
  // Pictures here are never palettised: VFW_E_NO_PALETTE_AVAILABLE.
  virtual HRESULT GetVideoPaletteEntries(LONG start, LONG count, LONG* retrieved,
                                         LONG* palette) = 0;
  // The picture held now, whole and unscaled, as a packed DIB: a BITMAPINFOHEADER (32 bits
  // per pixel, BI_RGB, bottom-up) followed by the pixels. With image null, *size receives the
  // bytes needed; otherwise *size must be at least that (E_OUTOFMEMORY). E_UNEXPECTED when no
  // picture is held (stopped, or nothing received yet).
  virtual HRESULT GetCurrentImage(LONG* size, LONG* image) = 0;
  virtual HRESULT IsUsingDefaultSource() = 0;
  virtual HRESULT IsUsingDefaultDestination() = 0;
};

struct IBasicVideo2 : IBasicVideo {
  static constexpr IID kIID = MakeGuid(0x329BB360, 0xF6EA, 0x11D1, 0x90, 0x38, 0x00, 0xA0, 0xC9,
                                       0x69, 0x72, 0x98);
  using Base = IBasicVideo;
  // The picture's display shape (e.g. 16:9), from the stream.
  virtual HRESULT GetPreferredAspectRatio(LONG* x, LONG* y) = 0;
};

}  // namespace kavoro
