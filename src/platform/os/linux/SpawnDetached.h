#pragma once
// Starts a program without waiting for it; a detached reaper collects its exit so that no
// zombie is left behind.
#include <string>
#include <vector>

namespace kavoro::os::linuxos {

// argv[0] is the program path (searched on PATH when it has no '/'). True when it started.
bool SpawnDetached(const std::vector<std::string>& argv);

}  // namespace kavoro::os::linuxos
