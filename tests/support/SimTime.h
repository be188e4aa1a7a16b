#pragma once
// Real time passing on the GUI thread of a test in the sim world: Qt's events and the sim
// world's posted messages are pumped, and the sim clock (which window timers and tick counts
// run on) keeps pace with the real one. For tests that play real media.
#include <QCoreApplication>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "platform/os/sim/SimPlatform.h"

namespace kavoro::test {

// Delivers what waits: Qt's events, then every posted sim message.
inline void PumpSim() {
  QCoreApplication::processEvents();
  while (os::Sim().ProcessMessages(0)) {
  }
}

// Pumps and lets the sim clock follow real time until `done` (true) or `limit` passed (false).
inline bool RunSimUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  constexpr auto kStep = std::chrono::milliseconds(10);
  const auto start = Clock::now();
  auto last = start;
  while (!done()) {
    const auto now = Clock::now();
    if (now - start > limit) return false;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
    if (elapsed.count() > 0) {
      os::Sim().AdvanceTime(static_cast<std::uint32_t>(elapsed.count()));
      last = now;
    }
    PumpSim();
    std::this_thread::sleep_for(kStep);
  }
  return true;
}

}  // namespace kavoro::test
