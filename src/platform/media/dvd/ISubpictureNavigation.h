#pragma once
// What a subpicture decoder needs from the DVD navigator besides the subpicture units
// themselves: the colour table of the program chain, the menu buttons of each navigation
// packet with the stream time it covers, the selected button, and whether subpictures are
// switched on. The navigator asks the input pin its subpicture output is connected to for
// this interface and, when it is there, calls it on its streaming thread (the thread that
// also delivers the units), so no call races a unit.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/media/MediaTypes.h"
#include "platform/media/dvd/DvdTypes.h"

namespace kavoro {

// One menu button of a navigation packet. The rectangle is in picture pixels with both edges
// included, as the disc records it.
struct DvdButtonArea {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  // Which of the three colour sets the button uses, 1..3; 0 draws it without a highlight.
  int colorSet = 0;
};

// The buttons of one navigation packet.
struct DvdHighlightInfo {
  static constexpr int kColorSets = 3;
  static constexpr int kSelection = 0;  // the button is selected
  static constexpr int kAction = 1;     // the button is being activated
  // False when the packet has no buttons (nothing is highlighted).
  bool hasButtons = false;
  std::vector<DvdButtonArea> buttons;  // [0] is button 1
  // [set - 1][kSelection or kAction]: the four colour indices in the high 16 bits and the four
  // contrasts in the low 16 bits, each as nibbles for pixel values 3, 2, 1, 0 (highest first).
  std::array<std::array<std::uint32_t, 2>, kColorSets> colors{};
};

// A colour table entry as the disc stores it: 0x00YYCrCb.
using DvdPalette = std::array<std::uint32_t, 16>;

struct ISubpictureNavigation : IUnknown {
  static constexpr IID kIID =
      MakeGuid(0x4B56D5B1, 0x2C4E, 0x4F0A, 0x93, 0x61, 0x7A, 0x0E, 0x2D, 0x44, 0x19, 0x05);
  using Base = IUnknown;

  // All calls but GetShownButtons: the navigator's streaming thread. Times are stream times
  // (100 ns), as in the samples the navigator delivers.

  // The colour table for the units that follow.
  virtual HRESULT SetPalette(const DvdPalette& palette) = 0;
  // The buttons of the navigation packet whose pictures run from `start` to `end`. Packets
  // come in stream order, ahead of their pictures; the decoder draws with the one whose
  // span holds the picture on screen.
  virtual HRESULT SetHighlight(REFERENCE_TIME start, REFERENCE_TIME end,
                               const DvdHighlightInfo& info) = 0;
  // The selected button (from 1; 0 for none) and whether it is being activated. Takes effect
  // at once: the picture on screen is redrawn.
  virtual HRESULT SetSelectedButton(ULONG button, BOOL action) = 0;
  // Off: only units marked for forced display are shown. Takes effect at once.
  virtual HRESULT SetSubpictureShown(BOOL shown) = 0;
  // Another stream was chosen: the units received so far, shown or waiting, are dropped (the
  // picture on screen is cleared at once).
  virtual HRESULT DropUnits() = 0;
  // Any thread. The buttons of the navigation packet the decoder draws with now, so that a
  // button found at a point is the one lit there. S_FALSE when it has none yet.
  virtual HRESULT GetShownButtons(DvdHighlightInfo* info) = 0;
};

}  // namespace kavoro
