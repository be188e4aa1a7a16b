#pragma once
// A file descriptor owned by one object and closed with it.
#include <unistd.h>

#include <utility>

namespace kavoro::os::linuxos {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, kNone)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, kNone);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Close(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ != kNone; }

 private:
  static constexpr int kNone = -1;
  void Close() {
    if (fd_ != kNone) ::close(fd_);
    fd_ = kNone;
  }
  int fd_ = kNone;
};

}  // namespace kavoro::os::linuxos
