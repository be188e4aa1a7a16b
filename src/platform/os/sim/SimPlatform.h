#pragma once
// The sim world: every platform service as a small, consistent in-memory model whose state
// tests set up and inspect. Sim() gives the concrete services; Reset() empties the world
// between tests.
#include "platform/os/Platform.h"
#include "platform/os/common/RegistryDesktop.h"
#include "platform/os/sim/SimDialogs.h"
#include "platform/os/sim/SimDrives.h"
#include "platform/os/sim/SimMessageWindows.h"
#include "platform/os/sim/SimMixer.h"
#include "platform/os/sim/SimProcesses.h"
#include "platform/os/sim/SimRegistry.h"
#include "platform/os/sim/SimRunningObjectTable.h"
#include "platform/os/sim/SimScreenSaver.h"
#include "platform/os/sim/SimScreens.h"
#include "platform/os/sim/SimShell.h"
#include "platform/os/sim/SimSound.h"
#include "platform/os/sim/SimWaveOut.h"
#include "platform/os/sim/SimWindowClasses.h"

namespace kavoro::os {

class SimPlatform : public IPlatform {
 public:
  SimPlatform();

  SimRegistry& Registry() override { return registry_; }
  SimDrives& Drives() override { return drives_; }
  SimWaveOut& WaveOut() override { return waveOut_; }
  SimMixer& Mixer() override { return mixer_; }
  SimSound& Sound() override { return sound_; }
  SimShell& Shell() override { return shell_; }
  RegistryDesktop& Desktop() override { return desktop_; }
  SimScreens& Screens() override { return screens_; }
  SimProcesses& Processes() override { return processes_; }
  SimWindowClasses& WindowClasses() override { return windowClasses_; }
  SimMessageWindows& MessageWindows() override { return messages_; }
  SimMessageWindows& GuiThread() override { return messages_; }
  SimDialogs& Dialogs() override { return dialogs_; }
  SimRunningObjectTable& RunningObjectTable() override { return runningObjects_; }
  SimScreenSaver& ScreenSaver() override { return screenSaver_; }

  // Empties every service; the calling thread becomes the GUI thread.
  void Reset();
  // Shorthands for the sim clock and the GUI thread's pump.
  void AdvanceTime(std::uint32_t ms) { messages_.AdvanceTime(ms); }
  bool ProcessMessages(int timeoutMs = 0) { return messages_.ProcessMessages(timeoutMs); }

 private:
  SimRegistry registry_;
  SimDrives drives_;
  SimWaveOut waveOut_;
  SimMixer mixer_;
  SimSound sound_;
  SimShell shell_;
  RegistryDesktop desktop_;
  SimMessageWindows messages_;
  SimScreens screens_;
  SimProcesses processes_;
  SimWindowClasses windowClasses_;
  SimDialogs dialogs_;
  SimRunningObjectTable runningObjects_;
  SimScreenSaver screenSaver_;
};

SimPlatform& Sim();

}  // namespace kavoro::os
