#pragma once
// Owning handles for the demuxing and decoding library's objects, and the codec-parameter
// format block that carries a compressed stream's description from the source to a decoder.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <functional>
#include <memory>
#include <string>

#include "platform/media/MediaTypes.h"

namespace kavoro::media {

struct FormatContextCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct CodecParametersFreer {
  void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using CodecParametersPtr = std::unique_ptr<AVCodecParameters, CodecParametersFreer>;

// The library's error text for `err`.
std::string AvErrorText(int err);

// The time base of every time the framework passes around: 100 ns.
constexpr AVRational kReferenceTimeBase{1, static_cast<int>(kUnitsPerSecond)};

// Describes a compressed stream as a media type: the codec's subtype (CodecSubtype) and a
// FORMAT_CodecParameters block that ParametersFromType turns back into parameters.
AM_MEDIA_TYPE TypeFromParameters(const AVCodecParameters& params);
// Null when the type is not a codec-parameter type or its block is damaged.
CodecParametersPtr ParametersFromType(const AM_MEDIA_TYPE& type);

// A decoder's streaming thread. Hands every frame the decoder has ready to `deliver` (the frame
// is unreferenced after each call) and stops at the first result other than S_OK, which it
// returns; S_OK when the decoder wants more input. A unit the library refused is counted in
// `*damaged` when given, and skipped.
using FrameSink = std::function<HRESULT(const AVFrame& frame)>;
HRESULT ReceiveDecodedFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver,
                             int* damaged = nullptr);
// The end of the input: every frame still held back goes to `deliver`, then the decoder is ready
// for a new stream.
HRESULT DrainDecoder(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver,
                     int* damaged = nullptr);

}  // namespace kavoro::media
