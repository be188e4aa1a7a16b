#pragma once
// A filter with one input and one output that turns each input sample into zero or more
// output samples on the upstream streaming thread (decoders). Seeking queries on the output
// pin go upstream.
#include <mutex>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

namespace kavoro::media {

class TransformFilter : public BaseFilter {
 public:
  TransformFilter(const CLSID& clsid, std::string inputName, std::string outputName);

 protected:
  class InputPin;
  class OutputPin;

  // Negotiation, application thread, filter stopped.
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& type) = 0;
  // Output types once the input is connected (index from 0; S_FALSE past the last).
  virtual HRESULT GetOutputType(int index, AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT CheckOutputType(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) = 0;
  virtual HRESULT DecideBufferSize(const AM_MEDIA_TYPE& out, ALLOCATOR_PROPERTIES* props) = 0;
  // The input was connected with `type` (open the codec) / disconnected.
  virtual HRESULT OnInputConnected(const AM_MEDIA_TYPE& type) { return S_OK; }
  virtual void OnInputDisconnected() {}

  // Streaming thread, with the streaming lock held.
  // One input sample; deliver results with DeliverOutput.
  virtual HRESULT Process(IMediaSample* in) = 0;
  // End of stream: deliver what is still held, before end of stream goes downstream.
  virtual HRESULT Drain() { return S_OK; }
  // Drop everything held (after a flush, and on stop).
  virtual void Discard() {}

  // Streaming thread.
  HRESULT GetOutputBuffer(IMediaSample** sample);
  HRESULT DeliverOutput(IMediaSample* sample);
  // The segment the input was last given.
  REFERENCE_TIME SegmentStart() const;
  double SegmentRate() const;
  const AM_MEDIA_TYPE& InputType() const;
  const AM_MEDIA_TYPE& OutputType() const;
  bool OutputConnected() const;

  HRESULT OnStop() override;

 private:
  InputPin* input_;
  OutputPin* output_;
  // Held by the streaming thread for each call that processes data; Stop and EndFlush take
  // it to wait for the call under way.
  std::mutex streaming_;
};

}  // namespace kavoro::media
