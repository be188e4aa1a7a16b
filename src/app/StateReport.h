#pragma once
// What the player shows, written to a small text file each time it changes, for the end-to-end
// tests that drive the real program from outside: they wait on these lines instead of reading
// labels off the screen. Only when KAVORO_STATE_FILE names the file; otherwise nothing is written.
#include <string>

namespace kavoro::app {

class TFrm_Main;

constexpr const char* kStateFileVariable = "KAVORO_STATE_FILE";

// The lines "Key=value" of the main window's visible state: the four labels, the play name,
// the play-list lines and index, the graph's own state (running, paused, stopped; none without
// a graph), the skin, the window mode, whether the play list is shown and whether a skin switch
// or the slide-in runs. GUI thread only.
std::string DescribeState(TFrm_Main& main);

// Writes DescribeState to the file named by KAVORO_STATE_FILE, whole (a new file renamed over
// the old), so a reader never sees half of it. Does nothing without the variable. GUI thread.
void ReportState(TFrm_Main& main);

}  // namespace kavoro::app
