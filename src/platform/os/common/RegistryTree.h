#pragma once
// The plain in-memory model of one registry root, shared by both backends, with its text
// serialisation. Not thread-safe: the backends guard it.
//
// Keys and value names compare without regard to ASCII case and keep the case they were
// created with. The root key (path "") always exists and may hold values.
//
// File format (UTF-8 text, '\n' line ends, one entry a line):
//   KavoroRegistry 1              first line
//   [SOFTWARE\\KAVORO\\Player]     a key: its full path as an escaped string (so the
//                                 separating backslashes are written doubled)
//   "Skin"="Default"              a REG_SZ value of the key above
//   "Volume"=dword:0000ffff       a REG_DWORD value, exactly 8 hex digits
//   @="text"                      the key's default value (name "")
//   End                           last line; its absence means the file was cut short
// Escapes inside quotes and brackets: \\ \" \n \r \t and \xHH (two hex digits) for every
// other byte below 0x20 and for 0x7F; all other bytes are written as they are, so any
// std::string round-trips. Blank lines are ignored.
//
// Parsing is tolerant: a line that cannot be read is skipped and the result says the file
// was damaged. An unreadable key line also drops the value lines after it until the next
// readable key line (they would otherwise land in the wrong key). Everything else survives.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/os/Registry.h"

namespace kavoro::os {

// The parts of a key path: split at backslashes, empty parts dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);
// The path joined again with single backslashes, no leading or trailing one.
std::string NormalizeKeyPath(std::string_view path);

// Where a key lives: HKEY_CLASSES_ROOT\X is HKEY_LOCAL_MACHINE\SOFTWARE\Classes\X; the other
// roots map to themselves. The path comes back normalised.
struct StoreLocation {
  RootKey root;
  std::string path;
};
StoreLocation MapRootKey(RootKey root, std::string_view path);

// Escaping used by the file format (exposed for tests).
std::string EscapeRegistryString(std::string_view s);
// nullopt when `s` holds a bad escape.
std::optional<std::string> UnescapeRegistryString(std::string_view s);

class RegistryTree {
 public:
  struct ParseResult;

  RegistryTree();

  bool KeyExists(std::string_view path) const;
  // Creates the key and its missing parents. False when the key already existed.
  bool CreateKey(std::string_view path);
  // Removes the key, its values and subkeys. False when missing or the root.
  bool DeleteKey(std::string_view path);
  std::optional<RegValue> ReadValue(std::string_view path, std::string_view name) const;
  // Creates the key when missing.
  void WriteValue(std::string_view path, std::string_view name, const RegValue& value);
  bool DeleteValue(std::string_view path, std::string_view name);
  std::vector<std::string> ValueNames(std::string_view path) const;
  std::vector<std::string> SubKeyNames(std::string_view path) const;

  void Clear();
  bool operator==(const RegistryTree& other) const;

  std::string Serialize() const;
  static ParseResult Parse(std::string_view text);

 private:
  struct Value {
    std::string name;  // as written
    RegValue value;
  };
  struct Key {
    std::string name;                    // last path part, as created
    std::map<std::string, Value> values;  // by folded name
  };
  using KeyMap = std::map<std::string, Key>;  // by folded full path

  const Key* Find(std::string_view path) const;
  Key& Create(std::string_view path, bool* created);
  std::string DisplayPath(const std::string& folded) const;

  KeyMap keys_;
};

struct RegistryTree::ParseResult {
  RegistryTree tree;
  bool damaged = false;
  std::size_t skippedLines = 0;  // unreadable lines, including those dropped with a bad key
};

}  // namespace kavoro::os
