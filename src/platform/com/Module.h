#pragma once
// The binary interface of a loadable filter module: a shared object that exports a class
// object entry and a table of the classes it declares. Plain C layout so that a module and
// its host need only agree on this header.
#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

namespace kavoro {

struct ModuleMediaType {
  GUID major;
  GUID subtype;
};

struct ModulePin {
  const char* name;
  std::int32_t output;  // 0 input, 1 output
  std::int32_t many;    // the filter may make more pins of this kind
  const ModuleMediaType* types;
  std::int32_t typeCount;
};

struct ModuleClass {
  GUID clsid;
  const char* name;
  std::uint32_t merit;
  GUID category;  // filter category the class is listed under
  const ModulePin* pins;
  std::int32_t pinCount;
};

constexpr std::uint32_t kModuleRegistrationVersion = 1;

struct ModuleRegistration {
  std::uint32_t version;  // kModuleRegistrationVersion
  const ModuleClass* classes;
  std::int32_t classCount;
};

// Names of the exported entry points.
constexpr const char* kModuleGetClassObject = "DllGetClassObject";
constexpr const char* kModuleGetRegistration = "DllGetRegistration";

using ModuleGetClassObjectFn = HRESULT (*)(const GUID* clsid, const GUID* iid, void** ppv);
using ModuleGetRegistrationFn = const ModuleRegistration* (*)();

}  // namespace kavoro
