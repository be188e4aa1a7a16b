// Fuzz target: the DVD state loader. Whatever the bytes, OleLoadFromStream gives a failure code
// and no object, or a state whose place is in range and whose saved form reads back as the same
// place; read from the current saved form, the saved form is exactly the bytes it was read from
// (a first-version form is saved in the current one). Seeds: dvd_state_seeds writes saved forms
// of a few places.
#include <cstdlib>

#include "platform/com/storage/Persist.h"
#include "platform/media/dvd/DvdState.h"
#include "support/SavedFormCheck.h"

using namespace kavoro;
using namespace kavoro::media;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// Where the saved form's version lies in a bookmark stream: after the class identifier (16
// bytes) and the magic (4 bytes), in two bytes, low byte first.
constexpr std::size_t kVersionAt = 20;
constexpr std::uint16_t kCurrentVersion = 2;

std::uint16_t VersionOf(const std::uint8_t* data, std::size_t size) {
  if (size < kVersionAt + 2) return 0;
  return static_cast<std::uint16_t>(data[kVersionAt] | data[kVersionAt + 1] << 8);
}

// The place of the state that the object's saved form loads into.
DvdPlace PlaceOfSavedForm(IPersistStream* object) {
  ComPtr<IStream> saved;
  Check(CreateStreamOnMemory(nullptr, 0, saved.Put()) == S_OK);
  Check(OleSaveToStream(object, saved.Get()) == S_OK);
  Check(saved->Seek(0, STREAM_SEEK_SET, nullptr) == S_OK);
  void* again = nullptr;
  Check(OleLoadFromStream(saved.Get(), IDvdState::kIID, &again) == S_OK && again != nullptr);
  auto state = ComPtr<IDvdState>::Attach(static_cast<IDvdState*>(again));
  DvdPlace p;
  Check(state.As<IDvdSavedPlace>()->GetPlace(&p) == S_OK);
  return p;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (RegisterDvdState(), true);
  (void)registered;
  ComPtr<IStream> stream;
  Check(CreateStreamOnMemory(data, size, stream.Put()) == S_OK);
  void* object = reinterpret_cast<void*>(1);
  const HRESULT hr = OleLoadFromStream(stream.Get(), IDvdState::kIID, &object);
  if (FAILED(hr)) {
    Check(object == nullptr);
    return 0;
  }
  Check(object != nullptr);
  auto state = ComPtr<IDvdState>::Attach(static_cast<IDvdState*>(object));
  DvdPlace p;
  Check(state.As<IDvdSavedPlace>()->GetPlace(&p) == S_OK);
  Check(p.domain >= DVD_DOMAIN_VideoManagerMenu && p.domain <= DVD_DOMAIN_Title);
  Check(p.audio < kDvdAudioStreams && p.spu < kDvdSubpictureStreams);
  Check(p.angle >= 1 && p.angle <= kDvdAngles && p.time90k >= 0);
  Check(p.domain != DVD_DOMAIN_Title || (p.title >= 1 && p.chapter >= 1));
  Check(PlaceOfSavedForm(state.As<IPersistStream>().Get()) == p);
  if (VersionOf(data, size) == kCurrentVersion) {
    ULARGE_INTEGER savedSize = 0;
    Check(testing::SavesAsReadFrom(state.As<IPersistStream>().Get(), data, size, &savedSize));
  }
  return 0;
}
