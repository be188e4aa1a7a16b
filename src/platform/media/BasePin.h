#pragma once
// Pins. BasePin holds the connection and the negotiation; BaseInputPin adds sample transport
// and flushing; BaseOutputPin adds the allocator and delivery. A pin's reference count is its
// filter's, and the filter owns the pin.
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/IMediaSample.h"
#include "platform/media/IPin.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::media {

class BasePin : public ComObject<IPin> {
 public:
  BasePin(BaseFilter& filter, PIN_DIRECTION dir, std::string name);

  ULONG AddRef() override { return filter_.AddRef(); }
  ULONG Release() override { return filter_.Release(); }

  // IPin. Connection methods: application thread, filter stopped.
  HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
  HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin** pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
  HRESULT QueryPinInfo(PIN_INFO* info) override;
  HRESULT QueryDirection(PIN_DIRECTION* dir) override;
  HRESULT QueryId(std::string* id) override;
  HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
  HRESULT EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT QueryInternalConnections(IPin** pins, ULONG* count) override;
  HRESULT EndOfStream() override { return E_UNEXPECTED; }
  HRESULT BeginFlush() override { return E_UNEXPECTED; }
  HRESULT EndFlush() override { return E_UNEXPECTED; }
  HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  // Any thread: valid while connected (connection changes only while stopped).
  bool IsConnected() const { return connected_ != nullptr; }
  IPin* Peer() const { return connected_.Get(); }
  const AM_MEDIA_TYPE& Type() const { return type_; }
  BaseFilter& Filter() const { return filter_; }
  const std::string& PinName() const { return name_; }
  // The segment given by the last NewSegment.
  REFERENCE_TIME SegmentStart() const { return segStart_; }
  REFERENCE_TIME SegmentStop() const { return segStop_; }
  double SegmentRate() const { return segRate_; }

  // Called by the filter as it goes Stopped -> Paused and back.
  virtual HRESULT Active() { return S_OK; }
  virtual HRESULT Inactive() { return S_OK; }

 protected:
  friend struct PinDeleter;
  ~BasePin() override = default;

  // Negotiation, all on the application thread and never calling the other pin.
  // S_OK when the type is acceptable on this pin.
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) = 0;
  // The index-th preferred type; S_FALSE past the last. VFW_E_NOT_CONNECTED when the pin
  // can only offer types once its filter's input is connected.
  virtual HRESULT GetMediaType(int index, AM_MEDIA_TYPE* type) { return S_FALSE; }
  // The connection is made (the other side accepted); may still refuse.
  virtual HRESULT CompleteConnect(IPin* peer) { return S_OK; }
  // The connection is gone; undo what CompleteConnect did.
  virtual void BreakConnect() {}

  BaseFilter& filter_;

 private:
  // Output side: try `type` on this pin, then on the receiver.
  HRESULT AttemptConnection(IPin* receiver, const AM_MEDIA_TYPE& type);
  HRESULT TryTypes(IPin* receiver, const std::vector<AM_MEDIA_TYPE>& types,
                   const AM_MEDIA_TYPE* pattern);

  const PIN_DIRECTION dir_;
  const std::string name_;
  // application thread, while stopped; read by streaming threads while active
  ComPtr<IPin> connected_;
  AM_MEDIA_TYPE type_;
  // streaming thread (NewSegment)
  REFERENCE_TIME segStart_ = 0;
  REFERENCE_TIME segStop_ = 0;
  double segRate_ = 1.0;
};

// An input pin: Receive checks the filter's state and the flush before handing the sample
// to OnReceive.
class BaseInputPin : public AddInterfaces<BasePin, IMemInputPin> {
 public:
  BaseInputPin(BaseFilter& filter, std::string name);

  // IPin stream methods: upstream streaming thread (flush also from the application thread).
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  // IMemInputPin.
  HRESULT GetAllocator(IMemAllocator** allocator) override;
  HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
  HRESULT ReceiveCanBlock() override { return S_OK; }

  HRESULT Inactive() override;

  // Any thread.
  bool IsFlushing() const { return flushing_; }

 protected:
  // Upstream streaming thread, filter active and not flushing.
  virtual HRESULT OnReceive(IMediaSample* sample) = 0;
  virtual HRESULT OnEndOfStream() { return S_OK; }
  // BeginFlush: unblock what waits and drop what is queued; then pass it on downstream.
  virtual HRESULT OnBeginFlush() { return S_OK; }
  virtual HRESULT OnEndFlush() { return S_OK; }
  virtual HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return S_OK;
  }
  void BreakConnect() override;

 private:
  std::atomic<bool> flushing_{false};
  // application thread, during connection
  ComPtr<IMemAllocator> allocator_;
};

// An output pin: chooses the allocator on connection, commits it while active, delivers.
class BaseOutputPin : public BasePin {
 public:
  BaseOutputPin(BaseFilter& filter, std::string name);

  HRESULT Active() override;
  HRESULT Inactive() override;

  // Streaming thread.
  HRESULT GetDeliveryBuffer(IMediaSample** sample, DWORD flags = 0);
  HRESULT Deliver(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();
  HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

 protected:
  // How many buffers of what size the pool needs for this connection's type.
  virtual HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* props) = 0;
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;

 private:
  // application thread, while stopped
  ComPtr<IMemAllocator> allocator_;
  ComPtr<IMemInputPin> input_;
};

// An output pin that offers exactly one media type, fixed when it is made, and asks for a fixed
// pool of buffers whatever it connects to.
class FixedTypeOutputPin : public BaseOutputPin {
 public:
  FixedTypeOutputPin(BaseFilter& filter, std::string name, AM_MEDIA_TYPE type, LONG buffers,
                     LONG bytes);

  // Any thread: constant after construction.
  const AM_MEDIA_TYPE& Offered() const { return offered_; }
  LONG BufferBytes() const { return bytes_; }

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* type) override;
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* props) override;

 private:
  const AM_MEDIA_TYPE offered_;
  const LONG buffers_;
  const LONG bytes_;
};

}  // namespace kavoro::media
