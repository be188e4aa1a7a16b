// The graph's state machine, clock and positions: the control half of the graph manager.
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>

#include "platform/media/Enumerators.h"
#include "platform/media/EventCodes.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/ReferenceClock.h"
#include "platform/media/SeekingSupport.h"

namespace kavoro::media {
namespace {

// Stream time 0 is put this far after "now" when the graph starts running, so every renderer
// is running before its first sample is due.
constexpr REFERENCE_TIME kStartLatency = 20 * kUnitsPerMillisecond;
// How long Run and a seek while running wait for the renderers to preroll before starting
// the clock; a source slower than this starts late rather than blocking the caller longer.
constexpr LONG kPrerollWaitMs = 2000;

const char* StateName(FILTER_STATE s) {
  switch (s) {
    case State_Stopped: return "Stopped";
    case State_Paused: return "Paused";
    case State_Running: return "Running";
  }
  return "?";
}

}  // namespace

std::vector<ComPtr<IBaseFilter>> FilterGraph::DownstreamFirst() const {
  std::vector<ComPtr<IBaseFilter>> order;
  std::map<const void*, int> mark;  // 1 visiting, 2 done
  std::function<void(IBaseFilter*)> visit = [&](IBaseFilter* f) {
    ComPtr<IUnknown> id;
    f->QueryInterface(IIDOf<IUnknown>(), id.PutVoid());
    int& m = mark[id.Get()];
    if (m) return;  // done, or a cycle
    m = 1;
    for (auto& pin : PinsOf(f)) {
      if (!IsOutput(pin.Get())) continue;
      if (ComPtr<IPin> peer = PeerOf(pin.Get()))
        if (ComPtr<IBaseFilter> down = FilterOf(peer.Get())) visit(down.Get());
    }
    mark[id.Get()] = 2;
    order.emplace_back(f);
  };
  for (const Entry& e : filters_) visit(e.filter.Get());
  return order;
}

std::set<const void*> FilterGraph::Renderers() const {
  std::set<const void*> out;
  for (const Entry& e : filters_) {
    bool connectedInput = false, anyOutput = false;
    for (auto& pin : PinsOf(e.filter.Get())) {
      if (IsOutput(pin.Get())) anyOutput = true;
      else if (PeerOf(pin.Get())) connectedInput = true;
    }
    if (connectedInput && !anyOutput) {
      ComPtr<IUnknown> id;
      e.filter->QueryInterface(IIDOf<IUnknown>(), id.PutVoid());
      out.insert(id.Get());
    }
  }
  return out;
}

std::vector<ComPtr<IMediaSeeking>> FilterGraph::Seekables() const {
  std::vector<ComPtr<IMediaSeeking>> out;
  std::vector<const void*> seen;
  for (const Entry& e : filters_) {
    for (auto& pin : PinsOf(e.filter.Get())) {
      if (IsOutput(pin.Get())) continue;
      ComPtr<IPin> peer = PeerOf(pin.Get());
      if (!peer) continue;
      // A renderer's input: the seeking object upstream of it.
      bool isRenderer = true;
      for (auto& p : PinsOf(e.filter.Get()))
        if (IsOutput(p.Get())) isRenderer = false;
      if (!isRenderer) continue;
      ComPtr<IMediaSeeking> s = peer.As<IMediaSeeking>();
      if (!s) continue;
      ComPtr<IUnknown> id = s.As<IUnknown>();
      if (std::find(seen.begin(), seen.end(), id.Get()) != seen.end()) continue;
      seen.push_back(id.Get());
      out.push_back(s);
    }
  }
  return out;
}

void FilterGraph::ChooseClock() {
  if (clockChosen_ && clock_) return;
  ComPtr<IReferenceClock> chosen;
  for (auto& f : DownstreamFirst()) {
    if (SUCCEEDED(f->QueryInterface(IIDOf<IReferenceClock>(), chosen.PutVoid())) && chosen) break;
  }
  if (!chosen) chosen = MakeCom<SystemClock>();
  const bool changed = !clock_ || !IsSameObject(chosen.Get(), clock_.Get());
  clock_ = chosen;
  clockChosen_ = true;
  for (const Entry& e : filters_) e.filter->SetSyncSource(clock_.Get());
  if (changed) {
    Log("Clock chosen");
    events_.Post(EC_CLOCK_CHANGED, 0, 0);
  }
}

HRESULT FilterGraph::SetDefaultSyncSource() {
  std::lock_guard g(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  clockChosen_ = false;
  ChooseClock();
  return S_OK;
}

REFERENCE_TIME FilterGraph::ClockNow() const {
  REFERENCE_TIME now = 0;
  if (clock_) clock_->GetTime(&now);
  else now = MonotonicNow();
  return now;
}

REFERENCE_TIME FilterGraph::StreamTime() const {
  if (state_ != State_Running) return pausedAt_;
  return std::max<REFERENCE_TIME>(0, ClockNow() - start_);
}

LONGLONG FilterGraph::KnownDuration() const {
  LONGLONG best = -1;
  for (auto& s : Seekables()) {
    LONGLONG d = 0;
    if (SUCCEEDED(s->GetDuration(&d))) best = std::max(best, d);
  }
  return best;
}

LONGLONG FilterGraph::PositionNow() const {
  LONGLONG pos = segmentStart_ + static_cast<LONGLONG>(static_cast<double>(StreamTime()) * rate_);
  LONGLONG end = stop_ >= 0 ? stop_ : KnownDuration();
  if (end >= 0) pos = std::min(pos, end);
  return std::max<LONGLONG>(pos, 0);
}

HRESULT FilterGraph::PauseFilters() {
  HRESULT result = S_OK;
  for (auto& f : DownstreamFirst()) {
    HRESULT hr = f->Pause();
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) result = S_FALSE;
  }
  return result;
}

HRESULT FilterGraph::RunFilters(REFERENCE_TIME start) {
  HRESULT result = S_OK;
  for (auto& f : DownstreamFirst()) {
    HRESULT hr = f->Run(start);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) result = S_FALSE;
  }
  return result;
}

void FilterGraph::StopFilters() {
  for (auto& f : DownstreamFirst()) f->Stop();
}

HRESULT FilterGraph::WaitForFilters(LONG timeoutMs, FILTER_STATE* reached) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  HRESULT result = S_OK;
  for (auto& f : DownstreamFirst()) {
    LONG left = 0;
    if (timeoutMs < 0) {
      left = -1;
    } else {
      auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      left = static_cast<LONG>(std::max<std::int64_t>(0, rest.count()));
    }
    FILTER_STATE s;
    HRESULT hr = f->GetState(left < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(left), &s);
    if (FAILED(hr)) return hr;
    if (hr != S_OK) result = hr;
  }
  if (reached) *reached = state_;
  return result;
}

HRESULT FilterGraph::ChangeState(FILTER_STATE target) {
  const FILTER_STATE from = state_;
  if (from == target) {
    return target == State_Stopped ? S_OK : (WaitForFilters(0, nullptr) == S_OK ? S_OK : S_FALSE);
  }
  Log(std::string("State ") + StateName(from) + " -> " + StateName(target));
  HRESULT hr = S_OK;
  switch (target) {
    case State_Stopped:
      pausedAt_ = StreamTime();
      {
        // A stopped graph resumes where it stopped.
        const LONGLONG resumeAt = PositionNow();
        StopFilters();
        events_.CancelCompletion();
        state_ = State_Stopped;
        for (auto& s : Seekables()) {
          LONGLONG cur = resumeAt;
          s->SetPositions(&cur, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        }
        segmentStart_ = resumeAt;
        pausedAt_ = 0;
      }
      return S_OK;

    case State_Paused:
      if (from == State_Stopped) {
        ChooseClock();
        events_.ExpectCompletion(Renderers());
        pausedAt_ = 0;
      } else {
        pausedAt_ = StreamTime();
      }
      state_ = State_Paused;
      hr = PauseFilters();
      if (FAILED(hr)) {
        StopFilters();
        state_ = State_Stopped;
        return hr;
      }
      return hr;

    case State_Running: {
      if (from == State_Stopped) {
        hr = ChangeState(State_Paused);
        if (FAILED(hr)) return hr;
      }
      WaitForFilters(kPrerollWaitMs, nullptr);
      start_ = ClockNow() + kStartLatency - pausedAt_;
      state_ = State_Running;
      hr = RunFilters(start_);
      if (FAILED(hr)) {
        StopFilters();
        state_ = State_Stopped;
        return hr;
      }
      return hr;
    }
  }
  return E_UNEXPECTED;
}

HRESULT FilterGraph::Run() {
  std::lock_guard g(lock_);
  return ChangeState(State_Running);
}

HRESULT FilterGraph::Pause() {
  std::lock_guard g(lock_);
  return ChangeState(State_Paused);
}

HRESULT FilterGraph::Stop() {
  std::lock_guard g(lock_);
  return ChangeState(State_Stopped);
}

HRESULT FilterGraph::GetState(LONG timeoutMs, OAFilterState* state) {
  if (!state) return E_POINTER;
  std::lock_guard g(lock_);
  *state = state_;
  if (state_ == State_Stopped) return S_OK;
  return WaitForFilters(timeoutMs, nullptr);
}

HRESULT FilterGraph::StopWhenReady() {
  std::lock_guard g(lock_);
  HRESULT hr = ChangeState(State_Paused);
  if (FAILED(hr)) return hr;
  WaitForFilters(kPrerollWaitMs, nullptr);
  return ChangeState(State_Stopped);
}

HRESULT FilterGraph::Reposition(LONGLONG current, LONGLONG stop, double rate) {
  const FILTER_STATE was = state_;
  if (was == State_Running) {
    const HRESULT hr = ChangeState(State_Paused);
    if (FAILED(hr)) return hr;
  }
  // The new run starts before the sources move: what they report from now on is its own.
  events_.CancelCompletion();
  HRESULT result = S_OK;
  auto seekables = Seekables();
  for (auto& s : seekables) {
    HRESULT hr = s->SetRate(rate);
    if (SUCCEEDED(hr)) {
      LONGLONG cur = current;
      LONGLONG st = stop;
      hr = s->SetPositions(&cur, AM_SEEKING_AbsolutePositioning, &st,
                           AM_SEEKING_AbsolutePositioning);
    }
    if (FAILED(hr)) result = hr;
  }
  if (SUCCEEDED(result) || seekables.empty()) {
    segmentStart_ = current;
    stop_ = stop;
    rate_ = rate;
  } else {
    // Not where it was asked to go: the position and rate are those the source plays from.
    LONGLONG at = 0;
    double r = rate_;
    if (SUCCEEDED(seekables.front()->GetCurrentPosition(&at))) segmentStart_ = at;
    if (SUCCEEDED(seekables.front()->GetRate(&r))) rate_ = r;
  }
  pausedAt_ = 0;
  if (was != State_Stopped) events_.ExpectCompletion(Renderers());
  if (was == State_Running) {
    const HRESULT hr = ChangeState(State_Running);
    if (FAILED(hr)) return hr;
  }
  return result;
}

HRESULT FilterGraph::GetCapabilities(DWORD* caps) {
  if (!caps) return E_POINTER;
  std::lock_guard g(lock_);
  auto list = Seekables();
  if (list.empty()) {
    *caps = 0;
    return S_OK;
  }
  DWORD all = ~0u;
  for (auto& s : list) {
    DWORD c = 0;
    s->GetCapabilities(&c);
    all &= c;
  }
  *caps = all | AM_SEEKING_CanGetCurrentPos;
  return S_OK;
}

HRESULT FilterGraph::CheckCapabilities(DWORD* caps) {
  DWORD have = 0;
  GetCapabilities(&have);
  return CheckCapabilitiesAgainst(have, caps);
}

HRESULT FilterGraph::IsFormatSupported(const GUID* format) { return IsMediaTimeFormat(format); }

HRESULT FilterGraph::QueryPreferredFormat(GUID* format) { return GetMediaTimeFormat(format); }

HRESULT FilterGraph::GetTimeFormat(GUID* format) { return GetMediaTimeFormat(format); }

HRESULT FilterGraph::IsUsingTimeFormat(const GUID* format) { return IsMediaTimeFormat(format); }

HRESULT FilterGraph::SetTimeFormat(const GUID* format) { return SetMediaTimeFormat(format); }

HRESULT FilterGraph::GetDuration(LONGLONG* duration) {
  if (!duration) return E_POINTER;
  std::lock_guard g(lock_);
  LONGLONG d = KnownDuration();
  if (d < 0) return E_NOTIMPL;
  *duration = d;
  return S_OK;
}

HRESULT FilterGraph::GetStopPosition(LONGLONG* stop) {
  if (!stop) return E_POINTER;
  std::lock_guard g(lock_);
  LONGLONG s = stop_ >= 0 ? stop_ : KnownDuration();
  if (s < 0) return E_NOTIMPL;
  *stop = s;
  return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(LONGLONG* current) {
  if (!current) return E_POINTER;
  std::lock_guard g(lock_);
  if (Seekables().empty()) return E_NOTIMPL;
  *current = PositionNow();
  return S_OK;
}

HRESULT FilterGraph::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat,
                                       LONGLONG source, const GUID* sourceFormat) {
  return ConvertMediaTime(target, targetFormat, source, sourceFormat);
}

HRESULT FilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                  DWORD stopFlags) {
  std::lock_guard g(lock_);
  if (Seekables().empty()) return E_NOTIMPL;
  const LONGLONG duration = KnownDuration();
  const LONGLONG now = PositionNow();
  const LONGLONG oldStop = stop_ >= 0 ? stop_ : duration;
  LONGLONG newCur = 0, newStop = 0;
  const HRESULT flags = ApplyPositioningFlags(current, currentFlags, stop, stopFlags, now, oldStop,
                                              oldStop, &newCur, &newStop);
  if (FAILED(flags)) return flags;
  if (duration >= 0) {
    newCur = std::clamp<LONGLONG>(newCur, 0, duration);
    newStop = std::clamp<LONGLONG>(newStop, 0, duration);
  }
  if (newStop < newCur) return E_INVALIDARG;
  const bool moveCurrent = (currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning;
  HRESULT hr = S_OK;
  if (moveCurrent || newStop != oldStop) {
    Log("SetPositions " + std::to_string(newCur) + " .. " + std::to_string(newStop));
    hr = Reposition(moveCurrent ? newCur : now, newStop, rate_);
  }
  if ((currentFlags & AM_SEEKING_ReturnTime) && current) *current = newCur;
  if ((stopFlags & AM_SEEKING_ReturnTime) && stop) *stop = newStop;
  return hr;
}

HRESULT FilterGraph::GetPositions(LONGLONG* current, LONGLONG* stop) {
  HRESULT hr = S_OK;
  if (current) hr = GetCurrentPosition(current);
  if (SUCCEEDED(hr) && stop) hr = GetStopPosition(stop);
  return hr;
}

HRESULT FilterGraph::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
  if (earliest) *earliest = 0;
  if (latest) return GetDuration(latest);
  return S_OK;
}

HRESULT FilterGraph::SetRate(double rate) {
  if (FAILED(CheckPlaybackRate(rate))) return E_INVALIDARG;
  std::lock_guard g(lock_);
  if (rate == rate_) return S_OK;
  if (Seekables().empty()) return E_NOTIMPL;
  const LONGLONG now = PositionNow();
  const LONGLONG stop = stop_ >= 0 ? stop_ : KnownDuration();
  Log("SetRate " + std::to_string(rate));
  return Reposition(now, stop, rate);
}

HRESULT FilterGraph::GetRate(double* rate) {
  if (!rate) return E_POINTER;
  std::lock_guard g(lock_);
  *rate = rate_;
  return S_OK;
}

HRESULT FilterGraph::GetPreroll(LONGLONG* preroll) { return GetNoPreroll(preroll); }

}  // namespace kavoro::media
