#include "system/DriveScan.h"

#include "platform/os/Platform.h"

namespace kavoro {
namespace {

constexpr char kFirstDrive = 'D';
constexpr char kLastDrive = 'Z';
constexpr std::size_t kDvdFolderCount = 2;
constexpr std::size_t kVcdFolderCount = 5;
constexpr const char* kDvdFolders[kDvdFolderCount] = {":\\AUDIO_TS", ":\\VIDEO_TS"};
constexpr const char* kVcdFolders[kVcdFolderCount] = {":\\EXT", ":\\CDI", ":\\MPEGAV",
                                                      ":\\SEGMENT", ":\\VCD"};

std::string RootOf(char letter) { return std::string(1, letter) + ":\\"; }

// True when every folder exists; stops at the first one missing.
template <std::size_t N>
bool AllFoldersExist(char letter, const char* const (&folders)[N]) {
  auto& drives = os::Os().Drives();
  for (const char* folder : folders)
    if (!drives.DirectoryExists(std::string(1, letter) + folder)) return false;
  return true;
}

}  // namespace

std::vector<std::string> ListOpticalDrives() {
  std::vector<std::string> list;
  for (char letter = kFirstDrive; letter <= kLastDrive; ++letter) {
    const std::string root = RootOf(letter);
    if (os::Os().Drives().GetDriveType(root) == os::DRIVE_CDROM) list.push_back(root);
  }
  return list;
}

std::string VolumeLabelOf(const std::string& root) {
  auto info = os::Os().Drives().GetVolumeInformation(root);
  if (!info || info->label.empty()) return kUnknownVolume;
  // The label is what stands before its terminating zero.
  return info->label.substr(0, info->label.find('\0'));
}

std::string DiscStateOf(const std::string& root) {
  return os::Os().Drives().GetVolumeInformation(root) ? kDiscPresent : kNoDisc;
}

int DiscKindOf(char letter) {
  std::size_t folders = 0;
  for (const os::DirEntry& e : os::Os().Drives().ListFolder(RootOf(letter), false))
    if (e.IsDirectory() && e.name != "." && e.name != "..") ++folders;
  if (folders == kDvdFolderCount && AllFoldersExist(letter, kDvdFolders)) return dkDvdVideo;
  if (folders == kVcdFolderCount && AllFoldersExist(letter, kVcdFolders)) return dkVideoCd;
  return dkNone;
}

std::string DriveCaption(const std::string& root) {
  if (DiscStateOf(root) != kDiscPresent) return root + kNoDisc;
  return root + VolumeLabelOf(root);
}

}  // namespace kavoro
