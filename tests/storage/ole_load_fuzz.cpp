// Fuzz target: OleLoadFromStream over a memory stream holding arbitrary bytes. Whatever the
// bytes, the call gives either a failure and no object, or an object whose saved form is
// exactly the bytes it was read from; and no object is left alive afterwards.
#include <cstdlib>
#include <cstring>

#include "TestState.h"
#include "platform/com/ComPtr.h"

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
      ComPtr<IStream> again;
      Check(CreateStreamOnMemory(nullptr, 0, again.Put()) == S_OK);
      Check(OleSaveToStream(state.As<IPersistStream>().Get(), again.Get()) == S_OK);
      STATSTG st;
      Check(again->Stat(&st, STATFLAG_NONAME) == S_OK);
      Check(st.cbSize <= size);
      std::vector<std::uint8_t> saved(st.cbSize);
      Check(again->Seek(0, STREAM_SEEK_SET, nullptr) == S_OK);
      Check(again->Read(saved.data(), static_cast<ULONG>(saved.size()), nullptr) == S_OK);
      Check(saved.empty() || std::memcmp(saved.data(), data, saved.size()) == 0);
      // The stream stops right after what the object read.
      ULARGE_INTEGER pos = 0;
      Check(stream->Seek(0, STREAM_SEEK_CUR, &pos) == S_OK);
      Check(pos == st.cbSize);
    }
  }
  Check(g_liveObjects == before);
  return 0;
}
