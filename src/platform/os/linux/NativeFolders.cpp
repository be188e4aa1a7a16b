#include "platform/os/linux/NativeFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "platform/os/common/DrivePaths.h"

namespace kavoro::os::linuxos {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string Child(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> EntryNames(const std::string& folder) {
  std::vector<std::string> names;
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!IsDotEntry(entry->d_name)) names.emplace_back(entry->d_name);
  }
  return names;
}

}  // namespace

NativeKind KindOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return NativeKind::Missing;
  return S_ISDIR(info.st_mode) ? NativeKind::Directory : NativeKind::File;
}

std::optional<std::string> FindBelow(const std::string& base, const std::vector<std::string>& parts,
                                     std::vector<std::string>* matched) {
  std::string path = base;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::string exact = Child(path, parts[i]);
    std::optional<std::string> found;
    if (KindOf(exact) != NativeKind::Missing) {
      found = parts[i];
    } else {
      std::vector<std::string> names = EntryNames(path);
      if (std::optional<std::size_t> index = MatchName(parts[i], names)) found = names[*index];
    }
    if (!found) {
      if (matched) matched->insert(matched->end(), parts.begin() + i, parts.end());
      return std::nullopt;
    }
    if (matched) matched->push_back(*found);
    path = Child(path, *found);
  }
  return path;
}

std::optional<std::vector<DirEntry>> ListNative(const std::string& folder) {
  UniqueDir dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  std::vector<DirEntry> entries;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (IsDotEntry(entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) != 0) continue;
    DirEntry listed;
    listed.name = entry->d_name;
    if (S_ISDIR(info.st_mode)) {
      listed.attributes |= FILE_ATTRIBUTE_DIRECTORY;
    } else {
      listed.size = static_cast<std::uint64_t>(info.st_size);
    }
    if (listed.name[0] == '.') listed.attributes |= FILE_ATTRIBUTE_HIDDEN;
    entries.push_back(std::move(listed));
  }
  return entries;
}

bool FolderReadable(const std::string& folder) {
  return !folder.empty() && UniqueDir(::opendir(folder.c_str())) != nullptr;
}

}  // namespace kavoro::os::linuxos
