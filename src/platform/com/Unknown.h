#pragma once
// The reference-counted object model: IUnknown, interface identities and a base class that
// implements counting and interface queries for a list of interfaces.
#include <atomic>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

namespace kavoro {

using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;

// Every interface derives from IUnknown (directly or through `Base`) and names its identity in
// `kIID`. Interfaces are abstract and never deleted through; objects delete themselves on the
// last Release. All three methods may be called from any thread.
struct IUnknown {
  static constexpr IID kIID = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  // On success stores an AddRef'ed pointer to the interface `riid` in *ppv and returns S_OK;
  // otherwise stores null and returns E_NOINTERFACE (E_POINTER when ppv is null).
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

template <class I>
constexpr const IID& IIDOf() {
  return I::kIID;
}

namespace detail {
template <class I>
concept HasBase = requires { typename I::Base; };

// Answers a query for I or any interface it derives from through its `Base` chain.
template <class I>
bool QueryChain(I* p, REFIID riid, void** ppv) {
  if (riid == I::kIID) {
    *ppv = p;
    return true;
  }
  if constexpr (HasBase<I>) {
    if constexpr (!std::is_same_v<typename I::Base, IUnknown>) {
      return QueryChain<typename I::Base>(p, riid, ppv);
    }
  }
  return false;
}
}  // namespace detail

// Implements IUnknown for an object that exposes `Interfaces...` (and their bases). The object
// starts with one reference, owned by whoever created it (see MakeCom in ComPtr.h).
// Subclasses add further interfaces by overriding QueryExtraInterface.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IUnknown::kIID) {
      *ppv = static_cast<IUnknown*>(static_cast<FirstInterface*>(this));
    } else if (!(detail::QueryChain<Interfaces>(static_cast<Interfaces*>(this), riid, ppv) || ...)) {
      HRESULT hr = QueryExtraInterface(riid, ppv);
      if (FAILED(hr) || !*ppv) {
        *ppv = nullptr;
        return E_NOINTERFACE;
      }
      return S_OK;  // QueryExtraInterface has added the reference itself
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // The object's identity: the IUnknown that every query for IUnknown returns.
  IUnknown* Identity() { return static_cast<FirstInterface*>(this); }

 protected:
  virtual ~ComObject() = default;
  // Called for identities the listed interfaces do not answer; on success stores an AddRef'ed
  // pointer and returns S_OK.
  virtual HRESULT QueryExtraInterface(REFIID, void**) { return E_NOINTERFACE; }

 private:
  using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;
  std::atomic<ULONG> refs_{1};
};

// The factory a module or the built-in class table hands out for a class.
struct IClassFactory : IUnknown {
  static constexpr IID kIID = MakeGuid(0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  using Base = IUnknown;
  // Creates a new object and returns its interface `riid`. `outer` must be null: aggregation
  // is not supported (CLASS_E_NOAGGREGATION).
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};

}  // namespace kavoro
