#pragma once
// Polls a condition that another process or thread makes true, up to a generous deadline.
#include <chrono>
#include <functional>
#include <thread>

namespace kavoro::testing {

inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

}  // namespace kavoro::testing
