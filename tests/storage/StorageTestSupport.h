#pragma once
// Helpers for the storage tests: a scratch folder, whole-file reads and writes, a command's
// output, and the bookmark save and restore steps as the player runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "TestState.h"
#include "platform/com/storage/Persist.h"
#include "platform/com/storage/Storage.h"

namespace kavoro::test {

using ByteVec = std::vector<std::uint8_t>;

// A folder of its own for each test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavoro-storage-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }
  // Names of the entries, hidden ones included (a left-over temporary file shows here).
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      names.insert(e.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline ByteVec ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteVec(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, const ByteVec& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline ByteVec Bytes(const std::string& s) { return ByteVec(s.begin(), s.end()); }

// Runs a shell command; its standard output, and its exit status in *status.
inline std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    *status = -1;
    return out;
  }
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *status = pclose(p);
  return out;
}

inline ByteVec Pattern(std::size_t n, unsigned seed = 1) {
  ByteVec v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 131 + seed * 17) ^ (i >> 8));
  return v;
}

// Everything from the stream's position to its end.
inline ByteVec ReadRest(IStream* s) {
  ByteVec all;
  std::uint8_t buf[1000];
  ULONG got = 0;
  while (SUCCEEDED(s->Read(buf, sizeof buf, &got)) && got > 0) all.insert(all.end(), buf, buf + got);
  return all;
}

constexpr DWORD kBookmarkCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;  // 0x1011
constexpr DWORD kBookmarkOpenMode = STGM_SHARE_EXCLUSIVE | STGM_READ;                   // 0x10

// The save steps: compound file and stream "BookMark" with mode 0x1011, the state object
// saved into it, stream and storage released. The first failure is returned.
inline HRESULT SaveBookmark(const std::string& path, IUnknown* state) {
  ComPtr<IStorage> storage;
  HRESULT hr = StgCreateDocfile(path.c_str(), kBookmarkCreateMode, 0, storage.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IStream> stream;
  hr = storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IPersistStream> persist;
  if (SUCCEEDED(state->QueryInterface(IPersistStream::kIID, persist.PutVoid())))
    hr = OleSaveToStream(persist.Get(), stream.Get());
  return hr;
}

inline HRESULT SaveBookmark(const std::string& path, TestState* state) {
  return SaveBookmark(path, state->Identity());
}

// The restore steps: file and stream opened with mode 0x10, the object loaded as ITestState.
inline HRESULT LoadBookmark(const std::string& path, ComPtr<ITestState>* state) {
  ComPtr<IStorage> storage;
  HRESULT hr = StgOpenStorage(path.c_str(), nullptr, kBookmarkOpenMode, nullptr, 0, storage.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IStream> stream;
  hr = storage->OpenStream("BookMark", nullptr, kBookmarkOpenMode, 0, stream.Put());
  if (FAILED(hr)) return hr;
  return OleLoadFromStream(stream.Get(), ITestState::kIID, state->PutVoid());
}

// The file's bytes of a test state saved with OleSaveToStream.
inline ByteVec SavedForm(const ByteVec& payload) {
  ByteVec v = {0x10, 0x9E, 0x3C, 0x5A, 0x21, 0x7B, 0x6F, 0x4D,
               0x9A, 0x11, 0x3E, 0x52, 0x7C, 0x08, 0xD4, 0x60, 'K', 'S', 'T', '1'};
  std::uint32_t n = static_cast<std::uint32_t>(payload.size());
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  v.insert(v.end(), payload.begin(), payload.end());
  return v;
}

// Test fixture base: registers the test classes and checks that no test object outlives a
// test.
class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    live_ = g_liveObjects;
  }
  void TearDown() override { EXPECT_EQ(g_liveObjects, live_) << "a test object leaked"; }
  ScratchFolder dir_;

 private:
  int live_ = 0;
};

}  // namespace kavoro::test
