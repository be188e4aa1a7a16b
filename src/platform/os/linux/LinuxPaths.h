#pragma once
// Where the Linux backend keeps its files, after the XDG base-directory rules.
#include <string>

namespace kavoro::os::linuxos {

// $XDG_CONFIG_HOME/kavoro, else ~/.config/kavoro. Created when missing.
std::string ConfigFolder();
// $XDG_DATA_HOME/kavoro, else ~/.local/share/kavoro. Created when missing.
std::string DataFolder();
// $XDG_RUNTIME_DIR/kavoro, else /tmp/kavoro-<uid>. Created when missing (mode 0700).
std::string RuntimeFolder();
// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace kavoro::os::linuxos
