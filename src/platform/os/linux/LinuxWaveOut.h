#pragma once
// The Linux wave-output volume: the level lives in memory for the audio renderer, which
// applies it to every sample it writes (ApplyVolume), and in the registry store under
// HKEY_CURRENT_USER\Software\Kavoro\Platform\Audio, value "WaveOutVolume" (REG_DWORD), so
// that the next start reads the last level.
#include <atomic>
#include <mutex>
#include <string_view>

#include "platform/os/Registry.h"
#include "platform/os/WaveOut.h"

namespace kavoro::os {

constexpr std::string_view kAudioSettingsKey = "Software\\Kavoro\\Platform\\Audio";
constexpr std::string_view kWaveOutVolumeValue = "WaveOutVolume";

class LinuxWaveOut : public IWaveOut {
 public:
  // Reads the stored level; full volume when it is missing or not a REG_DWORD. `store` must
  // outlive this object.
  explicit LinuxWaveOut(IRegistry& store);

  // Any thread; a lock-free read, cheap enough for the renderer's streaming thread.
  // MMSYSERR_BADDEVICEID for a device other than 0, MMSYSERR_INVALPARAM for a null `volume`.
  MMRESULT GetVolume(std::uint32_t device, std::uint32_t* volume) override;
  // Any thread; not meant for the streaming thread, since a changed level is written to the
  // store before the call returns (every call writes, since another process may have
  // changed the stored value). MMSYSERR_BADDEVICEID for a device other than 0. The level
  // is in effect on return even when the store cannot be written; it then does not survive
  // the process.
  MMRESULT SetVolume(std::uint32_t device, std::uint32_t volume) override;

 private:
  // Any thread.
  std::atomic<std::uint32_t> volume_;

  // guarded by writeLock_: the level and the store change together, so concurrent setters
  // leave both at the same last value.
  std::mutex writeLock_;
  IRegistry& store_;
};

}  // namespace kavoro::os
