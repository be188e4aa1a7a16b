#pragma once
// Keeping the screen saver away on the real machine. While at least one inhibition lives, one
// inhibition is held with the desktop's org.freedesktop.ScreenSaver service on the session bus;
// where that service does not answer but Qt runs on an X display, the X screen saver is reset
// on a timer instead; with neither, nothing is done. The bus and the display are looked at
// when the first of a run of inhibitions starts, never before a Qt application exists.
#include <chrono>
#include <memory>
#include <string>

#include "platform/os/ScreenSaver.h"

namespace kavoro::os::linuxos {

// Period of the X screen-saver reset; well under the shortest idle time desktops offer (1 min).
inline constexpr std::chrono::milliseconds kScreenSaverResetInterval{30'000};
// The longest the GUI thread waits for one answer from the desktop's service.
inline constexpr std::chrono::milliseconds kScreenSaverCallTimeout{1'000};

class LinuxScreenSaver : public IScreenSaver {
 public:
  // Asks neither the bus nor the display, so it may be made before the Qt application.
  // `resetInterval`: the X reset period (tests use a short one).
  explicit LinuxScreenSaver(std::chrono::milliseconds resetInterval = kScreenSaverResetInterval);
  // GUI thread. Releases what is still held while a Qt application exists; without one it only
  // forgets it (the desktop drops an inhibition when its holder's bus connection closes).
  // Inhibitions that outlive this object do nothing when they go.
  ~LinuxScreenSaver() override;
  LinuxScreenSaver(const LinuxScreenSaver&) = delete;
  LinuxScreenSaver& operator=(const LinuxScreenSaver&) = delete;

  // GUI thread. The first live inhibition asks the desktop's service (waiting at most
  // kScreenSaverCallTimeout per call) or starts the X reset; later ones share what it got, and
  // their application and reason are not passed on. Without a Qt application nothing is asked
  // and the inhibition reports Method None. The caller owns the result.
  std::unique_ptr<ScreenSaverInhibition> Inhibit(const std::string& application,
                                                 const std::string& reason) override;
  // GUI thread.
  int ActiveInhibitions() override;

  // Shared with the inhibitions, so one that outlives the service is harmless.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace kavoro::os::linuxos
