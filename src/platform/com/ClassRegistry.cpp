#include "platform/com/ClassRegistry.h"

#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/com/FilterRegistration.h"
#include "platform/com/Module.h"
#include "platform/os/DynamicLibrary.h"

namespace kavoro {

struct ClassRegistry::Impl {
  struct BuiltIn {
    std::string name;
    ClassCreator creator;
  };
  mutable std::mutex lock;
  std::unordered_map<GUID, BuiltIn> builtIns;  // guarded by lock
  // Modules stay loaded for the life of the process: objects they made may outlive any
  // single user, and nothing tells us when the last one is gone.
  std::map<std::string, std::unique_ptr<os::DynamicLibrary>> modules;  // guarded by lock
};

ClassRegistry& ClassRegistry::Instance() {
  static ClassRegistry registry;
  return registry;
}

ClassRegistry::Impl& ClassRegistry::impl() const {
  static Impl impl;
  return impl;
}

void ClassRegistry::RegisterClass(REFCLSID clsid, std::string name, ClassCreator creator) {
  std::lock_guard g(impl().lock);
  impl().builtIns[clsid] = {std::move(name), std::move(creator)};
}

void ClassRegistry::UnregisterClass(REFCLSID clsid) {
  std::lock_guard g(impl().lock);
  impl().builtIns.erase(clsid);
}

bool ClassRegistry::IsRegistered(REFCLSID clsid) const {
  {
    std::lock_guard g(impl().lock);
    if (impl().builtIns.count(clsid)) return true;
  }
  return RegisteredModulePath(clsid).has_value();
}

HRESULT ClassRegistry::CreateInstance(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  ClassCreator creator;
  {
    std::lock_guard g(impl().lock);
    auto it = impl().builtIns.find(clsid);
    if (it != impl().builtIns.end()) creator = it->second.creator;
  }
  if (creator) return creator(riid, ppv);

  auto path = RegisteredModulePath(clsid);
  if (!path) return REGDB_E_CLASSNOTREG;
  ModuleGetClassObjectFn getClassObject = nullptr;
  {
    std::lock_guard g(impl().lock);
    auto& slot = impl().modules[*path];
    if (!slot) slot = os::DynamicLibrary::Load(*path);
    if (!slot) {
      impl().modules.erase(*path);
      return CO_E_DLLNOTFOUND;
    }
    getClassObject = slot->Function<ModuleGetClassObjectFn>(kModuleGetClassObject);
  }
  if (!getClassObject) return CO_E_ERRORINDLL;
  ComPtr<IClassFactory> factory;
  HRESULT hr = getClassObject(&clsid, &IClassFactory::kIID, factory.PutVoid());
  if (FAILED(hr)) return hr;
  if (!factory) return CO_E_ERRORINDLL;
  return factory->CreateInstance(nullptr, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(clsContext & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
  return ClassRegistry::Instance().CreateInstance(clsid, riid, ppv);
}

}  // namespace kavoro
