// Stream behaviour, the same for a memory stream and for the streams of compound files:
// reading, writing, seeking from each origin, resizing, copying and the limits.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "StorageTestSupport.h"

namespace kavoro::test {
namespace {

constexpr DWORD kRW = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

struct StreamKind {
  const char* name;
  // Makes an empty read-write stream; `path` is the file it lives in, if any.
  std::function<ComPtr<IStream>(const std::string& path)> make;
  bool inFile;
};

ComPtr<IStream> MemoryStream(const std::string&) {
  ComPtr<IStream> s;
  EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, s.Put()), S_OK);
  return s;
}

ComPtr<IStream> CreatedFileStream(const std::string& path) {
  ComPtr<IStorage> root;
  EXPECT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | kRW, 0, root.Put()), S_OK);
  ComPtr<IStream> s;
  EXPECT_EQ(root->CreateStream("Data", kRW, 0, 0, s.Put()), S_OK);
  return s;  // keeps the file open; it is written when the stream goes
}

ComPtr<IStream> ReopenedFileStream(const std::string& path) {
  CreatedFileStream(path);
  ComPtr<IStorage> root;
  EXPECT_EQ(StgOpenStorage(path.c_str(), nullptr, kRW, nullptr, 0, root.Put()), S_OK);
  ComPtr<IStream> s;
  EXPECT_EQ(root->OpenStream("Data", nullptr, kRW, 0, s.Put()), S_OK);
  return s;
}

std::string ReadN(IStream* s, ULONG n, HRESULT expected = S_OK) {
  std::string buf(n, '\0');
  ULONG got = 12345;
  EXPECT_EQ(s->Read(buf.data(), n, &got), expected);
  buf.resize(got);
  return buf;
}

ULARGE_INTEGER Position(IStream* s) {
  ULARGE_INTEGER pos = 0;
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_CUR, &pos), S_OK);
  return pos;
}

ULARGE_INTEGER SizeOf(IStream* s) {
  STATSTG st;
  EXPECT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.type, STGTY_STREAM);
  return st.cbSize;
}

class ReadWriteStreamTest : public StorageTest, public ::testing::WithParamInterface<StreamKind> {};

TEST_P(ReadWriteStreamTest, ReadsWritesSeeksAndResizes) {
  std::string path = dir_ / "s.stg";
  ComPtr<IStream> s = GetParam().make(path);
  ASSERT_TRUE(s);
  ULONG written = 0;
  ASSERT_EQ(s->Write("hello world", 11, &written), S_OK);
  EXPECT_EQ(written, 11u);

  ULARGE_INTEGER pos = 0;
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 11u);
  EXPECT_EQ(s->Seek(-5, STREAM_SEEK_CUR, &pos), S_OK);
  EXPECT_EQ(pos, 6u);
  EXPECT_EQ(ReadN(s.Get(), 10), "world");  // a short read at the end is still S_OK
  EXPECT_EQ(ReadN(s.Get(), 10), "");

  // Before the start, an unknown origin and an overflowing move fail and leave the position.
  for (auto [move, origin] : {std::pair<LARGE_INTEGER, DWORD>{-12, STREAM_SEEK_END},
                              {-1, STREAM_SEEK_SET},
                              {0, 7},
                              {LLONG_MIN, STREAM_SEEK_CUR}}) {
    EXPECT_EQ(s->Seek(move, origin, &pos), STG_E_INVALIDFUNCTION) << move << " from " << origin;
    EXPECT_EQ(Position(s.Get()), 11u);
  }

  // Writing past the end leaves a gap of zero bytes.
  EXPECT_EQ(s->Seek(20, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(s->Write("!", 1, nullptr), S_OK);
  EXPECT_EQ(SizeOf(s.Get()), 21u);
  EXPECT_EQ(s->Seek(9, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadN(s.Get(), 20), std::string("ld\0\0\0\0\0\0\0\0\0!", 12));

  // SetSize cuts and extends with zeros; the position stays.
  EXPECT_EQ(s->SetSize(5), S_OK);
  EXPECT_EQ(Position(s.Get()), 21u);
  EXPECT_EQ(ReadN(s.Get(), 4), "");
  EXPECT_EQ(s->SetSize(8), S_OK);
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadN(s.Get(), 100), std::string("hello\0\0\0", 8));

  // The largest size a stream can have.
  EXPECT_EQ(s->Seek(0xFFFFFFFFll, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(s->Write("x", 1, &written), STG_E_MEDIUMFULL);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(s->SetSize(0x100000000ull), STG_E_MEDIUMFULL);
  EXPECT_EQ(SizeOf(s.Get()), 8u);

  // Copying takes from the position.
  ComPtr<IStream> copy = MemoryStream("");
  EXPECT_EQ(s->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
  ULARGE_INTEGER copiedIn = 0, copiedOut = 0;
  EXPECT_EQ(s->CopyTo(copy.Get(), 3, &copiedIn, &copiedOut), S_OK);
  EXPECT_EQ(copiedIn, 3u);
  EXPECT_EQ(copiedOut, 3u);
  EXPECT_EQ(copy->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadN(copy.Get(), 10), "ell");

  EXPECT_EQ(s->Read(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->LockRegion(0, 1, 0), STG_E_INVALIDFUNCTION);
  ComPtr<IStream> clone;
  EXPECT_EQ(s->Clone(clone.Put()), E_NOTIMPL);
  EXPECT_TRUE(s.As<ISequentialStream>());

  s = nullptr;
  if (GetParam().inFile) {
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0,
                             root.Put()),
              S_OK);
    ComPtr<IStream> back;
    ASSERT_EQ(root->OpenStream("Data", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, back.Put()),
              S_OK);
    EXPECT_EQ(ReadN(back.Get(), 100), std::string("hello\0\0\0", 8));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReadWriteStreamTest,
                         ::testing::Values(StreamKind{"Memory", &MemoryStream, false},
                                           StreamKind{"CreatedFile", &CreatedFileStream, true},
                                           StreamKind{"ReopenedFile", &ReopenedFileStream, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class ReadOnlyStreamTest : public StorageTest {};

TEST_F(ReadOnlyStreamTest, FileStreamOpenedForReadingSeeksAndReadsLikeTheOthers) {
  // Across the small-stream size limit (4096 bytes): both ways the format stores streams.
  for (std::size_t size : {std::size_t{700}, std::size_t{5000}}) {
    SCOPED_TRACE(size);
    std::string path = dir_ / "r.stg";
    ByteVec content = Pattern(size, 9);
    {
      ComPtr<IStream> s = CreatedFileStream(path);
      ASSERT_EQ(s->Write(content.data(), static_cast<ULONG>(content.size()), nullptr), S_OK);
    }
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, STGM_SHARE_DENY_WRITE, nullptr, 0, root.Put()),
              S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(root->OpenStream("Data", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, s.Put()),
              S_OK);
    EXPECT_EQ(SizeOf(s.Get()), size);

    ULARGE_INTEGER pos = 0;
    EXPECT_EQ(s->Seek(-10, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos, size - 10);
    EXPECT_EQ(Bytes(ReadN(s.Get(), 100)), ByteVec(content.end() - 10, content.end()));
    EXPECT_EQ(s->Seek(size + 1000, STREAM_SEEK_SET, nullptr), S_OK);  // past the end is allowed
    EXPECT_EQ(ReadN(s.Get(), 10), "");
    EXPECT_EQ(s->Seek(-1, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(Position(s.Get()), size + 1000);

    EXPECT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    ComPtr<IStream> copy = MemoryStream("");
    ULARGE_INTEGER in = 0;
    EXPECT_EQ(s->CopyTo(copy.Get(), ULLONG_MAX, &in, nullptr), S_OK);
    EXPECT_EQ(in, size);
    EXPECT_EQ(copy->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(ReadRest(copy.Get()), content);
  }
}

TEST_F(ReadOnlyStreamTest, MemoryStreamStartsWithACopyOfItsBytes) {
  ByteVec initial = Bytes("state");
  ComPtr<IStream> s;
  ASSERT_EQ(CreateStreamOnMemory(initial.data(), initial.size(), s.Put()), S_OK);
  initial[0] = 'X';
  EXPECT_EQ(Position(s.Get()), 0u);
  EXPECT_EQ(ReadRest(s.Get()), Bytes("state"));
  EXPECT_EQ(CreateStreamOnMemory(nullptr, 3, s.Put()), E_INVALIDARG);
  EXPECT_FALSE(s);
}

}  // namespace
}  // namespace kavoro::test
