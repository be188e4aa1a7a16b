#pragma once
// Samples, the allocators that pool them and the input side of sample transport.
#include "platform/media/MediaTypes.h"

namespace kavoro {

// One buffer of media data with its times. A sample is reference counted; the last Release
// returns it to its allocator. The holder of a sample may write to it until it delivers it;
// receivers only read it.
struct IMediaSample : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // The buffer; valid for the life of the sample.
  virtual HRESULT GetPointer(BYTE** buffer) = 0;
  // The buffer's capacity in bytes.
  virtual LONG GetSize() = 0;
  // Stream times (relative to the segment start, divided by the segment's rate).
  // VFW_E_SAMPLE_TIME_NOT_SET when none; VFW_S_NO_STOP_TIME when only the start is set.
  virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
  // Null start clears both times; null end sets the start only.
  virtual HRESULT SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) = 0;
  // S_OK when the sample starts a decodable unit (a key frame), else S_FALSE.
  virtual HRESULT IsSyncPoint() = 0;
  virtual HRESULT SetSyncPoint(BOOL sync) = 0;
  // S_OK when this sample follows a gap in the stream (after a seek, or the first one).
  virtual HRESULT IsPreroll() = 0;
  virtual HRESULT SetPreroll(BOOL preroll) = 0;
  virtual LONG GetActualDataLength() = 0;
  // VFW_E_BUFFER_OVERFLOW when `length` exceeds the capacity.
  virtual HRESULT SetActualDataLength(LONG length) = 0;
  // S_OK and a copy of the new type when the format changed with this sample; S_FALSE and no
  // type otherwise.
  virtual HRESULT GetMediaType(AM_MEDIA_TYPE** type) = 0;
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT IsDiscontinuity() = 0;
  virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
  virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
  virtual HRESULT SetMediaTime(const LONGLONG* start, const LONGLONG* end) = 0;
};

// Frees a type that IMediaSample::GetMediaType or IPin::ConnectionMediaType handed out as a
// pointer. Any thread.
void DeleteMediaType(AM_MEDIA_TYPE* type);

// A sample whose buffer can be enlarged by its holder, for compressed data of unknown size.
// The allocators of this framework give samples that have it.
struct IResizableSample : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A001, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0x01);
  using Base = IUnknown;
  // Holder's thread, before delivery. Makes the capacity at least `size` bytes, keeping the
  // data. E_OUTOFMEMORY when that fails.
  virtual HRESULT Reserve(LONG size) = 0;
};

struct ALLOCATOR_PROPERTIES {
  LONG cBuffers = 0;  // how many samples the pool holds
  LONG cbBuffer = 0;  // capacity of each
  LONG cbAlign = 1;
  LONG cbPrefix = 0;
};

constexpr DWORD AM_GBF_NOWAIT = 4;

// A bounded pool of samples. GetBuffer blocks while every sample is out, which is how a slow
// consumer holds back its producer.
struct IMemAllocator : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A8689C, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Application thread, while decommitted. Asks for a pool; `actual` receives what was set.
  // VFW_E_ALREADY_COMMITTED, VFW_E_BUFFERS_OUTSTANDING.
  virtual HRESULT SetProperties(const ALLOCATOR_PROPERTIES* request,
                                ALLOCATOR_PROPERTIES* actual) = 0;
  virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* props) = 0;
  // Makes the buffers; GetBuffer works from now on. VFW_E_SIZENOTSET before SetProperties.
  virtual HRESULT Commit() = 0;
  // Any thread. Wakes every GetBuffer waiter with VFW_E_NOT_COMMITTED; buffers are freed as
  // the samples that are out come back.
  virtual HRESULT Decommit() = 0;
  // Streaming thread. A free sample with its times and flags cleared, owned by the caller.
  // Waits while none is free, unless AM_GBF_NOWAIT (then VFW_E_TIMEOUT).
  // VFW_E_NOT_COMMITTED while decommitted.
  virtual HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                            DWORD flags) = 0;
  // Called by the sample itself on its last Release.
  virtual HRESULT ReleaseBuffer(IMediaSample* sample) = 0;
};

// The transport side of an input pin.
struct IMemInputPin : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Application thread, during connection. The input's own allocator, if it has one
  // (VFW_E_NO_ALLOCATOR otherwise; the output then uses its own).
  virtual HRESULT GetAllocator(IMemAllocator** allocator) = 0;
  // Application thread, during connection. Tells the input which allocator the samples come
  // from; the input keeps a reference until disconnected.
  virtual HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
  virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) = 0;
  // Streaming thread of the upstream filter. Takes one sample: the input may hold a
  // reference (AddRef) past the call. May block (renderers wait for the presentation time).
  // S_OK; S_FALSE when the input wants no more samples until the next flush or stop
  // (end of stream reached, or stopped); a failure code when the stream is broken.
  virtual HRESULT Receive(IMediaSample* sample) = 0;
  virtual HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) = 0;
  // S_OK when Receive may block.
  virtual HRESULT ReceiveCanBlock() = 0;
};

}  // namespace kavoro
