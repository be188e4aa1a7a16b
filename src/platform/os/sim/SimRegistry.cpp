#include "platform/os/sim/SimRegistry.h"

namespace kavoro::os {

RegistryTree& SimRegistry::Tree(RootKey mappedRoot) {
  return mappedRoot == RootKey::CurrentUser ? currentUser_ : localMachine_;
}

bool SimRegistry::KeyExists(RootKey root, std::string_view path) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  // A root always exists, HKEY_CLASSES_ROOT included.
  return NormalizeKeyPath(path).empty() || Tree(loc.root).KeyExists(loc.path);
}

bool SimRegistry::CreateKey(RootKey root, std::string_view path) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  RegistryTree& tree = Tree(loc.root);
  if (tree.KeyExists(loc.path)) return true;  // opening an existing key writes nothing
  if (readOnly_) return false;
  tree.CreateKey(loc.path);
  return true;
}

bool SimRegistry::DeleteKey(RootKey root, std::string_view path) {
  if (NormalizeKeyPath(path).empty()) return false;
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  if (readOnly_) return false;
  return Tree(loc.root).DeleteKey(loc.path);
}

std::optional<RegValue> SimRegistry::ReadValue(RootKey root, std::string_view path,
                                               std::string_view name) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  return Tree(loc.root).ReadValue(loc.path, name);
}

bool SimRegistry::WriteValue(RootKey root, std::string_view path, std::string_view name,
                             const RegValue& value) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  if (readOnly_) return false;
  Tree(loc.root).WriteValue(loc.path, name, value);
  return true;
}

bool SimRegistry::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  if (readOnly_) return false;
  return Tree(loc.root).DeleteValue(loc.path, name);
}

std::vector<std::string> SimRegistry::ValueNames(RootKey root, std::string_view path) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  return Tree(loc.root).ValueNames(loc.path);
}

std::vector<std::string> SimRegistry::SubKeyNames(RootKey root, std::string_view path) {
  auto loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  return Tree(loc.root).SubKeyNames(loc.path);
}

void SimRegistry::Reset() {
  std::lock_guard<std::mutex> g(lock_);
  localMachine_.Clear();
  currentUser_.Clear();
  readOnly_ = false;
}

void SimRegistry::SetReadOnly(bool readOnly) {
  std::lock_guard<std::mutex> g(lock_);
  readOnly_ = readOnly;
}

}  // namespace kavoro::os
