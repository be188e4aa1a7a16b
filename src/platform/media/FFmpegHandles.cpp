#include "platform/media/FFmpegHandles.h"

#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace kavoro::media {
namespace {

// The fixed part of FORMAT_CodecParameters; the codec's extradata follows it.
struct CodecParametersBlock {
  std::int32_t codecType;
  std::uint32_t codecId;
  std::uint32_t codecTag;
  std::int32_t format;
  std::int64_t bitRate;
  std::int32_t bitsPerCodedSample;
  std::int32_t bitsPerRawSample;
  std::int32_t profile;
  std::int32_t level;
  std::int32_t width;
  std::int32_t height;
  std::int32_t sarNum;
  std::int32_t sarDen;
  std::int32_t fieldOrder;
  std::int32_t colorRange;
  std::int32_t colorSpace;
  std::int32_t sampleRate;
  std::int32_t channels;
  std::uint64_t channelMask;
  std::int32_t blockAlign;
  std::int32_t frameSize;
  std::int32_t initialPadding;
  std::int32_t extradataSize;
};

// Extradata larger than this is refused rather than trusted.
constexpr std::int32_t kMaxExtradata = 16 * 1024 * 1024;

// The library copies these fields from the file unchecked, so they may hold numbers outside
// their enumeration, which C++ may not load as the enumeration type: read them as integers.
template <class E>
std::int32_t EnumNumber(const E& field) {
  static_assert(sizeof(E) == sizeof(std::int32_t));
  std::int32_t n;
  std::memcpy(&n, &field, sizeof n);
  return n;
}

// The enumeration value for `n`, or `unknown` when `n` lies outside [0, end).
template <class E>
E EnumOr(std::int32_t n, E end, E unknown) {
  return n >= 0 && n < static_cast<std::int32_t>(end) ? static_cast<E>(n) : unknown;
}
constexpr AVFieldOrder kFieldOrderEnd = static_cast<AVFieldOrder>(AV_FIELD_BT + 1);

}  // namespace

std::string AvErrorText(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

AM_MEDIA_TYPE TypeFromParameters(const AVCodecParameters& p) {
  AM_MEDIA_TYPE t;
  t.majortype = p.codec_type == AVMEDIA_TYPE_VIDEO   ? MEDIATYPE_Video
                : p.codec_type == AVMEDIA_TYPE_AUDIO ? MEDIATYPE_Audio
                                                     : MEDIATYPE_Stream;
  t.subtype = CodecSubtype(static_cast<std::uint32_t>(p.codec_id));
  t.bFixedSizeSamples = 0;
  t.bTemporalCompression = 1;
  CodecParametersBlock b{};
  b.codecType = p.codec_type;
  b.codecId = static_cast<std::uint32_t>(p.codec_id);
  b.codecTag = p.codec_tag;
  b.format = p.format;
  b.bitRate = p.bit_rate;
  b.bitsPerCodedSample = p.bits_per_coded_sample;
  b.bitsPerRawSample = p.bits_per_raw_sample;
  b.profile = p.profile;
  b.level = p.level;
  b.width = p.width;
  b.height = p.height;
  b.sarNum = p.sample_aspect_ratio.num;
  b.sarDen = p.sample_aspect_ratio.den;
  b.fieldOrder = EnumNumber(p.field_order);
  b.colorRange = EnumNumber(p.color_range);
  b.colorSpace = EnumNumber(p.color_space);
  b.sampleRate = p.sample_rate;
  b.channels = p.ch_layout.nb_channels;
  b.channelMask = p.ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? p.ch_layout.u.mask : 0;
  b.blockAlign = p.block_align;
  b.frameSize = p.frame_size;
  b.initialPadding = p.initial_padding;
  b.extradataSize = p.extradata_size;
  t.SetFormat(FORMAT_CodecParameters, b, p.extradata, static_cast<std::size_t>(p.extradata_size));
  return t;
}

CodecParametersPtr ParametersFromType(const AM_MEDIA_TYPE& t) {
  if (t.formattype != FORMAT_CodecParameters || !IsCodecSubtype(t.subtype)) return nullptr;
  const auto* b = t.FormatAs<CodecParametersBlock>();
  if (!b || b->extradataSize < 0 || b->extradataSize > kMaxExtradata ||
      t.format.size() != sizeof(CodecParametersBlock) + static_cast<std::size_t>(b->extradataSize))
    return nullptr;
  CodecParametersPtr p(avcodec_parameters_alloc());
  if (!p) return nullptr;
  p->codec_type = static_cast<AVMediaType>(b->codecType);
  p->codec_id = static_cast<AVCodecID>(b->codecId);
  p->codec_tag = b->codecTag;
  p->format = b->format;
  p->bit_rate = b->bitRate;
  p->bits_per_coded_sample = b->bitsPerCodedSample;
  p->bits_per_raw_sample = b->bitsPerRawSample;
  p->profile = b->profile;
  p->level = b->level;
  p->width = b->width;
  p->height = b->height;
  p->sample_aspect_ratio = {b->sarNum, b->sarDen};
  p->field_order = EnumOr(b->fieldOrder, kFieldOrderEnd, AV_FIELD_UNKNOWN);
  p->color_range = EnumOr(b->colorRange, AVCOL_RANGE_NB, AVCOL_RANGE_UNSPECIFIED);
  p->color_space = EnumOr(b->colorSpace, AVCOL_SPC_NB, AVCOL_SPC_UNSPECIFIED);
  p->sample_rate = b->sampleRate;
  if (b->channelMask) av_channel_layout_from_mask(&p->ch_layout, b->channelMask);
  else if (b->channels > 0) av_channel_layout_default(&p->ch_layout, b->channels);
  p->block_align = b->blockAlign;
  p->frame_size = b->frameSize;
  p->initial_padding = b->initialPadding;
  if (b->extradataSize > 0) {
    p->extradata = static_cast<std::uint8_t*>(
        av_mallocz(static_cast<std::size_t>(b->extradataSize) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!p->extradata) return nullptr;
    std::memcpy(p->extradata, t.format.data() + sizeof(CodecParametersBlock),
                static_cast<std::size_t>(b->extradataSize));
    p->extradata_size = b->extradataSize;
  }
  return p;
}

HRESULT ReceiveDecodedFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver,
                             int* damaged) {
  for (;;) {
    // EAGAIN (more input wanted), the end, or a damaged unit: nothing more to take now.
    const int err = avcodec_receive_frame(codec, frame);
    if (err < 0) {
      if (damaged && err != AVERROR(EAGAIN) && err != AVERROR_EOF) ++*damaged;
      return S_OK;
    }
    const HRESULT hr = deliver(*frame);
    av_frame_unref(frame);
    if (hr != S_OK) return hr;
  }
}

HRESULT DrainDecoder(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver,
                     int* damaged) {
  avcodec_send_packet(codec, nullptr);
  const HRESULT hr = ReceiveDecodedFrames(codec, frame, deliver, damaged);
  avcodec_flush_buffers(codec);
  return hr;
}

}  // namespace kavoro::media
