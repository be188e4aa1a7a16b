#include "platform/media/VideoDecoder.h"

#include <cstring>
#include <numeric>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {
namespace {

// Pictures between the decoder and its renderer: one shown, one waiting for its time, one
// being decoded, one spare.
constexpr LONG kPictureBuffers = 4;

PictureFormat FormatOf(int width, int height, AVRational sar, AVRational frameRate) {
  PictureFormat f;
  f.width = width;
  f.height = height;
  std::int64_t ax = width, ay = height;
  if (sar.num > 0 && sar.den > 0) {
    ax = static_cast<std::int64_t>(width) * sar.num;
    ay = static_cast<std::int64_t>(height) * sar.den;
  }
  const std::int64_t g = std::gcd(ax, ay);
  f.aspectX = static_cast<DWORD>(g ? ax / g : width);
  f.aspectY = static_cast<DWORD>(g ? ay / g : height);
  if (frameRate.num > 0 && frameRate.den > 0)
    f.frameTime = av_rescale_q(1, av_inv_q(frameRate), kReferenceTimeBase);
  return f;
}

bool SameFormat(const PictureFormat& a, const PictureFormat& b) {
  return a.width == b.width && a.height == b.height && a.aspectX == b.aspectX &&
         a.aspectY == b.aspectY;
}

}  // namespace

VideoDecoder::VideoDecoder()
    : TransformFilter(CLSID_KavoroVideoDecoder, "Video Input", "Video Output") {}

HRESULT VideoDecoder::CheckInputType(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Video) return S_FALSE;
  CodecParametersPtr p = ParametersFromType(type);
  if (!p || p->codec_type != AVMEDIA_TYPE_VIDEO || !avcodec_find_decoder(p->codec_id))
    return S_FALSE;
  if (p->width <= 0 || p->height <= 0 || p->width > kMaxPictureSide || p->height > kMaxPictureSide)
    return S_FALSE;
  return S_OK;
}

HRESULT VideoDecoder::OnInputConnected(const AM_MEDIA_TYPE& type) {
  CodecParametersPtr p = ParametersFromType(type);
  if (!p) return VFW_E_TYPE_NOT_ACCEPTED;
  const AVCodec* codec = avcodec_find_decoder(p->codec_id);
  if (!codec) return VFW_E_NO_DECOMPRESSOR;
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), p.get()) < 0) return E_OUTOFMEMORY;
  ctx->pkt_timebase = kReferenceTimeBase;
  ctx->thread_count = 0;  // one per core
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return VFW_E_NO_DECOMPRESSOR;
  initial_ = FormatOf(p->width, p->height, p->sample_aspect_ratio, ctx->framerate);
  codec_ = std::move(ctx);
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!frame_ || !packet_) return E_OUTOFMEMORY;
  current_ = initial_;
  return S_OK;
}

void VideoDecoder::OnInputDisconnected() {
  codec_.reset();
  convert_.reset();
}

HRESULT VideoDecoder::GetOutputType(int index, AM_MEDIA_TYPE* type) {
  if (index != 0) return S_FALSE;
  *type = MakeI420Type(initial_);
  return S_OK;
}

HRESULT VideoDecoder::CheckOutputType(const AM_MEDIA_TYPE&, const AM_MEDIA_TYPE& out) {
  PictureFormat f;
  if (!ReadI420Type(out, &f)) return S_FALSE;
  return f.width == initial_.width && f.height == initial_.height ? S_OK : S_FALSE;
}

HRESULT VideoDecoder::DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* props) {
  props->cBuffers = kPictureBuffers;
  props->cbBuffer = static_cast<LONG>(out.lSampleSize);
  return S_OK;
}

HRESULT VideoDecoder::Process(IMediaSample* in) {
  if (!codec_) return VFW_E_NOT_CONNECTED;
  BYTE* data = nullptr;
  in->GetPointer(&data);
  const LONG size = in->GetActualDataLength();
  if (av_new_packet(packet_.get(), size) < 0) return E_OUTOFMEMORY;
  std::memcpy(packet_->data, data, static_cast<std::size_t>(size));
  REFERENCE_TIME start = 0, end = 0;
  const HRESULT timed = in->GetTime(&start, &end);
  packet_->pts = SUCCEEDED(timed) ? start : AV_NOPTS_VALUE;
  if (timed == S_OK) packet_->duration = end - start;
  if (in->IsSyncPoint() == S_OK) packet_->flags |= AV_PKT_FLAG_KEY;
  int err = avcodec_send_packet(codec_.get(), packet_.get());
  av_packet_unref(packet_.get());
  // A damaged packet is skipped: the decoder picks up at the next good one.
  if (err < 0 && err != AVERROR(EAGAIN)) return S_OK;
  return ReceiveFrames();
}

HRESULT VideoDecoder::ReceiveFrames() {
  for (;;) {
    int err = avcodec_receive_frame(codec_.get(), frame_.get());
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return S_OK;
    if (err < 0) return S_OK;
    HRESULT hr = DeliverFrame(*frame_);
    av_frame_unref(frame_.get());
    if (hr != S_OK) return hr;
  }
}

HRESULT VideoDecoder::Drain() {
  if (!codec_) return S_OK;
  avcodec_send_packet(codec_.get(), nullptr);
  HRESULT hr = ReceiveFrames();
  avcodec_flush_buffers(codec_.get());
  return hr;
}

void VideoDecoder::Discard() {
  if (codec_) avcodec_flush_buffers(codec_.get());
  nextTime_ = 0;
}

HRESULT VideoDecoder::CopyPicture(const AVFrame& frame, BYTE* out, const PictureFormat& f) {
  const int cw = ChromaWidth(f.width), ch = ChromaHeight(f.height);
  BYTE* planes[3] = {out, out + f.width * f.height, out + f.width * f.height + cw * ch};
  const int strides[3] = {static_cast<int>(f.width), cw, cw};
  const AVPixelFormat fmt = static_cast<AVPixelFormat>(frame.format);
  if ((fmt == AV_PIX_FMT_YUV420P || fmt == AV_PIX_FMT_YUVJ420P) && frame.width == f.width &&
      frame.height == f.height) {
    av_image_copy_plane(planes[0], strides[0], frame.data[0], frame.linesize[0], f.width, f.height);
    av_image_copy_plane(planes[1], strides[1], frame.data[1], frame.linesize[1], cw, ch);
    av_image_copy_plane(planes[2], strides[2], frame.data[2], frame.linesize[2], cw, ch);
    return S_OK;
  }
  convert_.reset(sws_getCachedContext(convert_.release(), frame.width, frame.height, fmt,
                                      f.width, f.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR,
                                      nullptr, nullptr, nullptr));
  if (!convert_) return E_FAIL;
  sws_scale(convert_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
  return S_OK;
}

HRESULT VideoDecoder::DeliverFrame(const AVFrame& frame) {
  if (frame.width <= 0 || frame.height <= 0 || frame.width > kMaxPictureSide ||
      frame.height > kMaxPictureSide)
    return S_OK;
  PictureFormat f = FormatOf(frame.width, frame.height, frame.sample_aspect_ratio,
                             codec_->framerate);
  if (!SameFormat(f, current_)) {
    current_ = f;
    formatChanged_ = true;
  }
  const double rate = SegmentRate() > 0 ? SegmentRate() : 1.0;
  REFERENCE_TIME length = frame.pkt_duration > 0 ? frame.pkt_duration : 0;
  if (length == 0 && current_.frameTime > 0)
    length = static_cast<REFERENCE_TIME>(static_cast<double>(current_.frameTime) / rate);
  const REFERENCE_TIME start =
      frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : nextTime_;
  const REFERENCE_TIME end = start + std::max<REFERENCE_TIME>(length, 1);
  nextTime_ = end;
  if (end <= 0) return S_OK;  // before the segment: decoded only to reach the target

  ComPtr<IMediaSample> out;
  HRESULT hr = GetOutputBuffer(out.Put());
  if (FAILED(hr)) return hr;
  const LONG size = I420Size(f.width, f.height);
  if (out->GetSize() < size) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
  }
  BYTE* data = nullptr;
  out->GetPointer(&data);
  hr = CopyPicture(frame, data, f);
  if (FAILED(hr)) return hr;
  out->SetActualDataLength(size);
  REFERENCE_TIME s = start, e = end;
  out->SetTime(&s, &e);
  out->SetSyncPoint(1);
  if (formatChanged_) {
    AM_MEDIA_TYPE t = MakeI420Type(f);
    out->SetMediaType(&t);
    formatChanged_ = false;
  }
  return DeliverOutput(out.Get());
}

}  // namespace kavoro::media
