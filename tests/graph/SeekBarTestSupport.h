#pragma once
// The seek bar as the tests place it: 100 pixels long with a 10-pixel slider on a shown host,
// so a press at x gives (x - 5) * Max / 90.
#include <QWidget>

#include "../controls/ControlsTestSupport.h"
#include "media/Vesko_TrackBar.h"

namespace kavoro::test {

inline TVesko_TrackBar* PlacedSeekBar(QWidget* host) {
  auto* bar = new TVesko_TrackBar(host);
  bar->move(20, 20);
  bar->show();
  bar->resize(100, 30);
  bar->SetBarImage(controls::test::Solid(30, 10, Qt::gray));
  bar->SetSliderImage(controls::test::Solid(10, 10, Qt::blue));
  return bar;
}

}  // namespace kavoro::test
