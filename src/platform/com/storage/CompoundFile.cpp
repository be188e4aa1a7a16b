// Compound files on libgsf. Files being written (created, or opened with write access) keep
// their elements in memory and are written whole by GsfOutfileMSOle over GsfOutputStdio to a
// temporary file that is then renamed over the target. Files opened for reading are read where
// they lie through GsfInfileMSOle over GsfInputStdio.
#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "platform/com/storage/StorageInternal.h"

namespace kavoro {
namespace storage_detail {
namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// Deeper nesting than this in a file is taken for corruption.
constexpr int kMaxDepth = 64;

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // A damaged file makes libgsf log the checks it fails; the caller gets a failure code
    // for them, so the log text is not for standard error.
    auto quiet = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
    auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                              G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                              G_LOG_LEVEL_DEBUG);
    for (const char* domain : {"libgsf", "libgsf:msole"})
      g_log_set_handler(domain, levels, quiet, nullptr);
  });
}

// ---------------------------------------------------------------------------------------------
// Names

// Checks an element name and gives the key it is looked up by (case folded).
HRESULT CheckName(const char* name, std::string* key) {
  if (!name || !*name) return STG_E_INVALIDNAME;
  std::size_t len = std::strlen(name);
  if (!g_utf8_validate(name, static_cast<gssize>(len), nullptr)) return STG_E_INVALIDNAME;
  std::size_t units = 0;
  for (const char* p = name; *p; p = g_utf8_next_char(p)) {
    gunichar c = g_utf8_get_char(p);
    if (c == '/' || c == '\\' || c == ':' || c == '!') return STG_E_INVALIDNAME;
    units += c > 0xFFFF ? 2 : 1;
  }
  if (units > 31) return STG_E_INVALIDNAME;
  char* folded = g_utf8_casefold(name, static_cast<gssize>(len));
  *key = folded;
  g_free(folded);
  return S_OK;
}

// The lookup key of a name read from a file, which may break the rules for new names.
std::string KeyOf(const char* name) {
  if (!name) return {};
  std::size_t len = std::strlen(name);
  if (!g_utf8_validate(name, static_cast<gssize>(len), nullptr)) return name;
  char* folded = g_utf8_casefold(name, static_cast<gssize>(len));
  std::string key = folded;
  g_free(folded);
  return key;
}

// ---------------------------------------------------------------------------------------------
// Files and errors

HRESULT WriteError(int err) {
  switch (err) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return STG_E_MEDIUMFULL;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return STG_E_ACCESSDENIED;
    case ENOENT:
    case ENOTDIR:
    case ELOOP: return STG_E_PATHNOTFOUND;
    case ENAMETOOLONG: return STG_E_INVALIDNAME;
    case EEXIST: return STG_E_FILEALREADYEXISTS;
    default: return STG_E_WRITEFAULT;
  }
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a symbolic link points to, so that a commit replaces that file and keeps the link;
// the path itself when it is no link or its target cannot be found.
std::string FileBehindLink(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string resolved = real;
  std::free(real);
  return resolved;
}

bool FolderExists(const std::string& path) {
  struct stat st;
  return stat(FolderOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Opens an existing file for reading; on failure returns the code for it.
HRESULT OpenForReading(const char* path, int* fdOut) {
  *fdOut = -1;
  if (!path || !*path) return STG_E_INVALIDNAME;
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    int err = errno;
    switch (err) {
      case ENOENT: return FolderExists(path) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
      case ENOTDIR:
      case ELOOP: return STG_E_PATHNOTFOUND;
      case EACCES:
      case EPERM:
      case EISDIR: return STG_E_ACCESSDENIED;
      case ENAMETOOLONG: return STG_E_INVALIDNAME;
      default: return STG_E_READFAULT;
    }
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return STG_E_ACCESSDENIED;
  }
  *fdOut = fd;
  return S_OK;
}

bool HasSignature(int fd) {
  std::uint8_t head[sizeof kSignature];
  ssize_t n = pread(fd, head, sizeof head, 0);
  return n == static_cast<ssize_t>(sizeof head) && std::memcmp(head, kSignature, sizeof head) == 0;
}

// ---------------------------------------------------------------------------------------------
// The in-memory element tree of a file being written

struct Element {
  std::string name;
  std::string key;
  bool isStorage = false;
  std::shared_ptr<Bytes> bytes;                    // streams
  std::vector<std::shared_ptr<Element>> children;  // storages, in creation order
  CLSID clsid;                                     // storages
  bool open = false;  // an object is open on it (the root: always)

  std::shared_ptr<Element>* Find(const std::string& k) {
    for (auto& c : children)
      if (c->key == k) return &c;
    return nullptr;
  }
};

std::shared_ptr<Element> NewElement(const char* name, std::string key, bool isStorage) {
  auto e = std::make_shared<Element>();
  e->name = name;
  e->key = std::move(key);
  e->isStorage = isStorage;
  if (!isStorage) e->bytes = std::make_shared<Bytes>();
  return e;
}

bool WriteChildren(GsfOutfile* parent, const Element& storage);

bool WriteElement(GsfOutfile* parent, const Element& e) {
  GObjectPtr<GsfOutput> out(gsf_outfile_new_child(parent, e.name.c_str(), e.isStorage));
  if (!out) return false;
  bool ok = true;
  if (e.isStorage) {
    if (!e.clsid.IsNull()) {
      std::uint8_t id[16];
      ClassIdToBytes(e.clsid, id);
      ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out.get()), id);
    }
    ok = ok && WriteChildren(GSF_OUTFILE(out.get()), e);
  } else if (!e.bytes->empty()) {
    ok = gsf_output_write(out.get(), e.bytes->size(), e.bytes->data());
  }
  // Closed even after a failure, so the parent does not wait for it.
  bool closed = gsf_output_close(out.get());
  return ok && closed;
}

bool WriteChildren(GsfOutfile* parent, const Element& storage) {
  for (const auto& c : storage.children)
    if (!WriteElement(parent, *c)) return false;
  return true;
}

// Reads the elements below `in` into `into`. S_OK, or STG_E_DOCFILECORRUPT for anything
// that cannot be read (E_OUTOFMEMORY when memory runs out).
HRESULT LoadChildren(GsfInfile* in, Element& into, int depth) {
  if (depth > kMaxDepth) return STG_E_DOCFILECORRUPT;
  int n = gsf_infile_num_children(in);
  for (int i = 0; i < n; ++i) {
    const char* name = gsf_infile_name_by_index(in, i);
    GObjectPtr<GsfInput> child(gsf_infile_child_by_index(in, i));
    if (!name || !child) return STG_E_DOCFILECORRUPT;
    bool isStorage = GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
    auto e = NewElement(name, KeyOf(name), isStorage);
    if (isStorage) {
      std::uint8_t id[16];
      if (GSF_IS_INFILE_MSOLE(child.get()) &&
          gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child.get()), id))
        e->clsid = ClassIdFromBytes(id);
      if (HRESULT hr = LoadChildren(GSF_INFILE(child.get()), *e, depth + 1); FAILED(hr))
        return hr;
    } else {
      gsf_off_t size = gsf_input_size(child.get());
      if (size < 0 || static_cast<std::uint64_t>(size) > kMaxStreamSize)
        return STG_E_DOCFILECORRUPT;
      e->bytes->resize(static_cast<std::size_t>(size));
      if (size > 0 && !gsf_input_read(child.get(), static_cast<std::size_t>(size), e->bytes->data()))
        return STG_E_DOCFILECORRUPT;
    }
    into.children.push_back(std::move(e));
  }
  return S_OK;
}

// ---------------------------------------------------------------------------------------------
// A file being written: its target, its elements and the temporary file a commit writes.

class DocFile {
 public:
  DocFile(std::string target, DWORD mode, bool mayReplace)
      : target_(std::move(target)), mode_(mode), mayReplace_(mayReplace) {
    root_ = std::make_shared<Element>();
    root_->isStorage = true;
    root_->open = true;
  }
  DocFile(const DocFile&) = delete;
  DocFile& operator=(const DocFile&) = delete;

  // The last object of the file is gone: a direct-mode file is written if anything changed.
  ~DocFile() {
    if (!(mode_ & STGM_TRANSACTED) && dirty_) Commit();
    DropTemp();
  }

  const std::shared_ptr<Element>& Root() const { return root_; }
  void Changed() { dirty_ = true; }

  // Reserves the temporary file beside the target, which also proves that the folder exists
  // and can be written.
  HRESULT ReserveTemp() {
    if (tempFd_ >= 0) return S_OK;
    static std::atomic<unsigned> counter{0};
    std::string folder = FolderOf(target_);
    std::string base = BaseOf(target_).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
      unsigned long stamp = static_cast<unsigned long>(
          std::chrono::steady_clock::now().time_since_epoch().count());
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".%06lx%02x",
                    (stamp ^ static_cast<unsigned long>(getpid()) << 12) & 0xFFFFFFul,
                    counter++ & 0xFFu);
      std::string name = folder + "/." + base + suffix + ".tmp";
      int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        tempFd_ = fd;
        temp_ = std::move(name);
        return S_OK;
      }
      if (errno != EEXIST) return WriteError(errno);
    }
    return STG_E_WRITEFAULT;
  }

  // Writes the whole file to the temporary file and renames it over the target.
  HRESULT Commit() {
    if (HRESULT hr = ReserveTemp(); FAILED(hr)) return hr;
    struct stat old;
    if (stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
      fchmod(tempFd_, old.st_mode & 07777);  // a replaced file keeps its permissions

    FILE* file = fdopen(tempFd_, "wb");
    if (!file) {
      int err = errno;
      DropTemp();
      return WriteError(err);
    }
    tempFd_ = -1;  // the FILE owns it now
    int writeErr = 0;
    bool ok;
    {
      GObjectPtr<GsfOutput> sink(gsf_output_stdio_new_FILE(temp_.c_str(), file, TRUE));
      GObjectPtr<GsfOutfile> ole(sink ? gsf_outfile_msole_new(sink.get()) : nullptr);
      ok = ole != nullptr;
      if (ok && !root_->clsid.IsNull()) {
        std::uint8_t id[16];
        ClassIdToBytes(root_->clsid, id);
        ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole.get()), id);
      }
      ok = ok && WriteChildren(ole.get(), *root_);
      if (!ok) writeErr = errno;
      if (ole && !gsf_output_close(GSF_OUTPUT(ole.get())) && ok) {
        ok = false;
        writeErr = errno;
      }
      // Closing the outfile closes its sink too; close it here only when that did not happen.
      if (sink && !gsf_output_is_closed(sink.get()) && !gsf_output_close(sink.get()) && ok) {
        ok = false;
        writeErr = errno;
      }
    }
    if (ok && fflush(file) != 0) ok = false, writeErr = errno;
    if (ok && fsync(fileno(file)) != 0) ok = false, writeErr = errno;
    if (fclose(file) != 0 && ok) ok = false, writeErr = errno;
    if (!ok) {
      DropTemp();
      HRESULT hr = WriteError(writeErr);
      return hr == STG_E_MEDIUMFULL ? hr : STG_E_WRITEFAULT;
    }

    int rc;
    if (mayReplace_) {
      rc = rename(temp_.c_str(), target_.c_str());
    } else {
      rc = renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE);
      if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without no-replace renames: look, then rename.
        struct stat st;
        if (lstat(target_.c_str(), &st) == 0) {
          errno = EEXIST;
        } else {
          rc = rename(temp_.c_str(), target_.c_str());
        }
      }
    }
    if (rc != 0) {
      int err = errno;
      DropTemp();
      return WriteError(err);
    }
    temp_.clear();
    SyncFolder();
    mayReplace_ = true;  // the target is our own file now
    dirty_ = false;
    return S_OK;
  }

 private:
  void DropTemp() {
    if (tempFd_ >= 0) close(tempFd_);
    tempFd_ = -1;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
  }
  // Makes the rename itself durable.
  void SyncFolder() {
    int fd = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }

  std::string target_;
  DWORD mode_;
  bool mayReplace_;
  bool dirty_ = false;
  std::shared_ptr<Element> root_;
  std::string temp_;
  int tempFd_ = -1;
};

// Keeps the file alive for a stream on one of its elements and marks the element closed when
// the stream goes.
class StreamSite final : public ElementSite {
 public:
  StreamSite(std::shared_ptr<DocFile> file, std::shared_ptr<Element> element)
      : file_(std::move(file)), element_(std::move(element)) {
    element_->open = true;
  }
  ~StreamSite() override { element_->open = false; }
  void Changed() override { file_->Changed(); }

 private:
  std::shared_ptr<DocFile> file_;
  std::shared_ptr<Element> element_;
};

// Unsupported storage operations, shared by both kinds of storage.
class StorageBase : public ComObject<IStorage> {
 public:
  HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
  HRESULT MoveElementTo(const char*, IStorage*, const char*, DWORD) override { return E_NOTIMPL; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT DestroyElement(const char*) override { return E_NOTIMPL; }
  HRESULT RenameElement(const char*, const char*) override { return E_NOTIMPL; }
  HRESULT SetElementTimes(const char*, const FILETIME*, const FILETIME*, const FILETIME*) override {
    return E_NOTIMPL;
  }
  HRESULT SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }

 protected:
  // The checks every create or open of an element starts with; fills `key`.
  static HRESULT CheckElementCall(const char* name, DWORD parentMode, DWORD mode, bool creating,
                                  bool reservedOk, void** out, std::string* key) {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (HRESULT hr = CheckName(name, key); FAILED(hr)) return hr;
    if (HRESULT hr = CheckElementMode(mode, creating); FAILED(hr)) return hr;
    if (!reservedOk) return STG_E_INVALIDPARAMETER;
    if (creating && !CanWrite(parentMode)) return STG_E_ACCESSDENIED;
    return CheckChildAccess(parentMode, mode);
  }
};

// A storage of a file being written (the root or one inside it).
class TreeStorage final : public StorageBase {
 public:
  TreeStorage(std::shared_ptr<DocFile> file, std::shared_ptr<Element> element, DWORD mode,
              bool isRoot)
      : file_(std::move(file)), element_(std::move(element)), mode_(mode), isRoot_(isRoot) {
    element_->open = true;
  }
  ~TreeStorage() override {
    if (!isRoot_) element_->open = false;
  }

  HRESULT CreateStream(const char* name, DWORD mode, DWORD r1, DWORD r2, IStream** out) override {
    std::shared_ptr<Element> e;
    HRESULT hr = CreateElement(name, mode, r1 == 0 && r2 == 0, reinterpret_cast<void**>(out),
                               false, &e);
    if (FAILED(hr)) return hr;
    *out = new BufferStream(e->bytes, mode, std::make_unique<StreamSite>(file_, e),
                            STG_E_MEDIUMFULL);
    return S_OK;
  }

  HRESULT OpenStream(const char* name, void* r1, DWORD mode, DWORD r2, IStream** out) override {
    std::shared_ptr<Element> e;
    HRESULT hr = OpenElement(name, mode, r1 == nullptr && r2 == 0, reinterpret_cast<void**>(out),
                             false, &e);
    if (FAILED(hr)) return hr;
    *out = new BufferStream(e->bytes, mode, std::make_unique<StreamSite>(file_, e),
                            STG_E_MEDIUMFULL);
    return S_OK;
  }

  HRESULT CreateStorage(const char* name, DWORD mode, DWORD r1, DWORD r2, IStorage** out) override {
    std::shared_ptr<Element> e;
    HRESULT hr = CreateElement(name, mode, r1 == 0 && r2 == 0, reinterpret_cast<void**>(out),
                               true, &e);
    if (FAILED(hr)) return hr;
    *out = new TreeStorage(file_, e, mode, false);
    return S_OK;
  }

  HRESULT OpenStorage(const char* name, IStorage* priority, DWORD mode, SNB exclude, DWORD r,
                      IStorage** out) override {
    std::shared_ptr<Element> e;
    HRESULT hr = OpenElement(name, mode, !priority && !exclude && r == 0,
                             reinterpret_cast<void**>(out), true, &e);
    if (FAILED(hr)) return hr;
    *out = new TreeStorage(file_, e, mode, false);
    return S_OK;
  }

  HRESULT Commit(DWORD) override {
    if (!isRoot_ || !CanWrite(mode_)) return S_OK;
    return file_->Commit();
  }

  HRESULT SetClass(REFCLSID clsid) override {
    if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
    element_->clsid = clsid;
    file_->Changed();
    return S_OK;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STORAGE;
    stat->grfMode = mode_;
    stat->clsid = element_->clsid;
    return S_OK;
  }

 private:
  HRESULT CreateElement(const char* name, DWORD mode, bool reservedOk, void** out,
                        bool isStorage, std::shared_ptr<Element>* made) {
    std::string key;
    if (HRESULT hr = CheckElementCall(name, mode_, mode, true, reservedOk, out, &key); FAILED(hr))
      return hr;
    try {
      auto fresh = NewElement(name, std::move(key), isStorage);
      if (auto* slot = element_->Find(fresh->key)) {
        if (!(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
        if ((*slot)->open) return STG_E_ACCESSDENIED;
        *slot = fresh;
      } else {
        element_->children.push_back(fresh);
      }
      file_->Changed();
      *made = std::move(fresh);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

  HRESULT OpenElement(const char* name, DWORD mode, bool reservedOk, void** out, bool isStorage,
                      std::shared_ptr<Element>* found) {
    std::string key;
    if (HRESULT hr = CheckElementCall(name, mode_, mode, false, reservedOk, out, &key); FAILED(hr))
      return hr;
    auto* slot = element_->Find(key);
    if (!slot || (*slot)->isStorage != isStorage) return STG_E_FILENOTFOUND;
    if ((*slot)->open) return STG_E_ACCESSDENIED;
    *found = *slot;
    return S_OK;
  }

  std::shared_ptr<DocFile> file_;
  std::shared_ptr<Element> element_;
  DWORD mode_;
  bool isRoot_;
};

// ---------------------------------------------------------------------------------------------
// Files opened for reading

// A stream of a file opened for reading, read where it lies.
class GsfStream final : public StreamBase {
 public:
  GsfStream(GObjectPtr<GsfInput> input, DWORD mode)
      : StreamBase(mode), input_(std::move(input)) {}

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    std::uint64_t size = Size();
    ULONG want = pos_ >= size ? 0 : static_cast<ULONG>(std::min<std::uint64_t>(cb, size - pos_));
    ULONG done = 0;
    HRESULT hr = S_OK;
    if (want && gsf_input_seek(input_.get(), static_cast<gsf_off_t>(pos_), G_SEEK_SET)) {
      hr = STG_E_READFAULT;
    }
    // In pieces, so that a damaged part of the file still gives what comes before it.
    while (SUCCEEDED(hr) && done < want) {
      std::size_t piece = std::min<std::size_t>(want - done, 4096);
      if (!gsf_input_read(input_.get(), piece, static_cast<std::uint8_t*>(pv) + done)) {
        hr = STG_E_READFAULT;
        break;
      }
      done += static_cast<ULONG>(piece);
    }
    pos_ += done;
    if (pcbRead) *pcbRead = done;
    return hr;
  }
  HRESULT Write(const void*, ULONG, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    return STG_E_ACCESSDENIED;
  }
  HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }

 protected:
  std::uint64_t Size() override {
    gsf_off_t size = gsf_input_size(input_.get());
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
  }

 private:
  GObjectPtr<GsfInput> input_;
};

// A storage of a file opened for reading (the root or one inside it).
class ReadStorage final : public StorageBase {
 public:
  ReadStorage(GObjectPtr<GsfInfile> infile, DWORD mode)
      : infile_(std::move(infile)), mode_(mode) {}

  HRESULT CreateStream(const char* name, DWORD mode, DWORD r1, DWORD r2, IStream** out) override {
    std::string key;
    HRESULT hr = CheckElementCall(name, mode_, mode, true, r1 == 0 && r2 == 0,
                                  reinterpret_cast<void**>(out), &key);
    return FAILED(hr) ? hr : STG_E_ACCESSDENIED;
  }
  HRESULT OpenStream(const char* name, void* r1, DWORD mode, DWORD r2, IStream** out) override {
    GObjectPtr<GsfInput> child;
    HRESULT hr = OpenChild(name, mode, r1 == nullptr && r2 == 0, reinterpret_cast<void**>(out),
                           false, &child);
    if (FAILED(hr)) return hr;
    *out = new GsfStream(std::move(child), mode);
    return S_OK;
  }
  HRESULT CreateStorage(const char* name, DWORD mode, DWORD r1, DWORD r2, IStorage** out) override {
    std::string key;
    HRESULT hr = CheckElementCall(name, mode_, mode, true, r1 == 0 && r2 == 0,
                                  reinterpret_cast<void**>(out), &key);
    return FAILED(hr) ? hr : STG_E_ACCESSDENIED;
  }
  HRESULT OpenStorage(const char* name, IStorage* priority, DWORD mode, SNB exclude, DWORD r,
                      IStorage** out) override {
    GObjectPtr<GsfInput> child;
    HRESULT hr = OpenChild(name, mode, !priority && !exclude && r == 0,
                           reinterpret_cast<void**>(out), true, &child);
    if (FAILED(hr)) return hr;
    *out = new ReadStorage(GObjectPtr<GsfInfile>(GSF_INFILE(child.release())), mode);
    return S_OK;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT SetClass(REFCLSID) override { return STG_E_ACCESSDENIED; }
  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STORAGE;
    stat->grfMode = mode_;
    std::uint8_t id[16];
    if (GSF_IS_INFILE_MSOLE(infile_.get()) &&
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(infile_.get()), id))
      stat->clsid = ClassIdFromBytes(id);
    return S_OK;
  }

 private:
  HRESULT OpenChild(const char* name, DWORD mode, bool reservedOk, void** out, bool wantStorage,
                    GObjectPtr<GsfInput>* found) {
    std::string key;
    if (HRESULT hr = CheckElementCall(name, mode_, mode, false, reservedOk, out, &key); FAILED(hr))
      return hr;
    int n = gsf_infile_num_children(infile_.get());
    for (int i = 0; i < n; ++i) {
      if (KeyOf(gsf_infile_name_by_index(infile_.get(), i)) != key) continue;
      GObjectPtr<GsfInput> child(gsf_infile_child_by_index(infile_.get(), i));
      if (!child) return STG_E_DOCFILECORRUPT;  // named in the folder, but unreadable
      bool isStorage = GSF_IS_INFILE(child.get()) &&
                       gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
      if (isStorage != wantStorage) continue;
      *found = std::move(child);
      return S_OK;
    }
    return STG_E_FILENOTFOUND;
  }

  GObjectPtr<GsfInfile> infile_;
  DWORD mode_;
};

// Opens the compound file in `fd` (which this takes over) with libgsf.
HRESULT OpenInfile(const char* path, int fd, GObjectPtr<GsfInfile>* out) {
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return STG_E_READFAULT;
  }
  GObjectPtr<GsfInput> input(gsf_input_stdio_new_FILE(path, file, FALSE));
  if (!input) {
    fclose(file);
    return STG_E_READFAULT;
  }
  GError* raw = nullptr;
  GObjectPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &raw));
  GErrorPtr err(raw);
  if (!ole) return STG_E_DOCFILECORRUPT;
  *out = std::move(ole);
  return S_OK;
}

}  // namespace
}  // namespace storage_detail

using namespace storage_detail;

HRESULT StgCreateDocfile(const char* path, DWORD grfMode, DWORD reserved, IStorage** ppstgOpen) {
  if (!ppstgOpen) return STG_E_INVALIDPOINTER;
  *ppstgOpen = nullptr;
  if (!path || !*path) return STG_E_INVALIDNAME;
  if (reserved != 0) return STG_E_INVALIDPARAMETER;
  if (HRESULT hr = CheckModeBits(grfMode); FAILED(hr)) return hr;
  if (!CanWrite(grfMode)) return STG_E_INVALIDFLAG;
  if (grfMode & (STGM_CONVERT | STGM_DELETEONRELEASE | STGM_PRIORITY)) return STG_E_INVALIDFLAG;
  if (path[std::strlen(path) - 1] == '/') return STG_E_INVALIDNAME;
  std::string target = FileBehindLink(path);
  InitGsf();

  struct stat st;
  if (stat(path, &st) == 0) {
    if (!(grfMode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
    // Replacing a file that may not be written would get round its read-only mark.
    if (S_ISDIR(st.st_mode) || access(target.c_str(), W_OK) != 0) return STG_E_ACCESSDENIED;
  } else if (errno == ENOENT && !FolderExists(target)) {
    return STG_E_PATHNOTFOUND;
  }
  try {
    auto file = std::make_shared<DocFile>(target, grfMode, (grfMode & STGM_CREATE) != 0);
    if (HRESULT hr = file->ReserveTemp(); FAILED(hr)) return hr;
    file->Changed();  // a created file is written even when left empty
    auto root = file->Root();
    *ppstgOpen = new TreeStorage(std::move(file), std::move(root), grfMode, true);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT StgOpenStorage(const char* path, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude,
                       DWORD reserved, IStorage** ppstgOpen) {
  if (!ppstgOpen) return STG_E_INVALIDPOINTER;
  *ppstgOpen = nullptr;
  if (!path || !*path) return STG_E_INVALIDNAME;
  if (pstgPriority || snbExclude || reserved != 0) return STG_E_INVALIDPARAMETER;
  if (HRESULT hr = CheckModeBits(grfMode); FAILED(hr)) return hr;
  if (grfMode & (STGM_CREATE | STGM_CONVERT | STGM_DELETEONRELEASE | STGM_PRIORITY))
    return STG_E_INVALIDFLAG;
  InitGsf();

  int fd;
  if (HRESULT hr = OpenForReading(path, &fd); FAILED(hr)) return hr;
  if (!HasSignature(fd)) {
    close(fd);
    return STG_E_FILEALREADYEXISTS;
  }
  if (CanWrite(grfMode) && access(path, W_OK) != 0) {
    close(fd);
    return STG_E_ACCESSDENIED;
  }
  GObjectPtr<GsfInfile> ole;
  if (HRESULT hr = OpenInfile(path, fd, &ole); FAILED(hr)) return hr;

  if (!CanWrite(grfMode)) {
    *ppstgOpen = new ReadStorage(std::move(ole), grfMode);
    return S_OK;
  }
  try {
    auto file = std::make_shared<DocFile>(FileBehindLink(path), grfMode, true);
    if (HRESULT hr = file->ReserveTemp(); FAILED(hr)) return hr;
    auto root = file->Root();
    std::uint8_t id[16];
    if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(ole.get()), id))
      root->clsid = ClassIdFromBytes(id);
    if (HRESULT hr = LoadChildren(ole.get(), *root, 0); FAILED(hr)) return hr;
    *ppstgOpen = new TreeStorage(std::move(file), std::move(root), grfMode, true);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT StgIsStorageFile(const char* path) {
  int fd;
  if (HRESULT hr = OpenForReading(path, &fd); FAILED(hr)) return hr;
  bool yes = HasSignature(fd);
  close(fd);
  return yes ? S_OK : S_FALSE;
}

}  // namespace kavoro
