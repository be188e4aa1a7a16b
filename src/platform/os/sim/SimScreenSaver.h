#pragma once
// The sim backend's screen saver: nothing is shown or kept away; live inhibitions are counted,
// and the application and reason of the latest are remembered, so tests can see the player
// inhibit and release. The method a new inhibition reports is set by the test.
#include <memory>
#include <string>

#include "platform/os/ScreenSaver.h"

namespace kavoro::os {

class SimScreenSaver : public IScreenSaver {
 public:
  SimScreenSaver();

  // GUI thread only. Counts the inhibition until the returned object (the caller's) is
  // destroyed; it reports the method set at the moment it was made.
  std::unique_ptr<ScreenSaverInhibition> Inhibit(const std::string& application,
                                                 const std::string& reason) override;
  // GUI thread only.
  int ActiveInhibitions() override;

  // Test setup and inspection, GUI thread only.
  // What new inhibitions report; DesktopService at first.
  void SetMethod(ScreenSaverMethod method) { method_ = method; }
  ScreenSaverMethod Method() const { return method_; }
  // Inhibitions made since the last Reset, released or not.
  int InhibitCount() const { return inhibits_; }
  // Of the latest inhibition; empty before the first.
  const std::string& LastApplication() const { return lastApplication_; }
  const std::string& LastReason() const { return lastReason_; }
  // A fresh world: nothing counted, method DesktopService. Inhibitions made before no longer
  // count, and their release changes nothing.
  void Reset();

 private:
  // Shared with the inhibitions of the current world; Reset starts a new one.
  std::shared_ptr<int> live_;
  ScreenSaverMethod method_ = ScreenSaverMethod::DesktopService;
  int inhibits_ = 0;
  std::string lastApplication_;
  std::string lastReason_;
};

}  // namespace kavoro::os
