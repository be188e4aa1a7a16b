#pragma once
// The menu buttons of a libdvdnav navigation packet in the form the subpicture decoder and
// the button tests take. Only for code that already includes libdvdnav.
#include <dvdnav/dvdnav.h>

#include "platform/media/dvd/ISubpictureNavigation.h"

namespace kavoro::media {

inline DvdHighlightInfo HighlightFromPci(const pci_t& pci) {
  constexpr unsigned kButtonCountMask = 0x3F;
  constexpr unsigned kMaxButtons = sizeof(pci.hli.btnit) / sizeof(pci.hli.btnit[0]);
  DvdHighlightInfo info;
  info.hasButtons = pci.hli.hl_gi.hli_ss != 0;
  if (!info.hasButtons) return info;
  const unsigned n = pci.hli.hl_gi.btn_ns & kButtonCountMask;
  for (unsigned b = 0; b < n && b < kMaxButtons; ++b) {
    const btni_t& r = pci.hli.btnit[b];
    info.buttons.push_back({static_cast<LONG>(r.x_start), static_cast<LONG>(r.y_start),
                            static_cast<LONG>(r.x_end), static_cast<LONG>(r.y_end),
                            static_cast<int>(r.btn_coln)});
  }
  for (int set = 0; set < DvdHighlightInfo::kColorSets; ++set)
    for (int state : {DvdHighlightInfo::kSelection, DvdHighlightInfo::kAction})
      info.colors[set][state] = pci.hli.btn_colit.btn_coli[set][state];
  return info;
}

}  // namespace kavoro::media
