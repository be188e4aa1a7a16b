#include "platform/os/sim/SimWaveOut.h"

namespace kavoro::os {

MMRESULT SimWaveOut::GetVolume(std::uint32_t device, std::uint32_t* volume) {
  if (device != kWaveOutDevice0) return MMSYSERR_BADDEVICEID;
  if (volume == nullptr) return MMSYSERR_INVALPARAM;
  if (failing_) return MMSYSERR_NODRIVER;
  *volume = volume_;
  return MMSYSERR_NOERROR;
}

MMRESULT SimWaveOut::SetVolume(std::uint32_t device, std::uint32_t volume) {
  if (device != kWaveOutDevice0) return MMSYSERR_BADDEVICEID;
  if (failing_) return MMSYSERR_NODRIVER;
  volume_ = volume;
  return MMSYSERR_NOERROR;
}

void SimWaveOut::Reset() {
  volume_ = kFullVolume;
  failing_ = false;
}

}  // namespace kavoro::os
