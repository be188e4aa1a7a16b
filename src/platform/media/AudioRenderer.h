#pragma once
// The audio renderer: plays 16-bit PCM on the sound device with the player's output volume
// applied per channel, and offers the graph its clock. With a device, the clock follows what
// the device has played; without one (no sound card, or KAVORO_AUDIO_DEVICE=none) the
// renderer takes each block at its time on the machine's clock, so playback keeps real time.
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/AlsaOutput.h"
#include "platform/media/AudioFormat.h"
#include "platform/media/BaseRenderer.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/ReferenceClock.h"

namespace kavoro::media {

// The renderer's clock: the machine's clock, steered toward the device's position while a
// device plays.
class AudioClock final : public ReferenceClock {
 public:
  // Streaming thread: the reference time at which what the device plays now was due.
  void Steer(REFERENCE_TIME deviceTime);

 protected:
  REFERENCE_TIME SourceTime() override;

 private:
  std::mutex lock_;
  REFERENCE_TIME offset_ = 0;  // guarded by lock_
};

class AudioRenderer final : public AddInterfaces<BaseRenderer, IAudioTap, IRendererScheduling> {
 public:
  AudioRenderer();

  // IAudioTap.
  HRESULT SetTap(AudioTapFn tap) override;
  HRESULT HasDevice() override;
  // IRendererScheduling: off, blocks are taken as they come (a device still paces them).
  HRESULT SetClockScheduling(BOOL waitForClock) override;

 protected:
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
  HRESULT OnConnected(const AM_MEDIA_TYPE& type) override;
  HRESULT Render(IMediaSample* sample, REFERENCE_TIME lateness) override;
  void AbortRender() override;
  void ResetStream() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnStop() override;

 private:
  // Stream time advances 1/rate as fast as the sound when the rate is not 1; resampling by
  // the rate keeps the device's pace.
  const std::int16_t* Resample(const std::int16_t* in, int frames, double rate, int* outFrames);
  // Opens or closes the device and publishes whether there is one (HasDevice).
  void OpenDevice();
  void CloseDevice();

  ComPtr<AudioClock> clock_;
  // application thread, while stopped
  PcmFormat format_;
  AudioTapFn tap_;
  bool scheduling_ = true;
  // any thread: whether device_ is open, for HasDevice; device_ itself is not read there
  std::atomic<bool> hasDevice_{false};
  // streaming thread (and OnPause/OnStop while it does not run)
  AlsaOutput device_;
  std::vector<std::int16_t> scratch_;
  std::vector<std::int16_t> resampled_;
  SwrPtr resampler_;
  double resamplerRate_ = 1.0;
};

}  // namespace kavoro::media
