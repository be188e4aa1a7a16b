#include "system/MasterMute.h"

#include <cstdint>
#include <memory>

#include "platform/os/Application.h"
#include "platform/os/Platform.h"

namespace kavoro {
namespace {

constexpr std::uint32_t kMixerDevice = 0;
constexpr std::uint32_t kLineComponentTypes[] = {
    os::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
    os::MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE,
    os::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
    os::MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER,
};
constexpr int kLineCount = static_cast<int>(std::size(kLineComponentTypes));

// The mute switch of a line, opened on device 0. `device` is null when there is no mixer or
// no such line; `found` is false (and the message shown) when the line has no switch.
struct MuteSwitch {
  std::unique_ptr<os::IMixerDevice> device;
  os::MixerControl control;
  bool found = false;
};

MuteSwitch FindMuteSwitch(int line) {
  MuteSwitch s;
  if (line < 0 || line >= kLineCount) return s;
  auto& mixer = os::Os().Mixer();
  if (mixer.GetNumDevs() < 1) return s;
  os::MMRESULT rc = os::MMSYSERR_NOERROR;
  auto device = mixer.Open(kMixerDevice, &rc);
  if (!device) return s;
  os::MixerLine info;
  if (device->GetLineInfoByComponentType(kLineComponentTypes[line], &info) != os::MMSYSERR_NOERROR)
    return s;
  s.device = std::move(device);
  if (s.device->GetLineControlByType(info, os::MIXERCONTROL_CONTROLTYPE_MUTE, &s.control) !=
      os::MMSYSERR_NOERROR) {
    os::ShowMessage(kMuteControlError);
    return s;
  }
  s.found = true;
  return s;
}

}  // namespace

bool GetLineMute(int line) {
  MuteSwitch s = FindMuteSwitch(line);
  if (!s.found) return true;
  std::uint32_t value = 0;
  if (s.device->GetControlValue(s.control, &value) != os::MMSYSERR_NOERROR) {
    os::ShowMessage(kMuteValueError);
    // A switch that cannot be read reports muted, like every other failure.
    return true;
  }
  return value != 0;
}

void SetLineMute(int line, bool muted) {
  MuteSwitch s = FindMuteSwitch(line);
  if (!s.found) return;
  if (s.device->SetControlValue(s.control, muted ? 1 : 0) != os::MMSYSERR_NOERROR)
    os::ShowMessage(kMuteValueError);
}

}  // namespace kavoro
