#pragma once
// Structured storage: compound files (the platform's OLE2 compound document format) made of
// storages and streams, read and written with libgsf.
//
// How files are written. Nothing is written to the target path while a compound file is being
// built: its elements are kept in memory, and a commit writes the whole file under a temporary
// name in the target's folder, flushes it to disk and renames it over the target. A save that
// fails therefore leaves an existing file as it was, and a reader sees either the old file or
// the new one, never a torn one.
// - Direct mode (the default): the file is committed when the root storage's Commit is called
//   and again, if anything changed since, when the last object of the file goes away (the root
//   storage and every stream or storage opened in it: an element keeps its file open, so
//   releasing the root before its streams loses nothing).
// - STGM_TRANSACTED: only Commit writes; releasing without one leaves the disk untouched.
// A commit that fails on the final release cannot report it; callers that must know call
// Commit first.
//
// Names and paths are UTF-8, as everywhere in this layer. Element names are 1 to 31 UTF-16
// units without '/', '\', ':' or '!', and compare without regard to case, as on the platform.
// Paths are native paths.
//
// Sharing. In a storage being written, an element that is open cannot be opened again, nor
// replaced or overwritten by a new one (STG_E_ACCESSDENIED). Share modes of whole files are
// checked for validity but not enforced between separate opens: thanks to the rename, a reader
// never sees a writer's half-done work.
//
// Threads: see Stream.h. Any thread may use an object, one thread at a time.
#include "platform/com/storage/Stream.h"

namespace kavoro {

// Access and sharing modes (STGM_*), with the platform's values.
constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_SIMPLE = 0x08000000;
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_PRIORITY = 0x00040000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;
constexpr DWORD STGM_NOSCRATCH = 0x00100000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_CONVERT = 0x00020000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;
constexpr DWORD STGM_DIRECT_SWMR = 0x00400000;

// Names of elements to leave out of a copy or an open; not supported here (must be null).
using SNB = char**;

struct IEnumSTATSTG;  // element enumeration is not offered (EnumElements gives E_NOTIMPL)

// Element modes: streams and storages inside a file are opened with STGM_SHARE_EXCLUSIVE
// (anything else is STG_E_INVALIDFLAG, as on the platform) and direct (STGM_TRANSACTED is
// STG_E_INVALIDFLAG). An element cannot be opened with an access its storage lacks: asking
// for write access in a storage opened for reading, or for read access in one opened for
// writing only, is STG_E_ACCESSDENIED. A stream opened for reading refuses Write and SetSize,
// one opened for writing only refuses Read, both with STG_E_ACCESSDENIED.
struct IStorage : IUnknown {
  static constexpr IID kIID = MakeGuid(0x0000000B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x46);
  using Base = IUnknown;
  // Creates a stream. An element of that name is STG_E_FILEALREADYEXISTS unless grfMode has
  // STGM_CREATE, which replaces it with an empty stream.
  virtual HRESULT CreateStream(const char* pwcsName, DWORD grfMode, DWORD reserved1,
                               DWORD reserved2, IStream** ppstm) = 0;
  // Opens a stream; STG_E_FILENOTFOUND when there is no stream of that name. STGM_CREATE is
  // STG_E_INVALIDFLAG. reserved1 must be null, reserved2 0 (STG_E_INVALIDPARAMETER).
  virtual HRESULT OpenStream(const char* pwcsName, void* reserved1, DWORD grfMode,
                             DWORD reserved2, IStream** ppstm) = 0;
  virtual HRESULT CreateStorage(const char* pwcsName, DWORD grfMode, DWORD reserved1,
                                DWORD reserved2, IStorage** ppstg) = 0;
  // pstgPriority and snbExclude must be null.
  virtual HRESULT OpenStorage(const char* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                              SNB snbExclude, DWORD reserved, IStorage** ppstg) = 0;
  virtual HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                         IStorage* pstgDest) = 0;  // E_NOTIMPL
  virtual HRESULT MoveElementTo(const char* pwcsName, IStorage* pstgDest,
                                const char* pwcsNewName, DWORD grfFlags) = 0;  // E_NOTIMPL
  // The root storage of a file writes the file (see above); a storage inside a file and one
  // opened for reading have nothing to do (S_OK).
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;  // E_NOTIMPL
  virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                               IEnumSTATSTG** ppenum) = 0;  // E_NOTIMPL
  virtual HRESULT DestroyElement(const char* pwcsName) = 0;  // E_NOTIMPL
  virtual HRESULT RenameElement(const char* pwcsOldName, const char* pwcsNewName) = 0;  // E_NOTIMPL
  virtual HRESULT SetElementTimes(const char* pwcsName, const FILETIME* pctime,
                                  const FILETIME* patime, const FILETIME* pmtime) = 0;  // E_NOTIMPL
  // The class identifier recorded for this storage in the file.
  virtual HRESULT SetClass(REFCLSID clsid) = 0;
  virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;  // E_NOTIMPL
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
};

// Creates a compound file for writing at `path` (a native path). grfMode needs STGM_WRITE or
// STGM_READWRITE (else STG_E_INVALIDFLAG). An existing file is STG_E_FILEALREADYEXISTS unless
// grfMode has STGM_CREATE, in which case the new file replaces it when committed (through a
// symbolic link: the file it points to). A missing folder is STG_E_PATHNOTFOUND; a folder that
// cannot be written, a target that is a folder or a file that may not be written is
// STG_E_ACCESSDENIED. `path` must be set (STG_E_INVALIDNAME), reserved 0.
// STGM_CONVERT and STGM_DELETEONRELEASE are not supported (STG_E_INVALIDFLAG).
HRESULT StgCreateDocfile(const char* path, DWORD grfMode, DWORD reserved, IStorage** ppstgOpen);

// Opens the compound file at `path`. Answers:
// - no such file: STG_E_FILENOTFOUND; its folder missing: STG_E_PATHNOTFOUND;
// - a folder, a device or an unreadable file: STG_E_ACCESSDENIED;
// - a file that is not a compound file (no compound-file signature, including an empty file):
//   STG_E_FILEALREADYEXISTS, the platform's answer for a file that exists but is no storage;
// - a file with the signature whose structure cannot be read (truncated, corrupt):
//   STG_E_DOCFILECORRUPT.
// With STGM_READ the file is read where it lies. With write access its elements are read into
// memory and written back on commit, as for a created file; a file that would be damaged if
// read this way is STG_E_DOCFILECORRUPT. STGM_CREATE, STGM_CONVERT, STGM_DELETEONRELEASE and
// STGM_PRIORITY are STG_E_INVALIDFLAG; pstgPriority and snbExclude must be null.
HRESULT StgOpenStorage(const char* path, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude,
                       DWORD reserved, IStorage** ppstgOpen);

// S_OK when the file at `path` starts with the compound-file signature, S_FALSE when it does
// not (an empty file included); STG_E_FILENOTFOUND / STG_E_PATHNOTFOUND / STG_E_ACCESSDENIED
// as for StgOpenStorage.
HRESULT StgIsStorageFile(const char* path);

}  // namespace kavoro
