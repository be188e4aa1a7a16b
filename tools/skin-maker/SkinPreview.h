#pragma once
// A picture of a painted skin as the player would show it, to judge it by eye before it ships:
// the shaped main window over a desktop (at natural size and enlarged) with every control in
// place, the clock at 01:23:45 and a play name; every button in its three states; the hint;
// the framed video window idle and with the play list.
#include "SkinArt.h"

namespace kavoro::skinmaker {

QImage PreviewSkin(const TSkinArt& skin);

}  // namespace kavoro::skinmaker
