#pragma once
// The video decoder: compressed video (any codec the decoding library knows) in, I420
// pictures out, each stamped with its presentation time. Pictures that lie wholly before the
// segment start (decoded from the key frame before a seek target) are not delivered, so a
// seek shows the picture at the target.
// For codecs that carry closed captions in their user data (MPEG-2, H.264, HEVC) a second
// output, "CC Output", gives the Line 21 byte pairs of field 1 found with each picture
// (MEDIATYPE_AUXLine21Data / MEDIASUBTYPE_Line21_BytePair, the picture size in a
// VIDEOINFOHEADER), stamped with the picture's time and delivered just before it. The pin is
// optional (IOptionalPin): graph building connects it only where a renderer takes captions.
#include "platform/media/FFmpegHandles.h"
#include "platform/media/DecoderFilter.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class VideoDecoder : public DecoderFilter {
 public:
  VideoDecoder();

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
  class CaptionPin;

  HRESULT ReceiveFrames();
  // Streaming thread: the frame's caption pairs on the caption output.
  HRESULT DeliverCaptions(const AVFrame& frame, REFERENCE_TIME start, REFERENCE_TIME end);
  HRESULT DeliverFrame(const AVFrame& frame);
  HRESULT CopyPicture(const AVFrame& frame, BYTE* out, const PictureFormat& format);

  CaptionPin* captions_;
  // application thread, while stopped
  CodecContextPtr codec_;
  bool carriesCaptions_ = false;
  PictureFormat initial_;
  // streaming thread
  FramePtr frame_;
  PacketPtr packet_;
  SwsPtr convert_;
  PictureFormat current_;   // the format of the pictures delivered now
  bool formatChanged_ = false;
  REFERENCE_TIME nextTime_ = 0;
};

}  // namespace kavoro::media
