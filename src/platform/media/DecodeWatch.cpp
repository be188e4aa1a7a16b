#include "platform/media/DecodeWatch.h"

namespace kavoro::media {

void DecodeWatch::Reset() {
  anyInput_ = anyOutput_ = reported_ = false;
  quietSince_.reset();
}

bool DecodeWatch::Input(std::optional<REFERENCE_TIME> time) {
  anyInput_ = true;
  if (!time) return false;
  if (!quietSince_) {
    quietSince_ = time;
    return false;
  }
  if (reported_ || *time - *quietSince_ < kUndecodableSpan) return false;
  reported_ = true;
  return true;
}

void DecodeWatch::Output() {
  anyOutput_ = true;
  quietSince_.reset();
}

bool DecodeWatch::EndsUndecodable() {
  if (!anyInput_ || anyOutput_ || reported_) return false;
  reported_ = true;
  return true;
}

}  // namespace kavoro::media
