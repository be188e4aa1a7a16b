#include "BenchCheck.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kavoro::bench {

Watchdog::Watchdog(int seconds, const char* what, int code)
    : thread_([this, seconds, what, code] {
        std::unique_lock g(m_);
        if (!cv_.wait_for(g, std::chrono::seconds(seconds), [this] { return done_; })) {
          std::fprintf(stderr, "%s did not end within %d s\n", what, seconds);
          if (code == kExitStalled) std::printf("stalled\n");
          std::fflush(nullptr);
          std::_Exit(code);
        }
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard g(m_);
    done_ = true;
  }
  cv_.notify_all();
  thread_.join();
}

int ReportError(HRESULT hr, const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::printf("error=0x%08X\n", static_cast<unsigned>(hr));
  return kExitError;
}

int ReportStall() {
  std::fprintf(stderr, "nothing presented for %d s while playing\n", kStallSeconds);
  std::printf("stalled\n");
  return kExitStalled;
}

}  // namespace kavoro::bench
