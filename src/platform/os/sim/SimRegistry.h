#pragma once
// The sim backend's registry store: one in-memory tree per root, nothing on disk.
#include <mutex>

#include "platform/os/Registry.h"
#include "platform/os/common/RegistryTree.h"

namespace kavoro::os {

class SimRegistry : public IRegistry {
 public:
  SimRegistry() = default;

  bool KeyExists(RootKey root, std::string_view path) override;
  bool CreateKey(RootKey root, std::string_view path) override;
  bool DeleteKey(RootKey root, std::string_view path) override;
  std::optional<RegValue> ReadValue(RootKey root, std::string_view path,
                                    std::string_view name) override;
  bool WriteValue(RootKey root, std::string_view path, std::string_view name,
                  const RegValue& value) override;
  bool DeleteValue(RootKey root, std::string_view path, std::string_view name) override;
  std::vector<std::string> ValueNames(RootKey root, std::string_view path) override;
  std::vector<std::string> SubKeyNames(RootKey root, std::string_view path) override;

  // Empties the store (and makes it writable again).
  void Reset();
  // While set, every call that would change the store fails and changes nothing.
  void SetReadOnly(bool readOnly);

 private:
  RegistryTree& Tree(RootKey mappedRoot);

  std::mutex lock_;
  RegistryTree localMachine_;
  RegistryTree currentUser_;
  bool readOnly_ = false;
};

}  // namespace kavoro::os
