#pragma once
// Native folders as drive contents: names below a drive's folder are found the way drive
// paths match (exact first, then without regard to case), and listings carry the attributes
// a drive listing shows. Any thread.
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Drives.h"

namespace kavoro::os::linuxos {

enum class NativeKind { Missing, File, Directory };

// What `path` is, following symbolic links. Anything that is not a folder is a file.
NativeKind KindOf(const std::string& path);

// The native path that `parts` name below the folder `base`, each part matched against the
// entries of the folder above it. `matched`, when given, receives the names found followed by
// the rest of `parts` as given. nullopt when a part matches nothing.
std::optional<std::string> FindBelow(const std::string& base, const std::vector<std::string>& parts,
                                     std::vector<std::string>* matched = nullptr);

// The entries of `folder` ("." and ".." left out, entries that do not stat skipped): folders
// get FILE_ATTRIBUTE_DIRECTORY, names starting with '.' FILE_ATTRIBUTE_HIDDEN; files carry
// their size. nullopt when the folder cannot be read.
std::optional<std::vector<DirEntry>> ListNative(const std::string& folder);

// True when `folder` is a folder this process can open for reading.
bool FolderReadable(const std::string& folder);

}  // namespace kavoro::os::linuxos
