#pragma once
// The control on which video appears. It contributes a classic video renderer to the graph
// it is bound to (graph member) and hears the graph's events and control steps (listener).
// Once a file or DVD has been rendered it puts the overlay mixer in front of the renderer the
// graph uses; from then on the picture is keyed: the control paints its colour and, where the
// picture belongs, the mixer's colour key, and the renderer shows the video wherever the key
// shows. Windows and controls drawn over the picture therefore stay visible. Without the
// overlay the renderer's own window, kept behind the control with the same bounds, shows the
// picture.
//
// It also owns the aspect-ratio mode, the digital zoom, the colour settings, the automatic
// hiding of the cursor, the screen-saver inhibition while video plays, and the three
// presentation modes (in the frame, full screen, on the desktop).
//
// Everything here runs on the GUI thread: the graph component delivers its events and control
// steps there, and the mixer calls the overlay callback there.
//
// Units: this file and DSVideoWindowEx2.cpp (member, listener, geometry, painting, pointer),
// DSVideoWindowEx2Modes.cpp (full screen, desktop, frame), OverlayMixerInsertion.cpp (the
// mixer put in front of the renderer, the DVD builder's renderer adopted).
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/FilterGraph.h"
#include "media/GraphTypes.h"
#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IVideoWindow.h"
#include "platform/os/ScreenSaver.h"
#include "video/VideoTypes.h"

class QTimer;

namespace kavoro::video {

class TColorControl;
class TDSVideoWindowEx2;
class TFullScreenForm;

constexpr int kMinDigitalZoom = 0;
constexpr int kMaxDigitalZoom = 99;
constexpr const char* kDigitalZoomRangeText =
    "Value %d out of range. Value must bee between 0 -> 99";

// The window style bits the control adds to its own when it places the renderer window.
constexpr LONG kRendererChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

// The key record SyncOverlayWindow asks the mixer to fill: index and RGB, palette index 0 and
// both colour values 0x000F000F (the prefilled value stands when the call fills nothing).
constexpr DWORD kPrefilledKeyType = CK_INDEX | CK_RGB;
constexpr COLORREF kPrefilledKeyColor = 0x000F000F;

// The names the overlay set-up gives the filters it adds, and the mixer's output pin.
constexpr const char* kOverlayMixerName = "Overlay Mixer";
constexpr const char* kLine21DecoderName = "Line21 Decoder";
constexpr const char* kMixerOutputPinName = "Output";

// How often the idle cursor check looks at the pointer while AutoHideCursor is set.
constexpr int kIdleCursorCheckMs = 100;

// Window style and extended window style of the control's own window, read once loaded.
struct TSavedStyle {
  LONG Style = 0;
  LONG ExStyle = 0;
};

// One change the overlay set-up made to the graph's connections, kept so that a failure can
// undo it: a connection made (first = output pin, second = input pin) or broken.
enum class TConnectionKind : DWORD { ckMade = 0, ckBroken = 1 };
using enum TConnectionKind;
struct TConnection {
  ComPtr<IPin> First;
  ComPtr<IPin> Second;
  TConnectionKind Kind = ckMade;
};

// Read-only capability flags of a video control.
class TDSVideoWindowEx2Caps {
 public:
  explicit TDSVideoWindowEx2Caps(TDSVideoWindowEx2* owner) : owner_(owner) {}
  // True while the overlay mixer is in the graph.
  bool CanOverlayGraphic() const;
  // The bits of the colour record last read from the overlay surface; false without colour
  // settings.
  bool CanControlBrigtness() const;
  bool CanControlContrast() const;
  bool CanControlHue() const;
  bool CanControlSaturation() const;
  bool CanControlSharpness() const;
  bool CanControlGamma() const;
  bool CanControlColorEnabled() const;

 private:
  bool HasBit(DWORD bit) const;
  TDSVideoWindowEx2* owner_;
};

// The sink the mixer tells of colour-key and size changes. Holds its control weakly: the
// control forgets the callback when it leaves the graph, and the mixer may still call it.
class TOverlayCallback final : public ComObject<IDDrawExclModeVideoCallback> {
 public:
  explicit TOverlayCallback(TDSVideoWindowEx2* control) : control_(control) {}
  // Nothing to do; success.
  HRESULT OnUpdateOverlay(BOOL before, DWORD flags, BOOL oldVisible, const RECT* oldSource,
                          const RECT* oldDestination, BOOL newVisible, const RECT* newSource,
                          const RECT* newDestination) override;
  // ColorKey := the key's high colour value; raises OnColorKeyChanged with this as sender.
  HRESULT OnUpdateColorKey(const COLORKEY* key, DWORD color) override;
  // ComputeVideoRect and PaintOverlayKey on the control.
  HRESULT OnUpdateSize(DWORD width, DWORD height, DWORD aspectX, DWORD aspectY) override;
  // Called by the control before it goes away.
  void Forget() { control_ = nullptr; }

 private:
  QPointer<TDSVideoWindowEx2> control_;
};

// The reference count of the control tracks only the graph's hold on it: the widget belongs to
// its parent and is never deleted through a Release.
class TDSVideoWindowEx2 : public QWidget, public IGraphMember, public IGraphListener,
                          public IGraphDestroyedSink {
  Q_OBJECT
 public:
  explicit TDSVideoWindowEx2(QWidget* parent = nullptr);
  ~TDSVideoWindowEx2() override;

  // Called by the owner once its properties are set: reads SavedStyle.
  void Loaded();

  // ---- Published properties.
  TRatioModes AspectRatio() const { return FAspectRatio; }
  // Stores the mode; with a mixer in the graph only when the mixer pin accepts it (a refusal
  // keeps the old mode). Repaints the key while the overlay is active and not on the desktop.
  void SetAspectRatio(TRatioModes value);
  int AutoHideCursor() const { return FAutoHideCursor; }
  // Milliseconds without pointer activity before the cursor hides over the video; 0 never.
  void SetAutoHideCursor(int value);
  int DigitalZoom() const { return FDigitalZoom; }
  // Percent of the picture cut away, kMinDigitalZoom..kMaxDigitalZoom; ERangeError outside
  // (nothing changes). Sets the graph renderer's source rectangle when there is one.
  void SetDigitalZoom(int value);
  TFilterGraph* FilterGraph() const { return FFilterGraph; }
  // Leaves the old graph (member and listener) and joins the new one.
  void SetFilterGraph(TFilterGraph* value);
  bool FullScreenTopMost() const { return FFullScreenTopMost; }
  void SetFullScreenTopMost(bool value) { FFullScreenTopMost = value; }
  TColorControl* ColorControl() const { return FColorControl.get(); }
  TDSVideoWindowEx2Caps* Caps() const { return FCaps.get(); }
  // Keeps the screen saver and monitor power-down away while video plays.
  bool NoScreenSaver() const { return FNoScreenSaver; }
  void SetNoScreenSaver(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  // The menu a right click opens in full screen (owned elsewhere).
  QMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu* value) { FPopupMenu = value; }
  // The component name: the renderer's caption and the member filter's name.
  std::string Name() const;
  void SetName(const std::string& value);

  // ---- Events.
  TVideoNotifyEvent OnColorKeyChanged;
  TOverlayVisibleEvent OnOverlayVisible;
  // Pointer events with the position used: the client position, or the pointer's screen
  // position in full screen.
  std::function<void(void* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                     int Y)>
      OnMouseDown, OnMouseUp;
  std::function<void(void* Sender, Qt::KeyboardModifiers Shift, int X, int Y)> OnMouseMove;
  TVideoNotifyEvent OnDblClick;
  TVideoNotifyEvent OnClick;
  TVideoNotifyEvent OnResize;

  // ---- Presentation modes (DSVideoWindowEx2Modes.cpp).
  bool FullScreen() const { return FFullScreen; }
  bool DesktopMode() const { return FDesktopMode; }
  // Full screen on monitor `monitor` of the platform's list (primary first); an index that
  // names no monitor uses the one nearest the control. Precondition: not FullScreen.
  void ShowFullScreen(int monitor);
  // Full screen on the monitor nearest to the control's window.
  void ShowFullScreen();
  // Plays on the desktop, below every window; nothing when already there.
  void ShowOnDesktop();
  // Back into the frame (also a refresh when already there).
  void ShowInWindow();
  // The borderless form the control moves to in full screen.
  QWidget* FullScreenForm() const;

  // ---- State read by the colour pop-up, the video window form and tests.
  TColor ColorKey() const { return FColorKey; }
  bool OverlayActive() const { return FOverlayActive; }
  bool OverlayVisible() const { return FOverlayVisible; }
  const RECT& VideoRect() const { return FVideoRect; }
  bool CursorHiddenByIdle() const;
  // The DVD picture point shown under a position as the pointer handlers give it (client, or
  // screen in full screen); nullopt where no picture is or none is known.
  std::optional<POINT> PicturePointAt(int x, int y);
  // The interfaces held; null when not held.
  IBaseFilter* RendererFilter() const { return FRendererFilter.Get(); }
  IBaseFilter* MixerFilter() const { return FMixerFilter.Get(); }
  IBaseFilter* GraphRenderer() const { return FGraphRenderer.Get(); }
  IVideoWindow* VideoWindow() const { return FVideoWindow.Get(); }
  IDDrawExclModeVideo* ExclModeVideo() const { return FExclModeVideo.Get(); }
  bool ScreenSaverInhibited() const;

  // ---- Operations of the overlay (DSVideoWindowEx2.cpp).
  void PlaceRendererWindow();
  void SyncOverlayWindow();
  HRESULT ComputeVideoRect();
  void PaintOverlayKey();
  // `source` fitted inside `target` keeping its shape, centred.
  static RECT LetterBoxRect(const RECT& target, const RECT& source);

  // ---- The overlay set-up (OverlayMixerInsertion.cpp).
  // Puts the overlay mixer in front of the renderer the graph uses and registers the callback;
  // S_OK when in place. Any failure after a connection changed undoes every change.
  HRESULT InsertOverlayMixer();
  // After a DVD render: takes the renderer the DVD builder chose, then InsertOverlayMixer.
  void AdoptDvdRenderer();

  // ---- IUnknown (the graph's references).
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // IGraphMember
  HRESULT MemberFilter(IBaseFilter** filter) override;
  HRESULT MemberName(std::string* name) override;
  HRESULT MemberNotify(TMemberStage stage, LONG param) override;
  // IGraphListener
  HRESULT NotifyGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT NotifyControl(TGraphAction action, LONG param) override;
  // IGraphDestroyedSink
  HRESULT NotifyGraphDestroyed(TFilterGraph* graph) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  friend class TOverlayCallback;
  friend class TFullScreenForm;

  // The position a pointer event is reported with.
  QPoint PositionUsed(const QPointF& clientPos) const;
  // Pointer activity: brings back a hidden cursor.
  void ShowCursorAgain();
  void IdleCursorCheck();
  void SetOverlayVisible(bool value);
  void UpdateScreenSaver(bool playing);
  void ReadColorKey();
  // Full screen on the monitor with these bounds.
  void ShowFullScreenOn(const QRect& bounds);
  // On the desktop: the renderer's picture letter-boxed (or as AspectRatio says) on the screen.
  void FitDesktopPicture();
  void ReleaseOverlayInterfaces();
  // The overlay set-up's roll-back (OverlayMixerInsertion.cpp).
  // `addedLine21`: the Line 21 Decoders the set-up added (a graph may hold more than one
  // Line 21 Decoder 2).
  HRESULT RollBack(std::vector<TConnection>& log, IGraphBuilder* builder, IBaseFilter* vmr,
                   const std::vector<ComPtr<IBaseFilter>>& addedLine21, HRESULT failure);

  // GUI thread only, as everything here.
  // Published values.
  TRatioModes FAspectRatio = rmLetterBox;
  int FAutoHideCursor = 0;
  int FDigitalZoom = 0;
  TFilterGraph* FFilterGraph = nullptr;
  bool FFullScreenTopMost = false;
  bool FNoScreenSaver = false;
  TColor FColor = clBlack;
  QPointer<QMenu> FPopupMenu;
  std::unique_ptr<TColorControl> FColorControl;
  std::unique_ptr<TDSVideoWindowEx2Caps> FCaps;

  // The graph's objects.
  ComPtr<IVideoWindow> FVideoWindow;
  ComPtr<IBaseFilter> FRendererFilter;
  ComPtr<IBaseFilter> FMixerFilter;
  ComPtr<IBaseFilter> FGraphRenderer;
  ComPtr<IDDrawExclModeVideo> FExclModeVideo;
  ComPtr<TOverlayCallback> FOverlayCallback;

  // Overlay state.
  TColor FColorKey = clNone;
  bool FOverlayActive = false;
  bool FOverlayVisible = false;
  RECT FVideoRect{};
  TSavedStyle FSavedStyle;
  bool FDestroying = false;

  // Presentation modes.
  bool FFullScreen = false;
  bool FDesktopMode = false;
  std::unique_ptr<TFullScreenForm> FFullScreenForm;
  QPointer<QWidget> FSavedParent;
  QRect FSavedGeometry;
  std::string FSavedWallpaper;
  TColor FSavedDesktopColor = 0;

  // Pointer and cursor.
  QPoint FLastMousePos{-1, -1};
  std::uint32_t FLastActivityTick = 0;
  QCursor FSavedCursor;
  LONG FCursorHidden = OAFALSE;
  QTimer* FIdleTimer = nullptr;

  std::unique_ptr<os::ScreenSaverInhibition> FScreenSaver;
  // References the graph holds.
  ULONG FRefCount = 0;
};

}  // namespace kavoro::video
