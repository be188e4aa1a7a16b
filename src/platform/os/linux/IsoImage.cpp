#include "platform/os/linux/IsoImage.h"

#include <cdio/logging.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>

#include "platform/os/common/DrivePaths.h"

namespace kavoro::os::linuxos {
namespace {

constexpr std::string_view kRootIsoPath = "/";
constexpr std::string_view kSelf = ".";
constexpr std::string_view kParent = "..";
constexpr char kVersionSeparator = ';';

// Directory record layout (ECMA-119 9.1): what the existence flags are read from.
constexpr std::size_t kRecordLength = 0;
constexpr std::size_t kRecordExtent = 2;  // little-endian copy first
constexpr std::size_t kRecordFlags = 25;
constexpr std::size_t kRecordNameLength = 32;
constexpr std::size_t kRecordFixedPart = 33;

// Volume descriptors start at sector 16; UDF's recognition sequence follows the ISO ones and
// ends with "TEA01". A sector with no descriptor identifier ends the descriptors too.
constexpr lsn_t kFirstDescriptorSector = 16;
constexpr int kDescriptorSectorsScanned = 32;
constexpr std::size_t kDescriptorIdOffset = 1;
constexpr std::size_t kDescriptorIdLength = 5;
constexpr std::array<std::string_view, 2> kUdfDescriptorIds = {"NSR02", "NSR03"};
constexpr std::string_view kLastDescriptorId = "TEA01";
constexpr std::array<std::string_view, 4> kOtherDescriptorIds = {"CD001", "BEA01", "BOOT2",
                                                                 "CDW02"};

constexpr std::string_view kFileSystemIso = "CDFS";
constexpr std::string_view kFileSystemUdf = "UDF";

constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
struct FileListDeleter {
  void operator()(CdioList_t* list) const { iso9660_filelist_free(list); }
};

cdio_log_handler_t previousLogHandler = nullptr;

// Unreadable discs and stray files are ordinary here; libcdio would warn about each on
// stderr. Only its assertions go on to the handler it had.
void QuietLog(cdio_log_level_t level, const char message[]) {
  if (level >= CDIO_LOG_ASSERT && previousLogHandler) previousLogHandler(level, message);
}

void SilenceLibraryLog() {
  static std::once_flag once;
  std::call_once(once, [] { previousLogHandler = cdio_log_set_handler(QuietLog); });
}

std::string ListedName(const iso9660_stat_t& stat) {
  std::string name = stat.filename;
  if (stat.rr.b3_rock == yep) return name;
  std::size_t separator = name.rfind(kVersionSeparator);
  if (separator != std::string::npos &&
      name.find_first_not_of("0123456789", separator + 1) == std::string::npos) {
    name.erase(separator);
  }
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

std::uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct RawRecord {
  std::uint32_t extent = 0;
  std::uint8_t flags = 0;
};

// The records of a folder's extent, the parts of a multi-extent file folded into one, the way
// libiso9660 lists them. Parsing stops at the first malformed record.
std::vector<RawRecord> ParseRecords(const std::vector<unsigned char>& extent) {
  std::vector<RawRecord> records;
  bool continuing = false;
  std::size_t offset = 0;
  while (offset < extent.size()) {
    std::size_t sectorEnd = (offset / ISO_BLOCKSIZE + 1) * ISO_BLOCKSIZE;
    std::size_t length = extent[offset + kRecordLength];
    // Records never cross a sector; a zero length pads the rest of one.
    if (length == 0) {
      offset = sectorEnd;
      continue;
    }
    std::size_t limit = std::min(sectorEnd, extent.size());
    if (length < kRecordFixedPart || offset + length > limit ||
        kRecordFixedPart + extent[offset + kRecordNameLength] > length) {
      break;
    }
    std::uint8_t flags = extent[offset + kRecordFlags];
    if (continuing) {
      records.back().flags |= flags & ~ISO_MULTIEXTENT;
    } else {
      records.push_back({LittleEndian32(&extent[offset + kRecordExtent]), flags});
    }
    continuing = (flags & ISO_MULTIEXTENT) != 0;
    offset += length;
  }
  return records;
}

std::string ChildIsoPath(const std::string& folder, const std::string& name) {
  return folder == kRootIsoPath ? folder + name : folder + "/" + name;
}

}  // namespace

std::unique_ptr<IsoImage> IsoImage::Open(const std::string& path) {
  SilenceLibraryLog();
  struct stat info {};
  // Anything else (a FIFO, a terminal) could block the reader or never end.
  if (::stat(path.c_str(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))) {
    return nullptr;
  }
  std::unique_ptr<iso9660_t, Closer> iso(iso9660_open_ext(path.c_str(), ISO_EXTENSION_ALL));
  if (!iso) return nullptr;
  iso9660_pvd_t pvd;
  if (!iso9660_ifs_read_pvd(iso.get(), &pvd)) return nullptr;
  if (S_ISREG(info.st_mode)) {
    const auto volumeBytes = static_cast<std::uint64_t>(iso9660_get_pvd_space_size(&pvd)) *
                             static_cast<std::uint64_t>(iso9660_get_pvd_block_size(&pvd));
    if (static_cast<std::uint64_t>(info.st_size) < volumeBytes) return nullptr;
  }
  std::unique_ptr<IsoImage> image(new IsoImage(std::move(iso)));
  image->ReadVolume(pvd);
  if (!image->ReadFolder(std::string(kRootIsoPath))) return nullptr;
  return image;
}

IsoImage::IsoImage(std::unique_ptr<iso9660_t, Closer> iso) : iso_(std::move(iso)) {}

void IsoImage::ReadVolume(const iso9660_pvd_t& pvd) {
  char* rawLabel = nullptr;
  if (iso9660_ifs_get_volume_id(iso_.get(), &rawLabel)) {
    std::unique_ptr<char, FreeDeleter> owned(rawLabel);
    volume_.label = rawLabel ? rawLabel : "";
  }
  std::size_t end = volume_.label.find_last_not_of(' ');
  volume_.label.erase(end == std::string::npos ? 0 : end + 1);

  std::uint32_t hash = kFnvOffset;
  for (unsigned char byte : std::string_view(reinterpret_cast<const char*>(&pvd), sizeof pvd)) {
    hash = (hash ^ byte) * kFnvPrime;
  }
  volume_.serial = hash;

  volume_.fileSystem = kFileSystemIso;
  std::array<char, ISO_BLOCKSIZE> sector{};
  for (int i = 0; i < kDescriptorSectorsScanned; ++i) {
    if (iso9660_iso_seek_read(iso_.get(), sector.data(), kFirstDescriptorSector + i, 1) !=
        ISO_BLOCKSIZE) {
      break;
    }
    std::string_view id(sector.data() + kDescriptorIdOffset, kDescriptorIdLength);
    if (std::find(kUdfDescriptorIds.begin(), kUdfDescriptorIds.end(), id) !=
        kUdfDescriptorIds.end()) {
      volume_.fileSystem = kFileSystemUdf;
      break;
    }
    if (id == kLastDescriptorId || std::find(kOtherDescriptorIds.begin(), kOtherDescriptorIds.end(),
                                             id) == kOtherDescriptorIds.end()) {
      break;
    }
  }
}

std::optional<std::vector<IsoEntry>> IsoImage::List(const std::vector<std::string>& parts) {
  std::optional<Located> folder = Walk(parts, nullptr);
  if (!folder || !folder->entry.directory) return std::nullopt;
  return ReadFolder(folder->isoPath);
}

std::optional<IsoEntry> IsoImage::Find(const std::vector<std::string>& parts,
                                       std::vector<std::string>* matched) {
  std::optional<Located> found = Walk(parts, matched);
  if (!found) return std::nullopt;
  return std::move(found->entry);
}

std::optional<IsoImage::Located> IsoImage::Walk(const std::vector<std::string>& parts,
                                                std::vector<std::string>* matched) {
  Located current;
  current.entry.directory = true;
  current.isoPath = kRootIsoPath;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::optional<std::vector<IsoEntry>> entries;
    if (current.entry.directory) entries = ReadFolder(current.isoPath);
    std::optional<std::size_t> index;
    if (entries) {
      std::vector<std::string> names;
      for (const IsoEntry& e : *entries) names.push_back(e.name);
      index = MatchName(parts[i], names);
    }
    if (!index) {
      if (matched) matched->insert(matched->end(), parts.begin() + i, parts.end());
      return std::nullopt;
    }
    current.entry = std::move((*entries)[*index]);
    current.isoPath = ChildIsoPath(current.isoPath, current.entry.isoName);
    if (matched) matched->push_back(current.entry.name);
  }
  return current;
}

std::optional<std::vector<IsoEntry>> IsoImage::ReadFolder(const std::string& isoPath) {
  std::unique_ptr<CdioList_t, FileListDeleter> list(
      iso9660_ifs_readdir(iso_.get(), isoPath.c_str()));
  if (!list) return std::nullopt;
  std::vector<const iso9660_stat_t*> stats;
  CdioListNode_t* node;
  _CDIO_LIST_FOREACH(node, list.get()) {
    stats.push_back(static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node)));
  }

  // libiso9660 does not pass the record flags on; read them from the folder's own records.
  // They are used only when both walks agree record for record.
  std::vector<RawRecord> records;
  if (!stats.empty() && stats.front()->filename == kSelf) {
    const iso9660_stat_t& self = *stats.front();
    std::vector<unsigned char> extent(static_cast<std::size_t>(self.secsize) * ISO_BLOCKSIZE);
    if (!extent.empty() &&
        iso9660_iso_seek_read(iso_.get(), extent.data(), self.lsn, self.secsize) ==
            static_cast<long>(extent.size())) {
      extent.resize(std::min<std::size_t>(extent.size(), self.size));
      records = ParseRecords(extent);
    }
  }
  bool recordsAgree = records.size() == stats.size();
  for (std::size_t i = 0; recordsAgree && i < stats.size(); ++i) {
    recordsAgree = records[i].extent == static_cast<std::uint32_t>(stats[i]->lsn);
  }

  std::vector<IsoEntry> entries;
  for (std::size_t i = 0; i < stats.size(); ++i) {
    const iso9660_stat_t& stat = *stats[i];
    if (stat.filename == kSelf || stat.filename == kParent) continue;
    IsoEntry entry;
    entry.name = ListedName(stat);
    if (entry.name.empty()) continue;
    entry.isoName = stat.filename;
    entry.directory = stat.type == iso9660_stat_s::_STAT_DIR;
    entry.size = entry.directory ? 0 : stat.size;
    entry.hidden = recordsAgree && (records[i].flags & ISO_EXISTENCE) != 0;
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace kavoro::os::linuxos
