#pragma once

#include "controls/GraphicControl.h"
#include "controls/Picture.h"

namespace kavoro::controls {

// A plain picture control: shows its picture at natural size from its top-left corner, or
// stretched over the whole control when Stretch is on. Where the picture does not reach, the
// parent shows through. It never resizes itself. GUI thread only.
class TImage : public TGraphicControl {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);

  // The picture object, owned by the control. Any change of it (Assign, LoadFromFile,
  // SetTransparent) repaints the control. Drawing straight into a copy of its graphic and
  // assigning it back is the way to change pixels.
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }

  bool Stretch() const { return FStretch; }
  // Stores the flag and repaints.
  void SetStretch(bool value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TPicture FPicture;
  bool FStretch = false;
};

}  // namespace kavoro::controls
