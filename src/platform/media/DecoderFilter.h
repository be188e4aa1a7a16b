#pragma once
// What the library-backed decoders share: counting the units the decoding library refuses,
// and telling the graph of a stream that gives nothing decodable (DecodeWatch's rule). The
// decoders feed their units and frames through the calls below.
#include <optional>

#include "platform/media/AddInterfaces.h"
#include "platform/media/DecodeWatch.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/IDecodeStatistics.h"
#include "platform/media/TransformFilter.h"

namespace kavoro::media {

class DecoderFilter : public AddInterfaces<TransformFilter, IDecodeStatistics> {
 public:
  using AddInterfaces::AddInterfaces;

  // IDecodeStatistics. Any thread.
  HRESULT GetDamagedCount(LONGLONG* units) override;

 protected:
  // Streaming thread: an input unit arrives (its stream time when it has one).
  void InputArrives(std::optional<REFERENCE_TIME> time);
  // Streaming thread: the library refused a unit; it is skipped.
  void InputRefused() { watch_.Damaged(); }
  // Streaming thread: a decoded frame is delivered.
  void FrameArrives() { watch_.Output(); }
  // Streaming thread: the frames the library has ready, and at the end of the stream all it
  // holds (then a stream that gave nothing at all is reported), counting refused ones.
  HRESULT TakeFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver);
  HRESULT DrainFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver);
  // A new run or segment (streaming thread, or while no streaming call is inside).
  void ResetWatch() { watch_.Reset(); }

 private:
  void ReportUndecodable();

  DecodeWatch watch_;
};

}  // namespace kavoro::media
