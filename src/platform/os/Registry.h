#pragma once
// The registry store: typed values (string, 32-bit) under keys below a root. Key paths are
// backslash-separated and compared without regard to case; leading and trailing backslashes
// are ignored, so "\SOFTWARE\KAVORO\" and "SOFTWARE\KAVORO" name the same key. The value
// name "" is the key's default value. HKEY_CLASSES_ROOT is the view of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kavoro::os {

enum class RootKey { LocalMachine, CurrentUser, ClassesRoot };
constexpr RootKey HKEY_LOCAL_MACHINE = RootKey::LocalMachine;
constexpr RootKey HKEY_CURRENT_USER = RootKey::CurrentUser;
constexpr RootKey HKEY_CLASSES_ROOT = RootKey::ClassesRoot;

// REG_SZ holds a string, REG_DWORD a 32-bit integer.
using RegValue = std::variant<std::string, std::uint32_t>;

// Any thread may call every method. Every write is durable when it returns true: a crash
// afterwards neither loses nor tears it. Values another process writes become visible.
class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual bool KeyExists(RootKey root, std::string_view path) = 0;
  // Creates the key and its parents; false when the store cannot be written.
  virtual bool CreateKey(RootKey root, std::string_view path) = 0;
  // Removes the key with its values and subkeys; false when it did not exist.
  virtual bool DeleteKey(RootKey root, std::string_view path) = 0;
  // nullopt when the key or value is missing or its entry could not be read.
  virtual std::optional<RegValue> ReadValue(RootKey root, std::string_view path,
                                            std::string_view name) = 0;
  // Creates the key when missing. False when the store cannot be written.
  virtual bool WriteValue(RootKey root, std::string_view path, std::string_view name,
                          const RegValue& value) = 0;
  virtual bool DeleteValue(RootKey root, std::string_view path, std::string_view name) = 0;
  virtual std::vector<std::string> ValueNames(RootKey root, std::string_view path) = 0;
  virtual std::vector<std::string> SubKeyNames(RootKey root, std::string_view path) = 0;
};

// One open key, in the manner of the class library's registry object: open (optionally
// creating), read and write typed values, close. Holds no platform resource; closing only
// forgets the path. Same threads as IRegistry.
class RegistryKey {
 public:
  // nullopt when the key does not exist and `create` is false, or cannot be created.
  static std::optional<RegistryKey> Open(RootKey root, std::string_view path, bool create);

  std::optional<std::string> ReadString(std::string_view name) const;
  // nullopt when missing or not a 32-bit integer.
  std::optional<std::uint32_t> ReadInteger(std::string_view name) const;
  // An integer value, non-zero is true.
  std::optional<bool> ReadBool(std::string_view name) const;
  bool ValueExists(std::string_view name) const;

  bool WriteString(std::string_view name, std::string_view value) const;
  bool WriteInteger(std::string_view name, std::uint32_t value) const;
  bool WriteBool(std::string_view name, bool value) const;

  RootKey Root() const { return root_; }
  const std::string& Path() const { return path_; }

 private:
  RegistryKey(RootKey root, std::string path) : root_(root), path_(std::move(path)) {}
  RootKey root_;
  std::string path_;
};

}  // namespace kavoro::os
