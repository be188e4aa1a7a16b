#pragma once
// A paused video renderer holds the picture it shows and takes no other from its input until
// it runs (the delivering thread waits there). A filter in front of it that blends overlays
// into the pictures (the overlay mixer) hands it that picture blended again through this, so
// an overlay that changes while paused (a menu's new selection) shows at once.
#include "platform/media/IMediaSample.h"

namespace kavoro {

struct IHeldPicture : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56A005, 0x77C0, 0x4E21, 0x8A, 0x13, 0x0C, 0x5E, 0x61,
                                       0x3B, 0x90, 0x05);
  using Base = IUnknown;
  // Any thread but the one delivering to the renderer's input. While the renderer is paused
  // and shows a picture: shows `sample` (the same picture with other overlays; the held
  // picture's format applies) in its place at once and holds it as the one shown. VFW_E_WRONG_STATE when not
  // paused or nothing is shown yet: the caller delivers the picture as usual then.
  virtual HRESULT ReplaceHeldPicture(IMediaSample* sample) = 0;
};

}  // namespace kavoro
