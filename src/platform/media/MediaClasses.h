#pragma once
// Class identifiers of the media framework's objects, filter categories and merits.
// CoCreateInstance makes each of them once RegisterMediaFramework() (MediaFramework.h) has run.
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

namespace kavoro {

// Graph managers and builders.
constexpr CLSID CLSID_FilterGraph = MakeGuid(0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20,
                                             0xAF, 0x0B, 0xA7, 0x70);
constexpr CLSID CLSID_CaptureGraphBuilder2 = MakeGuid(0xBF87B6E1, 0x8C27, 0x11D0, 0xB3, 0xF0,
                                                      0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5);
constexpr CLSID CLSID_DvdGraphBuilder = MakeGuid(0xFCC152B7, 0xF372, 0x11D0, 0x8E, 0x00, 0x00,
                                                 0xC0, 0x4F, 0xD7, 0xC0, 0x8B);
constexpr CLSID CLSID_SystemClock = MakeGuid(0xE436EBB1, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20,
                                             0xAF, 0x0B, 0xA7, 0x70);

// Video presentation.
constexpr CLSID CLSID_VideoRenderer = MakeGuid(0x70E102B0, 0x5556, 0x11CE, 0x97, 0xC0, 0x00,
                                               0xAA, 0x00, 0x55, 0x59, 0x5A);
constexpr CLSID CLSID_VideoMixingRenderer = MakeGuid(0xB87BEB7B, 0x8D29, 0x423F, 0xAE, 0x4D,
                                                     0x65, 0x82, 0xC1, 0x01, 0x75, 0xAC);
constexpr CLSID CLSID_OverlayMixer = MakeGuid(0xCD8743A1, 0x3736, 0x11D0, 0x9E, 0x69, 0x00, 0xC0,
                                              0x4F, 0xD7, 0xC1, 0x5B);
constexpr CLSID CLSID_OverlayMixer2 = MakeGuid(0xA0025E90, 0xE45B, 0x11D1, 0xAB, 0xE9, 0x00,
                                               0xA0, 0xC9, 0x05, 0xF3, 0x75);
constexpr CLSID CLSID_Line21Decoder = MakeGuid(0x6E8D4A20, 0x310C, 0x11D0, 0xB7, 0x9A, 0x00,
                                               0xAA, 0x00, 0x37, 0x67, 0xA7);
constexpr CLSID CLSID_Line21Decoder2 = MakeGuid(0xE4206432, 0x01A1, 0x4BEE, 0xB3, 0xE1, 0x37,
                                                0x02, 0xC8, 0xED, 0xC5, 0x74);

// Sound.
constexpr CLSID CLSID_AudioRender = MakeGuid(0xE30629D1, 0x27E5, 0x11CE, 0x87, 0x5D, 0x00, 0x60,
                                             0x8C, 0xB7, 0x80, 0x66);

// This framework's own filters.
constexpr CLSID CLSID_KavoroFileSource = MakeGuid(0x4B56F001, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51,
                                                  0x0E, 0x7F, 0x21, 0xC4, 0x01);
constexpr CLSID CLSID_KavoroVideoDecoder = MakeGuid(0x4B56F002, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51,
                                                    0x0E, 0x7F, 0x21, 0xC4, 0x02);
constexpr CLSID CLSID_KavoroAudioDecoder = MakeGuid(0x4B56F003, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51,
                                                    0x0E, 0x7F, 0x21, 0xC4, 0x03);

// The category under which graph builders look for filters to put between two pins.
constexpr GUID CLSID_LegacyAmFilterCategory = MakeGuid(0x083863F1, 0x70DE, 0x11D0, 0xBD, 0x40,
                                                       0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);

// Merits: intelligent connect tries higher merits first and never uses a filter at or below
// MERIT_DO_NOT_USE.
constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

}  // namespace kavoro
