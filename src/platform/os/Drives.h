#pragma once
// The drive table: letters D: to Z: for optical drives and for virtual drives bound to a
// folder or to a DVD image, with disc presence, volume labels and listings of their folders.
// Paths handed to this service are either drive paths ("E:\VIDEO_TS") or native paths
// ("/home/me/film"); drive paths are resolved to the drive's medium.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os {

enum DriveType : std::uint32_t {
  DRIVE_UNKNOWN = 0,
  DRIVE_NO_ROOT_DIR = 1,
  DRIVE_REMOVABLE = 2,
  DRIVE_FIXED = 3,
  DRIVE_REMOTE = 4,
  DRIVE_CDROM = 5,
  DRIVE_RAMDISK = 6,
};

// Attribute bits of a folder entry.
constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr std::uint32_t FILE_ATTRIBUTE_VOLUME_LABEL = 0x08;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;

struct DirEntry {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

struct VolumeInfo {
  std::string label;  // may be empty
  std::uint32_t serial = 0;
  std::string fileSystem;  // "UDF", "CDFS", "FOLDER"...
};

// What a drive path stands for on this machine.
enum class DriveMedium {
  Folder,       // `native` is a folder; the drive's files are below it
  Image,        // `native` is an ISO image file
  OpticalDisc,  // `native` is the device node; `mountPoint` is set when it is mounted
};

struct ResolvedPath {
  DriveMedium medium = DriveMedium::Folder;
  std::string native;      // folder, image or device
  std::string mountPoint;  // optical discs only, may be empty
  std::string relative;    // the rest of the path below the root, '/'-separated, no leading '/'
  // A native path of the file when the medium is a folder or a mounted disc; empty otherwise.
  std::string nativeFile;
};

// GUI thread and worker threads alike; each call looks at the machine afresh.
class IDrives {
 public:
  virtual ~IDrives() = default;
  // For a root "X:\" (letter in either case). DRIVE_NO_ROOT_DIR for an unused letter.
  virtual DriveType GetDriveType(std::string_view root) = 0;
  // nullopt when the drive has no readable disc (or the root names no drive).
  virtual std::optional<VolumeInfo> GetVolumeInformation(std::string_view root) = 0;
  // Entries of a folder, "." and ".." excluded. `folder` is a drive path ("E:\" or "E:\VCD")
  // or a native folder. Entries that carry the hidden, system or volume-label attribute are
  // left out unless `includeHidden`. Empty when the folder cannot be read.
  virtual std::vector<DirEntry> ListFolder(std::string_view folder, bool includeHidden) = 0;
  virtual bool DirectoryExists(std::string_view path) = 0;
  virtual bool FileExists(std::string_view path) = 0;
  // nullopt for a drive path whose letter names no drive, or whose drive holds no disc.
  // A native path resolves to itself as a Folder medium.
  virtual std::optional<ResolvedPath> Resolve(std::string_view path) = 0;
};

// "E:\" for 'e'; the letter upper-cased.
std::string DriveRoot(char letter);
// True for "X:" followed by nothing, '\' or '/'-separated parts; never for a path holding a
// NUL.
bool IsDrivePath(std::string_view path);

}  // namespace kavoro::os
