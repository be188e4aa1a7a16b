#pragma once
// Pieces shared by the storage sources: owning pointers for GLib objects, mode checks, the
// class identifier's byte layout and the stream base class. Not part of the interface.
#include <glib-object.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/com/storage/Storage.h"

namespace kavoro::storage_detail {

// Owns one reference to a GObject (GsfInput, GsfOutput, GsfInfile, GsfOutfile...).
struct GObjectUnref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
  void operator()(GError* e) const {
    if (e) g_error_free(e);
  }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// The largest stream: the file format keeps 32-bit stream sizes.
constexpr std::uint64_t kMaxStreamSize = 0xFFFFFFFFu;

constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;
inline bool CanRead(DWORD mode) { return (mode & kAccessMask) != STGM_WRITE; }
inline bool CanWrite(DWORD mode) { return (mode & kAccessMask) != STGM_READ; }

// STG_E_INVALIDFLAG for unknown bits, access 3, an unknown share value or CREATE with CONVERT.
HRESULT CheckModeBits(DWORD mode);
// The rules for streams and storages inside a file (see Storage.h).
HRESULT CheckElementMode(DWORD mode, bool creating);
// STG_E_ACCESSDENIED when `child` asks for an access that `parent` lacks.
HRESULT CheckChildAccess(DWORD parent, DWORD child);

// The 16-byte file layout of a class identifier (see WriteClassStm).
void ClassIdToBytes(const CLSID& clsid, std::uint8_t out[16]);
CLSID ClassIdFromBytes(const std::uint8_t in[16]);

// Position, seeking, copying and status common to every stream here.
class StreamBase : public ComObject<IStream> {
 public:
  explicit StreamBase(DWORD mode) : mode_(mode) {}

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
  HRESULT CopyTo(IStream* dest, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                 ULARGE_INTEGER* pcbWritten) override;
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT Stat(STATSTG* stat, DWORD flags) override;
  HRESULT Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 protected:
  virtual std::uint64_t Size() = 0;
  std::uint64_t pos_ = 0;
  DWORD mode_;
};

// Told when a stream over bytes of a file being written changes them; destroyed with the
// stream, which lets the file know the element is closed.
class ElementSite {
 public:
  virtual ~ElementSite() = default;
  virtual void Changed() = 0;
};

using Bytes = std::vector<std::uint8_t>;

// A stream over bytes in memory: the free memory stream, and each stream of a file being
// written (which shares its bytes with the file's element and has a site).
class BufferStream final : public StreamBase {
 public:
  BufferStream(std::shared_ptr<Bytes> bytes, DWORD mode, std::unique_ptr<ElementSite> site,
               HRESULT growFailure);

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
  HRESULT SetSize(ULARGE_INTEGER size) override;

 protected:
  std::uint64_t Size() override { return bytes_->size(); }

 private:
  HRESULT Resize(std::uint64_t size);
  std::shared_ptr<Bytes> bytes_;
  std::unique_ptr<ElementSite> site_;
  HRESULT growFailure_;  // what running out of memory is called for this kind of stream
};

}  // namespace kavoro::storage_detail
