#include "platform/os/sim/SimPlatform.h"

namespace kavoro::os {

SimPlatform::SimPlatform() : screens_([this] { return messages_.Now(); }) {}

void SimPlatform::Reset() {
  registry_.Reset();
  drives_.Reset();
  waveOut_.Reset();
  mixer_.Reset();
  sound_.Reset();
  shell_.Reset();
  messages_.Reset();
  messages_.MakeGuiThread();
  screens_.Reset();
  processes_.Reset();
  windowClasses_.Reset();
  dialogs_.Reset();
  runningObjects_.Reset();
  screenSaver_.Reset();
}

SimPlatform& Sim() {
  static SimPlatform platform;
  return platform;
}

IPlatform& Os() { return Sim(); }

}  // namespace kavoro::os
