#pragma once
// Keeping the screen saver and monitor power-down away while video plays. An inhibition lasts
// as long as the object that stands for it; several may be held at once.
#include <memory>
#include <string>

namespace kavoro::os {

// How an inhibition is carried out.
enum class ScreenSaverMethod {
  None,            // nothing on this machine can be asked (no display, no desktop service)
  DesktopService,  // the desktop's screen-saver service was asked and answered
  ResetTimer,      // the display server's screen saver is reset on a timer
};

// Releases the inhibition when destroyed. GUI thread only.
class ScreenSaverInhibition {
 public:
  virtual ~ScreenSaverInhibition() = default;
  virtual ScreenSaverMethod Method() const = 0;
};

// GUI thread only.
class IScreenSaver {
 public:
  virtual ~IScreenSaver() = default;
  // Starts an inhibition on behalf of `application` for `reason`. Never fails: where nothing
  // can be asked, the object says so through Method() and does nothing.
  virtual std::unique_ptr<ScreenSaverInhibition> Inhibit(const std::string& application,
                                                         const std::string& reason) = 0;
  // Inhibitions alive now.
  virtual int ActiveInhibitions() = 0;
};

}  // namespace kavoro::os
