// Fuzz target: OleLoadFromStream over a memory stream holding arbitrary bytes. Whatever the
// bytes, the call gives either a failure and no object, or an object whose saved form is
// exactly the bytes it was read from; and no object is left alive afterwards.
#include <cstdlib>

#include "TestState.h"
#include "platform/com/ComPtr.h"
#include "support/SavedFormCheck.h"

using namespace kavoro;
using namespace kavoro::test;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (RegisterTestClasses(), true);
  (void)registered;
  int before = g_liveObjects;
  {
    ComPtr<IStream> stream;
    Check(CreateStreamOnMemory(data, size, stream.Put()) == S_OK);
    void* object = reinterpret_cast<void*>(1);
    HRESULT hr = OleLoadFromStream(stream.Get(), ITestState::kIID, &object);
    if (FAILED(hr)) {
      Check(object == nullptr);
    } else {
      Check(object != nullptr);
      auto state = ComPtr<ITestState>::Attach(static_cast<ITestState*>(object));
      ULARGE_INTEGER savedSize = 0;
      Check(testing::SavesAsReadFrom(state.As<IPersistStream>().Get(), data, size, &savedSize));
      // The stream stops right after what the object read.
      ULARGE_INTEGER pos = 0;
      Check(stream->Seek(0, STREAM_SEEK_CUR, &pos) == S_OK);
      Check(pos == savedSize);
    }
  }
  Check(g_liveObjects == before);
  return 0;
}
