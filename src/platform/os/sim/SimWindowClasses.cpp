#include "platform/os/sim/SimWindowClasses.h"

#include <functional>

namespace kavoro::os {
namespace {

class SimClaim : public IClassClaim {
 public:
  explicit SimClaim(std::function<void()> release) : release_(std::move(release)) {}
  ~SimClaim() override { release_(); }

 private:
  std::function<void()> release_;
};

}  // namespace

SimWindowClasses::SimWindowClasses() : state_(std::make_shared<State>()) {}

bool SimWindowClasses::FindWindowByClass(std::string_view className) {
  std::lock_guard g(state_->lock);
  return state_->held.count(std::string(className)) != 0;
}

std::unique_ptr<IClassClaim> SimWindowClasses::ClaimClass(std::string_view className) {
  std::string name(className);
  {
    std::lock_guard g(state_->lock);
    if (!state_->held.insert(name).second) return nullptr;
  }
  std::weak_ptr<State> weak = state_;
  return std::make_unique<SimClaim>([weak, name] {
    if (auto s = weak.lock()) {
      std::lock_guard g(s->lock);
      s->held.erase(name);
    }
  });
}

void SimWindowClasses::AddForeignWindow(std::string className) {
  std::lock_guard g(state_->lock);
  state_->held.insert(std::move(className));
}

void SimWindowClasses::Reset() {
  // Claims still alive refer to the old state and release into it harmlessly.
  state_ = std::make_shared<State>();
}

}  // namespace kavoro::os
