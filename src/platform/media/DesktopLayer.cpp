#include "platform/media/DesktopLayer.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#if KAVORO_MEDIA_XCB
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#endif

namespace kavoro::media {
namespace {

// Borderless, below the others (_NET_WM_STATE_BELOW on X11), never given the focus.
constexpr Qt::WindowFlags kLayerFlags = Qt::Window | Qt::FramelessWindowHint |
                                        Qt::WindowStaysOnBottomHint |
                                        Qt::WindowDoesNotAcceptFocus;

// Qt's X11 platform takes extra window types from this property of the window, read whenever
// it applies the window flags; its value 2 is the desktop type (_NET_WM_WINDOW_TYPE_DESKTOP).
constexpr char kWindowTypeProperty[] = "_q_xcb_wm_window_type";
constexpr int kDesktopWindowType = 0x2;

// The top-level `window`'s platform window, made if there is none (a window Qt made again
// behind the widget's back has a new one, which the widget's own winId() does not know).
WId PlatformWindowOf(QWidget* window) {
  window->winId();
  QWindow* handle = window->windowHandle();
  return handle ? handle->winId() : 0;
}

// Gives the top-level `window` the desktop window type or takes it away, and makes its
// platform window again: the type is read with the flags when a window is made, and a window
// made with its final flags has nothing left for Qt to make again when it is shown (which
// would lose the states set before the showing).
void SetWindowType(QWidget* window, bool desktop) {
  PlatformWindowOf(window);
  QWindow* handle = window->windowHandle();
  if (!handle) return;
  handle->setProperty(kWindowTypeProperty, desktop ? QVariant(kDesktopWindowType) : QVariant());
  handle->destroy();
  PlatformWindowOf(window);
}

#if KAVORO_MEDIA_XCB
// More window states than any window carries; the rest of a longer list is kept unread.
constexpr std::uint32_t kMaxStates = 64;

struct FreeReply {
  void operator()(void* p) const { std::free(p); }
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Adds (or removes) the skip-task-bar and skip-pager states in the window's _NET_WM_STATE,
// keeping the others. Meant for a window not mapped yet: a window manager reads the list when
// it maps the window (and Qt keeps the states it does not set itself when it writes its own).
void SetSkipStates(QWidget* window, bool on) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !window->isWindow()) return;
  const auto id = static_cast<xcb_window_t>(PlatformWindowOf(window));
  if (!id) return;
  xcb_connection_t* c = x11->connection();
  if (!c) return;  // another platform (offscreen) answers without an X connection
  const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
  const xcb_atom_t skips[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                              Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
  if (state == XCB_ATOM_NONE) return;
  std::vector<xcb_atom_t> states;
  std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, kMaxStates), nullptr));
  if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    states.assign(data, data + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t));
  }
  for (xcb_atom_t skip : skips) {
    if (skip == XCB_ATOM_NONE) continue;
    const bool has = std::find(states.begin(), states.end(), skip) != states.end();
    if (on && !has) states.push_back(skip);
    if (!on && has) states.erase(std::remove(states.begin(), states.end(), skip), states.end());
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                      static_cast<std::uint32_t>(states.size()), states.data());
  xcb_flush(c);
}
#else
void SetSkipStates(QWidget*, bool) {}
#endif

}  // namespace

void DesktopLayer::Apply(QWidget* window, QWidget* parent, Qt::WindowFlags ordinaryFlags,
                         bool on) {
  on = on && parent == nullptr;
  DesktopLayer* keeper = Of(window);
  window->setAttribute(Qt::WA_ShowWithoutActivating, on);
  window->setParent(parent, on ? kLayerFlags : ordinaryFlags);
  // A child has no type of its own; a window that stays what it was keeps its platform window.
  if (window->isWindow() && on != (keeper != nullptr)) SetWindowType(window, on);
  if (on && !keeper) new DesktopLayer(window);
  if (!on && keeper) delete keeper;
}

bool DesktopLayer::IsLayer(const QWidget* window) { return window && Of(window) != nullptr; }

DesktopLayer* DesktopLayer::Of(const QWidget* window) {
  return window->findChild<DesktopLayer*>(QString(), Qt::FindDirectChildrenOnly);
}

DesktopLayer::DesktopLayer(QWidget* window) : QObject(window), window_(window) {
  qApp->installEventFilter(this);
}

DesktopLayer::~DesktopLayer() { qApp->removeEventFilter(this); }

bool DesktopLayer::eventFilter(QObject* watched, QEvent* event) {
  // A widget's show event comes before the platform maps its window.
  if (event->type() != QEvent::Show || !window_) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || !w->isWindow()) return false;
  if (w == window_) SetSkipStates(window_, true);
  LowerSoon();
  return false;
}

void DesktopLayer::LowerSoon() {
  if (lowerQueued_) return;
  lowerQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    lowerQueued_ = false;
    if (window_ && window_->isVisible()) window_->lower();
  });
}

}  // namespace kavoro::media
