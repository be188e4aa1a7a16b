#include "platform/media/AudioDecoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {
namespace {

constexpr LONG kPcmBuffers = 8;
constexpr LONG kPcmBufferBytes = 32 * 1024;

std::uint64_t LayoutKey(const AVChannelLayout& l) {
  return l.order == AV_CHANNEL_ORDER_NATIVE ? l.u.mask : static_cast<std::uint64_t>(l.nb_channels);
}

}  // namespace

AudioDecoder::AudioDecoder()
    : DecoderFilter(CLSID_KavoroAudioDecoder, "Audio Input", "Audio Output") {}

HRESULT AudioDecoder::CheckInputType(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Audio) return S_FALSE;
  CodecParametersPtr p = ParametersFromType(type);
  if (!p || p->codec_type != AVMEDIA_TYPE_AUDIO || !avcodec_find_decoder(p->codec_id)) return S_FALSE;
  if (p->sample_rate <= 0 || p->sample_rate > kMaxSampleRate || p->ch_layout.nb_channels <= 0)
    return S_FALSE;
  return S_OK;
}

HRESULT AudioDecoder::OpenDecoder(const AM_MEDIA_TYPE& type, CodecContextPtr* opened) {
  CodecParametersPtr p = ParametersFromType(type);
  if (!p) return VFW_E_TYPE_NOT_ACCEPTED;
  const AVCodec* codec = avcodec_find_decoder(p->codec_id);
  if (!codec) return VFW_E_NO_DECOMPRESSOR;
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), p.get()) < 0) return E_OUTOFMEMORY;
  ctx->pkt_timebase = kReferenceTimeBase;
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return VFW_E_NO_DECOMPRESSOR;
  *opened = std::move(ctx);
  return S_OK;
}

HRESULT AudioDecoder::OnInputConnected(const AM_MEDIA_TYPE& type) {
  CodecContextPtr ctx;
  if (HRESULT hr = OpenDecoder(type, &ctx); FAILED(hr)) return hr;
  out_.channels = std::min(ctx->ch_layout.nb_channels, 2);
  out_.sampleRate = ctx->sample_rate;
  codec_ = std::move(ctx);
  skipUntilChange_ = false;
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!frame_ || !packet_) return E_OUTOFMEMORY;
  return S_OK;
}

HRESULT AudioDecoder::ChangeInputType(const AM_MEDIA_TYPE& type) {
  // The output stays as connected: the converter takes the new sound to it.
  CodecContextPtr ctx;
  if (CheckInputType(type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  if (HRESULT hr = OpenDecoder(type, &ctx); FAILED(hr)) return hr;
  codec_ = std::move(ctx);
  convert_.reset();
  nextTime_.reset();
  return S_OK;
}

void AudioDecoder::OnInputDisconnected() {
  codec_.reset();
  convert_.reset();
}

HRESULT AudioDecoder::GetOutputType(int index, AM_MEDIA_TYPE* type) {
  if (index != 0) return S_FALSE;
  *type = MakePcmType(out_);
  return S_OK;
}

HRESULT AudioDecoder::CheckOutputType(const AM_MEDIA_TYPE&, const AM_MEDIA_TYPE& out) {
  PcmFormat f;
  if (!ReadPcmType(out, &f)) return S_FALSE;
  return f.channels == out_.channels && f.sampleRate == out_.sampleRate ? S_OK : S_FALSE;
}

HRESULT AudioDecoder::DecideBufferSize(const AM_MEDIA_TYPE&, ALLOCATOR_PROPERTIES* props) {
  props->cBuffers = kPcmBuffers;
  props->cbBuffer = kPcmBufferBytes;
  return S_OK;
}

HRESULT AudioDecoder::Process(IMediaSample* in) {
  AM_MEDIA_TYPE* changed = nullptr;
  if (in->GetMediaType(&changed) == S_OK && changed) {
    // The source switched coding mid-stream (a DVD's audio stream of another format). A
    // coding this decoder cannot take leaves it silent until the next change.
    skipUntilChange_ = FAILED(ChangeInputType(*changed));
    DeleteMediaType(changed);
  }
  if (!codec_) return VFW_E_NOT_CONNECTED;
  if (skipUntilChange_) return S_OK;
  BYTE* data = nullptr;
  in->GetPointer(&data);
  const LONG size = in->GetActualDataLength();
  if (av_new_packet(packet_.get(), size) < 0) return E_OUTOFMEMORY;
  std::memcpy(packet_->data, data, static_cast<std::size_t>(size));
  REFERENCE_TIME start = 0, end = 0;
  const HRESULT timed = in->GetTime(&start, &end);
  packet_->pts = SUCCEEDED(timed) ? start : AV_NOPTS_VALUE;
  if (in->IsDiscontinuity() == S_OK) nextTime_.reset();
  InputArrives(SUCCEEDED(timed) ? std::optional<REFERENCE_TIME>(start) : std::nullopt);
  int err = avcodec_send_packet(codec_.get(), packet_.get());
  av_packet_unref(packet_.get());
  if (err < 0 && err != AVERROR(EAGAIN)) {  // damaged: skip it
    InputRefused();
    return S_OK;
  }
  return ReceiveFrames();
}

HRESULT AudioDecoder::ReceiveFrames() {
  return TakeFrames(codec_.get(), frame_.get(),
                    [this](const AVFrame& f) { return DeliverFrame(f); });
}

HRESULT AudioDecoder::Drain() {
  if (!codec_) return S_OK;
  return DrainFrames(codec_.get(), frame_.get(),
                     [this](const AVFrame& f) { return DeliverFrame(f); });
}

void AudioDecoder::Discard() {
  if (codec_) avcodec_flush_buffers(codec_.get());
  ResetWatch();
  nextTime_.reset();
  convert_.reset();
}

HRESULT AudioDecoder::DeliverFrame(const AVFrame& frame) {
  if (frame.nb_samples <= 0 || frame.sample_rate <= 0) return S_OK;
  FrameArrives();
  const double rate = SegmentRate() > 0 ? SegmentRate() : 1.0;
  if (!convert_ || convertRate_ != frame.sample_rate || convertFormat_ != frame.format ||
      convertLayout_ != LayoutKey(frame.ch_layout)) {
    AVChannelLayout outLayout{}, inLayout{};
    av_channel_layout_default(&outLayout, out_.channels);
    if (av_channel_layout_copy(&inLayout, &frame.ch_layout) < 0) return E_OUTOFMEMORY;
    SwrContext* raw = nullptr;
    const int err = swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, out_.sampleRate,
                                        &inLayout, static_cast<AVSampleFormat>(frame.format),
                                        frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (err < 0) return S_OK;
    convert_.reset(raw);
    if (swr_init(convert_.get()) < 0) {
      convert_.reset();
      return S_OK;
    }
    convertRate_ = frame.sample_rate;
    convertFormat_ = frame.format;
    convertLayout_ = LayoutKey(frame.ch_layout);
  }
  // Stream time advances by the sound's length divided by the rate.
  auto lengthOf = [&](std::int64_t samples) {
    return static_cast<REFERENCE_TIME>(static_cast<double>(samples) * kUnitsPerSecond /
                                       out_.sampleRate / rate);
  };
  REFERENCE_TIME start = frame.best_effort_timestamp != AV_NOPTS_VALUE
                             ? frame.best_effort_timestamp
                             : nextTime_.value_or(0);
  const int maxOut = swr_get_out_samples(convert_.get(), frame.nb_samples);
  if (maxOut <= 0) return S_OK;
  const LONG bytes = maxOut * out_.BytesPerFrame();

  ComPtr<IMediaSample> out;
  HRESULT hr = GetOutputBuffer(out.Put());
  if (FAILED(hr)) return hr;
  if (out->GetSize() < bytes) {
    ComPtr<IResizableSample> grow = out.As<IResizableSample>();
    if (!grow || FAILED(grow->Reserve(bytes))) return E_OUTOFMEMORY;
  }
  BYTE* data = nullptr;
  out->GetPointer(&data);
  std::uint8_t* planes[1] = {data};
  int got = swr_convert(convert_.get(), planes, maxOut, const_cast<const std::uint8_t**>(frame.extended_data),
                        frame.nb_samples);
  if (got <= 0) return S_OK;
  REFERENCE_TIME end = start + lengthOf(got);
  nextTime_ = end;
  if (end <= 0) return S_OK;  // wholly before the segment
  if (start < 0) {
    // Cut the part before the segment start.
    const int skip = std::min<int>(
        got, static_cast<int>(static_cast<double>(-start) * rate * out_.sampleRate / kUnitsPerSecond));
    std::memmove(data, data + skip * out_.BytesPerFrame(),
                 static_cast<std::size_t>((got - skip) * out_.BytesPerFrame()));
    got -= skip;
    start = end - lengthOf(got);
    if (got == 0) return S_OK;
  }
  out->SetActualDataLength(got * out_.BytesPerFrame());
  out->SetTime(&start, &end);
  out->SetSyncPoint(1);
  return DeliverOutput(out.Get());
}


}  // namespace kavoro::media
