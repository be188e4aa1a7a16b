#pragma once
// A filter with one input that presents samples at their time on the graph's clock: it holds
// the first sample while paused (preroll), waits for each sample's start time while running,
// and reports EC_COMPLETE once the last sample's end time has passed after end of stream
// (with S_FALSE as its result when no sample came since the last stop or flush).
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

namespace kavoro::media {

class BaseRenderer : public BaseFilter {
 public:
  BaseRenderer(const CLSID& clsid, std::string pinName);

 protected:
  class InputPin;

  // Negotiation, application thread, filter stopped.
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) = 0;
  virtual HRESULT OnConnected(const AM_MEDIA_TYPE& type) { return S_OK; }
  virtual void OnDisconnected() {}

  // Streaming thread, streaming lock held, renderer lock not held.
  // Present (or write) the sample now; `lateness` is how far past its due time it is (0 when
  // it is not scheduled).
  virtual HRESULT Render(IMediaSample* sample, REFERENCE_TIME lateness) = 0;
  // A sample is held in Paused with nothing presented since the last stop or flush: a video
  // renderer shows it (it will still be Rendered when its time comes).
  virtual void ShowPreroll(IMediaSample* sample) {}
  // Called as a flush begins (any thread) so that a Render blocked in a device returns.
  virtual void AbortRender() {}
  // After a flush ended, or on stop, with no streaming call inside: drop held state.
  virtual void ResetStream() {}

  // Any thread; takes effect from the next sample. false presents every sample as it arrives.
  void SetScheduling(bool waitForClock);
  bool IsConnected() const;
  const AM_MEDIA_TYPE& ConnectionType() const;
  // The rate of the segment being played (streaming thread).
  double SegmentRate() const;

  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(REFERENCE_TIME start) override;
  HRESULT StateComplete(DWORD timeoutMs) override;

 private:
  HRESULT ReceiveSample(IMediaSample* sample);
  HRESULT EndOfStream();
  void BeginFlush();
  void EndFlush();
  // Waits until stream time `due` is reached on the clock, or the state changes so that the
  // wait must end. True when the time came; false on flush or stop. m_ held through `g`.
  bool WaitUntil(std::unique_lock<std::mutex>& g, REFERENCE_TIME due, REFERENCE_TIME* lateness);
  bool MustAbandon() const;
  void Wake();

  InputPin* input_;

  // Held by the streaming thread for each Receive and EndOfStream; Stop and EndFlush take it
  // to wait for the call under way.
  std::mutex streaming_;

  std::mutex m_;
  std::condition_variable changed_;
  // guarded by m_
  bool schedule_ = true;
  bool prerolled_ = false;  // a sample or end of stream arrived since stop or flush
  bool presented_ = false;  // something was shown since stop or flush
  bool received_ = false;   // a sample came since stop or flush
  bool eos_ = false;
  bool completeSent_ = false;
  std::optional<REFERENCE_TIME> lastEnd_;  // stream time where the last sample ends
};

}  // namespace kavoro::media
