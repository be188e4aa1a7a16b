#pragma once
// For the loader fuzz targets: an object read from bytes must save itself as exactly the bytes
// it was read from.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/storage/Persist.h"
#include "platform/com/storage/Stream.h"

namespace kavoro::testing {

// Saves `object` into a fresh memory stream; true when that worked and the saved form is no
// longer than `size` and equal to the first bytes of `data`. `savedSize` gets its length.
inline bool SavesAsReadFrom(IPersistStream* object, const std::uint8_t* data, std::size_t size,
                            ULARGE_INTEGER* savedSize) {
  ComPtr<IStream> again;
  if (CreateStreamOnMemory(nullptr, 0, again.Put()) != S_OK) return false;
  if (OleSaveToStream(object, again.Get()) != S_OK) return false;
  STATSTG st;
  if (again->Stat(&st, STATFLAG_NONAME) != S_OK) return false;
  if (st.cbSize > size) return false;
  *savedSize = st.cbSize;
  std::vector<std::uint8_t> saved(st.cbSize);
  if (again->Seek(0, STREAM_SEEK_SET, nullptr) != S_OK) return false;
  if (again->Read(saved.data(), static_cast<ULONG>(saved.size()), nullptr) != S_OK) return false;
  return saved.empty() || std::memcmp(saved.data(), data, saved.size()) == 0;
}

}  // namespace kavoro::testing
