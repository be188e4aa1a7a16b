#include "controls/GraphicControl.h"

namespace kavoro::controls {

TGraphicControl::TGraphicControl(QWidget* parent) : QWidget(parent) {
  lower();
}

}  // namespace kavoro::controls
