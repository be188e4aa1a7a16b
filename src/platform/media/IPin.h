#pragma once
// Pins: the connection points of filters, and the enumerators over pins and media types.
#include <string>

#include "platform/media/MediaTypes.h"

namespace kavoro {

struct IBaseFilter;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// What QueryPinInfo hands out: the filter is AddRef'ed for the caller, who releases it.
struct PIN_INFO {
  IBaseFilter* pFilter = nullptr;
  PIN_DIRECTION dir = PINDIR_INPUT;
  std::string achName;
};

// Types a pin offers. Next copies up to `count` types into `types` (an array of that many
// pointers; each AM_MEDIA_TYPE* handed out is freed by the caller with DeleteMediaType).
// S_OK when `count` were fetched, S_FALSE when fewer.
struct IEnumMediaTypes : IUnknown {
  static constexpr IID kIID = MakeGuid(0x89C31040, 0x846B, 0x11CE, 0x97, 0xD3, 0x00, 0xAA, 0x00,
                                       0x55, 0x59, 0x5A);
  using Base = IUnknown;
  virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumMediaTypes** copy) = 0;
};

// A pin. A pin's reference count is its filter's: holding a pin keeps the filter alive.
// Connection methods run on the application thread while the filter is stopped; the stream
// methods (EndOfStream, BeginFlush, EndFlush, NewSegment) are called by the upstream filter's
// streaming thread, except that a flush may also come from the application thread during a
// seek.
struct IPin : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // Output pins. Connects to `receiver`, with `type` when given (wildcards allowed in it),
  // otherwise with the first of this pin's types, then the receiver's, that both accept.
  // VFW_E_ALREADY_CONNECTED, VFW_E_NOT_STOPPED, VFW_E_NO_ACCEPTABLE_TYPES, VFW_E_INVALID_DIRECTION.
  virtual HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) = 0;
  // Input pins, called by the connecting output pin. Accepts or refuses `type`; the input
  // never calls back into the output here. VFW_E_TYPE_NOT_ACCEPTED on refusal.
  virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
  // Breaks this side of the connection; the caller disconnects the other side too.
  // S_FALSE when not connected, VFW_E_NOT_STOPPED while the filter runs.
  virtual HRESULT Disconnect() = 0;
  // The other pin, AddRef'ed; VFW_E_NOT_CONNECTED.
  virtual HRESULT ConnectedTo(IPin** pin) = 0;
  // A copy of the connection's type; VFW_E_NOT_CONNECTED.
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION* dir) = 0;
  // The pin's name, unique within its filter.
  virtual HRESULT QueryId(std::string* id) = 0;
  // S_OK when the pin would accept `type`, S_FALSE otherwise. Does not connect.
  virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;
  // The types this pin prefers, most preferred first. VFW_E_NOT_CONNECTED for pins that can
  // list types only once connected upstream (a decoder's output).
  virtual HRESULT EnumMediaTypes(IEnumMediaTypes** types) = 0;
  // E_NOTIMPL: every input of a filter feeds every output.
  virtual HRESULT QueryInternalConnections(IPin** pins, ULONG* count) = 0;
  // Input pins. No more samples follow until the next flush or stop.
  virtual HRESULT EndOfStream() = 0;
  // Input pins. Discard what is queued and refuse samples until EndFlush; unblocks a
  // Receive that waits. Passed downstream.
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
  // Input pins. The samples that follow belong to the media range [start, stop) played at
  // `rate`; their times are relative to `start`.
  virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};

// Pins of one filter, in the filter's order. Next hands out AddRef'ed pins.
struct IEnumPins : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumPins** copy) = 0;
};

}  // namespace kavoro
