#pragma once
// The program's entry: one instance at a time, the three windows in order, the skin, and the
// message loop until the player closes.

namespace kavoro::app {

constexpr const char* kApplicationTitle = "Kavoro Player V2.14";

// Runs the player; returns the process's exit code. The command line is not read (beyond what
// the GUI library takes for itself). Main thread only, once.
int RunPlayer(int argc, char** argv);

}  // namespace kavoro::app
