#include "platform/os/ResourceArchive.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <fstream>
#include <strings.h>

namespace kavoro::os {
namespace {

constexpr char kMagic[8] = {'K', 'V', 'R', 'A', 'R', 'C', '0', '1'};
constexpr std::uint64_t kMaxArchiveBytes = 512ull << 20;
constexpr std::uint32_t kMaxEntries = 65536;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Take(std::size_t n, const std::uint8_t** out) {
    if (bytes_.size() - pos_ < n) return false;
    *out = bytes_.data() + pos_;
    pos_ += n;
    return true;
  }
  template <class T>
  bool Number(T* v) {
    const std::uint8_t* p;
    if (!Take(sizeof(T), &p)) return false;
    T r = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) r |= static_cast<T>(static_cast<T>(p[i]) << (8 * i));
    *v = r;
    return true;
  }
  bool Text(std::string* s) {
    std::uint16_t n;
    const std::uint8_t* p;
    if (!Number(&n) || !Take(n, &p)) return false;
    s->assign(reinterpret_cast<const char*>(p), n);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

template <class T>
void PutNumber(std::vector<std::uint8_t>& out, T v) {
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const std::string& s) {
  PutNumber<std::uint16_t>(out, static_cast<std::uint16_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

// The reflected polynomial of the common CRC-32.
constexpr std::uint32_t kCrcPolynomial = 0xEDB88320u;
// Bytes taken per step: eight tables let the loop fold a 64-bit word at a time, which checks the
// decoder archive at start-up several times faster than a byte at a time.
constexpr std::size_t kCrcSlice = 8;

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
  static const auto tables = [] {
    std::array<std::array<std::uint32_t, 256>, kCrcSlice> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? kCrcPolynomial ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (std::size_t k = 1; k < kCrcSlice; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  const std::uint8_t* p = data.data();
  std::size_t n = data.size();
  for (; n >= kCrcSlice; n -= kCrcSlice, p += kCrcSlice) {
    const std::uint32_t lo = crc ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                    std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    crc = tables[7][lo & 0xFF] ^ tables[6][(lo >> 8) & 0xFF] ^ tables[5][(lo >> 16) & 0xFF] ^
          tables[4][lo >> 24] ^ tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^ tables[0][p[7]];
  }
  for (; n > 0; --n, ++p) crc = tables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::unique_ptr<ResourceLibrary> ResourceLibrary::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxArchiveBytes) return nullptr;
  auto lib = std::unique_ptr<ResourceLibrary>(new ResourceLibrary());
  lib->bytes_.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(lib->bytes_.data()), size)) return nullptr;

  Reader r(lib->bytes_);
  const std::uint8_t* magic;
  std::uint32_t count;
  if (!r.Take(sizeof kMagic, &magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0)
    return nullptr;
  if (!r.Number(&count) || count > kMaxEntries) return nullptr;
  for (std::uint32_t i = 0; i < count; ++i) {
    Entry e;
    std::uint32_t crc;
    if (!r.Text(&e.type) || !r.Text(&e.name) || !r.Number(&e.offset) || !r.Number(&e.size) ||
        !r.Number(&crc))
      return nullptr;
    const std::uint64_t total = lib->bytes_.size();
    e.intact = e.offset <= total && e.size <= total - e.offset &&
               Crc32({lib->bytes_.data() + e.offset, static_cast<std::size_t>(e.size)}) == crc;
    lib->entries_.push_back(std::move(e));
  }
  return lib;
}

std::optional<std::span<const std::uint8_t>> ResourceLibrary::FindResource(
    std::string_view name, std::string_view type) const {
  for (const Entry& e : entries_) {
    if (SameName(e.name, name) && SameName(e.type, type)) {
      if (!e.intact) return std::nullopt;
      return std::span<const std::uint8_t>(bytes_.data() + e.offset,
                                           static_cast<std::size_t>(e.size));
    }
  }
  return std::nullopt;
}

bool WriteResourceArchive(const std::string& path, const std::vector<Resource>& resources) {
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutNumber<std::uint32_t>(out, static_cast<std::uint32_t>(resources.size()));
  std::uint64_t tableSize = 0;
  for (const Resource& res : resources) {
    if (res.type.size() > 0xFFFF || res.name.size() > 0xFFFF) return false;
    tableSize += 2 + res.type.size() + 2 + res.name.size() + 8 + 8 + 4;
  }
  std::uint64_t offset = out.size() + tableSize;
  for (const Resource& res : resources) {
    PutText(out, res.type);
    PutText(out, res.name);
    PutNumber<std::uint64_t>(out, offset);
    PutNumber<std::uint64_t>(out, res.data.size());
    PutNumber<std::uint32_t>(out, Crc32(res.data));
    offset += res.data.size();
  }
  for (const Resource& res : resources) out.insert(out.end(), res.data.begin(), res.data.end());

  const std::string temp = path + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size())))
      return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace kavoro::os
