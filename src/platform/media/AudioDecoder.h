#pragma once
// The audio decoder: compressed or raw sound (any codec the decoding library knows) in,
// 16-bit PCM out at the stream's sample rate, mono or stereo (more channels are mixed down to
// two). Sound before the segment start is cut off sample-exactly after a seek.
#include <optional>

#include "platform/media/AudioFormat.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/TransformFilter.h"

namespace kavoro::media {

class AudioDecoder : public TransformFilter {
 public:
  AudioDecoder();

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& type) override;
  HRESULT GetOutputType(int index, AM_MEDIA_TYPE* type) override;
  HRESULT CheckOutputType(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
  HRESULT DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* props) override;
  HRESULT OnInputConnected(const AM_MEDIA_TYPE& type) override;
  void OnInputDisconnected() override;
  HRESULT Process(IMediaSample* in) override;
  HRESULT Drain() override;
  void Discard() override;

 private:
  HRESULT ReceiveFrames();
  HRESULT DeliverFrame(const AVFrame& frame);

  // application thread, while stopped
  CodecContextPtr codec_;
  PcmFormat out_;
  // streaming thread
  FramePtr frame_;
  PacketPtr packet_;
  SwrPtr convert_;
  int convertRate_ = 0;
  int convertFormat_ = -1;
  std::uint64_t convertLayout_ = 0;
  std::optional<REFERENCE_TIME> nextTime_;
};

}  // namespace kavoro::media
