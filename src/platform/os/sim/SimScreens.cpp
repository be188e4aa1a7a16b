#include "platform/os/sim/SimScreens.h"

namespace kavoro::os {
namespace {
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;
}  // namespace

SimScreens::SimScreens(std::function<std::uint32_t()> clock) : clock_(std::move(clock)) { Reset(); }

void SimScreens::SetMonitors(std::vector<Monitor> monitors) {
  if (monitors.empty()) return;
  monitors_ = std::move(monitors);
  for (std::size_t i = 0; i < monitors_.size(); ++i) monitors_[i].primary = i == 0;
}

void SimScreens::Reset() {
  const Rect screen{0, 0, kDefaultWidth, kDefaultHeight};
  monitors_ = {Monitor{screen, screen, true}};
  cursor_ = {};
}

}  // namespace kavoro::os
