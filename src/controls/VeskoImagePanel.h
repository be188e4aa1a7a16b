#pragma once

#include "controls/VeskoCustomPanel.h"

namespace kavoro::controls {

// The picture panel with its properties published. GUI thread only.
class TVeskoImagePanel : public TVeskoCustomPanel {
  Q_OBJECT
 public:
  explicit TVeskoImagePanel(QWidget* parent = nullptr);

  using TVeskoCustomPanel::Picture;
  using TVeskoCustomPanel::SetPicture;
  using TVeskoCustomPanel::DrawStyle;
  using TVeskoCustomPanel::SetDrawStyle;
  using TVeskoCustomPanel::Transparent;
  using TVeskoCustomPanel::SetTransparent;
  using TVeskoCustomPanel::AutoSize;
  using TVeskoCustomPanel::SetAutoSize;
  using TVeskoCustomPanel::Alignment;
  using TVeskoCustomPanel::SetAlignment;
  using TVeskoCustomPanel::Caption;
  using TVeskoCustomPanel::SetCaption;
  using TVeskoCustomPanel::Color;
  using TVeskoCustomPanel::SetColor;
  using TVeskoCustomPanel::Align;
  using TVeskoCustomPanel::SetAlign;
};

}  // namespace kavoro::controls
