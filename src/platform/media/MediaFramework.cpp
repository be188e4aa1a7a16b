#include "platform/media/MediaFramework.h"

#include <malloc.h>

#include <mutex>

#include "platform/media/AudioDecoder.h"
#include "platform/media/AudioRenderer.h"
#include "platform/media/CaptureGraphBuilder.h"
#include "platform/media/FileSource.h"
#include "platform/media/FilterCatalog.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/Line21Decoder.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MidiSource.h"
#include "platform/media/OverlayMixer.h"
#include "platform/media/ReferenceClock.h"
#include "platform/media/VideoDecoder.h"
#include "platform/media/VideoRenderer.h"

namespace kavoro::media {
namespace {

template <class T, class... Args>
ClassCreator Creator(Args... args) {
  return [=](REFIID riid, void** ppv) {
    ComPtr<T> object = MakeCom<T>(args...);
    return object->QueryInterface(riid, ppv);
  };
}

RegisteredPin Pin(const char* name, bool output, std::vector<ModuleMediaType> types) {
  RegisteredPin p;
  p.name = name;
  p.output = output;
  p.types = std::move(types);
  return p;
}

RegisteredFilter Record(const CLSID& clsid, const char* name, DWORD merit,
                        std::vector<RegisteredPin> pins) {
  RegisteredFilter f;
  f.clsid = clsid;
  f.name = name;
  f.merit = merit;
  f.pins = std::move(pins);
  return f;
}

// The default renderer ranks above the classic one, so graph building picks it; the
// classic renderer is used where the application puts one into the graph itself.
constexpr DWORD kDefaultVideoRendererMerit = MERIT_PREFERRED;
constexpr DWORD kClassicVideoRendererMerit = MERIT_PREFERRED - 1;

constexpr int kAllocatorArenas = 2;

void RegisterAll() {
  auto& classes = ClassRegistry::Instance();
  classes.RegisterClass(CLSID_FilterGraph, "Filter Graph", Creator<FilterGraph>());
  classes.RegisterClass(CLSID_CaptureGraphBuilder2, "Capture Graph Builder",
                        Creator<CaptureGraphBuilder>());
  classes.RegisterClass(CLSID_SystemClock, "System Clock", Creator<SystemClock>());
  classes.RegisterClass(CLSID_KavoroFileSource, "File Source", Creator<FileSource>());
  classes.RegisterClass(CLSID_KavoroMidiSource, "MIDI Source", Creator<MidiSource>());

  const ModuleMediaType anyVideo{MEDIATYPE_Video, GUID_NULL};
  const ModuleMediaType anyAudio{MEDIATYPE_Audio, GUID_NULL};
  const ModuleMediaType i420{MEDIATYPE_Video, MEDIASUBTYPE_I420};
  const ModuleMediaType pcm{MEDIATYPE_Audio, MEDIASUBTYPE_PCM};
  const GUID& cat = CLSID_LegacyAmFilterCategory;
  RegisterBuiltInFilter(cat,
                        Record(CLSID_KavoroVideoDecoder, "Video Decoder", MERIT_NORMAL,
                               {Pin("Video Input", false, {anyVideo}),
                                Pin("Video Output", true, {i420})}),
                        Creator<VideoDecoder>());
  RegisterBuiltInFilter(cat,
                        Record(CLSID_KavoroAudioDecoder, "Audio Decoder", MERIT_NORMAL,
                               {Pin("Audio Input", false, {anyAudio}),
                                Pin("Audio Output", true, {pcm})}),
                        Creator<AudioDecoder>());
  RegisterBuiltInFilter(cat,
                        Record(CLSID_AudioRender, "Audio Renderer", MERIT_PREFERRED,
                               {Pin("Audio Input pin (rendered)", false, {pcm})}),
                        Creator<AudioRenderer>());
  RegisterBuiltInFilter(cat,
                        Record(CLSID_VideoMixingRenderer, "Video Mixing Renderer",
                               kDefaultVideoRendererMerit, {Pin("Input", false, {i420})}),
                        Creator<VideoRenderer>(CLSID_VideoMixingRenderer));
  RegisterBuiltInFilter(cat,
                        Record(CLSID_VideoRenderer, "Video Renderer", kClassicVideoRendererMerit,
                               {Pin("Input", false, {i420})}),
                        Creator<VideoRenderer>(CLSID_VideoRenderer));
  // Captions: graph building takes the second decoder (the mixing renderer's); the first is
  // put in by the application where the overlay mixer shows the picture.
  const ModuleMediaType argb{MEDIATYPE_Video, MEDIASUBTYPE_ARGB32};
  const ModuleMediaType line21{MEDIATYPE_AUXLine21Data, MEDIASUBTYPE_Line21_BytePair};
  RegisterBuiltInFilter(cat,
                        Record(CLSID_Line21Decoder2, "Line 21 Decoder 2", MERIT_NORMAL,
                               {Pin("Line21 Input", false, {line21}),
                                Pin("Line21 Output", true, {argb})}),
                        Creator<Line21Decoder>(CLSID_Line21Decoder2));
  RegisterBuiltInFilter(cat,
                        Record(CLSID_Line21Decoder, "Line 21 Decoder", MERIT_UNLIKELY,
                               {Pin("Line21 Input", false, {line21}),
                                Pin("Line21 Output", true, {argb})}),
                        Creator<Line21Decoder>(CLSID_Line21Decoder));
  // The mixer is put into a graph by the application only (merit: never by graph building).
  for (const CLSID& mixer : {CLSID_OverlayMixer, CLSID_OverlayMixer2}) {
    RegisterBuiltInFilter(cat,
                          Record(mixer, "Overlay Mixer", MERIT_DO_NOT_USE,
                                 {Pin("Input0", false, {i420}), Pin("Input1", false, {argb}),
                                  Pin("Output", true, {i420})}),
                          Creator<OverlayMixer>(mixer));
  }
}

}  // namespace

void RegisterMediaFramework() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Every graph brings streaming threads of its own. With an allocator arena per thread (up
    // to eight a core) what one graph freed stayed in arenas the next graph's threads did not
    // use, and the process grew with each graph built; two arenas are shared by all of them.
    mallopt(M_ARENA_MAX, kAllocatorArenas);
    RegisterAll();
  });
}

}  // namespace kavoro::media
