#include "platform/os/linux/LinuxWaveOut.h"

#include <optional>
#include <variant>

namespace kavoro::os {
namespace {

std::optional<std::uint32_t> ReadStored(IRegistry& store) {
  const auto value = store.ReadValue(HKEY_CURRENT_USER, kAudioSettingsKey, kWaveOutVolumeValue);
  if (!value) return std::nullopt;
  if (const auto* level = std::get_if<std::uint32_t>(&*value)) return *level;
  return std::nullopt;
}

}  // namespace

LinuxWaveOut::LinuxWaveOut(IRegistry& store) : store_(store) {
  volume_ = ReadStored(store_).value_or(kFullVolume);
}

MMRESULT LinuxWaveOut::GetVolume(std::uint32_t device, std::uint32_t* volume) {
  if (device != kWaveOutDevice0) return MMSYSERR_BADDEVICEID;
  if (volume == nullptr) return MMSYSERR_INVALPARAM;
  *volume = volume_.load(std::memory_order_relaxed);
  return MMSYSERR_NOERROR;
}

MMRESULT LinuxWaveOut::SetVolume(std::uint32_t device, std::uint32_t volume) {
  if (device != kWaveOutDevice0) return MMSYSERR_BADDEVICEID;
  std::lock_guard lock(writeLock_);
  volume_.store(volume, std::memory_order_relaxed);
  // A failed write leaves the level in effect for this process only; see the interface.
  store_.WriteValue(HKEY_CURRENT_USER, kAudioSettingsKey, kWaveOutVolumeValue, RegValue{volume});
  return MMSYSERR_NOERROR;
}

}  // namespace kavoro::os
