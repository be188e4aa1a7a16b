#pragma once
// What every decoder module shares: one of the framework's decoder filters under the module's
// own class identifier and vendor text, the class object that makes it, and the two exported
// entry points of the module ABI (platform/com/Module.h). A module source defines its
// ModuleClass table and expands KAVORO_DECODER_MODULE with it and its decoder type.
//
// A module carries its own copy of the framework code it uses, linked in with hidden symbols,
// so it meets the host only through interfaces.
#include <dlfcn.h>

#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Module.h"
#include "platform/media/modules/DecoderModuleClasses.h"

namespace kavoro::media::modules {

// The file this module was loaded from, found through one of its own symbols.
inline std::string ThisModulePath() {
  static const char anchor = 0;
  Dl_info info{};
  if (dladdr(&anchor, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

// Any thread, like the decoder's own IBaseFilter methods.
template <class Decoder>
class ModuleDecoder final : public Decoder {
 public:
  explicit ModuleDecoder(const ModuleClass& cls) : class_(cls) {}

  HRESULT GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = class_.clsid;
    return S_OK;
  }
  HRESULT QueryVendorInfo(std::string* info) override {
    if (!info) return E_POINTER;
    *info = std::string(kDecoderModuleVendor) + ": " + class_.name + ", " + ThisModulePath();
    return S_OK;
  }

 private:
  const ModuleClass& class_;  // the module's static table
};

template <class Decoder>
class DecoderClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit DecoderClassFactory(const ModuleClass& cls) : class_(cls) {}

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<ModuleDecoder<Decoder>> decoder = MakeCom<ModuleDecoder<Decoder>>(class_);
    return decoder->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  const ModuleClass& class_;
};

template <class Decoder>
HRESULT GetDecoderClassObject(const ModuleClass& cls, const GUID* clsid, const GUID* iid,
                              void** ppv) {
  if (!clsid || !iid || !ppv) return E_POINTER;
  *ppv = nullptr;
  if (*clsid != cls.clsid) return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<DecoderClassFactory<Decoder>> factory = MakeCom<DecoderClassFactory<Decoder>>(cls);
  return factory->QueryInterface(*iid, ppv);
}

}  // namespace kavoro::media::modules

// The module's exported entry points for its one class `cls` made as `Decoder`.
#define KAVORO_DECODER_MODULE(Decoder, cls)                                                    \
  extern "C" __attribute__((visibility("default"))) const ::kavoro::ModuleRegistration*        \
  DllGetRegistration() {                                                                       \
    static const ::kavoro::ModuleRegistration registration = {                                 \
        ::kavoro::kModuleRegistrationVersion, &(cls), 1};                                      \
    return &registration;                                                                      \
  }                                                                                            \
  extern "C" __attribute__((visibility("default"))) ::kavoro::HRESULT DllGetClassObject(       \
      const ::kavoro::GUID* clsid, const ::kavoro::GUID* iid, void** ppv) {                    \
    return ::kavoro::media::modules::GetDecoderClassObject<Decoder>(cls, clsid, iid, ppv);     \
  }
