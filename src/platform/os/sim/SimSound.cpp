#include "platform/os/sim/SimSound.h"

namespace kavoro::os {

bool SimSound::PlaySound(std::string_view path, std::uint32_t flags) {
  if (unplayable_.contains(path)) return false;
  played_.push_back({std::string(path), flags});
  if (flags & SND_ASYNC) {
    playing_ = std::string(path);
  } else {
    playing_.reset();
  }
  return true;
}

void SimSound::StopSound() {
  ++stops_;
  playing_.reset();
}

void SimSound::SetUnplayable(std::string_view path) { unplayable_.emplace(path); }

void SimSound::Reset() {
  played_.clear();
  playing_.reset();
  unplayable_.clear();
  stops_ = 0;
}

}  // namespace kavoro::os
