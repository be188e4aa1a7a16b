#pragma once
// The video renderer: shows I420 pictures at their time in a window of its own (IVideoWindow,
// window class "VideoRenderer") or off-screen, with the source rectangle (digital zoom) and
// destination rectangle of IBasicVideo2. The streaming thread converts each picture into the
// surface and asks the GUI thread for a repaint; it never touches the window itself.
// Two classes share it: the classic video renderer, with one input, and the default renderer
// that graph building picks (CLSID_VideoMixingRenderer), which takes the video on its first
// input and ARGB32 overlay pictures (subpictures, captions) on "Input1", "Input2", ...,
// blended over the picture by their time and z-order; it lists its overlay inputs up to the
// last connected one and one free one after it.
// Where an overlay mixer feeds the classic renderer and the window is a child of an owner,
// the picture is keyed (KeyedOverlay): it shows wherever the owner shows the mixer's colour
// key within the overlay's destination, and the renderer's own window shows only its border.
#include <QPointer>

#include <atomic>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseRenderer.h"
#include "platform/media/IHeldPicture.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IOverlayKeying.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/KeyedOverlay.h"
#include "platform/media/OverlayCompositor.h"
#include "platform/media/VideoRendererWindow.h"
#include "platform/media/VideoSurface.h"

namespace kavoro::media {


class VideoRenderer final
    : public AddInterfaces<BaseRenderer, IVideoWindow, IBasicVideo2, IVideoPresentation,
                           IRendererScheduling, IHeldPicture> {
 public:
  // Made on the GUI thread when a GUI application exists, the renderer has a window;
  // otherwise it presents off-screen.
  explicit VideoRenderer(const CLSID& clsid);

  // IBaseFilter: the listed pins only (application thread).
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string& id, IPin** pin) override;

  // IVideoWindow (GUI thread).
  HRESULT put_Caption(const std::string& caption) override;
  HRESULT get_Caption(std::string* caption) override;
  HRESULT put_WindowStyle(LONG style) override;
  HRESULT get_WindowStyle(LONG* style) override;
  HRESULT put_WindowStyleEx(LONG style) override;
  HRESULT get_WindowStyleEx(LONG* style) override;
  HRESULT put_AutoShow(LONG autoShow) override;
  HRESULT get_AutoShow(LONG* autoShow) override;
  HRESULT put_WindowState(LONG state) override;
  HRESULT get_WindowState(LONG* state) override;
  HRESULT put_BackgroundPalette(LONG palette) override;
  HRESULT get_BackgroundPalette(LONG* palette) override;
  HRESULT put_Visible(LONG visible) override;
  HRESULT get_Visible(LONG* visible) override;
  HRESULT put_Left(LONG left) override;
  HRESULT get_Left(LONG* left) override;
  HRESULT put_Width(LONG width) override;
  HRESULT get_Width(LONG* width) override;
  HRESULT put_Top(LONG top) override;
  HRESULT get_Top(LONG* top) override;
  HRESULT put_Height(LONG height) override;
  HRESULT get_Height(LONG* height) override;
  HRESULT put_Owner(OAHWND owner) override;
  HRESULT get_Owner(OAHWND* owner) override;
  HRESULT put_MessageDrain(OAHWND drain) override;
  HRESULT get_MessageDrain(OAHWND* drain) override;
  HRESULT get_BorderColor(LONG* color) override;
  HRESULT put_BorderColor(LONG color) override;
  HRESULT get_FullScreenMode(LONG* mode) override;
  HRESULT put_FullScreenMode(LONG mode) override;
  HRESULT SetWindowForeground(LONG focus) override;
  HRESULT NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam, LONG_PTR lParam) override;
  HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
  HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
  HRESULT GetMinIdealImageSize(LONG* width, LONG* height) override;
  HRESULT GetMaxIdealImageSize(LONG* width, LONG* height) override;
  HRESULT GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
  HRESULT HideCursor(LONG hide) override;
  HRESULT IsCursorHidden(LONG* hidden) override;

  // IBasicVideo, IBasicVideo2 (application thread).
  HRESULT get_AvgTimePerFrame(REFERENCE_TIME* time) override;
  HRESULT get_BitRate(LONG* rate) override;
  HRESULT get_BitErrorRate(LONG* rate) override;
  HRESULT get_VideoWidth(LONG* width) override;
  HRESULT get_VideoHeight(LONG* height) override;
  HRESULT put_SourceLeft(LONG v) override;
  HRESULT get_SourceLeft(LONG* v) override;
  HRESULT put_SourceWidth(LONG v) override;
  HRESULT get_SourceWidth(LONG* v) override;
  HRESULT put_SourceTop(LONG v) override;
  HRESULT get_SourceTop(LONG* v) override;
  HRESULT put_SourceHeight(LONG v) override;
  HRESULT get_SourceHeight(LONG* v) override;
  HRESULT put_DestinationLeft(LONG v) override;
  HRESULT get_DestinationLeft(LONG* v) override;
  HRESULT put_DestinationWidth(LONG v) override;
  HRESULT get_DestinationWidth(LONG* v) override;
  HRESULT put_DestinationTop(LONG v) override;
  HRESULT get_DestinationTop(LONG* v) override;
  HRESULT put_DestinationHeight(LONG v) override;
  HRESULT get_DestinationHeight(LONG* v) override;
  HRESULT SetSourcePosition(LONG left, LONG top, LONG width, LONG height) override;
  HRESULT GetSourcePosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
  HRESULT SetDefaultSourcePosition() override;
  HRESULT SetDestinationPosition(LONG left, LONG top, LONG width, LONG height) override;
  HRESULT GetDestinationPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
  HRESULT SetDefaultDestinationPosition() override;
  HRESULT GetVideoSize(LONG* width, LONG* height) override;
  HRESULT GetVideoPaletteEntries(LONG start, LONG count, LONG* retrieved, LONG* palette) override;
  HRESULT GetCurrentImage(LONG* size, LONG* image) override;
  HRESULT IsUsingDefaultSource() override;
  HRESULT IsUsingDefaultDestination() override;
  HRESULT GetPreferredAspectRatio(LONG* x, LONG* y) override;

  // IVideoPresentation.
  HRESULT SetPresentationMode(VideoPresentationMode mode) override;
  HRESULT GetPresentedImage(PresentedImage* image) override;
  HRESULT GetFrameCounts(LONGLONG* presented, LONGLONG* dropped) override;
  HRESULT GetLastPresented(PresentationStamp* stamp, LONGLONG* run) override;
  HRESULT SetDesktopLayer(BOOL on) override;

  // IRendererScheduling.
  HRESULT SetClockScheduling(BOOL waitForClock) override;

  // IHeldPicture.
  HRESULT ReplaceHeldPicture(IMediaSample* sample) override;

 protected:
  ~VideoRenderer() override;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
  HRESULT OnConnected(const AM_MEDIA_TYPE& type) override;
  void OnDisconnected() override;
  HRESULT Render(IMediaSample* sample, REFERENCE_TIME lateness) override;
  void ShowPreroll(IMediaSample* sample) override;
  void ResetStream() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnStop() override;

 private:
  class OverlayInput;
  std::vector<BasePin*> ListedPins() const;

  // Streaming thread: takes the sample's picture (and a format change it carries).
  void Present(IMediaSample* sample);
  // Streaming thread: takes the format change the sample carries, if any, into current_.
  void TakeFormatChange(IMediaSample* sample);
  void RequestRepaint();
  // Application thread: pushes geometry to the surface and window.
  void ApplyGeometry();
  HRESULT SetSource(const RECT& r);
  HRESULT SetDestination(const RECT& r);
  RECT ClientRect() const;
  bool Windowed() const { return window_ != nullptr && mode_ == kPresentInWindow; }
  // GUI thread: makes, moves or removes the keyed picture as the connection and window say.
  void UpdateKeyed();

  std::shared_ptr<VideoSurface> surface_;
  // The mixing renderer's overlay inputs and what they hold; none on the classic renderer.
  std::vector<OverlayInput*> overlayInputs_;
  std::shared_ptr<OverlayCompositor> overlays_;
  // GUI thread
  // The window belongs to the renderer, but once it has an owner Qt's parent deletes it with
  // the owner; the guard notices that.
  QPointer<VideoRendererWindow> window_;
  QPointer<KeyedOverlay> keyed_;  // a child of the owner, deleted with it
  ComPtr<IOverlayKeying> keying_;  // the mixer upstream, while connected to one
  std::string caption_;
  LONG style_ = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  LONG styleEx_ = 0;
  LONG autoShow_ = OATRUE;
  LONG windowState_ = SW_SHOWNORMAL;
  LONG visible_ = OAFALSE;
  RECT position_{0, 0, 320, 240};
  OAHWND owner_ = 0;
  OAHWND drain_ = 0;
  LONG borderColor_ = 0;
  LONG cursorHidden_ = OAFALSE;
  bool desktopLayer_ = false;  // the window is the desktop layer while it has no owner
  // application thread, while stopped
  VideoPresentationMode mode_ = kPresentOffscreen;
  PictureFormat format_;  // as connected; changed by the stream
  RECT source_{};
  RECT destination_{};
  bool defaultSource_ = true;
  bool defaultDestination_ = true;
  // streaming thread
  PictureFormat current_;
  int consecutiveDrops_ = 0;
  // any thread
  std::atomic<LONGLONG> presented_{0};
  std::atomic<LONGLONG> dropped_{0};
  mutable std::mutex stampLock_;
  PresentationStamp stamp_;  // guarded by stampLock_
  LONGLONG run_ = 0;         // guarded by stampLock_
  std::atomic<bool> windowed_{false};
};

}  // namespace kavoro::media
