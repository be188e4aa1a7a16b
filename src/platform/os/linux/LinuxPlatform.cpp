#include "platform/os/linux/LinuxPlatform.h"

#include <alsa/asoundlib.h>

#include "platform/os/linux/LinuxDesktop.h"
#include "platform/os/linux/LinuxDialogs.h"
#include "platform/os/linux/LinuxDrives.h"
#include "platform/os/linux/LinuxMessageWindows.h"
#include "platform/os/linux/LinuxMixer.h"
#include "platform/os/linux/LinuxPaths.h"
#include "platform/os/linux/LinuxProcesses.h"
#include "platform/os/linux/LinuxRegistry.h"
#include "platform/os/linux/LinuxRunningObjectTable.h"
#include "platform/os/linux/LinuxScreenSaver.h"
#include "platform/os/linux/LinuxScreens.h"
#include "platform/os/linux/LinuxShell.h"
#include "platform/os/linux/LinuxSound.h"
#include "platform/os/linux/LinuxWaveOut.h"
#include "platform/os/linux/LinuxWindowClasses.h"

namespace kavoro::os::linuxos {

constexpr const char* kDrivesFile = "/drives.ini";

struct LinuxPlatform::Services {
  LinuxRegistry registry{ConfigFolder()};
  LinuxDrives drives{ConfigFolder() + kDrivesFile};
  LinuxWaveOut waveOut{registry};
  LinuxMixer mixer;
  LinuxSound sound;
  LinuxShell shell;
  LinuxDesktop desktop;
  LinuxScreens screens;
  LinuxProcesses processes;
  LinuxWindowClasses windowClasses;
  LinuxMessageWindows messages;
  LinuxDialogs dialogs;
  LinuxRunningObjectTable runningObjects{RunningObjectFolder()};
  LinuxScreenSaver screenSaver;
};

namespace {
// The sound library reports every failed open on standard error (on a machine without a card,
// each mixer query). Our callers look at the result codes; the text is only noise to users.
void QuietSoundLibrary(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

LinuxPlatform::LinuxPlatform() {
  snd_lib_error_set_handler(QuietSoundLibrary);
  s_ = std::make_unique<Services>();
}
LinuxPlatform::~LinuxPlatform() = default;

IRegistry& LinuxPlatform::Registry() { return s_->registry; }
IDrives& LinuxPlatform::Drives() { return s_->drives; }
IWaveOut& LinuxPlatform::WaveOut() { return s_->waveOut; }
IMixer& LinuxPlatform::Mixer() { return s_->mixer; }
ISound& LinuxPlatform::Sound() { return s_->sound; }
IShell& LinuxPlatform::Shell() { return s_->shell; }
IDesktop& LinuxPlatform::Desktop() { return s_->desktop; }
IScreens& LinuxPlatform::Screens() { return s_->screens; }
IProcesses& LinuxPlatform::Processes() { return s_->processes; }
IWindowClasses& LinuxPlatform::WindowClasses() { return s_->windowClasses; }
IMessageWindows& LinuxPlatform::MessageWindows() { return s_->messages; }
IGuiThread& LinuxPlatform::GuiThread() { return s_->messages; }
IDialogs& LinuxPlatform::Dialogs() { return s_->dialogs; }
IRunningObjectTable& LinuxPlatform::RunningObjectTable() { return s_->runningObjects; }
IScreenSaver& LinuxPlatform::ScreenSaver() { return s_->screenSaver; }

}  // namespace kavoro::os::linuxos

namespace kavoro::os {

IPlatform& Os() {
  static linuxos::LinuxPlatform platform;
  return platform;
}

}  // namespace kavoro::os
