#pragma once
// Filter classes recorded in the registry store: what the registration program writes for a
// module's declared classes, and what the graph builder reads back to find filters by
// category and merit.
//   HKEY_CLASSES_ROOT\CLSID\{clsid}                  (default) = name
//   HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32   (default) = module path
//   HKEY_CLASSES_ROOT\CLSID\{category}\Instance\{clsid}  FriendlyName, CLSID, Merit
//     ...\Pins\<n>  Name, Output, Many, Types ("{major}/{subtype};...")
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/com/Module.h"

namespace kavoro {

struct RegisteredPin {
  std::string name;
  bool output = false;
  bool many = false;
  std::vector<ModuleMediaType> types;
};

struct RegisteredFilter {
  CLSID clsid;
  std::string name;
  std::uint32_t merit = 0;
  std::vector<RegisteredPin> pins;
};

// Records every class of `registration` for the module at `modulePath`. False when a value
// could not be written (what was written stays).
bool RecordModuleClasses(const ModuleRegistration& registration, const std::string& modulePath);
// Removes what RecordModuleClasses wrote for these classes.
bool EraseModuleClasses(const ModuleRegistration& registration);

// The filters listed under a category, highest merit first; entries that cannot be read are
// left out.
std::vector<RegisteredFilter> ListRegisteredFilters(const GUID& category);

// The module path recorded for a class, if any.
std::optional<std::string> RegisteredModulePath(REFCLSID clsid);

}  // namespace kavoro
