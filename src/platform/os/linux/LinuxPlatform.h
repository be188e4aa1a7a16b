#pragma once
// The real machine's services.
#include <memory>

#include "platform/os/Platform.h"

namespace kavoro::os::linuxos {

class LinuxPlatform : public IPlatform {
 public:
  LinuxPlatform();
  ~LinuxPlatform() override;

  IRegistry& Registry() override;
  IDrives& Drives() override;
  IWaveOut& WaveOut() override;
  IMixer& Mixer() override;
  ISound& Sound() override;
  IShell& Shell() override;
  IDesktop& Desktop() override;
  IScreens& Screens() override;
  IProcesses& Processes() override;
  IWindowClasses& WindowClasses() override;
  IMessageWindows& MessageWindows() override;
  IGuiThread& GuiThread() override;
  IDialogs& Dialogs() override;
  IRunningObjectTable& RunningObjectTable() override;
  IScreenSaver& ScreenSaver() override;

 private:
  struct Services;
  std::unique_ptr<Services> s_;
};

}  // namespace kavoro::os::linuxos
