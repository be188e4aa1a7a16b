#include "platform/os/sim/SimScreenSaver.h"

namespace kavoro::os {

namespace {

class SimScreenSaverInhibition : public ScreenSaverInhibition {
 public:
  SimScreenSaverInhibition(std::weak_ptr<int> live, ScreenSaverMethod method)
      : live_(std::move(live)), method_(method) {}
  ~SimScreenSaverInhibition() override {
    if (auto live = live_.lock()) --*live;
  }
  ScreenSaverMethod Method() const override { return method_; }

 private:
  std::weak_ptr<int> live_;
  const ScreenSaverMethod method_;
};

}  // namespace

SimScreenSaver::SimScreenSaver() : live_(std::make_shared<int>(0)) {}

std::unique_ptr<ScreenSaverInhibition> SimScreenSaver::Inhibit(const std::string& application,
                                                               const std::string& reason) {
  ++*live_;
  ++inhibits_;
  lastApplication_ = application;
  lastReason_ = reason;
  return std::make_unique<SimScreenSaverInhibition>(live_, method_);
}

int SimScreenSaver::ActiveInhibitions() { return *live_; }

void SimScreenSaver::Reset() {
  live_ = std::make_shared<int>(0);
  method_ = ScreenSaverMethod::DesktopService;
  inhibits_ = 0;
  lastApplication_.clear();
  lastReason_.clear();
}

}  // namespace kavoro::os
