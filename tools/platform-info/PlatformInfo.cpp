// Prints what the player sees of this machine: the drive table (root, disc state, volume
// label, disc kind, caption; tab-separated, one drive a line), the mixer and its master mute,
// and the wave-output volume.
#include <cstdio>

#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "system/DriveScan.h"
#include "system/MasterMute.h"

int main() {
  using namespace kavoro;
  os::SetApplicationTitle("platform-info");
  const auto drives = ListOpticalDrives();
  if (drives.empty()) std::printf("No CD/DVD drives\n");
  for (const std::string& root : drives) {
    std::printf("%s\t%s\t%s\t%d\t%s\n", root.c_str(), DiscStateOf(root).c_str(),
                VolumeLabelOf(root).c_str(), DiscKindOf(root[0]), DriveCaption(root).c_str());
  }
  const bool mixer = os::Os().Mixer().GetNumDevs() > 0;
  std::printf("Mixer: %s\n", mixer ? "present" : "none");
  std::printf("Master mute: %s\n", GetLineMute(mlSpeakers) ? "on" : "off");
  std::uint32_t volume = 0;
  if (os::Os().WaveOut().GetVolume(os::kWaveOutDevice0, &volume) == os::MMSYSERR_NOERROR)
    std::printf("Output volume: left %u, right %u (of 65535)\n", os::LeftChannel(volume),
                os::RightChannel(volume));
  else
    std::printf("Output volume: unavailable\n");
  return 0;
}
