// Stream basics: mode checks, the class identifier's byte layout, the stream base class and
// the stream over bytes in memory.
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/com/storage/StorageInternal.h"

namespace kavoro {
namespace storage_detail {

HRESULT CheckModeBits(DWORD mode) {
  constexpr DWORD kKnown = kAccessMask | kShareMask | STGM_CREATE | STGM_CONVERT |
                           STGM_TRANSACTED | STGM_PRIORITY | STGM_NOSCRATCH | STGM_NOSNAPSHOT |
                           STGM_DIRECT_SWMR | STGM_SIMPLE | STGM_DELETEONRELEASE;
  if (mode & ~kKnown) return STG_E_INVALIDFLAG;
  if ((mode & kAccessMask) == kAccessMask) return STG_E_INVALIDFLAG;
  if ((mode & kShareMask) > STGM_SHARE_DENY_NONE) return STG_E_INVALIDFLAG;
  if ((mode & STGM_CREATE) && (mode & STGM_CONVERT)) return STG_E_INVALIDFLAG;
  return S_OK;
}

HRESULT CheckElementMode(DWORD mode, bool creating) {
  if (HRESULT hr = CheckModeBits(mode); FAILED(hr)) return hr;
  if ((mode & kShareMask) != STGM_SHARE_EXCLUSIVE) return STG_E_INVALIDFLAG;
  constexpr DWORD kFileOnly = STGM_TRANSACTED | STGM_CONVERT | STGM_PRIORITY |
                              STGM_DELETEONRELEASE | STGM_SIMPLE | STGM_NOSCRATCH |
                              STGM_NOSNAPSHOT | STGM_DIRECT_SWMR;
  if (mode & kFileOnly) return STG_E_INVALIDFLAG;
  if (!creating && (mode & STGM_CREATE)) return STG_E_INVALIDFLAG;
  return S_OK;
}

HRESULT CheckChildAccess(DWORD parent, DWORD child) {
  if (CanRead(child) && !CanRead(parent)) return STG_E_ACCESSDENIED;
  if (CanWrite(child) && !CanWrite(parent)) return STG_E_ACCESSDENIED;
  return S_OK;
}

void ClassIdToBytes(const CLSID& c, std::uint8_t out[16]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(c.Data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) out[4 + i] = static_cast<std::uint8_t>(c.Data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) out[6 + i] = static_cast<std::uint8_t>(c.Data3 >> (8 * i));
  std::copy(c.Data4.begin(), c.Data4.end(), out + 8);
}

CLSID ClassIdFromBytes(const std::uint8_t in[16]) {
  CLSID c;
  for (int i = 0; i < 4; ++i) c.Data1 |= std::uint32_t{in[i]} << (8 * i);
  c.Data2 = static_cast<std::uint16_t>(in[4] | (in[5] << 8));
  c.Data3 = static_cast<std::uint16_t>(in[6] | (in[7] << 8));
  std::copy(in + 8, in + 16, c.Data4.begin());
  return c;
}

HRESULT StreamBase::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  std::uint64_t base;
  switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = pos_; break;
    case STREAM_SEEK_END: base = Size(); break;
    default: return STG_E_INVALIDFUNCTION;
  }
  std::uint64_t target;
  if (move < 0) {
    // Negate without overflow: -(INT64_MIN) does not fit an int64.
    std::uint64_t back = static_cast<std::uint64_t>(-(move + 1)) + 1;
    if (back > base) return STG_E_INVALIDFUNCTION;
    target = base - back;
  } else {
    std::uint64_t ahead = static_cast<std::uint64_t>(move);
    if (ahead > UINT64_MAX - base) return STG_E_INVALIDFUNCTION;
    target = base + ahead;
  }
  pos_ = target;
  if (newPosition) *newPosition = pos_;
  return S_OK;
}

HRESULT StreamBase::CopyTo(IStream* dest, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                           ULARGE_INTEGER* pcbWritten) {
  if (pcbRead) *pcbRead = 0;
  if (pcbWritten) *pcbWritten = 0;
  if (!dest) return STG_E_INVALIDPOINTER;
  std::uint8_t chunk[16384];
  ULARGE_INTEGER read = 0, written = 0;
  HRESULT hr = S_OK;
  while (read < cb) {
    ULONG want = static_cast<ULONG>(std::min<ULARGE_INTEGER>(sizeof chunk, cb - read));
    ULONG got = 0;
    hr = Read(chunk, want, &got);
    read += got;
    if (got > 0) {
      ULONG put = 0;
      HRESULT whr = dest->Write(chunk, got, &put);
      written += put;
      if (FAILED(whr)) {
        hr = whr;
        break;
      }
    }
    if (FAILED(hr) || got < want) break;
  }
  if (pcbRead) *pcbRead = read;
  if (pcbWritten) *pcbWritten = written;
  return FAILED(hr) ? hr : S_OK;
}

HRESULT StreamBase::Stat(STATSTG* stat, DWORD flags) {
  if (!stat) return STG_E_INVALIDPOINTER;
  *stat = STATSTG{};
  stat->type = STGTY_STREAM;
  stat->cbSize = Size();
  stat->grfMode = mode_;
  return S_OK;
}

BufferStream::BufferStream(std::shared_ptr<Bytes> bytes, DWORD mode,
                           std::unique_ptr<ElementSite> site, HRESULT growFailure)
    : StreamBase(mode), bytes_(std::move(bytes)), site_(std::move(site)),
      growFailure_(growFailure) {}

HRESULT BufferStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  if (!CanRead(mode_)) return STG_E_ACCESSDENIED;
  std::uint64_t size = bytes_->size();
  ULONG n = pos_ >= size ? 0 : static_cast<ULONG>(std::min<std::uint64_t>(cb, size - pos_));
  if (n) std::memcpy(pv, bytes_->data() + pos_, n);
  pos_ += n;
  if (pcbRead) *pcbRead = n;
  return S_OK;
}

HRESULT BufferStream::Resize(std::uint64_t size) {
  if (size > kMaxStreamSize) return STG_E_MEDIUMFULL;
  try {
    bytes_->resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return growFailure_;
  } catch (const std::length_error&) {
    return growFailure_;
  }
  return S_OK;
}

HRESULT BufferStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (pcbWritten) *pcbWritten = 0;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
  if (cb == 0) return S_OK;
  if (pos_ > kMaxStreamSize - cb) return STG_E_MEDIUMFULL;
  std::uint64_t end = pos_ + cb;
  if (end > bytes_->size()) {
    if (HRESULT hr = Resize(end); FAILED(hr)) return hr;
  }
  std::memcpy(bytes_->data() + pos_, pv, cb);
  pos_ = end;
  if (site_) site_->Changed();
  if (pcbWritten) *pcbWritten = cb;
  return S_OK;
}

HRESULT BufferStream::SetSize(ULARGE_INTEGER size) {
  if (!CanWrite(mode_)) return STG_E_ACCESSDENIED;
  if (size == bytes_->size()) return S_OK;
  if (HRESULT hr = Resize(size); FAILED(hr)) return hr;
  if (site_) site_->Changed();
  return S_OK;
}

}  // namespace storage_detail

HRESULT CreateStreamOnMemory(const void* data, std::size_t size, IStream** ppstm) {
  using namespace storage_detail;
  if (!ppstm) return E_POINTER;
  *ppstm = nullptr;
  if (!data && size) return E_INVALIDARG;
  if (size > kMaxStreamSize) return STG_E_MEDIUMFULL;
  std::shared_ptr<Bytes> bytes;
  try {
    auto p = static_cast<const std::uint8_t*>(data);
    bytes = std::make_shared<Bytes>(p, p + size);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *ppstm = new BufferStream(std::move(bytes), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr,
                            E_OUTOFMEMORY);
  return S_OK;
}

}  // namespace kavoro
