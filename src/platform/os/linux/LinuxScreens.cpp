#include "platform/os/linux/LinuxScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <chrono>

namespace kavoro::os::linuxos {
namespace {

constexpr int kFallbackWidth = 1024;
constexpr int kFallbackHeight = 768;

Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

bool HaveGui() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

std::vector<Monitor> LinuxScreens::Monitors() {
  std::vector<Monitor> out;
  if (HaveGui()) {
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) out.push_back({ToRect(primary->geometry()), ToRect(primary->availableGeometry()), true});
    for (QScreen* s : QGuiApplication::screens())
      if (s != primary) out.push_back({ToRect(s->geometry()), ToRect(s->availableGeometry()), false});
  }
  if (out.empty()) {
    const Rect r{0, 0, kFallbackWidth, kFallbackHeight};
    out.push_back({r, r, true});
  }
  return out;
}

int LinuxScreens::ScreenWidth() { return Monitors().front().bounds.Width(); }
int LinuxScreens::ScreenHeight() { return Monitors().front().bounds.Height(); }

Point LinuxScreens::CursorPos() {
  if (!HaveGui()) return {};
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

std::uint32_t LinuxScreens::TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace kavoro::os::linuxos
