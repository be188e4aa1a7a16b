#include "platform/media/PictureFit.h"

#include <cstdint>

namespace kavoro::media {
namespace {

// a * b / c rounded to nearest (halves away from zero).
LONG MulDivRound(LONG a, LONG b, LONG c) {
  if (c == 0) return 0;
  const std::int64_t p = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = (c < 0 ? -c : c) / 2;
  const std::int64_t q = ((p < 0) != (c < 0)) ? (p - half) / c : (p + half) / c;
  return static_cast<LONG>(q);
}

}  // namespace

RECT FitPictureRect(const RECT& target, LONG sw, LONG sh, PictureFit fit) {
  if (fit == PictureFit::Stretched || sw <= 0 || sh <= 0) return target;
  const LONG dw = RectWidth(target), dh = RectHeight(target);
  // The target is taller than the shape: a letter box takes its width, a crop its height.
  const bool taller = static_cast<double>(dh) / sh > static_cast<double>(dw) / sw;
  const bool fullWidth = (fit == PictureFit::LetterBox) == taller;
  const LONG w = fullWidth ? dw : MulDivRound(sw, dh, sh);
  const LONG h = fullWidth ? MulDivRound(sh, dw, sw) : dh;
  const LONG left = target.left + (dw - w) / 2, top = target.top + (dh - h) / 2;
  return {left, top, left + w, top + h};
}

RECT LetterBoxRect(const RECT& target, LONG sw, LONG sh) {
  return FitPictureRect(target, sw, sh, PictureFit::LetterBox);
}

}  // namespace kavoro::media
