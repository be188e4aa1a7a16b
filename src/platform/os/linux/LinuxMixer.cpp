#include "platform/os/linux/LinuxMixer.h"

#include <alsa/asoundlib.h>

#include <array>
#include <string_view>

namespace kavoro::os {
namespace {

constexpr const char* kDefaultCard = "default";
constexpr std::uint32_t kMixerDevice0 = 0;
constexpr std::uint32_t kMuteOn = 1;
constexpr std::uint32_t kMuteOff = 0;
constexpr int kSwitchOn = 1;
constexpr int kSwitchOff = 0;

struct MixerCloser {
  void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

struct SelemIdFree {
  void operator()(snd_mixer_selem_id_t* id) const { snd_mixer_selem_id_free(id); }
};
using SelemId = std::unique_ptr<snd_mixer_selem_id_t, SelemIdFree>;

// Which switch of an element stands for the line's mute.
enum class SwitchKind { Playback, Capture };

struct LineDef {
  std::uint32_t lineId;
  std::uint32_t componentType;
  SwitchKind kind;
  std::array<std::string_view, 2> names;  // tried in order; empty entries are unused
};

// Line ids start at 1 so that a zeroed MixerLine names no line. One control per line, so the
// control id is the line id.
constexpr std::array<LineDef, 4> kLines = {{
    {1, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, SwitchKind::Playback, {"Master", ""}},
    {2, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, SwitchKind::Capture, {"Mic", "Capture"}},
    {3, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, SwitchKind::Playback, {"PCM", ""}},
    {4, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, SwitchKind::Playback, {"Synth", ""}},
}};

const LineDef* DefByType(std::uint32_t componentType) {
  for (const LineDef& def : kLines) {
    if (def.componentType == componentType) return &def;
  }
  return nullptr;
}

const LineDef* DefById(std::uint32_t lineId) {
  for (const LineDef& def : kLines) {
    if (def.lineId == lineId) return &def;
  }
  return nullptr;
}

MixerHandle OpenDefaultMixer() {
  snd_mixer_t* raw = nullptr;
  if (snd_mixer_open(&raw, 0) < 0 || raw == nullptr) return nullptr;
  MixerHandle mixer(raw);
  if (snd_mixer_attach(mixer.get(), kDefaultCard) < 0) return nullptr;
  if (snd_mixer_selem_register(mixer.get(), nullptr, nullptr) < 0) return nullptr;
  if (snd_mixer_load(mixer.get()) < 0) return nullptr;
  return mixer;
}

bool HasSwitch(snd_mixer_elem_t* elem, SwitchKind kind) {
  return kind == SwitchKind::Playback ? snd_mixer_selem_has_playback_switch(elem) != 0
                                      : snd_mixer_selem_has_capture_switch(elem) != 0;
}

// The channels of the element that the switch covers.
std::uint32_t CountChannels(snd_mixer_elem_t* elem, SwitchKind kind) {
  const bool playback = kind == SwitchKind::Playback;
  if (playback ? snd_mixer_selem_is_playback_mono(elem) : snd_mixer_selem_is_capture_mono(elem)) {
    return 1;
  }
  std::uint32_t count = 0;
  for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
    const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
    const int has = playback ? snd_mixer_selem_has_playback_channel(elem, channel)
                             : snd_mixer_selem_has_capture_channel(elem, channel);
    if (has) ++count;
  }
  return count;
}

class LinuxMixerDevice : public IMixerDevice {
 public:
  explicit LinuxMixerDevice(MixerHandle mixer) : mixer_(std::move(mixer)) {}

  MMRESULT GetLineInfoByComponentType(std::uint32_t componentType, MixerLine* line) override {
    if (line == nullptr) return MMSYSERR_INVALPARAM;
    const LineDef* def = DefByType(componentType);
    if (def == nullptr) return MIXERR_INVALLINE;
    std::string_view name;
    snd_mixer_elem_t* elem = FindElement(*def, &name);
    if (elem == nullptr) return MIXERR_INVALLINE;
    line->lineId = def->lineId;
    line->componentType = componentType;
    line->name = std::string(name);
    line->channels = CountChannels(elem, def->kind);
    return MMSYSERR_NOERROR;
  }

  MMRESULT GetLineControlByType(const MixerLine& line, std::uint32_t controlType,
                                MixerControl* control) override {
    if (control == nullptr) return MMSYSERR_INVALPARAM;
    const LineDef* def = DefById(line.lineId);
    if (def == nullptr) return MIXERR_INVALLINE;
    snd_mixer_elem_t* elem = FindElement(*def, nullptr);
    if (elem == nullptr) return MIXERR_INVALLINE;
    if (controlType != MIXERCONTROL_CONTROLTYPE_MUTE || !HasSwitch(elem, def->kind)) {
      return MIXERR_INVALCONTROL;
    }
    control->controlId = def->lineId;
    control->controlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    control->name = "Mute";
    return MMSYSERR_NOERROR;
  }

  MMRESULT GetControlValue(const MixerControl& control, std::uint32_t* value) override {
    if (value == nullptr) return MMSYSERR_INVALPARAM;
    const LineDef* def = nullptr;
    snd_mixer_elem_t* elem = MuteElement(control, &def);
    if (elem == nullptr) return MIXERR_INVALCONTROL;
    bool anyOn = false;
    bool anyRead = false;
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
      const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
      int on = kSwitchOff;
      int err = 0;
      if (def->kind == SwitchKind::Playback) {
        if (!snd_mixer_selem_has_playback_channel(elem, channel)) continue;
        err = snd_mixer_selem_get_playback_switch(elem, channel, &on);
      } else {
        if (!snd_mixer_selem_has_capture_channel(elem, channel)) continue;
        err = snd_mixer_selem_get_capture_switch(elem, channel, &on);
      }
      if (err < 0) return MMSYSERR_ERROR;
      anyRead = true;
      anyOn = anyOn || on != kSwitchOff;
    }
    if (!anyRead) return MMSYSERR_ERROR;
    *value = anyOn ? kMuteOff : kMuteOn;
    return MMSYSERR_NOERROR;
  }

  MMRESULT SetControlValue(const MixerControl& control, std::uint32_t value) override {
    const LineDef* def = nullptr;
    snd_mixer_elem_t* elem = MuteElement(control, &def);
    if (elem == nullptr) return MIXERR_INVALCONTROL;
    const int on = value != kMuteOff ? kSwitchOff : kSwitchOn;
    const int err = def->kind == SwitchKind::Playback
                        ? snd_mixer_selem_set_playback_switch_all(elem, on)
                        : snd_mixer_selem_set_capture_switch_all(elem, on);
    return err < 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
  }

 private:
  // The element of the line, looked up afresh on every call: pending events are taken in
  // first, and they may have replaced or removed elements, so no element pointer is kept.
  // For the microphone the first named element with a capture switch wins, else the first
  // that exists.
  snd_mixer_elem_t* FindElement(const LineDef& def, std::string_view* name) {
    snd_mixer_handle_events(mixer_.get());
    snd_mixer_selem_id_t* rawId = nullptr;
    if (snd_mixer_selem_id_malloc(&rawId) < 0 || rawId == nullptr) return nullptr;
    const SelemId id(rawId);
    snd_mixer_elem_t* fallback = nullptr;
    std::string_view fallbackName;
    for (std::string_view candidate : def.names) {
      if (candidate.empty()) continue;
      // The names are literals of kLines, so they end in a NUL.
      snd_mixer_selem_id_set_name(id.get(), candidate.data());
      snd_mixer_selem_id_set_index(id.get(), 0);
      snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer_.get(), id.get());
      if (elem == nullptr) continue;
      if (HasSwitch(elem, def.kind)) {
        if (name != nullptr) *name = candidate;
        return elem;
      }
      if (fallback == nullptr) {
        fallback = elem;
        fallbackName = candidate;
      }
    }
    if (name != nullptr) *name = fallbackName;
    return fallback;
  }

  snd_mixer_elem_t* MuteElement(const MixerControl& control, const LineDef** def) {
    if (control.controlType != MIXERCONTROL_CONTROLTYPE_MUTE) return nullptr;
    *def = DefById(control.controlId);
    if (*def == nullptr) return nullptr;
    snd_mixer_elem_t* elem = FindElement(**def, nullptr);
    if (elem == nullptr || !HasSwitch(elem, (*def)->kind)) return nullptr;
    return elem;
  }

  // GUI thread only.
  MixerHandle mixer_;
};

}  // namespace

std::uint32_t LinuxMixer::GetNumDevs() { return OpenDefaultMixer() ? 1 : 0; }

std::unique_ptr<IMixerDevice> LinuxMixer::Open(std::uint32_t device, MMRESULT* result) {
  MMRESULT r = MMSYSERR_BADDEVICEID;
  std::unique_ptr<IMixerDevice> opened;
  if (device == kMixerDevice0) {
    if (MixerHandle mixer = OpenDefaultMixer()) {
      opened = std::make_unique<LinuxMixerDevice>(std::move(mixer));
      r = MMSYSERR_NOERROR;
    }
  }
  if (result != nullptr) *result = r;
  return opened;
}

}  // namespace kavoro::os
