#pragma once
// The machine's optical drives: their device nodes, whether a disc is in, where it is
// mounted. Any thread.
#include <string>
#include <string_view>
#include <vector>

namespace kavoro::os::linuxos {

// The nodes "sr<N>" in `deviceFolder` (normally "/dev"), by N.
std::vector<std::string> OpticalDevices(const std::string& deviceFolder);

// True when the drive at `device` reports a disc ready to read. Opens the node without
// waiting for media and asks the drive's status.
bool DiscReady(const std::string& device);

// Where `device` is mounted according to `mountTable` (the text of /proc/self/mounts): the
// first line whose source is the device or resolves to the same node. Empty when none.
std::string MountPointIn(std::string_view mountTable, const std::string& device);

// MountPointIn with this process's mount table.
std::string MountPointOf(const std::string& device);

}  // namespace kavoro::os::linuxos
