// Fuzz target: damaged bookmark files. A valid bookmark file is made once; each input is a list
// of changes to it (an optional cut, then byte positions to flip), and the damaged file goes
// through the restore steps. Each step must fail with a code or give its object (a flipped
// byte inside the saved data may well give a different object); nothing may crash or leak.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestState.h"
#include "platform/com/storage/Storage.h"

using namespace kavoro;
using namespace kavoro::test;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const std::vector<std::uint8_t> kPayload(5000, 0x5A);  // past the small-stream limit

// The scratch folder, removed at exit. A plain array, so that it outlives the exit handler.
char g_folder[] = "/tmp/kavoro-bookmark-fuzz-XXXXXX";

std::string Folder() {
  static const bool made = [] {
    Check(mkdtemp(g_folder) != nullptr);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(g_folder, ec);
    });
    return true;
  }();
  (void)made;
  return g_folder;
}

std::vector<std::uint8_t> GoodFile() {
  std::string path = Folder() + "/good.bmk";
  {
    auto state = MakeCom<TestState>(kPayload);
    ComPtr<IStorage> storage;
    Check(StgCreateDocfile(path.c_str(), 0x1011, 0, storage.Put()) == S_OK);
    ComPtr<IStream> stream;
    Check(storage->CreateStream("BookMark", 0x1011, 0, 0, stream.Put()) == S_OK);
    Check(OleSaveToStream(state.As<IPersistStream>().Get(), stream.Get()) == S_OK);
  }
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (RegisterTestClasses(), true);
  (void)registered;
  static const std::vector<std::uint8_t> good = GoodFile();
  std::vector<std::uint8_t> file = good;
  std::size_t i = 0;
  if (size >= 2 && data[0] == 0xC7) {  // a cut, at data[1]/256 of the length
    file.resize(file.size() * data[1] / 256);
    i = 2;
  }
  for (; i + 2 < size; i += 3) {
    std::size_t at = (std::size_t{data[i]} << 8 | data[i + 1]) % (file.empty() ? 1 : file.size());
    if (!file.empty()) file[at] ^= data[i + 2];
  }
  std::string path = Folder() + "/damaged.bmk";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }

  int before = g_liveObjects;
  {
    ComPtr<IStorage> storage;
    if (SUCCEEDED(StgOpenStorage(path.c_str(), nullptr, 0x10, nullptr, 0, storage.Put()))) {
      Check(storage != nullptr);
      ComPtr<IStream> stream;
      if (SUCCEEDED(storage->OpenStream("BookMark", nullptr, 0x10, 0, stream.Put()))) {
        Check(stream != nullptr);
        ComPtr<ITestState> state;
        HRESULT hr = OleLoadFromStream(stream.Get(), ITestState::kIID, state.PutVoid());
        Check(SUCCEEDED(hr) == bool(state));
      }
    }
  }
  Check(g_liveObjects == before);
  return 0;
}
