#pragma once
// Which drive letter stands for what on this machine: virtual drives bound in the drives
// file, then the optical drives on the letters left. Pure functions: any thread.
//
// The drives file is an ini file; its section [Drives] binds letters D to Z to absolute
// paths of folders or ISO images, one "E=/home/me/Movies/MYDISC" per line. Comments (';' or
// '#'), other sections, malformed lines, letters outside D-Z, relative paths and repeated
// letters (the first binding wins) are skipped without complaint.
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os::linuxos {

constexpr char kFirstDriveLetter = 'D';
constexpr char kLastDriveLetter = 'Z';

struct DriveBinding {
  enum class Kind { Virtual, Optical };
  char letter = 0;  // upper case, D to Z
  Kind kind = Kind::Virtual;
  std::string path;  // the folder or image of a virtual drive; the device node of an optical one
};

// The virtual drives of the drives file's text, in the order of its lines.
std::vector<DriveBinding> ParseDrivesIni(std::string_view text);

// The whole table in letter order: `virtualDrives` keep their letters; each of `devices`, in
// order, takes the next letter from D that is still free. Devices beyond Z get none.
std::vector<DriveBinding> AssignDriveLetters(std::vector<DriveBinding> virtualDrives,
                                             const std::vector<std::string>& devices);

}  // namespace kavoro::os::linuxos
