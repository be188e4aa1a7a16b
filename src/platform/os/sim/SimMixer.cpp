#include "platform/os/sim/SimMixer.h"

#include <utility>

namespace kavoro::os {
namespace {

constexpr std::uint32_t kMixerDevice0 = 0;
constexpr std::uint32_t kMonoChannels = 1;
constexpr std::uint32_t kStereoChannels = 2;

class SimMixerDevice : public IMixerDevice {
 public:
  explicit SimMixerDevice(std::shared_ptr<SimMixer::State> state) : state_(std::move(state)) {}

  MMRESULT GetLineInfoByComponentType(std::uint32_t componentType, MixerLine* line) override {
    if (line == nullptr) return MMSYSERR_INVALPARAM;
    const auto it = state_->lines.find(componentType);
    if (it == state_->lines.end()) return MIXERR_INVALLINE;
    line->lineId = it->second.lineId;
    line->componentType = componentType;
    line->name = it->second.line.name;
    line->channels = it->second.line.channels;
    return MMSYSERR_NOERROR;
  }

  MMRESULT GetLineControlByType(const MixerLine& line, std::uint32_t controlType,
                                MixerControl* control) override {
    if (control == nullptr) return MMSYSERR_INVALPARAM;
    const SimMixer::State::Entry* entry = ById(line.lineId);
    if (entry == nullptr) return MIXERR_INVALLINE;
    if (controlType != MIXERCONTROL_CONTROLTYPE_MUTE || !entry->line.hasMute) {
      return MIXERR_INVALCONTROL;
    }
    // One control per line, so the line id serves as the control id.
    control->controlId = entry->lineId;
    control->controlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    control->name = "Mute";
    return MMSYSERR_NOERROR;
  }

  MMRESULT GetControlValue(const MixerControl& control, std::uint32_t* value) override {
    if (value == nullptr) return MMSYSERR_INVALPARAM;
    SimMixer::State::Entry* entry = MuteControl(control);
    if (entry == nullptr) return MIXERR_INVALCONTROL;
    if (entry->line.failReads) return MMSYSERR_ERROR;
    *value = entry->line.muted ? 1 : 0;
    return MMSYSERR_NOERROR;
  }

  MMRESULT SetControlValue(const MixerControl& control, std::uint32_t value) override {
    SimMixer::State::Entry* entry = MuteControl(control);
    if (entry == nullptr) return MIXERR_INVALCONTROL;
    if (entry->line.failWrites) return MMSYSERR_ERROR;
    entry->line.muted = value != 0;
    return MMSYSERR_NOERROR;
  }

 private:
  SimMixer::State::Entry* ById(std::uint32_t lineId) {
    for (auto& [type, entry] : state_->lines) {
      if (entry.lineId == lineId) return &entry;
    }
    return nullptr;
  }

  // The line whose mute switch `control` names, when it still has one.
  SimMixer::State::Entry* MuteControl(const MixerControl& control) {
    SimMixer::State::Entry* entry = ById(control.controlId);
    if (entry == nullptr || !entry->line.hasMute) return nullptr;
    return entry;
  }

  // GUI thread only.
  std::shared_ptr<SimMixer::State> state_;
};

}  // namespace

SimMixer::SimMixer() : state_(std::make_shared<State>()) { Reset(); }

std::uint32_t SimMixer::GetNumDevs() { return state_->present ? 1 : 0; }

std::unique_ptr<IMixerDevice> SimMixer::Open(std::uint32_t device, MMRESULT* result) {
  MMRESULT r = MMSYSERR_NOERROR;
  std::unique_ptr<IMixerDevice> opened;
  if (device != kMixerDevice0 || !state_->present) {
    r = MMSYSERR_BADDEVICEID;
  } else if (state_->openFails) {
    r = MMSYSERR_NODRIVER;
  } else {
    opened = std::make_unique<SimMixerDevice>(state_);
  }
  if (result != nullptr) *result = r;
  return opened;
}

void SimMixer::SetPresent(bool present) { state_->present = present; }

void SimMixer::SetOpenFails(bool fails) { state_->openFails = fails; }

void SimMixer::SetLine(std::uint32_t componentType, SimMixerLine line) {
  auto it = state_->lines.find(componentType);
  if (it != state_->lines.end()) {
    it->second.line = std::move(line);
    return;
  }
  state_->lines.emplace(componentType, State::Entry{state_->nextLineId++, std::move(line)});
}

void SimMixer::RemoveLine(std::uint32_t componentType) { state_->lines.erase(componentType); }

SimMixerLine* SimMixer::Line(std::uint32_t componentType) {
  const auto it = state_->lines.find(componentType);
  return it == state_->lines.end() ? nullptr : &it->second.line;
}

void SimMixer::Reset() {
  // In place, so devices opened earlier see the reset world too.
  *state_ = State{};
  SetLine(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, {.name = "Master", .channels = kStereoChannels});
  SetLine(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, {.name = "Mic", .channels = kMonoChannels});
  SetLine(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, {.name = "PCM", .channels = kStereoChannels});
  SetLine(MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, {.name = "Synth", .channels = kStereoChannels});
}

}  // namespace kavoro::os
