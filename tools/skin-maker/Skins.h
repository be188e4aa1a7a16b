#pragma once
// The skins we ship, each painted by a unit of its own.
#include "SkinArt.h"

namespace kavoro::skinmaker {

// "Default": a dark, rounded face with soft gradients and a cyan accent.
TSkinArt PaintDefaultSkin();
// "Capsule": a brushed-aluminium capsule with round ends and an LCD.
TSkinArt PaintCapsuleSkin();

}  // namespace kavoro::skinmaker
