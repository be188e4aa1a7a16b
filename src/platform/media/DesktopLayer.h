#pragma once
// The video renderer's top-level window as the desktop layer: borderless, of the desktop
// window type, kept below every other window, off the task bar and pager and never taking
// focus, so the icons and every window stay above the picture. A window manager keeps it
// below by its type and state; under a bare X server the layer lowers itself whenever it or
// another window of the application is shown. GUI thread only.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kavoro::media {

class DesktopLayer final : public QObject {
  Q_OBJECT
 public:
  // Makes `window` (a top-level widget) the desktop layer, or an ordinary window again: sets
  // or clears the window type and focus attributes, reparents it with `parent` and
  // `ordinaryFlags` (or the layer's own flags when `on`) and starts or ends the keeper that
  // holds it below. `on` with a parent is taken as off: a child is no desktop layer. The
  // window's geometry and visibility are the caller's to restore.
  static void Apply(QWidget* window, QWidget* parent, Qt::WindowFlags ordinaryFlags, bool on);
  // True while `window` is a desktop layer.
  static bool IsLayer(const QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The keeper of `window`'s place: owned by it (a child object), so it ends with it. It
  // watches every widget's showing, marks the layer off the task bar (X11) as it is shown and
  // lowers it after any top-level window is shown.
  explicit DesktopLayer(QWidget* window);
  ~DesktopLayer() override;
  static DesktopLayer* Of(const QWidget* window);
  // Lowers the window once the showing under way has mapped it.
  void LowerSoon();

  QPointer<QWidget> window_;
  bool lowerQueued_ = false;
};

}  // namespace kavoro::media
