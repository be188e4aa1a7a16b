#include "platform/media/MidiSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/media/AudioFormat.h"
#include "platform/media/EventCodes.h"
#include "platform/media/IMediaSample.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/SeekingSupport.h"

namespace kavoro::media {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBlockFrames = 1024;
constexpr LONG kBuffers = 8;
// Notes ring on after the last event; the stream runs this much longer.
constexpr REFERENCE_TIME kReleaseTail = kUnitsPerSecond;
// Files larger than this are no MIDI files a player is asked to play.
constexpr std::size_t kMaxMidiBytes = 16u << 20;
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                       "/usr/share/sounds/sf2/FluidR3_GM.sf2"};

void Quiet(int, const char*, void*) {}

}  // namespace

class MidiSource::OutputPin final : public BaseOutputPin {
 public:
  explicit OutputPin(MidiSource& f) : BaseOutputPin(f, "Audio"), f_(f) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    PcmFormat p;
    return ReadPcmType(t, &p) && p.channels == kChannels && p.sampleRate == kSampleRate ? S_OK
                                                                                         : S_FALSE;
  }
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* t) override {
    if (index) return S_FALSE;
    *t = MakePcmType({kChannels, kSampleRate});
    return S_OK;
  }
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
    p->cBuffers = kBuffers;
    p->cbBuffer = kBlockFrames * kChannels * 2;
    return S_OK;
  }
  HRESULT QueryExtraInterface(REFIID riid, void** ppv) override {
    if (riid == IIDOf<IMediaSeeking>()) {
      *ppv = static_cast<IMediaSeeking*>(&f_);
      f_.AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }

 private:
  MidiSource& f_;
};

MidiSource::MidiSource() : AddInterfaces(CLSID_KavoroMidiSource) {
  pin_ = MakePin<OutputPin>(*this);
}

MidiSource::~MidiSource() { StopStreaming(false); }

std::string MidiSource::SoundFontPath() {
  if (const char* env = std::getenv("KAVORO_SOUNDFONT"); env && *env) return env;
  for (const char* path : kSoundFonts) {
    struct stat st {};
    if (::stat(path, &st) == 0) return path;
  }
  return {};
}

HRESULT MidiSource::Load(const std::string& fileName, const AM_MEDIA_TYPE*) {
  if (midi_) return E_UNEXPECTED;
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return VFW_E_NOT_FOUND;
  if (!S_ISREG(st.st_mode)) return VFW_E_UNKNOWN_FILE_TYPE;
  if (st.st_size == 0) return VFW_E_FILE_TOO_SHORT;
  if (static_cast<std::uintmax_t>(st.st_size) > kMaxMidiBytes) return VFW_E_INVALID_FILE_FORMAT;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::ifstream in(fileName, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return VFW_E_NOT_FOUND;
  std::optional<MidiFile> midi = MidiFile::Parse(bytes);
  if (!midi) return VFW_E_INVALID_FILE_FORMAT;

  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, Quiet, nullptr);
  std::unique_ptr<fluid_settings_t, FluidSettingsFreer> settings(new_fluid_settings());
  if (!settings) return E_OUTOFMEMORY;
  fluid_settings_setnum(settings.get(), "synth.sample-rate", kSampleRate);
  fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
  fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
  std::unique_ptr<fluid_synth_t, FluidSynthFreer> synth(new_fluid_synth(settings.get()));
  if (!synth) return E_OUTOFMEMORY;
  const std::string font = SoundFontPath();
  if (font.empty() || fluid_synth_sfload(synth.get(), font.c_str(), 1) == FLUID_FAILED)
    return VFW_E_UNSUPPORTED_AUDIO;

  file_ = fileName;
  bytes_ = std::move(bytes);
  duration_ = midi->Length() + kReleaseTail;
  midi_ = std::move(midi);
  settings_ = std::move(settings);
  synth_ = std::move(synth);
  return S_OK;
}

HRESULT MidiSource::GetCurFile(std::string* fileName, AM_MEDIA_TYPE* type) {
  if (!fileName) return E_POINTER;
  if (!midi_) return E_FAIL;
  *fileName = file_;
  if (type) *type = AM_MEDIA_TYPE{};
  return S_OK;
}

HRESULT MidiSource::OnPause(FILTER_STATE from) {
  if (from == State_Stopped && midi_ && pin_->IsConnected()) StartStreaming();
  return S_OK;
}

HRESULT MidiSource::OnStop() {
  StopStreaming(false);
  return S_OK;
}

void MidiSource::StartStreaming() {
  const LONGLONG stop = stop_ >= 0 ? stop_ : duration_;
  pin_->DeliverNewSegment(position_, stop, rate_);
  quit_ = false;
  thread_ = std::thread([this] { Play(); });
}

void MidiSource::StopStreaming(bool flush) {
  if (flush && pin_->IsConnected()) pin_->DeliverBeginFlush();
  quit_ = true;
  if (thread_.joinable()) thread_.join();
  if (flush && pin_->IsConnected()) pin_->DeliverEndFlush();
}

void MidiSource::Play() {
  fluid_synth_t* synth = synth_.get();
  fluid_synth_system_reset(synth);
  std::unique_ptr<fluid_player_t, FluidPlayerFreer> player(new_fluid_player(synth));
  if (!player || fluid_player_add_mem(player.get(), bytes_.data(), bytes_.size()) != FLUID_OK) {
    NotifyEvent(EC_ERRORABORT, E_FAIL, 0);
    return;
  }
  fluid_player_play(player.get());
  if (position_ > 0) fluid_player_seek(player.get(), static_cast<int>(midi_->TimeToTick(position_)));
  const LONGLONG end = stop_ >= 0 ? std::min<LONGLONG>(stop_, duration_) : duration_;
  const double rate = rate_;  // the run's: a new rate comes with a new run
  std::int64_t made = 0;  // frames since the segment start
  bool first = true;
  while (!quit_) {
    const LONGLONG media = position_ + made * kUnitsPerSecond / kSampleRate;
    if (media >= end) {
      pin_->DeliverEndOfStream();
      break;
    }
    ComPtr<IMediaSample> sample;
    if (FAILED(pin_->GetDeliveryBuffer(sample.Put()))) break;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    auto* pcm = reinterpret_cast<std::int16_t*>(data);
    fluid_synth_write_s16(synth, kBlockFrames, pcm, 0, kChannels, pcm, 1, kChannels);
    sample->SetActualDataLength(kBlockFrames * kChannels * 2);
    REFERENCE_TIME start = static_cast<REFERENCE_TIME>(
        static_cast<double>(made * kUnitsPerSecond / kSampleRate) / rate);
    made += kBlockFrames;
    REFERENCE_TIME stopTime = static_cast<REFERENCE_TIME>(
        static_cast<double>(made * kUnitsPerSecond / kSampleRate) / rate);
    sample->SetTime(&start, &stopTime);
    sample->SetSyncPoint(1);
    sample->SetDiscontinuity(first);
    first = false;
    if (pin_->Deliver(sample.Get()) != S_OK) break;
  }
  fluid_player_stop(player.get());
  fluid_player_join(player.get());
}

HRESULT MidiSource::GetCapabilities(DWORD* caps) {
  if (!caps) return E_POINTER;
  *caps = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
          AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration | AM_SEEKING_CanGetCurrentPos;
  return S_OK;
}


HRESULT MidiSource::GetDuration(LONGLONG* d) {
  if (!d) return E_POINTER;
  if (!midi_) return E_UNEXPECTED;
  *d = duration_;
  return S_OK;
}

HRESULT MidiSource::GetStopPosition(LONGLONG* s) {
  if (!s) return E_POINTER;
  if (stop_ >= 0) {
    *s = stop_;
    return S_OK;
  }
  return GetDuration(s);
}

HRESULT MidiSource::GetCurrentPosition(LONGLONG* c) {
  if (!c) return E_POINTER;
  *c = position_;
  return S_OK;
}

HRESULT MidiSource::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                 DWORD stopFlags) {
  if (!midi_) return E_UNEXPECTED;
  LONGLONG newPos = 0, newStop = 0;
  const HRESULT hr = ApplyPositioningFlags(current, currentFlags, stop, stopFlags, position_, stop_,
                                           stop_ >= 0 ? stop_ : duration_, &newPos, &newStop);
  if (FAILED(hr)) return hr;
  newPos = std::clamp<LONGLONG>(newPos, 0, duration_);
  if (newStop >= 0 && newStop < newPos) return E_INVALIDARG;
  const bool streaming = State() != State_Stopped;
  if (streaming) StopStreaming(true);
  position_ = newPos;
  stop_ = newStop;
  if (streaming && pin_->IsConnected()) StartStreaming();
  return S_OK;
}


}  // namespace kavoro::media
