#pragma once
// Reading initialisation files with the platform's private-profile rules. Section headers are
// names in square brackets; entries are a key, "=" and a value. Section and key names match
// without regard to (ASCII) letter case; the blanks around names and values are dropped, and
// a value enclosed in a pair of matching quotation marks loses them; a value is read up to
// kProfileMaxValueLength characters. The first of several sections of one name is the one
// read, and within it the first of several entries of one key. Lines beginning with ";" are
// comments; lines without "=" are ignored, as are entries before the first section. A UTF-8
// byte-order mark is skipped; a file that begins with a UTF-16 byte-order mark (either byte
// order) is read as UTF-16 and its names and values returned in UTF-8. Lines end in CR LF or
// LF. The file is never written.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os {

// The longest value a read returns, in bytes: the reading buffer of 2048 bytes less its
// terminating zero.
constexpr std::size_t kProfileMaxValueLength = 2047;

// The platform's standard text-to-integer conversion: optional blanks, an optional sign, then
// decimal digits or hexadecimal digits after "0x", "0X" or "$", and nothing after them. A
// decimal number must fit 32 bits signed; a hexadecimal one may use all 32 bits, read as two's
// complement ("$FFFFFFFF" is -1). False, leaving value untouched, for anything else (an empty
// text included). Any thread.
bool TextToInteger(std::string_view text, std::int32_t* value);

// One initialisation file, read whole when opened. Immutable afterwards, so any thread may
// read it; the object owns its copy of the entries and holds no file open.
class TProfileFile {
 public:
  // Files larger than this are not read: no initialisation file comes near it.
  static constexpr std::uintmax_t kMaxFileSize = 4u * 1024 * 1024;

  // Reads the file at path. When it is missing, not a regular file, unreadable or too large,
  // IsOpen is false and every read gives its default.
  explicit TProfileFile(const std::string& path);

  // True when the file was read.
  bool IsOpen() const { return FOpen; }

  // True when the file has the section, or the entry in the section's first occurrence.
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  // The sections in the order of the file, each named as first written.
  std::vector<std::string> SectionNames() const;
  // The keys of the section (its first occurrence) in the order of the file, each named as
  // first written; empty when the section is missing.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // The entry's value, or def (with its blanks dropped and cut to kProfileMaxValueLength, as
  // the platform returns a default) when the section or key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // The entry's value through TextToInteger; def when the entry is missing or not a number.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t def) const;

 private:
  struct TSection {
    std::string Name;                            // as first written
    std::map<std::string, std::string> Entries;  // lower-case key -> value
    std::vector<std::string> Keys;               // as first written, in file order
  };
  const std::string* Find(std::string_view section, std::string_view key) const;
  void Parse(std::string_view text);

  bool FOpen = false;
  std::map<std::string, TSection> FSections;  // by lower-case name
  std::vector<std::string> FSectionOrder;     // lower-case names, in file order
};

}  // namespace kavoro::os
