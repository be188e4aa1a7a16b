#include "controls/VeskoImagePanel.h"

namespace kavoro::controls {

TVeskoImagePanel::TVeskoImagePanel(QWidget* parent) : TVeskoCustomPanel(parent) {}

}  // namespace kavoro::controls
