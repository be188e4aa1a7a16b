#include "controls/CopyParentBackground.h"

#include "controls/GraphicControl.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

namespace kavoro::controls {

void CopyParentBackground(QPainter& canvas, const QWidget& control) {
  QWidget* parent = control.parentWidget();
  if (!parent) return;
  // Parent coordinates of the part of the parent under the control.
  const QRect under = control.geometry() & parent->rect();
  if (under.isEmpty()) return;

  canvas.save();
  canvas.translate(-control.x(), -control.y());
  canvas.setClipRect(parent->rect(), Qt::IntersectClip);
  // render() puts the top-left of the source region at the target offset.
  parent->render(&canvas, under.topLeft(), QRegion(under), QWidget::DrawWindowBackground);
  for (QObject* child : parent->children()) {
    auto* graphic = qobject_cast<TGraphicControl*>(child);
    if (!graphic || graphic == &control || !graphic->isVisible()) continue;
    const QRect overlap = graphic->geometry() & under;
    if (overlap.isEmpty()) continue;
    graphic->render(&canvas, overlap.topLeft(), QRegion(overlap.translated(-graphic->pos())),
                    QWidget::RenderFlags());
  }
  canvas.restore();
}

}  // namespace kavoro::controls
