#pragma once
// Object creation by class identifier. Classes come from two places: built-in classes that the
// program registers at start-up, and filter modules recorded in the registry store by the
// registration program (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32), loaded on first use.
#include <functional>
#include <string>

#include "platform/com/ComPtr.h"

namespace kavoro {

// Creates one object of a class; `outer` is always null (no aggregation).
using ClassCreator = std::function<HRESULT(REFIID riid, void** ppv)>;

// Context flags of CoCreateInstance; only in-process servers exist here.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

class ClassRegistry {
 public:
  // The process-wide table. Any thread may call every method; the table has its own lock.
  static ClassRegistry& Instance();

  // Adds or replaces a built-in class.
  void RegisterClass(REFCLSID clsid, std::string name, ClassCreator creator);
  void UnregisterClass(REFCLSID clsid);
  bool IsRegistered(REFCLSID clsid) const;

  // Built-in classes first, then registered modules. REGDB_E_CLASSNOTREG when the class is
  // known nowhere, CO_E_DLLNOTFOUND / CO_E_ERRORINDLL when its module cannot be loaded.
  HRESULT CreateInstance(REFCLSID clsid, REFIID riid, void** ppv);

 private:
  ClassRegistry() = default;
  struct Impl;
  Impl& impl() const;
};

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv);

template <class I>
ComPtr<I> CreateInstance(REFCLSID clsid, HRESULT* result = nullptr) {
  ComPtr<I> p;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IIDOf<I>(), p.PutVoid());
  if (result) *result = hr;
  return p;
}

}  // namespace kavoro
