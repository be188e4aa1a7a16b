#pragma once
// What the tests' fake filters and pins answer alike: a filter that never streams (every state
// change succeeds, it stays stopped and has no clock) and a pin that takes no data. A fake
// derives from these around its own base and writes only what it acts on.
#include <string>

#include "platform/media/IBaseFilter.h"
#include "platform/media/IPin.h"

namespace kavoro::test {

// `Base` implements (or derives from) IBaseFilter.
template <class Base>
class IdleFilter : public Base {
 public:
  HRESULT Stop() override { return S_OK; }
  HRESULT Pause() override { return S_OK; }
  HRESULT Run(REFERENCE_TIME) override { return S_OK; }
  HRESULT GetState(DWORD, FILTER_STATE* state) override {
    if (!state) return E_POINTER;
    *state = State_Stopped;
    return S_OK;
  }
  HRESULT SetSyncSource(IReferenceClock*) override { return S_OK; }
  HRESULT GetSyncSource(IReferenceClock** clock) override {
    if (!clock) return E_POINTER;
    *clock = nullptr;
    return S_OK;
  }
  HRESULT JoinFilterGraph(IFilterGraph*, const std::string&) override { return S_OK; }
  HRESULT QueryVendorInfo(std::string*) override { return E_NOTIMPL; }
};

// `Base` implements (or derives from) IPin.
template <class Base>
class IdlePin : public Base {
 public:
  using Base::Base;
  HRESULT EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  HRESULT QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  HRESULT EndOfStream() override { return S_OK; }
  HRESULT BeginFlush() override { return S_OK; }
  HRESULT EndFlush() override { return S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }
};

}  // namespace kavoro::test
