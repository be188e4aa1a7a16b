#include "platform/com/FilterRegistration.h"

#include <algorithm>

#include "platform/os/Platform.h"

namespace kavoro {
namespace {

using os::HKEY_CLASSES_ROOT;

std::string ClassKey(REFCLSID clsid) { return "CLSID\\" + clsid.ToString(); }
std::string InstanceKey(const GUID& category, REFCLSID clsid) {
  return "CLSID\\" + category.ToString() + "\\Instance\\" + clsid.ToString();
}

std::string FormatTypes(const ModuleMediaType* types, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    if (i) s += ';';
    s += types[i].major.ToString() + "/" + types[i].subtype.ToString();
  }
  return s;
}

std::optional<std::vector<ModuleMediaType>> ParseTypes(const std::string& text) {
  std::vector<ModuleMediaType> types;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    std::size_t slash = item.find('/');
    if (slash == std::string::npos) return std::nullopt;
    auto major = GUID::Parse(item.substr(0, slash));
    auto sub = GUID::Parse(item.substr(slash + 1));
    if (!major || !sub) return std::nullopt;
    types.push_back({*major, *sub});
    start = end + 1;
  }
  return types;
}

}  // namespace

bool RecordModuleClasses(const ModuleRegistration& reg, const std::string& modulePath) {
  auto& r = os::Os().Registry();
  bool ok = true;
  for (int c = 0; c < reg.classCount; ++c) {
    const ModuleClass& mc = reg.classes[c];
    const std::string name = mc.name ? mc.name : "";
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, ClassKey(mc.clsid), "", name);
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, ClassKey(mc.clsid) + "\\InprocServer32", "", modulePath);
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, ClassKey(mc.clsid) + "\\InprocServer32",
                       "ThreadingModel", std::string("Both"));
    const std::string inst = InstanceKey(mc.category, mc.clsid);
    r.DeleteKey(HKEY_CLASSES_ROOT, inst);
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, inst, "FriendlyName", name);
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, inst, "Merit", mc.merit);
    for (int p = 0; p < mc.pinCount; ++p) {
      const ModulePin& pin = mc.pins[p];
      const std::string pk = inst + "\\Pins\\" + std::to_string(p);
      ok &= r.WriteValue(HKEY_CLASSES_ROOT, pk, "Name", std::string(pin.name ? pin.name : ""));
      ok &= r.WriteValue(HKEY_CLASSES_ROOT, pk, "Output", static_cast<std::uint32_t>(pin.output != 0));
      ok &= r.WriteValue(HKEY_CLASSES_ROOT, pk, "Many", static_cast<std::uint32_t>(pin.many != 0));
      ok &= r.WriteValue(HKEY_CLASSES_ROOT, pk, "Types", FormatTypes(pin.types, pin.typeCount));
    }
    // Readers take an entry only once its CLSID is there, so it is written last.
    ok &= r.WriteValue(HKEY_CLASSES_ROOT, inst, "CLSID", mc.clsid.ToString());
  }
  return ok;
}

bool EraseModuleClasses(const ModuleRegistration& reg) {
  auto& r = os::Os().Registry();
  // The filter entry goes first, so that a reader who no longer finds the class finds no
  // filter entry either.
  for (int c = 0; c < reg.classCount; ++c) {
    r.DeleteKey(HKEY_CLASSES_ROOT, InstanceKey(reg.classes[c].category, reg.classes[c].clsid));
    r.DeleteKey(HKEY_CLASSES_ROOT, ClassKey(reg.classes[c].clsid));
  }
  return true;
}

std::vector<RegisteredFilter> ListRegisteredFilters(const GUID& category) {
  auto& r = os::Os().Registry();
  const std::string base = "CLSID\\" + category.ToString() + "\\Instance";
  std::vector<RegisteredFilter> out;
  for (const std::string& sub : r.SubKeyNames(HKEY_CLASSES_ROOT, base)) {
    const std::string key = base + "\\" + sub;
    auto clsidText = r.ReadValue(HKEY_CLASSES_ROOT, key, "CLSID");
    auto merit = r.ReadValue(HKEY_CLASSES_ROOT, key, "Merit");
    auto name = r.ReadValue(HKEY_CLASSES_ROOT, key, "FriendlyName");
    if (!clsidText || !merit || !std::holds_alternative<std::string>(*clsidText) ||
        !std::holds_alternative<std::uint32_t>(*merit))
      continue;
    auto clsid = GUID::Parse(std::get<std::string>(*clsidText));
    if (!clsid) continue;
    RegisteredFilter f;
    f.clsid = *clsid;
    f.merit = std::get<std::uint32_t>(*merit);
    if (name && std::holds_alternative<std::string>(*name)) f.name = std::get<std::string>(*name);
    bool pinsOk = true;
    std::vector<std::string> pinKeys = r.SubKeyNames(HKEY_CLASSES_ROOT, key + "\\Pins");
    std::sort(pinKeys.begin(), pinKeys.end(), [](const std::string& a, const std::string& b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& pk : pinKeys) {
      const std::string pinKey = key + "\\Pins\\" + pk;
      auto types = r.ReadValue(HKEY_CLASSES_ROOT, pinKey, "Types");
      auto output = r.ReadValue(HKEY_CLASSES_ROOT, pinKey, "Output");
      if (!types || !output || !std::holds_alternative<std::string>(*types) ||
          !std::holds_alternative<std::uint32_t>(*output)) {
        pinsOk = false;
        break;
      }
      auto parsed = ParseTypes(std::get<std::string>(*types));
      if (!parsed) {
        pinsOk = false;
        break;
      }
      RegisteredPin pin;
      pin.output = std::get<std::uint32_t>(*output) != 0;
      pin.types = std::move(*parsed);
      if (auto n = r.ReadValue(HKEY_CLASSES_ROOT, pinKey, "Name");
          n && std::holds_alternative<std::string>(*n))
        pin.name = std::get<std::string>(*n);
      if (auto m = r.ReadValue(HKEY_CLASSES_ROOT, pinKey, "Many");
          m && std::holds_alternative<std::uint32_t>(*m))
        pin.many = std::get<std::uint32_t>(*m) != 0;
      f.pins.push_back(std::move(pin));
    }
    if (pinsOk) out.push_back(std::move(f));
  }
  std::stable_sort(out.begin(), out.end(), [](const RegisteredFilter& a, const RegisteredFilter& b) {
    return a.merit > b.merit;
  });
  return out;
}

std::optional<std::string> RegisteredModulePath(REFCLSID clsid) {
  auto v = os::Os().Registry().ReadValue(HKEY_CLASSES_ROOT, ClassKey(clsid) + "\\InprocServer32", "");
  if (!v || !std::holds_alternative<std::string>(*v) || std::get<std::string>(*v).empty())
    return std::nullopt;
  return std::get<std::string>(*v);
}

}  // namespace kavoro
