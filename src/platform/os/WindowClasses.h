#pragma once
// Window classes as a property of our top-level windows, so that a second start of the
// program finds the first: a window that claims a class holds a per-user lock named after it.
#include <memory>
#include <string_view>

namespace kavoro::os {

// Held while the window of that class exists; releasing it frees the class.
class IClassClaim {
 public:
  virtual ~IClassClaim() = default;
};

// GUI thread only.
class IWindowClasses {
 public:
  virtual ~IWindowClasses() = default;
  // True when some top-level window of this user (in this or another process) holds the
  // class.
  virtual bool FindWindowByClass(std::string_view className) = 0;
  // Claims the class for a window; null when it is held already.
  virtual std::unique_ptr<IClassClaim> ClaimClass(std::string_view className) = 0;
};

}  // namespace kavoro::os
