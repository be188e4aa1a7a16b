#pragma once
// The processor time the benchmark reports beside the wall time.
#include <sys/resource.h>

namespace kavoro::bench {

// User and system time this process has used so far, in seconds.
inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace kavoro::bench
