#include "platform/media/AudioRenderer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "platform/media/EventCodes.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"
#include "platform/os/Platform.h"

namespace kavoro::media {
namespace {

// The clock moves toward the device's position by at most this much per block, so it never
// jumps under a video renderer.
constexpr REFERENCE_TIME kMaxSteerStep = kUnitsPerMillisecond;
// EC_SNDDEV_OUT_ERROR's first parameter: the operation that failed (a write).
constexpr LONG_PTR kSoundDeviceWriteError = 9;

}  // namespace

void AudioClock::Steer(REFERENCE_TIME deviceTime) {
  std::lock_guard g(lock_);
  const REFERENCE_TIME want = deviceTime - MonotonicNow();
  offset_ += std::clamp(want - offset_, -kMaxSteerStep, kMaxSteerStep);
}

REFERENCE_TIME AudioClock::SourceTime() {
  std::lock_guard g(lock_);
  return MonotonicNow() + offset_;
}

AudioRenderer::AudioRenderer()
    : AddInterfaces(CLSID_AudioRender, "Audio Input pin (rendered)"),
      clock_(MakeCom<AudioClock>()) {}

HRESULT AudioRenderer::QueryExtraInterface(REFIID riid, void** ppv) {
  if (riid == IIDOf<IReferenceClock>()) {
    *ppv = static_cast<IReferenceClock*>(clock_.Get());
    clock_->AddRef();
    return S_OK;
  }
  return AddInterfaces::QueryExtraInterface(riid, ppv);
}

HRESULT AudioRenderer::SetTap(AudioTapFn tap) {
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  tap_ = std::move(tap);
  return S_OK;
}

HRESULT AudioRenderer::SetClockScheduling(BOOL waitForClock) {
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  scheduling_ = waitForClock != 0;
  return S_OK;
}

// Any thread: the streaming thread may close the device (a write failed) at any moment.
HRESULT AudioRenderer::HasDevice() { return hasDevice_ ? S_OK : S_FALSE; }

void AudioRenderer::OpenDevice() {
  device_.ClearAbort();
  hasDevice_ = device_.Open(AlsaOutput::DeviceName(), format_.channels, format_.sampleRate);
}

void AudioRenderer::CloseDevice() {
  hasDevice_ = false;
  device_.Close();
}

HRESULT AudioRenderer::CheckMediaType(const AM_MEDIA_TYPE& type) {
  PcmFormat f;
  return ReadPcmType(type, &f) ? S_OK : S_FALSE;
}

HRESULT AudioRenderer::OnConnected(const AM_MEDIA_TYPE& type) {
  return ReadPcmType(type, &format_) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioRenderer::OnPause(FILTER_STATE from) {
  if (from == State_Stopped && IsConnected()) {
    OpenDevice();
    // With a device, blocks are written as the device takes them; without one, each waits
    // for its time.
    SetScheduling(scheduling_ && !hasDevice_);
  }
  return BaseRenderer::OnPause(from);
}

HRESULT AudioRenderer::OnStop() {
  HRESULT hr = BaseRenderer::OnStop();
  CloseDevice();
  return hr;
}

void AudioRenderer::AbortRender() { device_.Abort(); }

void AudioRenderer::ResetStream() {
  if (device_.IsOpen()) device_.Drop();
  device_.ClearAbort();
  resampler_.reset();
}

const std::int16_t* AudioRenderer::Resample(const std::int16_t* in, int frames, double rate,
                                            int* outFrames) {
  if (!resampler_ || resamplerRate_ != rate) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, format_.channels);
    SwrContext* raw = nullptr;
    const int inRate = static_cast<int>(format_.sampleRate * rate);
    int err = swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, format_.sampleRate, &layout,
                                  AV_SAMPLE_FMT_S16, inRate, 0, nullptr);
    av_channel_layout_uninit(&layout);
    if (err < 0) return nullptr;
    resampler_.reset(raw);
    if (swr_init(resampler_.get()) < 0) {
      resampler_.reset();
      return nullptr;
    }
    resamplerRate_ = rate;
  }
  const int room = swr_get_out_samples(resampler_.get(), frames);
  if (room <= 0) return nullptr;
  resampled_.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(format_.channels));
  std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(resampled_.data())};
  const std::uint8_t* src[1] = {reinterpret_cast<const std::uint8_t*>(in)};
  *outFrames = swr_convert(resampler_.get(), out, room, src, frames);
  return *outFrames > 0 ? resampled_.data() : nullptr;
}

HRESULT AudioRenderer::Render(IMediaSample* sample, REFERENCE_TIME) {
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  const int bytesPerFrame = format_.BytesPerFrame();
  int frames = sample->GetActualDataLength() / bytesPerFrame;
  if (frames <= 0) return S_OK;
  scratch_.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(format_.channels));
  std::memcpy(scratch_.data(), data, static_cast<std::size_t>(frames) * bytesPerFrame);

  std::uint32_t volume = os::kFullVolume;
  os::Os().WaveOut().GetVolume(os::kWaveOutDevice0, &volume);
  os::ApplyVolume(volume, scratch_.data(), static_cast<std::size_t>(frames), format_.channels);

  const std::int16_t* out = scratch_.data();
  const double rate = SegmentRate();
  if (rate != 1.0) {
    int got = 0;
    out = Resample(scratch_.data(), frames, rate, &got);
    if (!out) return S_OK;
    frames = got;
  }
  if (tap_) tap_(out, static_cast<std::size_t>(frames), format_.channels, format_.sampleRate);
  if (device_.IsOpen()) {
    if (!device_.Write(out, static_cast<std::size_t>(frames))) {
      if (device_.Aborted()) return S_FALSE;
      // The device failed for good: say so and go on by the clock, so the stream still
      // reaches its end instead of stalling.
      CloseDevice();
      SetScheduling(scheduling_);
      NotifyEvent(EC_SNDDEV_OUT_ERROR, kSoundDeviceWriteError, 0);
      return S_OK;
    }
    REFERENCE_TIME start = 0, end = 0;
    if (SUCCEEDED(sample->GetTime(&start, &end))) {
      const REFERENCE_TIME queued = device_.Delay() * kUnitsPerSecond / format_.sampleRate;
      clock_->Steer(StartTime() + end - static_cast<REFERENCE_TIME>(static_cast<double>(queued) / rate));
    }
  }
  return S_OK;
}

}  // namespace kavoro::media
