#pragma once
// The audio decoder: compressed or raw sound (any codec the decoding library knows) in,
// 16-bit PCM out at the stream's sample rate, mono or stereo (more channels are mixed down to
// two). Sound before the segment start is cut off sample-exactly after a seek.
#include <optional>

#include "platform/media/AudioFormat.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/DecoderFilter.h"

namespace kavoro::media {

class AudioDecoder : public DecoderFilter {
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
  // A decoder opened for `type`; the output format is not touched.
  HRESULT OpenDecoder(const AM_MEDIA_TYPE& type, CodecContextPtr* opened);
  // Streaming thread: a sample's new media type; the decoder for it replaces the current one.
  HRESULT ChangeInputType(const AM_MEDIA_TYPE& type);
  HRESULT ReceiveFrames();
  HRESULT DeliverFrame(const AVFrame& frame);

  // application thread, while stopped; codec_ also on the streaming thread (streaming lock
  // held) when a sample brings a new media type
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
  bool skipUntilChange_ = false;  // the last media type change named a coding we cannot take
};

}  // namespace kavoro::media
