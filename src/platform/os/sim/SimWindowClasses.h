#pragma once
// Window classes of the sim world; a test can stand in for another running program by
// claiming a class as foreign.
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/os/WindowClasses.h"

namespace kavoro::os {

class SimWindowClasses : public IWindowClasses {
 public:
  SimWindowClasses();
  bool FindWindowByClass(std::string_view className) override;
  std::unique_ptr<IClassClaim> ClaimClass(std::string_view className) override;

  // Test set-up: a window of that class in another process.
  void AddForeignWindow(std::string className);
  void Reset();

 private:
  struct State {
    std::mutex lock;
    std::set<std::string> held;  // guarded by lock
  };
  std::shared_ptr<State> state_;
};

}  // namespace kavoro::os
