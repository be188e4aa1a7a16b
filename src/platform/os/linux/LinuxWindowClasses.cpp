#include "platform/os/linux/LinuxWindowClasses.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <string>

#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::os::linuxos {
namespace {

class FileLock : public IClassClaim {
 public:
  explicit FileLock(int fd) : fd_(fd) {}
  ~FileLock() override {
    flock(fd_, LOCK_UN);
    close(fd_);
  }

 private:
  int fd_;
};

std::string LockPath(std::string_view className) {
  std::string name;
  for (char c : className) name += (std::isalnum(static_cast<unsigned char>(c)) || c == '_') ? c : '-';
  return RuntimeFolder() + "/" + name + ".lock";
}

constexpr int kHeldElsewhere = -1;
constexpr int kNoLockFile = -2;

// An open descriptor holding the exclusive lock, kHeldElsewhere when someone else holds it,
// kNoLockFile when the lock file cannot be opened (then nobody can be told apart, and the
// class counts as free rather than keeping the program from starting).
int TryLock(std::string_view className) {
  int fd = open(LockPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return kNoLockFile;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return kHeldElsewhere;
  }
  return fd;
}

}  // namespace

bool LinuxWindowClasses::FindWindowByClass(std::string_view className) {
  int fd = TryLock(className);
  if (fd == kHeldElsewhere) return true;
  if (fd < 0) return false;
  flock(fd, LOCK_UN);
  close(fd);
  return false;
}

std::unique_ptr<IClassClaim> LinuxWindowClasses::ClaimClass(std::string_view className) {
  int fd = TryLock(className);
  if (fd < 0) return nullptr;
  return std::make_unique<FileLock>(fd);
}

}  // namespace kavoro::os::linuxos
