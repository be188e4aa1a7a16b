#pragma once
// Where a picture lies when fitted into a window area by an aspect-ratio mode. One
// computation for every place that needs it: the keyed picture is drawn where it says, and the
// DVD picture map turns window positions into picture points with the same rectangle, so what
// is shown and what is hit-tested never drift apart.
#include "platform/media/MediaTypes.h"

namespace kavoro::media {

// How the picture is fitted; the values follow the aspect-ratio modes (stretched, letter box,
// crop).
enum class PictureFit : int { Stretched = 0, LetterBox = 1, Crop = 2 };

// Any thread; pure. The rectangle a picture of display shape `aspectX` : `aspectY` takes when
// fitted into `target`: Stretched fills it; LetterBox keeps the shape inside it; Crop keeps the
// shape and covers it, reaching past its edges. Centred; sizes rounded to nearest, the
// centring offsets truncated toward zero. A shape with a side of 0 or less fills the target.
RECT FitPictureRect(const RECT& target, LONG aspectX, LONG aspectY, PictureFit fit);

// `sw` x `sh` fitted inside `target` keeping its shape (FitPictureRect with LetterBox).
RECT LetterBoxRect(const RECT& target, LONG sw, LONG sh);

}  // namespace kavoro::media
