#pragma once
// The video decoder: compressed video (any codec the decoding library knows) in, I420
// pictures out, each stamped with its presentation time. Pictures that lie wholly before the
// segment start (decoded from the key frame before a seek target) are not delivered, so a
// seek shows the picture at the target.
#include "platform/media/FFmpegHandles.h"
#include "platform/media/TransformFilter.h"
#include "platform/media/VideoFormat.h"

namespace kavoro::media {

class VideoDecoder : public TransformFilter {
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
  HRESULT ReceiveFrames();
  HRESULT DeliverFrame(const AVFrame& frame);
  HRESULT CopyPicture(const AVFrame& frame, BYTE* out, const PictureFormat& format);

  // application thread, while stopped
  CodecContextPtr codec_;
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
