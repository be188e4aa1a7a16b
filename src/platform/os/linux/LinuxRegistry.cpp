#include "platform/os/linux/LinuxRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/os/linux/LinuxPaths.h"

namespace kavoro::os::linuxos {
namespace {

// An fd closed at scope exit.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

std::string Timestamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
  return buf;
}

}  // namespace

bool LinuxRegistry::FileId::operator==(const FileId& o) const {
  if (exists != o.exists) return false;
  if (!exists) return true;
  return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
         mtime.tv_nsec == o.mtime.tv_nsec;
}

namespace {
template <class Id>
void FromStat(Id& id, const struct stat& st) {
  id.exists = true;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtime = st.st_mtim;
}
}  // namespace

LinuxRegistry::LinuxRegistry(std::string folder) : folder_(std::move(folder)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  localMachine_.file = folder_ + "/HKEY_LOCAL_MACHINE.reg";
  currentUser_.file = folder_ + "/HKEY_CURRENT_USER.reg";
}

LinuxRegistry::Store& LinuxRegistry::StoreFor(RootKey mappedRoot) {
  return mappedRoot == RootKey::CurrentUser ? currentUser_ : localMachine_;
}

void LinuxRegistry::Refresh(Store& store) {
  struct stat st {};
  FileId now;
  if (::stat(store.file.c_str(), &st) == 0) {
    FromStat(now, st);
  } else if (errno != ENOENT) {
    store.unreadable = true;  // keep what was read last; try again next time
    return;
  }
  if (store.loaded && !store.unreadable && now == store.id) return;

  if (!now.exists) {
    store.tree.Clear();
    store.id = now;
    store.damaged = store.unreadable = false;
    store.loaded = true;
    return;
  }
  Fd fd(::open(store.file.c_str(), O_RDONLY | O_CLOEXEC));
  std::string text;
  if (fd.fd < 0) {
    if (errno == ENOENT) {  // replaced between stat and open: read it next time
      store.loaded = false;
      return;
    }
    store.unreadable = true;
    return;
  }
  if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || !ReadAll(fd.fd, text)) {
    store.unreadable = true;
    return;
  }
  FromStat(now, st);
  auto parsed = RegistryTree::Parse(text);
  store.tree = std::move(parsed.tree);
  store.damaged = parsed.damaged;
  store.unreadable = false;
  store.id = now;
  store.loaded = true;
}

bool LinuxRegistry::KeepAside(Store& store) {
  const std::string base = store.file + ".damaged-" + Timestamp();
  for (int n = 1; n < 1000; ++n) {
    std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
    // A hard link keeps the damaged bytes under the new name while the store path stays in
    // place for readers until the rename of the new file replaces it.
    if (::link(store.file.c_str(), aside.c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    if (errno == ENOENT) return true;  // nothing left to keep
    // No hard links here: move it instead (the store path is missing until the rename).
    if (::rename(store.file.c_str(), aside.c_str()) == 0) return true;
    return false;
  }
  return false;
}

bool LinuxRegistry::WriteFile(Store& store, const RegistryTree& tree) {
  std::string temp = store.file + ".tmp-XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.fd < 0) return false;
  struct stat st {};
  bool ok = WriteAll(fd.fd, tree.Serialize()) && ::fsync(fd.fd) == 0 && ::fstat(fd.fd, &st) == 0;
  if (ok) ok = ::close(fd.fd) == 0;
  fd.fd = -1;
  if (!ok || ::rename(temp.c_str(), store.file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // From here the new file is the store. Making the rename durable is best effort: a failed
  // folder sync must not report as failed a write that every reader already sees.
  Fd dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd >= 0) SyncFolder(dir.fd);
  store.tree = tree;
  FromStat(store.id, st);
  store.damaged = false;
  store.unreadable = false;
  store.loaded = true;
  return true;
}

bool LinuxRegistry::SyncFolder(int folderFd) {
  // Some file systems cannot sync a folder (EINVAL); that is no failure.
  return ::fsync(folderFd) == 0 || errno == EINVAL;
}

template <class F>
bool LinuxRegistry::Modify(RootKey root, std::string_view path, F&& edit) {
  StoreLocation loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  Store& store = StoreFor(loc.root);

  // A first look without the file lock: an edit that needs no write needs no writable folder.
  Refresh(store);
  {
    RegistryTree copy = store.tree;
    Edit e = edit(copy, loc.path);
    if (e != Edit::Changed) return e == Edit::Unchanged;
  }

  MakeFolders(folder_);
  Fd lock(::open((store.file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.fd < 0) return false;
  int rc;
  while ((rc = ::flock(lock.fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (rc != 0) return false;

  // Under the lock the file on disk is the truth: re-read it when another process changed it.
  Refresh(store);
  if (store.unreadable) return false;
  RegistryTree copy = store.tree;
  Edit e = edit(copy, loc.path);
  if (e != Edit::Changed) return e == Edit::Unchanged;
  if (store.damaged && !KeepAside(store)) return false;
  return WriteFile(store, copy);
}  // the lock fd closes here, releasing the flock

bool LinuxRegistry::KeyExists(RootKey root, std::string_view path) {
  if (NormalizeKeyPath(path).empty()) return true;  // a root always exists
  StoreLocation loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  Store& store = StoreFor(loc.root);
  Refresh(store);
  return store.tree.KeyExists(loc.path);
}

bool LinuxRegistry::CreateKey(RootKey root, std::string_view path) {
  return Modify(root, path, [](RegistryTree& t, const std::string& p) {
    return t.CreateKey(p) ? Edit::Changed : Edit::Unchanged;
  });
}

bool LinuxRegistry::DeleteKey(RootKey root, std::string_view path) {
  if (NormalizeKeyPath(path).empty()) return false;
  return Modify(root, path, [](RegistryTree& t, const std::string& p) {
    return t.DeleteKey(p) ? Edit::Changed : Edit::Missing;
  });
}

std::optional<RegValue> LinuxRegistry::ReadValue(RootKey root, std::string_view path,
                                                 std::string_view name) {
  StoreLocation loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  Store& store = StoreFor(loc.root);
  Refresh(store);
  return store.tree.ReadValue(loc.path, name);
}

bool LinuxRegistry::WriteValue(RootKey root, std::string_view path, std::string_view name,
                               const RegValue& value) {
  return Modify(root, path, [&](RegistryTree& t, const std::string& p) {
    t.WriteValue(p, name, value);
    return Edit::Changed;
  });
}

bool LinuxRegistry::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  return Modify(root, path, [&](RegistryTree& t, const std::string& p) {
    return t.DeleteValue(p, name) ? Edit::Changed : Edit::Missing;
  });
}

std::vector<std::string> LinuxRegistry::ValueNames(RootKey root, std::string_view path) {
  StoreLocation loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  Store& store = StoreFor(loc.root);
  Refresh(store);
  return store.tree.ValueNames(loc.path);
}

std::vector<std::string> LinuxRegistry::SubKeyNames(RootKey root, std::string_view path) {
  StoreLocation loc = MapRootKey(root, path);
  std::lock_guard<std::mutex> g(lock_);
  Store& store = StoreFor(loc.root);
  Refresh(store);
  return store.tree.SubKeyNames(loc.path);
}

}  // namespace kavoro::os::linuxos
