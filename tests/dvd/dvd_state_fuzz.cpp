// Fuzz target: the DVD state loader. Whatever the bytes, OleLoadFromStream gives a failure code
// and no object, or a state whose place is in range and whose saved form is exactly the bytes
// it was read from. Seeds: dvd_state_seeds writes saved forms of a few places.
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
  ULARGE_INTEGER savedSize = 0;
  Check(testing::SavesAsReadFrom(state.As<IPersistStream>().Get(), data, size, &savedSize));
  return 0;
}
