#pragma once
// The MIDI source: plays standard MIDI files through the software synthesizer with the
// General MIDI sound font, offering 16-bit stereo PCM on its one output pin. The synthesizer
// runs on the pin's streaming thread, paced by the renderer downstream; its player follows
// the samples made, not the machine's clock, so every rendering of a file is the same.
#include <fluidsynth.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/SeekingSupport.h"
#include "platform/media/MidiFile.h"

namespace kavoro::media {

struct FluidSettingsFreer {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct FluidSynthFreer {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct FluidPlayerFreer {
  void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};

class MidiSource final : public AddInterfaces<BaseFilter, IFileSourceFilter, MediaTimeSeeking> {
 public:
  MidiSource();

  // The sound font: KAVORO_SOUNDFONT, else the system's General MIDI font.
  static std::string SoundFontPath();

  // IFileSourceFilter. Load also fails with VFW_E_UNSUPPORTED_AUDIO when no sound font can
  // be loaded.
  HRESULT Load(const std::string& fileName, const AM_MEDIA_TYPE* type) override;
  HRESULT GetCurFile(std::string* fileName, AM_MEDIA_TYPE* type) override;

  // IMediaSeeking beyond MediaTimeSeeking.
  HRESULT GetCapabilities(DWORD* capabilities) override;
  HRESULT GetDuration(LONGLONG* duration) override;
  HRESULT GetStopPosition(LONGLONG* stop) override;
  HRESULT GetCurrentPosition(LONGLONG* current) override;
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                       DWORD stopFlags) override;

 protected:
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;

 private:
  class OutputPin;
  ~MidiSource() override;

  void StartStreaming();
  void StopStreaming(bool flush);
  // Streaming thread.
  void Play();

  OutputPin* pin_;
  // application thread, set in Load
  std::string file_;
  std::vector<std::uint8_t> bytes_;
  std::optional<MidiFile> midi_;
  std::unique_ptr<fluid_settings_t, FluidSettingsFreer> settings_;
  std::unique_ptr<fluid_synth_t, FluidSynthFreer> synth_;  // the streaming thread's while it runs
  REFERENCE_TIME duration_ = 0;
  // application thread; read by the streaming thread while it runs
  LONGLONG position_ = 0;
  LONGLONG stop_ = -1;
  std::atomic<bool> quit_{false};
  std::thread thread_;
};

}  // namespace kavoro::media
