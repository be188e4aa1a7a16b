// Saving objects into streams and making them again: the byte layout of the class identifier,
// and every way a stream can fail to give an object.
#include <gtest/gtest.h>

#include "StorageTestSupport.h"

namespace kavoro::test {
namespace {

class PersistTest : public StorageTest {};

ComPtr<IStream> StreamOf(const ByteVec& bytes) {
  ComPtr<IStream> s;
  EXPECT_EQ(CreateStreamOnMemory(bytes.data(), bytes.size(), s.Put()), S_OK);
  return s;
}

ByteVec WithClass(const CLSID& c, const ByteVec& rest) {
  ComPtr<IStream> s = StreamOf({});
  EXPECT_EQ(WriteClassStm(s.Get(), c), S_OK);
  EXPECT_EQ(s->Write(rest.data(), static_cast<ULONG>(rest.size()), nullptr), S_OK);
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  return ReadRest(s.Get());
}

TEST_F(PersistTest, SaveWritesTheClassIdInFileByteOrderThenTheData) {
  ByteVec payload = Bytes("chapter 12");
  auto state = MakeCom<TestState>(payload);
  ComPtr<IStream> s = StreamOf({});
  ASSERT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), s.Get()), S_OK);
  EXPECT_EQ(state->IsDirty(), S_FALSE);
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadRest(s.Get()), SavedForm(payload));

  // With trailing data, loading stops right after the object.
  ULONG trailing = 0;
  ASSERT_EQ(s->Write("tail", 4, &trailing), S_OK);
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ComPtr<ITestState> loaded;
  ASSERT_EQ(OleLoadFromStream(s.Get(), ITestState::kIID, loaded.PutVoid()), S_OK);
  EXPECT_EQ(loaded->Payload(), payload);
  EXPECT_EQ(ReadRest(s.Get()), Bytes("tail"));

  // A null object is saved as the null class identifier alone.
  ComPtr<IStream> none = StreamOf({});
  ASSERT_EQ(OleSaveToStream(nullptr, none.Get()), S_OK);
  ASSERT_EQ(none->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadRest(none.Get()), ByteVec(16, 0));
}

TEST_F(PersistTest, SaveReportsTheFirstFailure) {
  std::string path = dir_ / "r.stg";
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0,
                               root.Put()),
              S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(root->CreateStream("S", STGM_SHARE_EXCLUSIVE | STGM_WRITE, 0, 0, s.Put()), S_OK);
  }
  ComPtr<IStorage> root;
  ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0,
                           root.Put()),
            S_OK);
  ComPtr<IStream> readOnly;
  ASSERT_EQ(root->OpenStream("S", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, readOnly.Put()),
            S_OK);
  auto state = MakeCom<TestState>(Bytes("x"));
  EXPECT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), readOnly.Get()), STG_E_ACCESSDENIED);
  EXPECT_EQ(state->IsDirty(), S_OK);
  EXPECT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), nullptr), E_INVALIDARG);
}

TEST_F(PersistTest, LoadFailsWithoutLeavingAnObject) {
  ByteVec whole = SavedForm(Bytes("payload"));
  ByteVec hugeLength = WithClass(CLSID_TestState, {'K', 'S', 'T', '1', 0xFF, 0xFF, 0xFF, 0x7F});
  struct Case {
    const char* name;
    ByteVec content;
    IID iid;
    HRESULT expected;
  };
  const Case cases[] = {
      {"whole object", whole, ITestState::kIID, S_OK},
      {"whole object as IUnknown", whole, IUnknown::kIID, S_OK},
      {"empty stream", {}, ITestState::kIID, STG_E_READFAULT},
      {"15 bytes of class id", ByteVec(whole.begin(), whole.begin() + 15), ITestState::kIID,
       STG_E_READFAULT},
      {"class id alone", ByteVec(whole.begin(), whole.begin() + 16), ITestState::kIID,
       STG_E_READFAULT},
      {"data cut short", ByteVec(whole.begin(), whole.end() - 1), ITestState::kIID,
       STG_E_READFAULT},
      {"null class id", WithClass(GUID_NULL, {}), ITestState::kIID, REGDB_E_CLASSNOTREG},
      {"foreign class id", WithClass(CLSID_Foreign, {}), ITestState::kIID, REGDB_E_CLASSNOTREG},
      {"class without IPersistStream", WithClass(CLSID_NotPersistent, {}), IPersist::kIID,
       E_NOINTERFACE},
      {"interface the object lacks", whole, IUnrelated::kIID, E_NOINTERFACE},
      {"data the object rejects", WithClass(CLSID_TestState, {'X', 'X', 'X', 'X', 1, 0, 0, 0, 'x'}),
       ITestState::kIID, E_FAIL},
      {"length the object rejects", hugeLength, ITestState::kIID, E_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int before = g_liveObjects;
    ComPtr<IStream> s = StreamOf(c.content);
    void* object = reinterpret_cast<void*>(1);
    HRESULT hr = OleLoadFromStream(s.Get(), c.iid, &object);
    EXPECT_EQ(hr, c.expected) << HResultToString(hr);
    if (SUCCEEDED(hr)) {
      ASSERT_NE(object, nullptr);
      EXPECT_EQ(g_liveObjects, before + 1);
      static_cast<IUnknown*>(object)->Release();
    } else {
      EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_liveObjects, before);
  }

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(OleLoadFromStream(nullptr, ITestState::kIID, &object), E_INVALIDARG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(OleLoadFromStream(StreamOf(whole).Get(), ITestState::kIID, nullptr), E_POINTER);
}

}  // namespace
}  // namespace kavoro::test
