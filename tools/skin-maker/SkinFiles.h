#pragma once
// Writes a painted skin as the player reads it: Windows bitmaps and "Skin.ini".
#include "SkinArt.h"

#include <QString>

namespace kavoro::skinmaker {

// Writes every picture and "Skin.ini" into folder (made when missing). False, with a message
// on standard error, when a file cannot be written.
bool WriteSkin(const TSkinArt& skin, const QString& folder);

}  // namespace kavoro::skinmaker
