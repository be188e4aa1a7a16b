#pragma once
// The resource archive: a file of named resources, each with a type name, written by our
// packer and read by the program (the decoders travel in one). Layout, little-endian:
//   "KVRARC01", u32 count, then per entry: u16 type length, type, u16 name length, name,
//   u64 offset, u64 size, u32 CRC-32 of the data; then the data.
// An archive whose header or table is cut short does not load; a resource whose data is cut
// short or does not match its checksum is missing.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os {

struct Resource {
  std::string type;
  std::string name;
  std::vector<std::uint8_t> data;
};

// A loaded archive; freeing it releases the file's contents. Any thread, read-only.
class ResourceLibrary {
 public:
  // Null when the file is missing, unreadable or not an archive.
  static std::unique_ptr<ResourceLibrary> Load(const std::string& path);
  // Names compared without regard to case. The bytes live as long as the library.
  std::optional<std::span<const std::uint8_t>> FindResource(std::string_view name,
                                                           std::string_view type) const;
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::string type, name;
    std::uint64_t offset = 0, size = 0;
    bool intact = false;
  };
  std::vector<std::uint8_t> bytes_;
  std::vector<Entry> entries_;
};

// Writes an archive atomically. False when it cannot be written.
bool WriteResourceArchive(const std::string& path, const std::vector<Resource>& resources);

std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace kavoro::os
