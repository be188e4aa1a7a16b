#include "video/VideoTypes.h"

namespace kavoro::video {

std::string FormatValueMessage(const char* text, int value) {
  std::string s(text);
  if (const auto at = s.find("%d"); at != std::string::npos)
    s.replace(at, 2, std::to_string(value));
  return s;
}

void CheckRange(int value, int low, int high, const char* text) {
  if (value < low || value > high) throw ERangeError(FormatValueMessage(text, value));
}

}  // namespace kavoro::video
