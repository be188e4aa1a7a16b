#pragma once
// Adds interfaces to a ComObject-derived class: the object answers queries for `Extra...`
// (and their bases) with the same identity and reference count as BaseClass.
#include "platform/com/ComPtr.h"

namespace kavoro::media {

template <class BaseClass, class... Extra>
class AddInterfaces : public BaseClass, public Extra... {
 public:
  using BaseClass::BaseClass;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    return BaseClass::QueryInterface(riid, ppv);
  }
  ULONG AddRef() override { return BaseClass::AddRef(); }
  ULONG Release() override { return BaseClass::Release(); }

 protected:
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override {
    if ((kavoro::detail::QueryChain<Extra>(static_cast<Extra*>(this), riid, ppv) || ...)) {
      AddRef();
      return S_OK;
    }
    return BaseClass::QueryExtraInterface(riid, ppv);
  }
};

}  // namespace kavoro::media
