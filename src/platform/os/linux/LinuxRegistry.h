#pragma once
// The Linux backend's registry store: one text file per root (HKEY_LOCAL_MACHINE.reg,
// HKEY_CURRENT_USER.reg; format in common/RegistryTree.h) in a folder that several processes
// share (the player and the registration program).
//
// - Every write is a read-modify-write under an exclusive flock on NAME.reg.lock beside the
//   store, on the file as it is on disk at that moment, written to a temp file in the same
//   folder, fsynced and renamed over the store (then the folder is fsynced). Once the rename
//   is done the write is reported as done: the new file is what every reader sees, even when
//   the folder's sync fails afterwards.
// - Reads stat the file and reload it when its identity (device, inode, size, mtime) changed.
// - A damaged file reads tolerantly (unreadable entries are missing). Before the first write
//   over it, it is kept aside as NAME.reg.damaged-YYYYMMDD-HHMMSS[-N] (a hard link, so the
//   store path never goes missing); when that fails the write fails.
// - A store file that exists but cannot be read leaves the last values read and refuses writes.
// - When the folder cannot be written, writes return false and reads keep working.
#include <sys/types.h>

#include <ctime>
#include <mutex>
#include <string>

#include "platform/os/Registry.h"
#include "platform/os/common/RegistryTree.h"

namespace kavoro::os::linuxos {

class LinuxRegistry : public IRegistry {
 public:
  explicit LinuxRegistry(std::string folder);

  bool KeyExists(RootKey root, std::string_view path) override;
  bool CreateKey(RootKey root, std::string_view path) override;
  bool DeleteKey(RootKey root, std::string_view path) override;
  std::optional<RegValue> ReadValue(RootKey root, std::string_view path,
                                    std::string_view name) override;
  bool WriteValue(RootKey root, std::string_view path, std::string_view name,
                  const RegValue& value) override;
  bool DeleteValue(RootKey root, std::string_view path, std::string_view name) override;
  std::vector<std::string> ValueNames(RootKey root, std::string_view path) override;
  std::vector<std::string> SubKeyNames(RootKey root, std::string_view path) override;

  const std::string& Folder() const { return folder_; }

 protected:
  // Makes the folder's entries (the rename) durable; false when the system refused. Called
  // under the store's file lock.
  virtual bool SyncFolder(int folderFd);

 private:
  struct FileId {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    bool operator==(const FileId& o) const;
  };
  struct Store {
    std::string file;  // full path of NAME.reg
    RegistryTree tree;
    FileId id;
    bool loaded = false;
    bool damaged = false;     // the file as loaded was damaged and is not yet kept aside
    bool unreadable = false;  // the file exists but could not be read
  };
  // What an edit did to the tree: nothing needed (true), nothing possible (false), changed.
  enum class Edit { Unchanged, Missing, Changed };

  Store& StoreFor(RootKey mappedRoot);
  void Refresh(Store& store);
  template <class F>
  bool Modify(RootKey root, std::string_view path, F&& edit);
  bool KeepAside(Store& store);
  bool WriteFile(Store& store, const RegistryTree& tree);

  std::mutex lock_;
  std::string folder_;
  Store localMachine_;
  Store currentUser_;
};

}  // namespace kavoro::os::linuxos
