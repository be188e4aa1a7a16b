#include "platform/media/BaseRenderer.h"

#include <algorithm>
#include <chrono>

#include "platform/media/EventCodes.h"

namespace kavoro::media {
namespace {

// The longest a renderer sleeps before it looks at the clock again, so a clock that runs at
// another pace than the machine's is followed closely.
constexpr REFERENCE_TIME kMaxWaitSlice = 10 * kUnitsPerMillisecond;

}  // namespace

class BaseRenderer::InputPin final : public BaseInputPin {
 public:
  InputPin(BaseRenderer& r, std::string name) : BaseInputPin(r, std::move(name)), r_(r) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override { return r_.CheckMediaType(type); }
  HRESULT CompleteConnect(IPin*) override { return r_.OnConnected(Type()); }
  void BreakConnect() override {
    BaseInputPin::BreakConnect();
    r_.OnDisconnected();
  }
  HRESULT OnReceive(IMediaSample* sample) override { return r_.ReceiveSample(sample); }
  HRESULT OnEndOfStream() override { return r_.EndOfStream(); }
  HRESULT OnBeginFlush() override {
    r_.BeginFlush();
    return S_OK;
  }
  HRESULT OnEndFlush() override {
    r_.EndFlush();
    return S_OK;
  }

 private:
  BaseRenderer& r_;
};

BaseRenderer::BaseRenderer(const CLSID& clsid, std::string pinName) : BaseFilter(clsid) {
  input_ = MakePin<InputPin>(*this, std::move(pinName));
}

void BaseRenderer::SetScheduling(bool waitForClock) {
  std::lock_guard g(m_);
  schedule_ = waitForClock;
}

bool BaseRenderer::IsConnected() const { return input_->IsConnected(); }
const AM_MEDIA_TYPE& BaseRenderer::ConnectionType() const { return input_->Type(); }
double BaseRenderer::SegmentRate() const {
  const double r = input_->SegmentRate();
  return r > 0 ? r : 1.0;
}

void BaseRenderer::Wake() {
  std::lock_guard g(m_);
  changed_.notify_all();
}

bool BaseRenderer::MustAbandon() const {
  return input_->IsFlushing() || State() == State_Stopped;
}

bool BaseRenderer::WaitUntil(std::unique_lock<std::mutex>& g, REFERENCE_TIME due,
                             REFERENCE_TIME* lateness) {
  *lateness = 0;
  for (;;) {
    if (MustAbandon()) return false;
    if (State() == State_Paused) {
      changed_.wait(g);
      continue;
    }
    ComPtr<IReferenceClock> clock = Clock();
    if (!schedule_ || !clock) return true;
    REFERENCE_TIME now = 0;
    clock->GetTime(&now);
    const REFERENCE_TIME at = StartTime() + due;
    if (now >= at) {
      *lateness = now - at;
      return true;
    }
    const REFERENCE_TIME slice = std::min(at - now, kMaxWaitSlice);
    changed_.wait_for(g, std::chrono::microseconds(slice / 10));
  }
}

HRESULT BaseRenderer::ReceiveSample(IMediaSample* sample) {
  std::lock_guard s(streaming_);
  std::unique_lock g(m_);
  if (MustAbandon()) return S_FALSE;
  if (eos_) return VFW_E_SAMPLE_REJECTED_EOS;
  received_ = true;
  REFERENCE_TIME start = 0, end = 0;
  const bool timed = SUCCEEDED(sample->GetTime(&start, &end));
  if (State() == State_Paused && !presented_) {
    presented_ = true;
    g.unlock();
    ShowPreroll(sample);
    g.lock();
    if (MustAbandon()) return S_FALSE;
  }
  // Prerolled only once the picture is up, so a paused graph that reports its state shows it.
  if (!prerolled_) {
    prerolled_ = true;
    changed_.notify_all();
  }
  REFERENCE_TIME lateness = 0;
  if (timed) {
    if (!WaitUntil(g, start, &lateness)) return S_FALSE;
  } else {
    while (State() == State_Paused && !MustAbandon()) changed_.wait(g);
    if (MustAbandon()) return S_FALSE;
  }
  presented_ = true;
  if (timed) lastEnd_ = end;
  g.unlock();
  return Render(sample, lateness);
}

HRESULT BaseRenderer::EndOfStream() {
  std::lock_guard s(streaming_);
  std::unique_lock g(m_);
  if (MustAbandon()) return S_FALSE;
  eos_ = true;
  if (!prerolled_) {
    prerolled_ = true;
    changed_.notify_all();
  }
  REFERENCE_TIME lateness = 0;
  if (!WaitUntil(g, lastEnd_.value_or(0), &lateness)) return S_OK;
  if (!completeSent_) {
    completeSent_ = true;
    const HRESULT result = received_ ? S_OK : S_FALSE;
    g.unlock();
    NotifyEvent(EC_COMPLETE, result, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
  }
  return S_OK;
}

void BaseRenderer::BeginFlush() {
  AbortRender();
  Wake();
}

void BaseRenderer::EndFlush() {
  std::lock_guard s(streaming_);
  ResetStream();
  std::lock_guard g(m_);
  prerolled_ = presented_ = received_ = eos_ = completeSent_ = false;
  lastEnd_.reset();
}

HRESULT BaseRenderer::OnStop() {
  AbortRender();
  Wake();
  std::lock_guard s(streaming_);
  ResetStream();
  std::lock_guard g(m_);
  prerolled_ = presented_ = received_ = eos_ = completeSent_ = false;
  lastEnd_.reset();
  return S_OK;
}

HRESULT BaseRenderer::OnPause(FILTER_STATE) {
  Wake();
  return S_OK;
}

HRESULT BaseRenderer::OnRun(REFERENCE_TIME) {
  Wake();
  return S_OK;
}

HRESULT BaseRenderer::StateComplete(DWORD timeoutMs) {
  std::unique_lock g(m_);
  changed_.wait_for(g, std::chrono::milliseconds(timeoutMs),
                    [&] { return prerolled_ || State() == State_Stopped; });
  return prerolled_ || State() == State_Stopped ? S_OK : VFW_S_STATE_INTERMEDIATE;
}

}  // namespace kavoro::media
