#pragma once
// The sim backend's audio mixer: absent or present; when present, lines by component type,
// each with or without a mute switch, and switches whose reads or writes tests can make fail.
// After Reset the mixer is present with the four lines a usual card has (speakers "Master",
// microphone "Mic", wave "PCM", synthesizer "Synth"), each with a mute switch that is off.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/os/Mixer.h"

namespace kavoro::os {

struct SimMixerLine {
  std::string name;
  std::uint32_t channels = 2;
  bool hasMute = true;
  bool muted = false;
  bool failReads = false;   // reading the mute switch gives MMSYSERR_ERROR
  bool failWrites = false;  // writing it gives MMSYSERR_ERROR and changes nothing
};

class SimMixer : public IMixer {
 public:
  SimMixer();

  // GUI thread only. 1 while present, else 0.
  std::uint32_t GetNumDevs() override;
  // GUI thread only. Device 0 while present and opening is not made to fail; otherwise null
  // with MMSYSERR_BADDEVICEID (absent or another device) or MMSYSERR_NODRIVER (open fails).
  // The device sees later changes of the setup; it stays valid when the mixer goes away.
  std::unique_ptr<IMixerDevice> Open(std::uint32_t device, MMRESULT* result) override;

  // Test setup and inspection, GUI thread only.
  void SetPresent(bool present);
  void SetOpenFails(bool fails);
  // Adds the line for `componentType`, or replaces it (keeping its line id).
  void SetLine(std::uint32_t componentType, SimMixerLine line);
  void RemoveLine(std::uint32_t componentType);
  // nullptr when there is no such line; changes through it are seen by open devices.
  SimMixerLine* Line(std::uint32_t componentType);
  void Reset();

  // The world the mixer and its open devices share; tests use the setup calls above.
  struct State {
    bool present = true;
    bool openFails = false;
    struct Entry {
      std::uint32_t lineId = 0;
      SimMixerLine line;
    };
    std::map<std::uint32_t, Entry> lines;  // by component type
    std::uint32_t nextLineId = 1;
  };

 private:
  // GUI thread only; shared with the open devices.
  std::shared_ptr<State> state_;
};

}  // namespace kavoro::os
