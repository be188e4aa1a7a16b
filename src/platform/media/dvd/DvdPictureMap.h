#pragma once
// Where the DVD picture lies in a video window, and the one mapping between window positions
// and the disc's picture coordinates (720 x 576 or 720 x 480): the video window turns pointer
// positions into picture points with it before asking the navigator for the button there,
// and the subpicture decoder draws each button's highlight over the picture pixels the same
// button test accepts, so what is hit and what is lit never disagree.
#include <optional>

#include "platform/media/IVideoWindow.h"
#include "platform/media/MediaTypes.h"
#include "platform/media/PictureFit.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/ISubpictureNavigation.h"

namespace kavoro::media {

struct PictureGeometry {
  LONG pictureWidth = 720;  // the decoded picture
  LONG pictureHeight = 576;
  LONG aspectX = 4;  // its display shape
  LONG aspectY = 3;
  // The window area the picture is fitted into, in the coordinates of the positions mapped
  // (the video control's client area; the screen while it shows full screen).
  RECT client{0, 0, 720, 576};
  PictureFit fit = PictureFit::LetterBox;
  int digitalZoom = 0;  // percent of the picture's width cut away, 0..99
};

// Any thread; a value.
class DvdPictureMap {
 public:
  explicit DvdPictureMap(const PictureGeometry& geometry);

  // The part of the picture shown (picture pixels) and where it is shown (window pixels;
  // with Crop it reaches past the client area). Right and bottom edges are excluded.
  const RECT& Source() const { return source_; }
  const RECT& Destination() const { return destination_; }

  // The picture point shown at a window position; nullopt where no picture is (the bars of a
  // letter box, outside the window).
  std::optional<POINT> ToPicture(POINT window) const;
  // The window rectangle a picture rectangle (right and bottom excluded) covers.
  RECT ToWindow(const RECT& picture) const;

 private:
  RECT source_;
  RECT destination_;
};

// GUI thread. The geometry of the picture a renderer shows (its video size and display shape)
// fitted into `client` with `fit` and `zoom`: what the video window hands DvdPictureMap for
// each pointer position. E_FAIL while the renderer knows no picture.
HRESULT PictureGeometryOf(IBasicVideo2* renderer, const RECT& client, PictureFit fit, int zoom,
                          PictureGeometry* geometry);

// True when the picture pixel (x, y) belongs to the button; both edges of the recorded
// rectangle belong to it.
bool ButtonAreaContains(const DvdButtonArea& area, LONG x, LONG y);
// The button (from 1) at a picture point, the first in the packet's order; 0 for none.
ULONG ButtonAtPoint(const DvdHighlightInfo& info, POINT picture);

}  // namespace kavoro::media
