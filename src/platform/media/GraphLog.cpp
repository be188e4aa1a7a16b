#include "platform/media/GraphLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/media/ReferenceClock.h"

namespace kavoro::media {

GraphLog::~GraphLog() { Open(0); }

bool GraphLog::Open(int fd) {
  std::lock_guard g(lock_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (fd <= 0) return true;
  fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  opened_ = MonotonicNow();
  return fd_ >= 0;
}

bool GraphLog::IsOpen() const {
  std::lock_guard g(lock_);
  return fd_ >= 0;
}

void GraphLog::Line(const std::string& text) {
  std::lock_guard g(lock_);
  if (fd_ < 0) return;
  const double seconds = static_cast<double>(MonotonicNow() - opened_) / kUnitsPerSecond;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%10.3f] ", seconds);
  std::string line = stamp + text + "\n";
  std::size_t done = 0;
  while (done < line.size()) {
    ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace kavoro::media
