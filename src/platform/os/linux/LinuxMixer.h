#pragma once
// The Linux audio mixer: the ALSA simple mixer of the default card. Device 0 exists when that
// mixer can be opened and loaded; a machine without a card has no mixer device. Lines by
// component type are simple elements by name: speakers "Master", wave "PCM", synthesizer
// "Synth", microphone "Mic" or else "Capture". A line's mute control is the element's
// playback switch (the capture switch for the microphone); ALSA's switch is on when sound
// passes, so the line reads as muted when the switch is off on every channel.
#include "platform/os/Mixer.h"

namespace kavoro::os {

class LinuxMixer : public IMixer {
 public:
  // GUI thread only. Looks at the machine afresh on each call, so a card that appears or
  // goes is seen: 1 when the default card's mixer opens and loads, else 0.
  std::uint32_t GetNumDevs() override;
  // GUI thread only. Null with MMSYSERR_BADDEVICEID for a device other than 0 or when the
  // mixer cannot be opened. The device holds its own ALSA handle and may outlive this object.
  std::unique_ptr<IMixerDevice> Open(std::uint32_t device, MMRESULT* result) override;
};

}  // namespace kavoro::os
