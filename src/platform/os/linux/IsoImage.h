#pragma once
// An ISO 9660 volume read through libiso9660: an image file, or the device node of an optical
// drive holding a data disc. Gives the volume's label and its folder listings, with Rock Ridge
// or Joliet names when the volume has them and plain ISO names otherwise (";1" versions and a
// trailing '.' dropped).
#include <cdio/iso9660.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Drives.h"

namespace kavoro::os::linuxos {

struct IsoEntry {
  std::string name;     // as listed
  std::string isoName;  // as libiso9660 knows it, for looking further down
  bool directory = false;
  bool hidden = false;  // the ISO "existence" flag
  std::uint64_t size = 0;
};

// One open volume. Not shared between threads: each caller opens its own.
class IsoImage {
 public:
  // nullptr unless `path` is a regular file or a block device holding an ISO 9660 volume whose
  // primary volume descriptor and root folder read, and, for a file, that is not shorter than
  // the volume it describes (a truncated image is no disc).
  static std::unique_ptr<IsoImage> Open(const std::string& path);

  IsoImage(const IsoImage&) = delete;
  IsoImage& operator=(const IsoImage&) = delete;

  // Label = the volume identifier without trailing blanks; serial = a checksum of the
  // primary volume descriptor; file system "UDF" when the volume also carries UDF
  // descriptors, else "CDFS".
  const VolumeInfo& Volume() const { return volume_; }

  // The entries of the folder that `parts` name ("." and ".." left out), matched the way
  // drive paths match; nullopt when there is no such folder or it does not read.
  std::optional<std::vector<IsoEntry>> List(const std::vector<std::string>& parts);

  // The entry `parts` name; the root is a nameless folder. `matched`, when given, receives
  // the names found on the volume followed by the rest of `parts` as given.
  std::optional<IsoEntry> Find(const std::vector<std::string>& parts,
                               std::vector<std::string>* matched = nullptr);

 private:
  struct Closer {
    void operator()(iso9660_t* iso) const { iso9660_close(iso); }
  };
  explicit IsoImage(std::unique_ptr<iso9660_t, Closer> iso);

  struct Located {
    IsoEntry entry;
    std::string isoPath;  // '/'-separated libiso9660 names from the root
  };
  std::optional<Located> Walk(const std::vector<std::string>& parts,
                              std::vector<std::string>* matched);
  // The entries of the folder at `isoPath` ('/'-separated libiso9660 names), or nullopt.
  std::optional<std::vector<IsoEntry>> ReadFolder(const std::string& isoPath);
  void ReadVolume(const iso9660_pvd_t& pvd);

  std::unique_ptr<iso9660_t, Closer> iso_;
  VolumeInfo volume_;
};

}  // namespace kavoro::os::linuxos
