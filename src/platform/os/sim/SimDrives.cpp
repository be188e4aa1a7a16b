#include "platform/os/sim/SimDrives.h"

#include "platform/os/common/DrivePaths.h"

namespace kavoro::os {
namespace {

constexpr char kNativeSeparator = '/';
constexpr std::string_view kSimNativePrefix = "sim:";

std::optional<char> DriveLetter(char letter) {
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  if (letter >= 'A' && letter <= 'Z') return letter;
  return std::nullopt;
}

// Parts of an absolute native path, with the same folding of ".", ".." and empty parts as
// drive paths; nullopt for a relative path or one holding a NUL.
std::optional<std::vector<std::string>> NativeParts(std::string_view path) {
  if (path.empty() || path[0] != kNativeSeparator) return std::nullopt;
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t end = path.find(kNativeSeparator, pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    pos = end + 1;
  }
  return parts;
}

std::optional<char> RootLetter(std::string_view root) {
  std::optional<DrivePath> parsed = ParseDrivePath(root);
  if (!parsed || !parsed->IsRoot()) return std::nullopt;
  return parsed->letter;
}

}  // namespace

DriveType SimDrives::GetDriveType(std::string_view root) {
  std::optional<char> letter = RootLetter(root);
  if (!letter) return DRIVE_NO_ROOT_DIR;
  std::lock_guard guard(lock_);
  Drive* drive = FindDrive(*letter);
  return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

std::optional<VolumeInfo> SimDrives::GetVolumeInformation(std::string_view root) {
  std::optional<char> letter = RootLetter(root);
  if (!letter) return std::nullopt;
  std::lock_guard guard(lock_);
  Drive* drive = FindDrive(*letter);
  if (!drive || !drive->volume) return std::nullopt;
  return drive->volume->info;
}

std::vector<DirEntry> SimDrives::ListFolder(std::string_view folder, bool includeHidden) {
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(folder);
  if (!where) return {};
  Node* node = Find(*where);
  if (!node || !node->IsDirectory()) return {};
  std::vector<DirEntry> entries;
  for (const auto& [name, child] : node->children) {
    entries.push_back({name, child->attributes, child->IsDirectory() ? 0 : child->size});
  }
  return FinishListing(std::move(entries), includeHidden);
}

bool SimDrives::DirectoryExists(std::string_view path) {
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(path);
  Node* node = where ? Find(*where) : nullptr;
  return node && node->IsDirectory();
}

bool SimDrives::FileExists(std::string_view path) {
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(path);
  Node* node = where ? Find(*where) : nullptr;
  return node && !node->IsDirectory();
}

std::optional<ResolvedPath> SimDrives::Resolve(std::string_view path) {
  if (!IsDrivePath(path)) {
    if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
    ResolvedPath native;
    native.medium = DriveMedium::Folder;
    native.native = std::string(path);
    native.nativeFile = std::string(path);
    return native;
  }
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(path);
  if (!where) return std::nullopt;
  std::vector<std::string> matched;
  Find(*where, &matched);
  ResolvedPath resolved;
  resolved.medium = DriveMedium::Folder;
  resolved.native = std::string(kSimNativePrefix) + where->letter;
  resolved.relative = JoinParts(matched);
  return resolved;
}

void SimDrives::Reset() {
  std::lock_guard guard(lock_);
  drives_.clear();
  nativeRoot_.children.clear();
}

bool SimDrives::AddDrive(char letter, DriveType type) {
  std::optional<char> upper = DriveLetter(letter);
  if (!upper) return false;
  std::lock_guard guard(lock_);
  drives_[*upper] = Drive{type, nullptr};
  return true;
}

bool SimDrives::InsertDisc(char letter, std::string label, std::string fileSystem,
                           std::uint32_t serial) {
  std::optional<char> upper = DriveLetter(letter);
  if (!upper) return false;
  std::lock_guard guard(lock_);
  Drive* drive = FindDrive(*upper);
  if (!drive) return false;
  drive->volume = std::make_unique<Volume>();
  drive->volume->info = VolumeInfo{std::move(label), serial, std::move(fileSystem)};
  return true;
}

bool SimDrives::EjectDisc(char letter) {
  std::optional<char> upper = DriveLetter(letter);
  if (!upper) return false;
  std::lock_guard guard(lock_);
  Drive* drive = FindDrive(*upper);
  if (!drive || !drive->volume) return false;
  drive->volume.reset();
  return true;
}

bool SimDrives::AddFolder(std::string_view path, std::uint32_t attributes) {
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(path);
  if (!where || where->parts.empty()) return false;
  Node* parent = MakeParents(*where);
  if (!parent) return false;
  Node& folder = *FindOrAddChild(*parent, where->parts.back(), where->foldCase).second;
  if (!folder.IsDirectory()) return false;
  folder.attributes = attributes | FILE_ATTRIBUTE_DIRECTORY;
  return true;
}

bool SimDrives::AddFile(std::string_view path, std::uint64_t size, std::uint32_t attributes) {
  std::lock_guard guard(lock_);
  std::optional<Location> where = Locate(path);
  if (!where || where->parts.empty()) return false;
  Node* parent = MakeParents(*where);
  if (!parent) return false;
  Child* existing = FindChild(*parent, where->parts.back(), where->foldCase);
  if (existing && existing->second->IsDirectory()) return false;
  Node& file = *FindOrAddChild(*parent, where->parts.back(), where->foldCase).second;
  file.attributes = attributes & ~FILE_ATTRIBUTE_DIRECTORY;
  file.size = size;
  return true;
}

SimDrives::Drive* SimDrives::FindDrive(char letter) {
  auto it = drives_.find(letter);
  return it == drives_.end() ? nullptr : &it->second;
}

std::optional<SimDrives::Location> SimDrives::Locate(std::string_view path) {
  if (std::optional<DrivePath> drivePath = ParseDrivePath(path)) {
    Drive* drive = FindDrive(drivePath->letter);
    if (!drive || !drive->volume) return std::nullopt;
    return Location{&drive->volume->root, true, drivePath->letter, std::move(drivePath->parts)};
  }
  std::optional<std::vector<std::string>> parts = NativeParts(path);
  if (!parts) return std::nullopt;
  return Location{&nativeRoot_, false, 0, std::move(*parts)};
}

SimDrives::Node* SimDrives::Find(const Location& where, std::vector<std::string>* matched) {
  Node* node = where.root;
  for (std::size_t i = 0; i < where.parts.size(); ++i) {
    Child* child = node->IsDirectory() ? FindChild(*node, where.parts[i], where.foldCase) : nullptr;
    if (!child) {
      if (matched) matched->insert(matched->end(), where.parts.begin() + i, where.parts.end());
      return nullptr;
    }
    if (matched) matched->push_back(child->first);
    node = child->second.get();
  }
  return node;
}

SimDrives::Node* SimDrives::MakeParents(const Location& where) {
  Node* node = where.root;
  for (std::size_t i = 0; i + 1 < where.parts.size(); ++i) {
    node = FindOrAddChild(*node, where.parts[i], where.foldCase).second.get();
    if (!node->IsDirectory()) return nullptr;
  }
  return node;
}

SimDrives::Child* SimDrives::FindChild(Node& folder, const std::string& name, bool foldCase) {
  auto exact = folder.children.find(name);
  if (exact != folder.children.end()) return &*exact;
  if (!foldCase) return nullptr;
  // Map order is byte order, so the first folded match is the smallest, as MatchName picks.
  for (Child& child : folder.children) {
    if (EqualsIgnoringCase(child.first, name)) return &child;
  }
  return nullptr;
}

SimDrives::Child& SimDrives::FindOrAddChild(Node& folder, const std::string& name, bool foldCase) {
  if (Child* child = FindChild(folder, name, foldCase)) return *child;
  return *folder.children.emplace(name, std::make_unique<Node>()).first;
}

}  // namespace kavoro::os
