// "MPEGA.ax": the audio decoder as a module, for the sound of DVDs and MPEG programs: AC-3
// and MPEG audio layer II.
#include "platform/media/AudioDecoder.h"
#include "platform/media/modules/DecoderModule.h"

namespace {
using namespace kavoro;
using namespace kavoro::media::modules;

constexpr ModuleMediaType kInputTypes[] = {
    {MEDIATYPE_Audio, CodecSubtype(AV_CODEC_ID_AC3)},
    {MEDIATYPE_Audio, CodecSubtype(AV_CODEC_ID_MP2)},
};
constexpr ModuleMediaType kOutputTypes[] = {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}};
constexpr ModulePin kPins[] = {
    {"Audio Input", 0, 0, kInputTypes, std::size(kInputTypes)},
    {"Audio Output", 1, 0, kOutputTypes, std::size(kOutputTypes)},
};
constexpr ModuleClass kClass = {CLSID_KavoroMpegAudioModule, "Kavoro MPEG/AC-3 Audio Decoder",
                                kMpegAudioModuleMerit, CLSID_LegacyAmFilterCategory, kPins,
                                std::size(kPins)};

}  // namespace

KAVORO_DECODER_MODULE(kavoro::media::AudioDecoder, kClass)
