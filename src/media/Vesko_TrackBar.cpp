#include "media/Vesko_TrackBar.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

#include <cstdio>

#include "platform/media/EventCodes.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"

namespace kavoro {

namespace {

// 100 ns units in a millisecond.
constexpr LONGLONG kUnitsPerMs = 10000;

}  // namespace

TVesko_TrackBar::TVesko_TrackBar(QWidget* parent)
    : controls::TVeskoTrackBar(parent),
      FTimerWindow(std::make_unique<os::MessageWindow>(
          [this](os::UINT message, os::WPARAM wParam, os::LPARAM lParam) {
            HandleTimerMessage(message, wParam, lParam);
          })) {}

TVesko_TrackBar::~TVesko_TrackBar() {
  FTimerRunning = false;
  // Only kills the timer: nothing is started again, so nothing can be refused.
  UpdateTimer();
  SetFilterGraph(nullptr);
  FTimerWindow.reset();
  FMediaSeeking.Reset();
}

void TVesko_TrackBar::SetFilterGraph(TFilterGraph* value) {
  if (value == FFilterGraph) return;
  TFilterGraph* old = FFilterGraph;
  FFilterGraph = nullptr;
  // The seeking interface belongs to the graph left behind, whose deactivation the bar would
  // no longer hear of.
  FMediaSeeking.Reset();
  if (old) old->DetachListener(this);
  if (value) value->AttachListener(this);
  FFilterGraph = value;
}

void TVesko_TrackBar::SetTimerInterval(std::uint32_t value) {
  if (value == FTimerInterval) return;
  FTimerInterval = value;
  UpdateTimer();
}

void TVesko_TrackBar::SetOnTimer(TTrackBarTimerEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TVesko_TrackBar::UpdateTimer() {
  if (!FTimerWindow) return;
  FTimerWindow->KillTimer(PollTimerId);
  if (FTimerInterval != 0 && FTimerRunning) {
    if (!FTimerWindow->SetTimer(PollTimerId, FTimerInterval)) {
      throw EOutOfResources("Not enough timers available");
    }
  }
}

void TVesko_TrackBar::SetTimerRunning(bool value) {
  if (value == FTimerRunning) return;
  FTimerRunning = value;
  UpdateTimer();
}

void TVesko_TrackBar::HandleTimerMessage(os::UINT message, os::WPARAM wParam, os::LPARAM) {
  if (message != os::WM_TIMER || wParam != PollTimerId) return;
  os::RunGuarded([this] { Poll(); });
}

void TVesko_TrackBar::Poll() {
  if (!FMediaSeeking || FTracking) return;
  // The interval may not be 0 here (the timer does not run then), but it is a divisor.
  if (FTimerInterval == 0) return;
  ComPtr<IMediaSeeking> seeking = FMediaSeeking;
  LONGLONG duration = 0;
  LONGLONG current = 0;
  if (FAILED(seeking->GetDuration(&duration))) return;
  if (FAILED(seeking->GetCurrentPosition(&current))) return;
  const auto stopPos = static_cast<std::uint32_t>(duration / kUnitsPerMs);
  const auto currentPos = static_cast<std::uint32_t>(current / kUnitsPerMs);

  const QPointer<TVesko_TrackBar> alive(this);
  SetMin(0);
  if (alive) SetMax(static_cast<int>(stopPos / FTimerInterval));
  if (alive) SetPosition(static_cast<int>(currentPos / FTimerInterval));
  if (alive && FOnTimer) FOnTimer(this, currentPos, stopPos);
}

HRESULT TVesko_TrackBar::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IUnknown::kIID || riid == IGraphListener::kIID) {
    *ppv = static_cast<IGraphListener*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG TVesko_TrackBar::AddRef() { return ++FRefCount; }

ULONG TVesko_TrackBar::Release() {
  if (FRefCount == 0) return 0;
  if (--FRefCount == 0) {
    // Nobody holds the listener any more: the graph has dropped it, which outside
    // SetFilterGraph only happens while the graph component is destroyed.
    FFilterGraph = nullptr;
    FMediaSeeking.Reset();
  }
  return FRefCount;
}

HRESULT TVesko_TrackBar::NotifyGraphEvent(LONG code, LONG_PTR, LONG_PTR) {
  if (code != EC_CLOCK_CHANGED || !FMediaSeeking) return S_OK;
  // Puts the media back to its start, leaving the stop where it is.
  ComPtr<IMediaSeeking> seeking = FMediaSeeking;
  LONGLONG duration = 0;
  seeking->GetDuration(&duration);
  LONGLONG start = 0;
  seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &duration,
                        AM_SEEKING_NoPositioning);
  return S_OK;
}

HRESULT TVesko_TrackBar::NotifyControl(TGraphAction action, LONG param) {
  switch (action) {
    case gaPlay:
      SetTimerRunning(isEnabled());
      break;
    case gaPause:
    case gaStop:
      SetTimerRunning(false);
      break;
    case gaActivation:
      if (param == 1) {
        if (FFilterGraph) FMediaSeeking = FFilterGraph->Query<IMediaSeeking>();
      } else if (param == 0) {
        FMediaSeeking.Reset();
      }
      break;
    default:
      break;
  }
  return S_OK;
}

void TVesko_TrackBar::mousePressEvent(QMouseEvent* event) {
  const QPointer<TVesko_TrackBar> alive(this);
  controls::TVeskoTrackBar::mousePressEvent(event);
  if (alive && event->button() == Qt::LeftButton) FTracking = true;
}

void TVesko_TrackBar::mouseReleaseEvent(QMouseEvent* event) {
  const QPointer<TVesko_TrackBar> alive(this);
  controls::TVeskoTrackBar::mouseReleaseEvent(event);
  if (!alive) return;
  const bool graphActive = FFilterGraph && FFilterGraph->Active();
  if (event->button() != Qt::LeftButton || graphActive) {
    if (FFilterGraph && FFilterGraph->Mode() == gmDVD) {
      SeekDvd(Position());
    } else {
      SeekFile();
    }
  }
  // The DVD seek lets other handlers run; one of them may have destroyed the bar.
  if (alive) FTracking = false;
}

void TVesko_TrackBar::SeekFile() {
  if (!FMediaSeeking) return;
  ComPtr<IMediaSeeking> seeking = FMediaSeeking;
  LONGLONG stop = 0;
  // Without the stop position there is nothing to measure the bar against.
  if (FAILED(seeking->GetStopPosition(&stop))) return;
  // Media shorter than one interval polls to a Max of 0: no position to seek to.
  if (Max() == 0) return;
  LONGLONG position = stop * static_cast<LONGLONG>(Position()) / static_cast<LONGLONG>(Max());
  seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, &stop,
                        AM_SEEKING_NoPositioning);
}

void TVesko_TrackBar::SeekDvd(int seconds) {
  if (!FFilterGraph) return;
  ComPtr<IDvdControl2> control = FFilterGraph->Query<IDvdControl2>();
  if (!control) return;
  control->SetOption(DVD_HMSF_TimeCodeEvents, 1);

  const int hours = seconds / 3600;
  const int minutes = (seconds - hours * 3600) / 60;
  DVD_HMSF_TIMECODE time;
  time.bHours = static_cast<std::uint8_t>(hours);
  time.bMinutes = static_cast<std::uint8_t>(minutes);
  time.bSeconds = static_cast<std::uint8_t>(seconds - hours * 3600 - minutes * 60);
  time.bFrames = 1;

  ComPtr<IDvdCmd> command;
  const HRESULT result = control->PlayAtTime(&time, DVD_CMD_FLAG_None, command.Put());
  command.Reset();
  control.Reset();

  QCoreApplication::processEvents();
  os::Os().GuiThread().CheckSynchronize(0);

  if (result == E_INVALIDARG) {
    char text[32];
    std::snprintf(text, sizeof text, "SeekResult=%x", static_cast<unsigned>(result));
    os::ShowMessage(text);
  }
}

}  // namespace kavoro
