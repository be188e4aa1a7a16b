#pragma once
// The drive table of this machine. Virtual drives come from the drives file (see
// DriveTable.h): a letter bound to a folder is a disc copied to disk, a letter bound to an ISO
// image is that image in a drive. The optical drives (/dev/sr0, /dev/sr1...) take the letters
// left, from D: on, in device order. Every drive is a CD-ROM drive.
//
// - Folder drive: holds a disc while the folder exists and is readable; label = the folder's
//   name, file system "FOLDER", serial 0. Listed natively.
// - Image drive: holds a disc while the file is an ISO 9660 image that is not cut short;
//   label, serial and file system from the image (IsoImage.h). Listed from the image.
// - Optical drive: holds a disc while the drive says one is ready and its volume descriptor
//   reads; label from the disc; listed from its mount point when mounted, else from the disc.
//
// Native paths are used as they are. A NUL inside any path makes it name nothing.
#include <string>

#include "platform/os/Drives.h"

namespace kavoro::os::linuxos {

// Stateless between calls: every call reads the drives file and looks at the devices afresh,
// so any thread may call any method at any time.
class LinuxDrives : public IDrives {
 public:
  // `drivesIniPath`: the drives file; missing or unreadable means no virtual drives.
  explicit LinuxDrives(std::string drivesIniPath);
  // As above, with the optical drives looked for in `deviceFolder` instead of /dev.
  LinuxDrives(std::string drivesIniPath, std::string deviceFolder);

  DriveType GetDriveType(std::string_view root) override;
  std::optional<VolumeInfo> GetVolumeInformation(std::string_view root) override;
  std::vector<DirEntry> ListFolder(std::string_view folder, bool includeHidden) override;
  bool DirectoryExists(std::string_view path) override;
  bool FileExists(std::string_view path) override;
  std::optional<ResolvedPath> Resolve(std::string_view path) override;

 private:
  // any thread (never changed after construction)
  const std::string iniPath_;
  const std::string deviceFolder_;
};

}  // namespace kavoro::os::linuxos
