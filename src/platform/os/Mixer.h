#pragma once
// The audio mixer: lines found by component type, their controls found by control type, and
// control values. Only mute switches are served; on Linux the mixer is the default sound
// card's simple mixer (speakers = "Master", microphone = "Mic"/"Capture", wave = "PCM",
// synthesizer = "Synth"), and a machine without a card has no mixer device.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/os/WaveOut.h"

namespace kavoro::os {

constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;

constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;

struct MixerLine {
  std::uint32_t lineId = 0;
  std::uint32_t componentType = 0;
  std::string name;
  std::uint32_t channels = 0;
};

struct MixerControl {
  std::uint32_t controlId = 0;
  std::uint32_t controlType = 0;
  std::string name;
};

// An open mixer device. GUI thread only.
class IMixerDevice {
 public:
  virtual ~IMixerDevice() = default;
  virtual MMRESULT GetLineInfoByComponentType(std::uint32_t componentType, MixerLine* line) = 0;
  virtual MMRESULT GetLineControlByType(const MixerLine& line, std::uint32_t controlType,
                                        MixerControl* control) = 0;
  // A boolean control read or written as one value for all channels.
  virtual MMRESULT GetControlValue(const MixerControl& control, std::uint32_t* value) = 0;
  virtual MMRESULT SetControlValue(const MixerControl& control, std::uint32_t value) = 0;
};

// GUI thread only.
class IMixer {
 public:
  virtual ~IMixer() = default;
  virtual std::uint32_t GetNumDevs() = 0;
  // Null when the device does not exist or cannot be opened (the reason in *result).
  virtual std::unique_ptr<IMixerDevice> Open(std::uint32_t device, MMRESULT* result) = 0;
};

}  // namespace kavoro::os
