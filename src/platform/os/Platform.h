#pragma once
// The platform services of this process. The build links one backend: `linux` (the real
// machine) for the program and its tools, `sim` (a deterministic in-memory world) for tests
// of the system code.
#include "platform/os/Desktop.h"
#include "platform/os/Dialogs.h"
#include "platform/os/Drives.h"
#include "platform/os/GuiThread.h"
#include "platform/os/Messages.h"
#include "platform/os/Mixer.h"
#include "platform/os/Processes.h"
#include "platform/os/Registry.h"
#include "platform/os/RunningObjectTable.h"
#include "platform/os/ScreenSaver.h"
#include "platform/os/Screens.h"
#include "platform/os/Shell.h"
#include "platform/os/Sound.h"
#include "platform/os/WaveOut.h"
#include "platform/os/WindowClasses.h"

namespace kavoro::os {

class IPlatform {
 public:
  virtual ~IPlatform() = default;
  virtual IRegistry& Registry() = 0;
  virtual IDrives& Drives() = 0;
  virtual IWaveOut& WaveOut() = 0;
  virtual IMixer& Mixer() = 0;
  virtual ISound& Sound() = 0;
  virtual IShell& Shell() = 0;
  virtual IDesktop& Desktop() = 0;
  virtual IScreens& Screens() = 0;
  virtual IProcesses& Processes() = 0;
  virtual IWindowClasses& WindowClasses() = 0;
  virtual IMessageWindows& MessageWindows() = 0;
  virtual IGuiThread& GuiThread() = 0;
  virtual IDialogs& Dialogs() = 0;
  virtual IRunningObjectTable& RunningObjectTable() = 0;
  virtual IScreenSaver& ScreenSaver() = 0;
};

// The services, made by the linked backend on first use; the thread of that first call is
// the GUI thread unless the backend learns otherwise (the Qt application's thread).
// Any thread may call it; the services say which threads may use them.
IPlatform& Os();

}  // namespace kavoro::os
