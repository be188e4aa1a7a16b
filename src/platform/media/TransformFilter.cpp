#include "platform/media/TransformFilter.h"

#include "platform/media/IMediaSeeking.h"

namespace kavoro::media {

class TransformFilter::InputPin final : public BaseInputPin {
 public:
  InputPin(TransformFilter& f, std::string name) : BaseInputPin(f, std::move(name)), f_(f) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override { return f_.CheckInputType(type); }
  HRESULT CompleteConnect(IPin* peer) override { return f_.OnInputConnected(Type()); }
  void BreakConnect() override {
    BaseInputPin::BreakConnect();
    f_.OnInputDisconnected();
  }
  HRESULT OnReceive(IMediaSample* sample) override {
    std::lock_guard g(f_.streaming_);
    if (filter_.State() == State_Stopped) return VFW_E_WRONG_STATE;
    if (IsFlushing()) return S_FALSE;
    if (!f_.OutputConnected()) return S_OK;
    return f_.Process(sample);
  }
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

 private:
  TransformFilter& f_;
};

class TransformFilter::OutputPin final : public BaseOutputPin {
 public:
  OutputPin(TransformFilter& f, std::string name) : BaseOutputPin(f, std::move(name)), f_(f) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override {
    if (!f_.input_->IsConnected()) return VFW_E_NOT_CONNECTED;
    return f_.CheckOutputType(f_.input_->Type(), type);
  }
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* type) override {
    if (!f_.input_->IsConnected()) return VFW_E_NOT_CONNECTED;
    return f_.GetOutputType(index, type);
  }
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* props) override {
    return f_.DecideBufferSize(Type(), props);
  }
  // Positions belong to the source: seeking asked of this pin goes to the pin upstream.
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override {
    if (riid == IIDOf<IMediaSeeking>() && f_.input_->Peer())
      return f_.input_->Peer()->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
  }

 private:
  TransformFilter& f_;
};

HRESULT TransformFilter::InputPin::OnEndOfStream() {
  std::lock_guard g(f_.streaming_);
  if (f_.OutputConnected()) f_.Drain();
  return f_.output_->DeliverEndOfStream();
}

HRESULT TransformFilter::InputPin::OnBeginFlush() { return f_.output_->DeliverBeginFlush(); }

HRESULT TransformFilter::InputPin::OnEndFlush() {
  std::lock_guard g(f_.streaming_);
  f_.Discard();
  return f_.output_->DeliverEndFlush();
}

HRESULT TransformFilter::InputPin::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                double rate) {
  return f_.output_->DeliverNewSegment(start, stop, rate);
}

TransformFilter::TransformFilter(const CLSID& clsid, std::string inputName,
                                 std::string outputName)
    : BaseFilter(clsid) {
  input_ = MakePin<InputPin>(*this, std::move(inputName));
  output_ = MakePin<OutputPin>(*this, std::move(outputName));
}

HRESULT TransformFilter::GetOutputBuffer(IMediaSample** sample) {
  return output_->GetDeliveryBuffer(sample);
}

HRESULT TransformFilter::DeliverOutput(IMediaSample* sample) { return output_->Deliver(sample); }

REFERENCE_TIME TransformFilter::SegmentStart() const { return input_->SegmentStart(); }
double TransformFilter::SegmentRate() const { return input_->SegmentRate(); }
const AM_MEDIA_TYPE& TransformFilter::InputType() const { return input_->Type(); }
const AM_MEDIA_TYPE& TransformFilter::OutputType() const { return output_->Type(); }
bool TransformFilter::OutputConnected() const { return output_->IsConnected(); }

HRESULT TransformFilter::OnStop() {
  std::lock_guard g(streaming_);
  Discard();
  return S_OK;
}

}  // namespace kavoro::media
