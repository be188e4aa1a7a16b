#pragma once
// The drive table of the sim world: drives by letter (A: to Z:, any drive type), each with or
// without a volume (label, file system, serial) whose folder tree lives in memory, plus a
// native tree for absolute '/'-paths. Names on drives match without regard to case, an exact
// match winning; native names match exactly, as on Linux.
//
// There is no real file behind a sim drive: Resolve() of a drive path gives medium Folder,
// native "sim:E" (the letter) and an empty nativeFile. A native path resolves to itself.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/Drives.h"

namespace kavoro::os {

// Any thread may call every method, setup and queries alike.
class SimDrives : public IDrives {
 public:
  DriveType GetDriveType(std::string_view root) override;
  std::optional<VolumeInfo> GetVolumeInformation(std::string_view root) override;
  std::vector<DirEntry> ListFolder(std::string_view folder, bool includeHidden) override;
  bool DirectoryExists(std::string_view path) override;
  bool FileExists(std::string_view path) override;
  std::optional<ResolvedPath> Resolve(std::string_view path) override;

  // Empties the world: no drives, an empty native tree.
  void Reset();
  // Adds an empty drive (no volume) at `letter` (either case), replacing any drive there.
  // False for a letter outside A-Z.
  bool AddDrive(char letter, DriveType type);
  // Puts a volume with an empty root into the drive, replacing the one it held.
  // False when `letter` names no drive.
  bool InsertDisc(char letter, std::string label, std::string fileSystem = "CDFS",
                  std::uint32_t serial = 0);
  // Takes the volume out with its tree. False when the drive holds none.
  bool EjectDisc(char letter);
  // Creates the folder and its missing parents (parents without attributes); the folder gets
  // `attributes` plus FILE_ATTRIBUTE_DIRECTORY, and keeps its entries when it exists.
  // `path` is a drive path on a drive that holds a volume, or an absolute native path.
  // False when the drive holds no volume, a file is in the way or `path` names a root.
  bool AddFolder(std::string_view path, std::uint32_t attributes = 0);
  // Creates or replaces the file, with its missing parent folders. Same failures as AddFolder,
  // and false when a folder of that name exists.
  bool AddFile(std::string_view path, std::uint64_t size, std::uint32_t attributes = 0);

 private:
  struct Node;
  using Children = std::map<std::string, std::unique_ptr<Node>>;
  using Child = Children::value_type;
  struct Node {
    std::uint32_t attributes = FILE_ATTRIBUTE_DIRECTORY;
    std::uint64_t size = 0;
    Children children;
    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  };
  struct Volume {
    VolumeInfo info;
    Node root;
  };
  struct Drive {
    DriveType type = DRIVE_UNKNOWN;
    std::unique_ptr<Volume> volume;
  };
  // A path of the world: the tree it lies in and its parts below that tree's root.
  struct Location {
    Node* root = nullptr;
    bool foldCase = false;
    char letter = 0;  // 0 for the native tree
    std::vector<std::string> parts;
  };

  // All below: lock_ held.
  Drive* FindDrive(char letter);
  // nullopt when the path names no tree: no drive, no volume, a relative native path.
  std::optional<Location> Locate(std::string_view path);
  // The node at `where`, or nullptr. `matched` receives the names found, then the rest as given.
  static Node* Find(const Location& where, std::vector<std::string>* matched = nullptr);
  // The parent folder of `where`, made as needed; nullptr when a file is in the way.
  static Node* MakeParents(const Location& where);
  // The entry of `folder` that `name` names, or nullptr.
  static Child* FindChild(Node& folder, const std::string& name, bool foldCase);
  // The entry `name` of `folder`, made (as a folder) when missing.
  static Child& FindOrAddChild(Node& folder, const std::string& name, bool foldCase);

  std::mutex lock_;
  // guarded by lock_
  std::map<char, Drive> drives_;
  Node nativeRoot_;
};

}  // namespace kavoro::os
