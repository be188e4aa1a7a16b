#pragma once
// Registers the DVD graph builder (CLSID_DvdGraphBuilder), the navigator filter and the
// subpicture decoder (found by graph building for subpicture pins) with the class registry.
// Also registers the media framework's classes. Any thread; once is enough.
#include "platform/com/Guid.h"

namespace kavoro {

// The DVD navigator filter: the source of a DVD playback graph.
constexpr CLSID CLSID_KavoroDvdNavigator = MakeGuid(0x4B56F010, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51,
                                                    0x0E, 0x7F, 0x21, 0xC4, 0x10);
// The subpicture decoder: DVD subpictures to ARGB32 overlay pictures.
constexpr CLSID CLSID_KavoroSubpictureDecoder = MakeGuid(0x4B56F011, 0x6A1E, 0x4C2B, 0x9D, 0x3A,
                                                         0x51, 0x0E, 0x7F, 0x21, 0xC4, 0x11);

namespace media {
void RegisterDvdPlayback();
}  // namespace media

}  // namespace kavoro
