// RegistryKey on top of the linked backend's registry store.
#include "platform/os/Platform.h"
#include "platform/os/Registry.h"
#include "platform/os/common/RegistryTree.h"

namespace kavoro::os {

std::optional<RegistryKey> RegistryKey::Open(RootKey root, std::string_view path, bool create) {
  std::string p = NormalizeKeyPath(path);
  IRegistry& reg = Os().Registry();
  bool ok = create ? reg.CreateKey(root, p) : reg.KeyExists(root, p);
  if (!ok) return std::nullopt;
  return RegistryKey(root, std::move(p));
}

std::optional<std::string> RegistryKey::ReadString(std::string_view name) const {
  auto v = Os().Registry().ReadValue(root_, path_, name);
  if (!v) return std::nullopt;
  if (auto* s = std::get_if<std::string>(&*v)) return std::move(*s);
  return std::nullopt;
}

std::optional<std::uint32_t> RegistryKey::ReadInteger(std::string_view name) const {
  auto v = Os().Registry().ReadValue(root_, path_, name);
  if (!v) return std::nullopt;
  if (auto* n = std::get_if<std::uint32_t>(&*v)) return *n;
  return std::nullopt;
}

std::optional<bool> RegistryKey::ReadBool(std::string_view name) const {
  auto n = ReadInteger(name);
  if (!n) return std::nullopt;
  return *n != 0;
}

bool RegistryKey::ValueExists(std::string_view name) const {
  return Os().Registry().ReadValue(root_, path_, name).has_value();
}

bool RegistryKey::WriteString(std::string_view name, std::string_view value) const {
  return Os().Registry().WriteValue(root_, path_, name, RegValue(std::string(value)));
}

bool RegistryKey::WriteInteger(std::string_view name, std::uint32_t value) const {
  return Os().Registry().WriteValue(root_, path_, name, RegValue(value));
}

bool RegistryKey::WriteBool(std::string_view name, bool value) const {
  return WriteInteger(name, value ? 1u : 0u);
}

}  // namespace kavoro::os
