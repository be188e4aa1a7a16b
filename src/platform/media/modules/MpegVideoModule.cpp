// "MPEGV.ax": the video decoder as a module, for MPEG-1 and MPEG-2 video.
#include "platform/media/VideoDecoder.h"
#include "platform/media/modules/DecoderModule.h"

namespace {
using namespace kavoro;
using namespace kavoro::media::modules;

constexpr ModuleMediaType kInputTypes[] = {
    {MEDIATYPE_Video, CodecSubtype(AV_CODEC_ID_MPEG1VIDEO)},
    {MEDIATYPE_Video, CodecSubtype(AV_CODEC_ID_MPEG2VIDEO)},
};
constexpr ModuleMediaType kOutputTypes[] = {{MEDIATYPE_Video, MEDIASUBTYPE_I420}};
constexpr ModulePin kPins[] = {
    {"Video Input", 0, 0, kInputTypes, std::size(kInputTypes)},
    {"Video Output", 1, 0, kOutputTypes, std::size(kOutputTypes)},
};
constexpr ModuleClass kClass = {CLSID_KavoroMpegVideoModule, "Kavoro MPEG Video Decoder",
                                kMpegVideoModuleMerit, CLSID_LegacyAmFilterCategory, kPins,
                                std::size(kPins)};

}  // namespace

KAVORO_DECODER_MODULE(kavoro::media::VideoDecoder, kClass)
