#pragma once
// The sim backend's wave-output volume: one level in memory, full volume at the start. Tests
// can make every call fail to see that their code copes.
#include <atomic>

#include "platform/os/WaveOut.h"

namespace kavoro::os {

class SimWaveOut : public IWaveOut {
 public:
  // Any thread. Device 0 only (MMSYSERR_BADDEVICEID otherwise); a null `volume` is
  // MMSYSERR_INVALPARAM. While failing, MMSYSERR_NODRIVER and *volume is left alone.
  MMRESULT GetVolume(std::uint32_t device, std::uint32_t* volume) override;
  // Any thread. Same results as GetVolume; a failing call keeps the level.
  MMRESULT SetVolume(std::uint32_t device, std::uint32_t volume) override;

  // Test setup, any thread.
  void SetFailing(bool failing) { failing_ = failing; }
  // Full volume, not failing.
  void Reset();

 private:
  // Any thread.
  std::atomic<std::uint32_t> volume_{kFullVolume};
  std::atomic<bool> failing_{false};
};

}  // namespace kavoro::os
