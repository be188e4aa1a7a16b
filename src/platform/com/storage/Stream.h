#pragma once
// Byte streams in the platform's shape: ISequentialStream and IStream, their status record, and
// a stream kept in memory.
//
// Threads: objects here take no locks. Any thread may use a stream, one thread at a time; the
// streams and storages of one compound file count as one object for this rule (they share the
// file's state). Reference counting alone is safe from any thread.
#include <cstddef>
#include <cstdint>

#include "platform/com/Unknown.h"

namespace kavoro {

// The platform's 64-bit offsets and sizes, kept as plain integers.
using LARGE_INTEGER = std::int64_t;
using ULARGE_INTEGER = std::uint64_t;

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};

// Seek origins.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// Element kinds in STATSTG::type.
constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STGTY_PROPERTY = 4;

// Stat flags. Names are never returned here (pwcsName stays null either way): nothing in this
// system asks for them, and leaving them out spares every caller a free.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STATFLAG_NOOPEN = 2;

// Commit flags. Every commit here is safe (write a new file, then rename), so they change
// nothing; they are named for callers written against the platform.
constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STGC_ONLYIFCURRENT = 2;
constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
constexpr DWORD STGC_CONSOLIDATE = 8;

struct STATSTG {
  char* pwcsName = nullptr;  // always null, see STATFLAG_*
  DWORD type = 0;            // STGTY_*
  ULARGE_INTEGER cbSize = 0; // streams: the size in bytes; storages: 0
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode = 0;         // the STGM_* mode the element was opened with
  DWORD grfLocksSupported = 0;
  CLSID clsid;               // storages: the class set with SetClass; streams: null
  DWORD grfStateBits = 0;
  DWORD reserved = 0;
};

struct ISequentialStream : IUnknown {
  static constexpr IID kIID = MakeGuid(0x0C733A30, 0x2A1C, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00,
                                       0x44, 0x77, 0x3D);
  using Base = IUnknown;
  // Reads up to cb bytes at the position and advances it. Fewer bytes (down to none) at the end
  // of the stream is still S_OK; *pcbRead (optional) tells how many came.
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  // Writes cb bytes at the position, growing the stream when needed (a gap before the position
  // reads as zero bytes). *pcbWritten is optional.
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};

struct IStream : ISequentialStream {
  static constexpr IID kIID = MakeGuid(0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  using Base = ISequentialStream;
  // Moves the position relative to STREAM_SEEK_SET/CUR/END. A position past the end is
  // allowed; one before the start is STG_E_INVALIDFUNCTION and leaves the position unchanged.
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  // Cuts or zero-extends the stream; the position stays where it was.
  virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
  // Copies up to cb bytes from this stream's position to pstm's position.
  virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                         ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  // Region locks are not supported: STG_E_INVALIDFUNCTION, as the platform's memory streams say.
  virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  // E_NOTIMPL: nothing here needs two positions on one stream.
  virtual HRESULT Clone(IStream** ppstm) = 0;
};

// A read-write stream held in memory, starting with a copy of `size` bytes at `data` (none
// when size is 0) and its position at 0. It stands in for a stream on a global memory block:
// state saved into it is read back by seeking to 0 and reading. Grows to at most 4 GiB - 1
// bytes (STG_E_MEDIUMFULL past that, E_OUTOFMEMORY when memory runs out).
HRESULT CreateStreamOnMemory(const void* data, std::size_t size, IStream** ppstm);

}  // namespace kavoro
