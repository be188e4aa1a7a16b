#pragma once
// Which CD/DVD drives the machine has, whether a drive holds a readable disc, what the disc
// is called and whether it is a DVD-Video or a Video CD. Stateless: every call asks the
// platform afresh. GUI thread only.
#include <string>
#include <vector>

namespace kavoro {

constexpr const char* kDiscPresent = "Y";
constexpr const char* kNoDisc = "No Disc";
constexpr const char* kUnknownVolume = "Unknown Volume";

enum DiscKind : int { dkNone = 0, dkDvdVideo = 1, dkVideoCd = 2 };

// Roots ("E:\") of the CD/DVD drives from D: to Z:, in letter order; may be empty.
std::vector<std::string> ListOpticalDrives();
// The disc's label, or "Unknown Volume" when it has none or cannot be read.
std::string VolumeLabelOf(const std::string& root);
// "Y" when the drive holds a readable disc, "No Disc" otherwise.
std::string DiscStateOf(const std::string& root);
// 1 for a DVD-Video (exactly AUDIO_TS and VIDEO_TS at the root), 2 for a Video CD (exactly
// EXT, CDI, MPEGAV, SEGMENT and VCD), 0 otherwise. Hidden and system folders do not count.
int DiscKindOf(char letter);
// How menus and dialogs show a drive: the root followed by "No Disc" or by the label.
std::string DriveCaption(const std::string& root);

}  // namespace kavoro
