#pragma once

#include "controls/Picture.h"
#include "controls/VeskoCustomButton.h"

namespace kavoro::controls {

// The picture button of the skins: its four state pictures are picture objects of its own. An
// empty mouse-over, pressed or disabled picture falls back to PicNormal. GUI thread only.
class TVeskoImageButton : public TVeskoCustomButton {
  Q_OBJECT
 public:
  explicit TVeskoImageButton(QWidget* parent = nullptr);

  // The picture objects themselves. Assigning a graphic to one directly (as the skin loader
  // does) runs neither AdjustToPicture nor a repaint.
  TPicture& PicNormal() { return FPicNormal; }
  TPicture& PicMouseOn() { return FPicMouseOn; }
  TPicture& PicMouseDown() { return FPicMouseDown; }
  TPicture& PicDisabled() { return FPicDisabled; }

  // Each setter copies the picture, runs AdjustToPicture and repaints.
  void SetPicNormal(const QImage& picture);
  void SetPicMouseOn(const QImage& picture);
  void SetPicMouseDown(const QImage& picture);
  void SetPicDisabled(const QImage& picture);

 protected:
  // Placed in a window: switches AutoSize on (without its setter) and sizes the button to
  // PicNormal when it holds a picture.
  void AdjustToPicture() override;
  void ApplyStyle(TUIStyle) override {}
  // Draws the picture unchanged at 0, 0.
  void DrawGlyph(QPainter& canvas, const QImage& picture) override;
  void GetNormalPicture(QImage& bitmap) override;
  void GetMouseOnPicture(QImage& bitmap) override;
  void GetMouseDownPicture(QImage& bitmap) override;
  void GetDisabledPicture(QImage& bitmap) override;

 private:
  void SetPicture(TPicture& target, const QImage& picture);
  // The state's picture, or PicNormal when it is empty.
  const QImage& OrNormal(const TPicture& picture) const;

  TPicture FPicNormal;
  TPicture FPicMouseOn;
  TPicture FPicMouseDown;
  TPicture FPicDisabled;
};

}  // namespace kavoro::controls
