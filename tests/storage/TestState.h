#pragma once
// A persistent object for the storage tests and the fuzz target, shaped like a DVD navigator's
// state object: its own interface, IPersistStream, and a class registered with the class
// registry so that OleLoadFromStream can make it.
//
// Saved form: "KST1", a 4-byte little-endian payload length, the payload.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/com/storage/Persist.h"

namespace kavoro::test {

struct ITestState : IUnknown {
  static constexpr IID kIID = MakeGuid(0x5A3C9E10, 0x7B21, 0x4D6F, 0x9A, 0x11, 0x3E, 0x52, 0x7C,
                                       0x08, 0xD4, 0x61);
  using Base = IUnknown;
  virtual const std::vector<std::uint8_t>& Payload() = 0;
};

// An interface no test object has.
struct IUnrelated : IUnknown {
  static constexpr IID kIID = MakeGuid(0x5A3C9E10, 0x7B21, 0x4D6F, 0x9A, 0x11, 0x3E, 0x52, 0x7C,
                                       0x08, 0xD4, 0x62);
  using Base = IUnknown;
};

// Byte order in files: 10 9E 3C 5A 21 7B 6F 4D 9A 11 3E 52 7C 08 D4 60.
constexpr CLSID CLSID_TestState = MakeGuid(0x5A3C9E10, 0x7B21, 0x4D6F, 0x9A, 0x11, 0x3E, 0x52,
                                           0x7C, 0x08, 0xD4, 0x60);
// Registered, but its objects cannot be persisted.
constexpr CLSID CLSID_NotPersistent = MakeGuid(0x5A3C9E10, 0x7B21, 0x4D6F, 0x9A, 0x11, 0x3E, 0x52,
                                               0x7C, 0x08, 0xD4, 0x63);
// Registered nowhere.
constexpr CLSID CLSID_Foreign = MakeGuid(0x0BADF00D, 0x1234, 0x5678, 0x9A, 0xBC, 0xDE, 0xF0, 0x12,
                                         0x34, 0x56, 0x78);

constexpr std::uint32_t kMaxPayload = 1u << 20;

inline std::atomic<int> g_liveObjects{0};

class TestState final : public ComObject<ITestState, IPersistStream> {
 public:
  explicit TestState(std::vector<std::uint8_t> payload = {}) : payload_(std::move(payload)) {
    ++g_liveObjects;
  }
  ~TestState() override { --g_liveObjects; }

  const std::vector<std::uint8_t>& Payload() override { return payload_; }

  HRESULT GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = CLSID_TestState;
    return S_OK;
  }
  HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT Load(IStream* stm) override {
    std::uint8_t head[8];
    if (HRESULT hr = ReadExactly(stm, head, sizeof head); FAILED(hr)) return hr;
    if (std::string(reinterpret_cast<char*>(head), 4) != "KST1") return E_FAIL;
    std::uint32_t n = head[4] | head[5] << 8 | head[6] << 16 | std::uint32_t{head[7]} << 24;
    if (n > kMaxPayload) return E_FAIL;
    std::vector<std::uint8_t> payload(n);
    if (HRESULT hr = ReadExactly(stm, payload.data(), n); FAILED(hr)) return hr;
    payload_ = std::move(payload);
    dirty_ = false;
    return S_OK;
  }
  HRESULT Save(IStream* stm, BOOL clearDirty) override {
    std::uint32_t n = static_cast<std::uint32_t>(payload_.size());
    std::uint8_t head[8] = {'K', 'S', 'T', '1', static_cast<std::uint8_t>(n),
                            static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
                            static_cast<std::uint8_t>(n >> 24)};
    if (HRESULT hr = stm->Write(head, sizeof head, nullptr); FAILED(hr)) return hr;
    if (HRESULT hr = stm->Write(payload_.data(), n, nullptr); FAILED(hr)) return hr;
    if (clearDirty) dirty_ = false;
    return S_OK;
  }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    *size = 8 + payload_.size();
    return S_OK;
  }

 private:
  static HRESULT ReadExactly(IStream* stm, void* buf, ULONG n) {
    ULONG got = 0;
    HRESULT hr = stm->Read(buf, n, &got);
    if (FAILED(hr)) return hr;
    return got == n ? S_OK : STG_E_READFAULT;
  }
  std::vector<std::uint8_t> payload_;
  bool dirty_ = true;
};

class NotPersistent final : public ComObject<IPersist> {
 public:
  NotPersistent() { ++g_liveObjects; }
  ~NotPersistent() override { --g_liveObjects; }
  HRESULT GetClassID(CLSID* id) override {
    *id = CLSID_NotPersistent;
    return S_OK;
  }
};

template <class T>
HRESULT CreateAndQuery(REFIID riid, void** ppv) {
  ComPtr<T> p = MakeCom<T>();
  return p->QueryInterface(riid, ppv);
}

// Registers both test classes with the process-wide class registry.
inline void RegisterTestClasses() {
  ClassRegistry::Instance().RegisterClass(CLSID_TestState, "Test state",
                                          &CreateAndQuery<TestState>);
  ClassRegistry::Instance().RegisterClass(CLSID_NotPersistent, "Not persistent",
                                          &CreateAndQuery<NotPersistent>);
}

}  // namespace kavoro::test
