#pragma once

#include <QWidget>

namespace kavoro::controls {

// A windowless control: it has no window of its own, so it counts as part of its parent's
// image. It stays beneath its windowed siblings, and CopyParentBackground paints it together
// with the parent. GUI thread only.
class TGraphicControl : public QWidget {
  Q_OBJECT
 public:
  // Creates the control beneath every sibling that already exists.
  explicit TGraphicControl(QWidget* parent = nullptr);
};

}  // namespace kavoro::controls
