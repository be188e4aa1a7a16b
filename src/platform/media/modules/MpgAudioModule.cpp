// "MPGAudio.ax": the audio decoder as a module, for MPEG audio layers I, II and III.
#include "platform/media/AudioDecoder.h"
#include "platform/media/modules/DecoderModule.h"

namespace {
using namespace kavoro;
using namespace kavoro::media::modules;

constexpr ModuleMediaType kInputTypes[] = {
    {MEDIATYPE_Audio, CodecSubtype(AV_CODEC_ID_MP1)},
    {MEDIATYPE_Audio, CodecSubtype(AV_CODEC_ID_MP2)},
    {MEDIATYPE_Audio, CodecSubtype(AV_CODEC_ID_MP3)},
};
constexpr ModuleMediaType kOutputTypes[] = {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}};
constexpr ModulePin kPins[] = {
    {"Audio Input", 0, 0, kInputTypes, std::size(kInputTypes)},
    {"Audio Output", 1, 0, kOutputTypes, std::size(kOutputTypes)},
};
constexpr ModuleClass kClass = {CLSID_KavoroMpgAudioModule, "Kavoro MPEG Layer I-III Audio Decoder",
                                kMpgAudioModuleMerit, CLSID_LegacyAmFilterCategory, kPins,
                                std::size(kPins)};

}  // namespace

KAVORO_DECODER_MODULE(kavoro::media::AudioDecoder, kClass)
