#include "platform/media/VideoDecoder.h"

#include <cstring>
#include <vector>
#include <numeric>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "platform/media/AddInterfaces.h"
#include "platform/media/BasePin.h"
#include "platform/media/IOptionalPin.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {
namespace {

// Pictures between the decoder and its renderer: one shown, one waiting for its time, one
// being decoded, one spare.
constexpr LONG kPictureBuffers = 4;
// Caption samples: a few pairs each, taken downstream before the picture goes.
constexpr LONG kCaptionBuffers = 2;
constexpr LONG kCaptionBufferSize = 128;
constexpr char kCaptionPinName[] = "CC Output";
// A53 caption data: three bytes a caption, the first holding the valid flag and the kind.
constexpr int kCcTripletSize = 3;
constexpr std::uint8_t kCcValid = 0x04;
constexpr std::uint8_t kCcTypeMask = 0x03;
constexpr std::uint8_t kCcTypeField1 = 0x00;

bool CodecCarriesCaptions(AVCodecID id) {
  return id == AV_CODEC_ID_MPEG2VIDEO || id == AV_CODEC_ID_H264 || id == AV_CODEC_ID_HEVC;
}

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

class VideoDecoder::CaptionPin final : public AddInterfaces<BaseOutputPin, IOptionalPin> {
 public:
  explicit CaptionPin(VideoDecoder& d) : AddInterfaces(d, kCaptionPinName), d_(d) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    if (!d_.codec_) return VFW_E_NOT_CONNECTED;
    return d_.carriesCaptions_ && t.majortype == MEDIATYPE_AUXLine21Data &&
                   t.subtype == MEDIASUBTYPE_Line21_BytePair
               ? S_OK
               : S_FALSE;
  }
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* t) override {
    if (!d_.codec_) return VFW_E_NOT_CONNECTED;
    if (index != 0 || !d_.carriesCaptions_) return S_FALSE;
    t->majortype = MEDIATYPE_AUXLine21Data;
    t->subtype = MEDIASUBTYPE_Line21_BytePair;
    t->bFixedSizeSamples = 0;
    t->lSampleSize = 0;
    VIDEOINFOHEADER vih{};
    vih.rcSource = vih.rcTarget = {0, 0, d_.initial_.width, d_.initial_.height};
    vih.AvgTimePerFrame = d_.initial_.frameTime;
    vih.bmiHeader.biWidth = d_.initial_.width;
    vih.bmiHeader.biHeight = d_.initial_.height;
    t->SetFormat(FORMAT_VideoInfo, vih);
    return S_OK;
  }
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
    p->cBuffers = kCaptionBuffers;
    p->cbBuffer = kCaptionBufferSize;
    return S_OK;
  }

 private:
  VideoDecoder& d_;
};

VideoDecoder::VideoDecoder()
    : DecoderFilter(CLSID_KavoroVideoDecoder, "Video Input", "Video Output") {
  captions_ = MakePin<CaptionPin>(*this);
}


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
  carriesCaptions_ = CodecCarriesCaptions(p->codec_id);
  return S_OK;
}

void VideoDecoder::OnInputDisconnected() {
  codec_.reset();
  convert_.reset();
  carriesCaptions_ = false;
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
  // The source gives the decoding time as media time: with it the decoding library places a
  // reordered picture that came without a presentation time.
  LONGLONG decodeStart = 0, decodeEnd = 0;
  packet_->dts = in->GetMediaTime(&decodeStart, &decodeEnd) == S_OK ? decodeStart : AV_NOPTS_VALUE;
  if (timed == S_OK) packet_->duration = end - start;
  if (in->IsSyncPoint() == S_OK) packet_->flags |= AV_PKT_FLAG_KEY;
  const std::int64_t at = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
  InputArrives(at != AV_NOPTS_VALUE ? std::optional<REFERENCE_TIME>(at) : std::nullopt);
  // A picture that lies wholly before the segment start (decoded from the key frame before
  // a seek target) is never shown: when nothing refers to it either, it need not be decoded.
  const bool beforeStart = timed == S_OK && end <= 0;
  codec_->skip_frame = beforeStart ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
  int err = avcodec_send_packet(codec_.get(), packet_.get());
  av_packet_unref(packet_.get());
  // A damaged packet is skipped: the decoder picks up at the next good one.
  if (err < 0 && err != AVERROR(EAGAIN)) {
    InputRefused();
    return S_OK;
  }
  return ReceiveFrames();
}

HRESULT VideoDecoder::ReceiveFrames() {
  return TakeFrames(codec_.get(), frame_.get(),
                    [this](const AVFrame& f) { return DeliverFrame(f); });
}

HRESULT VideoDecoder::Drain() {
  if (!codec_) return S_OK;
  const HRESULT hr = DrainFrames(codec_.get(), frame_.get(),
                                 [this](const AVFrame& f) { return DeliverFrame(f); });
  if (captions_->IsConnected()) captions_->DeliverEndOfStream();
  return hr;
}

void VideoDecoder::Discard() {
  if (codec_) avcodec_flush_buffers(codec_.get());
  ResetWatch();
  nextTime_ = 0;
  // Renderers start each run from the connection's format: the first picture of the next run
  // tells its own again (a display shape the stream gives and the connection did not).
  if (State() == State_Stopped) current_ = initial_;
  // A flush: captions downstream belong to the pictures dropped. (On stop every filter
  // drops its own.)
  if (captions_->IsConnected() && State() != State_Stopped) {
    captions_->DeliverBeginFlush();
    captions_->DeliverEndFlush();
  }
}

HRESULT VideoDecoder::DeliverCaptions(const AVFrame& frame, REFERENCE_TIME start,
                                      REFERENCE_TIME end) {
  const AVFrameSideData* cc = av_frame_get_side_data(&frame, AV_FRAME_DATA_A53_CC);
  if (!cc || !captions_->IsConnected()) return S_OK;
  std::vector<std::uint8_t> pairs;
  for (std::size_t i = 0; i + kCcTripletSize <= cc->size; i += kCcTripletSize) {
    const std::uint8_t head = cc->data[i];
    if ((head & kCcValid) && (head & kCcTypeMask) == kCcTypeField1) {
      pairs.push_back(cc->data[i + 1]);
      pairs.push_back(cc->data[i + 2]);
    }
  }
  if (pairs.empty()) return S_OK;
  ComPtr<IMediaSample> out;
  if (FAILED(captions_->GetDeliveryBuffer(out.Put()))) return S_OK;
  const auto size = static_cast<LONG>(pairs.size());
  if (out->GetSize() < size) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(size))) return E_OUTOFMEMORY;
  }
  BYTE* data = nullptr;
  out->GetPointer(&data);
  std::memcpy(data, pairs.data(), pairs.size());
  out->SetActualDataLength(size);
  out->SetTime(&start, &end);
  // A caption stream that cannot be taken never holds up the picture.
  captions_->Deliver(out.Get());
  return S_OK;
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
  FrameArrives();
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

  HRESULT hr = DeliverCaptions(frame, start, end);
  if (FAILED(hr)) return hr;
  ComPtr<IMediaSample> out;
  hr = GetOutputBuffer(out.Put());
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
