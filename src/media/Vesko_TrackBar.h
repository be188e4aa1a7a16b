#pragma once
// The main window's seek bar: a picture track bar that follows the graph component. While a
// media file plays it polls the graph's position on a window timer of its own, shows it as the
// slider position and reports it through OnTimer; when the user lets go of the bar it seeks the
// graph to the position shown. For DVDs a release plays the title from the time shown.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "controls/VeskoTrackBar.h"
#include "media/FilterGraph.h"
#include "media/GraphTypes.h"
#include "platform/com/ComPtr.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/os/Messages.h"

namespace kavoro {

// Raised when the platform has no timer left to give.
class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Positions in milliseconds.
using TTrackBarTimerEvent =
    std::function<void(QObject* Sender, std::uint32_t CurrentPos, std::uint32_t StopPos)>;

// The bar is an IGraphListener of the graph it is bound to. Its reference count only tracks
// the graph's hold on it: the widget belongs to its parent and is never deleted through a
// Release. When the graph lets go of it without the bar asking (the graph component is being
// destroyed), the bar forgets the graph and its seeking interface. GUI thread only.
class TVesko_TrackBar : public controls::TVeskoTrackBar, public IGraphListener {
 public:
  static constexpr std::uint32_t InitialTimerInterval = 1000;
  static constexpr os::UINT_PTR PollTimerId = 1;

  explicit TVesko_TrackBar(QWidget* parent = nullptr);
  ~TVesko_TrackBar() override;

  TFilterGraph* FilterGraph() const { return FFilterGraph; }
  // Leaves the old graph's listeners and joins the new one's; nothing when unchanged.
  void SetFilterGraph(TFilterGraph* value);

  // Polling period in milliseconds, and the unit of Min, Max and Position while polling.
  std::uint32_t TimerInterval() const { return FTimerInterval; }
  void SetTimerInterval(std::uint32_t value);

  // Raised after each successful poll.
  const TTrackBarTimerEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TTrackBarTimerEvent value);

  // The graph plays and the bar is enabled: the poll timer runs.
  bool TimerRunning() const { return FTimerRunning; }
  // A left-button press on the bar outside the slider until its release: polling (and the
  // DVD time display) leave the bar alone meanwhile.
  bool Tracking() const { return FTracking; }
  // Whether the graph's seeking interface is held (between activation and deactivation).
  bool HasSeeking() const { return static_cast<bool>(FMediaSeeking); }

  // Plays the bound DVD from `seconds` into the title, at frame 1. A refusal as an invalid
  // argument is shown as "SeekResult=%x".
  void SeekDvd(int seconds);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // IGraphListener
  HRESULT NotifyGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT NotifyControl(TGraphAction action, LONG param) override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Kills the poll timer, then starts it again when it should run; EOutOfResources when the
  // platform refuses.
  void UpdateTimer();
  void SetTimerRunning(bool value);
  void HandleTimerMessage(os::UINT message, os::WPARAM wParam, os::LPARAM lParam);
  void Poll();
  void SeekFile();

  TFilterGraph* FFilterGraph = nullptr;
  ComPtr<IMediaSeeking> FMediaSeeking;
  std::unique_ptr<os::MessageWindow> FTimerWindow;
  std::uint32_t FTimerInterval = InitialTimerInterval;
  TTrackBarTimerEvent FOnTimer;
  bool FTimerRunning = false;
  bool FTracking = false;
  // References the graph holds on the listener.
  ULONG FRefCount = 0;
};

}  // namespace kavoro
