#include "platform/media/DecoderFilter.h"

#include "platform/media/EventCodes.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {

HRESULT DecoderFilter::GetDamagedCount(LONGLONG* units) {
  if (!units) return E_POINTER;
  *units = static_cast<LONGLONG>(watch_.DamagedCount());
  return S_OK;
}

void DecoderFilter::InputArrives(std::optional<REFERENCE_TIME> time) {
  if (watch_.Input(time)) ReportUndecodable();
}

HRESULT DecoderFilter::TakeFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver) {
  int damaged = 0;
  const HRESULT hr = ReceiveDecodedFrames(codec, frame, deliver, &damaged);
  watch_.Damaged(damaged);
  return hr;
}

HRESULT DecoderFilter::DrainFrames(AVCodecContext* codec, AVFrame* frame, const FrameSink& deliver) {
  int damaged = 0;
  const HRESULT hr = DrainDecoder(codec, frame, deliver, &damaged);
  watch_.Damaged(damaged);
  if (watch_.EndsUndecodable()) ReportUndecodable();
  return hr;
}

void DecoderFilter::ReportUndecodable() {
  NotifyEvent(EC_KAVORO_STREAM_UNDECODABLE, KAVORO_E_UNDECODABLE_STREAM,
              reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
}

}  // namespace kavoro::media
