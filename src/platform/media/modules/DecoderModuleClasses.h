#pragma once
// The classes of the three decoder modules that travel in the resource library. Each module
// wraps one of the framework's decoders under a class of its own, registered with a merit
// above the built-in decoder's, so that once registered it is the one graph building picks
// for the streams it lists.
#include "platform/com/Guid.h"
#include "platform/media/MediaClasses.h"

namespace kavoro::media::modules {

// "MPEGV.ax": MPEG-1 and MPEG-2 video.
constexpr CLSID CLSID_KavoroMpegVideoModule = MakeGuid(0x4B56F101, 0x6A1E, 0x4C2B, 0x9D, 0x3A,
                                                       0x51, 0x0E, 0x7F, 0x21, 0xC5, 0x01);
// "MPEGA.ax": the sound of DVDs and MPEG programs, AC-3 and MPEG audio layer II.
constexpr CLSID CLSID_KavoroMpegAudioModule = MakeGuid(0x4B56F102, 0x6A1E, 0x4C2B, 0x9D, 0x3A,
                                                       0x51, 0x0E, 0x7F, 0x21, 0xC5, 0x02);
// "MPGAudio.ax": MPEG audio layers I, II and III.
constexpr CLSID CLSID_KavoroMpgAudioModule = MakeGuid(0x4B56F103, 0x6A1E, 0x4C2B, 0x9D, 0x3A,
                                                      0x51, 0x0E, 0x7F, 0x21, 0xC5, 0x03);

// Above the built-in decoders (MERIT_NORMAL). Layer II goes to the DVD audio module, which
// ranks above the layer I-III one.
constexpr DWORD kMpegVideoModuleMerit = MERIT_PREFERRED;
constexpr DWORD kMpegAudioModuleMerit = MERIT_PREFERRED;
constexpr DWORD kMpgAudioModuleMerit = MERIT_PREFERRED - 1;

// Every module's vendor text starts with this, followed by the class name and the path the
// module was loaded from.
constexpr const char* kDecoderModuleVendor = "Kavoro Player decoder module";

}  // namespace kavoro::media::modules
