#include "platform/os/linux/LinuxDrives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/os/common/DrivePaths.h"
#include "platform/os/linux/DriveTable.h"
#include "platform/os/linux/IsoImage.h"
#include "platform/os/linux/NativeFolders.h"
#include "platform/os/linux/OpticalDrives.h"
#include "platform/os/linux/UniqueFd.h"

namespace kavoro::os::linuxos {
namespace {

constexpr const char* kDefaultDeviceFolder = "/dev";
// The drives file holds a line per drive; anything longer is not one and is read no further.
constexpr std::size_t kMaxDrivesFileBytes = 64 * 1024;
constexpr std::string_view kFolderFileSystem = "FOLDER";

// The start of the drives file; empty when it is missing, unreadable or not a regular file
// (a FIFO there must not stall every drive query).
std::string ReadDrivesFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  std::string text(kMaxDrivesFileBytes, '\0');
  std::size_t filled = 0;
  while (filled < text.size()) {
    ssize_t got = ::read(fd.get(), text.data() + filled, text.size() - filled);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return text;
}

std::optional<DriveBinding> FindBinding(char letter, const std::string& iniPath,
                                        const std::string& deviceFolder) {
  std::vector<DriveBinding> table =
      AssignDriveLetters(ParseDrivesIni(ReadDrivesFile(iniPath)), OpticalDevices(deviceFolder));
  for (DriveBinding& drive : table) {
    if (drive.letter == letter) return std::move(drive);
  }
  return std::nullopt;
}

std::string FolderName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinNative(const std::string& folder, const std::string& relative) {
  if (relative.empty()) return folder;
  return !folder.empty() && folder.back() == '/' ? folder + relative : folder + "/" + relative;
}

// What a drive holds at the moment of the call.
struct Medium {
  DriveMedium kind = DriveMedium::Folder;
  std::string native;
  std::string mountPoint;
  // The native folder that holds the drive's files; empty when they are read from `image`.
  std::string folder;
  std::unique_ptr<IsoImage> image;
  VolumeInfo volume;
};

std::optional<Medium> OpenMedium(const DriveBinding& drive) {
  Medium medium;
  medium.native = drive.path;
  if (drive.kind == DriveBinding::Kind::Virtual && KindOf(drive.path) == NativeKind::Directory) {
    if (!FolderReadable(drive.path)) return std::nullopt;
    medium.kind = DriveMedium::Folder;
    medium.folder = drive.path;
    medium.volume = VolumeInfo{FolderName(drive.path), 0, std::string(kFolderFileSystem)};
    return medium;
  }
  if (drive.kind == DriveBinding::Kind::Optical && !DiscReady(drive.path)) return std::nullopt;
  medium.image = IsoImage::Open(drive.path);
  if (!medium.image) return std::nullopt;
  medium.volume = medium.image->Volume();
  if (drive.kind == DriveBinding::Kind::Optical) {
    medium.kind = DriveMedium::OpticalDisc;
    medium.mountPoint = MountPointOf(drive.path);
    medium.folder = medium.mountPoint;
  } else {
    medium.kind = DriveMedium::Image;
  }
  return medium;
}

// The medium in the drive that `path` names, with the path's parts below the root; nullopt
// when the letter names no drive or the drive holds no disc.
struct OnDrive {
  Medium medium;
  std::vector<std::string> parts;
};

std::optional<OnDrive> OpenDrivePath(DrivePath path, const std::string& iniPath,
                                     const std::string& deviceFolder) {
  std::optional<DriveBinding> drive = FindBinding(path.letter, iniPath, deviceFolder);
  if (!drive) return std::nullopt;
  std::optional<Medium> medium = OpenMedium(*drive);
  if (!medium) return std::nullopt;
  return OnDrive{std::move(*medium), std::move(path.parts)};
}

std::optional<char> RootLetter(std::string_view root) {
  std::optional<DrivePath> parsed = ParseDrivePath(root);
  if (!parsed || !parsed->IsRoot()) return std::nullopt;
  return parsed->letter;
}

bool UsableNative(std::string_view path) {
  return !path.empty() && path.find('\0') == std::string_view::npos;
}

NativeKind KindOnDrive(OnDrive& on) {
  if (!on.medium.folder.empty()) {
    std::optional<std::string> native = FindBelow(on.medium.folder, on.parts);
    return native ? KindOf(*native) : NativeKind::Missing;
  }
  std::optional<IsoEntry> entry = on.medium.image->Find(on.parts);
  if (!entry) return NativeKind::Missing;
  return entry->directory ? NativeKind::Directory : NativeKind::File;
}

NativeKind KindAt(std::string_view path, const std::string& iniPath,
                  const std::string& deviceFolder) {
  std::optional<DrivePath> drivePath = ParseDrivePath(path);
  if (!drivePath) return UsableNative(path) ? KindOf(std::string(path)) : NativeKind::Missing;
  std::optional<OnDrive> on = OpenDrivePath(std::move(*drivePath), iniPath, deviceFolder);
  return on ? KindOnDrive(*on) : NativeKind::Missing;
}

}  // namespace

LinuxDrives::LinuxDrives(std::string drivesIniPath)
    : LinuxDrives(std::move(drivesIniPath), kDefaultDeviceFolder) {}

LinuxDrives::LinuxDrives(std::string drivesIniPath, std::string deviceFolder)
    : iniPath_(std::move(drivesIniPath)), deviceFolder_(std::move(deviceFolder)) {}

DriveType LinuxDrives::GetDriveType(std::string_view root) {
  std::optional<char> letter = RootLetter(root);
  if (!letter || !FindBinding(*letter, iniPath_, deviceFolder_)) return DRIVE_NO_ROOT_DIR;
  return DRIVE_CDROM;
}

std::optional<VolumeInfo> LinuxDrives::GetVolumeInformation(std::string_view root) {
  std::optional<char> letter = RootLetter(root);
  if (!letter) return std::nullopt;
  std::optional<DriveBinding> drive = FindBinding(*letter, iniPath_, deviceFolder_);
  if (!drive) return std::nullopt;
  std::optional<Medium> medium = OpenMedium(*drive);
  if (!medium) return std::nullopt;
  return medium->volume;
}

std::vector<DirEntry> LinuxDrives::ListFolder(std::string_view folder, bool includeHidden) {
  std::optional<DrivePath> drivePath = ParseDrivePath(folder);
  if (!drivePath) {
    if (!UsableNative(folder)) return {};
    std::optional<std::vector<DirEntry>> entries = ListNative(std::string(folder));
    return entries ? FinishListing(std::move(*entries), includeHidden) : std::vector<DirEntry>{};
  }
  std::optional<OnDrive> on = OpenDrivePath(std::move(*drivePath), iniPath_, deviceFolder_);
  if (!on) return {};
  if (!on->medium.folder.empty()) {
    std::optional<std::string> native = FindBelow(on->medium.folder, on->parts);
    std::optional<std::vector<DirEntry>> entries;
    if (native) entries = ListNative(*native);
    return entries ? FinishListing(std::move(*entries), includeHidden) : std::vector<DirEntry>{};
  }
  std::optional<std::vector<IsoEntry>> isoEntries = on->medium.image->List(on->parts);
  if (!isoEntries) return {};
  std::vector<DirEntry> entries;
  for (const IsoEntry& e : *isoEntries) {
    DirEntry listed{e.name, 0, e.size};
    if (e.directory) listed.attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (e.hidden) listed.attributes |= FILE_ATTRIBUTE_HIDDEN;
    entries.push_back(std::move(listed));
  }
  return FinishListing(std::move(entries), includeHidden);
}

bool LinuxDrives::DirectoryExists(std::string_view path) {
  return KindAt(path, iniPath_, deviceFolder_) == NativeKind::Directory;
}

bool LinuxDrives::FileExists(std::string_view path) {
  return KindAt(path, iniPath_, deviceFolder_) == NativeKind::File;
}

std::optional<ResolvedPath> LinuxDrives::Resolve(std::string_view path) {
  std::optional<DrivePath> drivePath = ParseDrivePath(path);
  if (!drivePath) {
    if (!UsableNative(path)) return std::nullopt;
    ResolvedPath native;
    native.medium = DriveMedium::Folder;
    native.native = std::string(path);
    native.nativeFile = std::string(path);
    return native;
  }
  std::optional<OnDrive> on = OpenDrivePath(std::move(*drivePath), iniPath_, deviceFolder_);
  if (!on) return std::nullopt;
  std::vector<std::string> matched;
  if (!on->medium.folder.empty()) {
    FindBelow(on->medium.folder, on->parts, &matched);
  } else {
    on->medium.image->Find(on->parts, &matched);
  }
  ResolvedPath resolved;
  resolved.medium = on->medium.kind;
  resolved.native = on->medium.native;
  resolved.mountPoint = on->medium.mountPoint;
  resolved.relative = JoinParts(matched);
  if (!on->medium.folder.empty())
    resolved.nativeFile = JoinNative(on->medium.folder, resolved.relative);
  return resolved;
}

}  // namespace kavoro::os::linuxos
