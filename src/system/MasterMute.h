#pragma once
// The mute switch of one line of the first audio mixer. GUI thread only.
namespace kavoro {

enum MixerLineSelector : int {
  mlSpeakers = 0,    // the master output
  mlMicrophone = 1,
  mlWaveOut = 2,
  mlSynthesizer = 3,
};

constexpr const char* kMuteControlError = "GetLineInfo Error";
constexpr const char* kMuteValueError = "SetControlDetails Error";

// True when the line is muted, and also when it cannot be asked. A line without a mute
// switch, or a switch that cannot be read, shows a message first.
bool GetLineMute(int line);
// Sets the switch; a machine without a mixer ignores it silently.
void SetLineMute(int line, bool muted);

}  // namespace kavoro
