// Compound files: bookmark files written and read back, what the independent gsf tool sees in
// them, access modes, damaged files and saves that fail.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <sstream>

#include "StorageTestSupport.h"

namespace kavoro::test {
namespace {

class CompoundFileTest : public StorageTest {};

ino_t Inode(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  return st.st_ino;
}

TEST_F(CompoundFileTest, BookmarkFileRoundTripsWhicheverIsReleasedFirst) {
  for (bool storageFirst : {false, true}) {
    SCOPED_TRACE(storageFirst ? "storage released first" : "stream released first");
    std::string path = dir_ / "bookmark.bmk";
    ByteVec payload = Pattern(300, storageFirst);
    {
      auto state = MakeCom<TestState>(payload);
      ComPtr<IStorage> storage;
      ASSERT_EQ(StgCreateDocfile(path.c_str(), kBookmarkCreateMode, 0, storage.Put()), S_OK);
      ComPtr<IStream> stream;
      ASSERT_EQ(storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put()), S_OK);
      ASSERT_EQ(OleSaveToStream(state.As<IPersistStream>().Get(), stream.Get()), S_OK);
      if (storageFirst) {
        storage = nullptr;
        stream = nullptr;
      } else {
        stream = nullptr;
        storage = nullptr;
      }
    }
    EXPECT_EQ(StgIsStorageFile(path.c_str()), S_OK);
    ComPtr<ITestState> loaded;
    ASSERT_EQ(LoadBookmark(path, &loaded), S_OK);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Payload(), payload);
    EXPECT_EQ(dir_.Entries(), std::set<std::string>{"bookmark.bmk"}) << "temporary file left";
  }
}

TEST_F(CompoundFileTest, GsfToolListsTheOneBookMarkStreamAndItsBytes) {
  std::string tool = KAVORO_GSF_TOOL;
  ASSERT_FALSE(tool.empty()) << "the gsf tool (Debian's libgsf-bin) is missing; scripts/setup.sh "
                                "installs it";
  std::string path = dir_ / "bookmark.bmk";
  ByteVec payload = Bytes("title 3, chapter 7, 00:41:12");
  auto state = MakeCom<TestState>(payload);
  ASSERT_EQ(SaveBookmark(path, state.Get()), S_OK);

  int status = 0;
  std::string listing = RunCommand("'" + tool + "' list '" + path + "' 2>&1", &status);
  EXPECT_EQ(status, 0) << listing;
  // A line naming the file, then one per element: kind, size, name, with the root first.
  std::vector<std::string> elements;
  std::istringstream lines(listing);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, path + ":");
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    elements.push_back(joined);
  }
  std::string stream = "f " + std::to_string(SavedForm(payload).size()) + " BookMark";
  EXPECT_EQ(elements, (std::vector<std::string>{"d 0 *root*", stream})) << listing;

  std::string content = RunCommand("'" + tool + "' cat '" + path + "' BookMark", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Bytes(content), SavedForm(payload));
}

TEST_F(CompoundFileTest, CreateReplacesOnlyWithCreateFlag) {
  struct Case {
    const char* name;
    bool existing;
    DWORD mode;
    HRESULT expected;
  };
  const Case cases[] = {
      {"new file, bookmark mode", false, kBookmarkCreateMode, S_OK},
      {"new file, no create flag", false, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, S_OK},
      {"existing file, bookmark mode", true, kBookmarkCreateMode, S_OK},
      {"existing file, no create flag", true, STGM_SHARE_EXCLUSIVE | STGM_WRITE,
       STG_E_FILEALREADYEXISTS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    std::string path = dir / "b.bmk";
    ByteVec oldPayload = Bytes("old bookmark");
    if (c.existing) {
      ASSERT_EQ(SaveBookmark(path, MakeCom<TestState>(oldPayload).Get()), S_OK);
    }
    ByteVec oldBytes = ReadFileBytes(path);

    ComPtr<IStorage> storage;
    HRESULT hr = StgCreateDocfile(path.c_str(), c.mode, 0, storage.Put());
    EXPECT_EQ(hr, c.expected) << HResultToString(hr);
    EXPECT_EQ(bool(storage), SUCCEEDED(c.expected));
    if (storage) {
      ComPtr<IStream> stream;
      ASSERT_EQ(storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put()), S_OK);
      ASSERT_EQ(OleSaveToStream(MakeCom<TestState>(Bytes("new")).As<IPersistStream>().Get(),
                                stream.Get()),
                S_OK);
      // Until the file is complete, an existing file is untouched.
      if (c.existing) {
        EXPECT_EQ(ReadFileBytes(path), oldBytes);
      }
    }
    storage = nullptr;
    ComPtr<ITestState> loaded;
    ASSERT_EQ(LoadBookmark(path, &loaded), S_OK);
    EXPECT_EQ(loaded->Payload(), SUCCEEDED(c.expected) ? Bytes("new") : oldPayload);
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"b.bmk"});
  }
}

TEST_F(CompoundFileTest, SavingThroughALinkReplacesTheLinkedFile) {
  std::filesystem::create_directory(dir_.path() / "real");
  std::string real = dir_ / "real/b.bmk";
  std::string link = dir_ / "b.bmk";
  ASSERT_EQ(SaveBookmark(real, MakeCom<TestState>(Bytes("old")).Get()), S_OK);
  std::filesystem::create_symlink(real, link);
  ASSERT_EQ(SaveBookmark(link, MakeCom<TestState>(Bytes("new")).Get()), S_OK);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  ComPtr<ITestState> loaded;
  ASSERT_EQ(LoadBookmark(real, &loaded), S_OK);
  EXPECT_EQ(loaded->Payload(), Bytes("new"));
  EXPECT_EQ(dir_.Entries(), (std::set<std::string>{"b.bmk", "real"}));
}

TEST_F(CompoundFileTest, FileThatAppearsWhileWritingWithoutCreateFlagIsKept) {
  std::string path = dir_ / "b.bmk";
  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, storage.Put()),
            S_OK);
  WriteFileBytes(path, Bytes("someone else's file"));
  EXPECT_EQ(storage->Commit(STGC_DEFAULT), STG_E_FILEALREADYEXISTS);
  storage = nullptr;
  EXPECT_EQ(ReadFileBytes(path), Bytes("someone else's file"));
  EXPECT_EQ(dir_.Entries(), std::set<std::string>{"b.bmk"});
}

TEST_F(CompoundFileTest, OpeningWhatIsNoCompoundFileFails) {
  std::string good = dir_ / "good.bmk";
  ASSERT_EQ(SaveBookmark(good, MakeCom<TestState>(Bytes("x")).Get()), S_OK);
  ByteVec signatureOnly = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  ByteVec headerGarbage = signatureOnly;
  headerGarbage.resize(4096, 0xFF);
  ByteVec header = ReadFileBytes(good);
  header.resize(512);  // the header alone: its sector tables point past the end

  std::filesystem::create_directory(dir_.path() / "folder");
  WriteFileBytes(dir_ / "empty.bmk", {});
  WriteFileBytes(dir_ / "text.bmk", Bytes("[Bookmark]\nTitle=3\n"));
  WriteFileBytes(dir_ / "signature-only.bmk", signatureOnly);
  WriteFileBytes(dir_ / "signature-garbage.bmk", headerGarbage);
  WriteFileBytes(dir_ / "header-only.bmk", header);

  struct Case {
    std::string path;
    HRESULT open;
    HRESULT isStorage;
  };
  const Case cases[] = {
      {dir_ / "missing.bmk", STG_E_FILENOTFOUND, STG_E_FILENOTFOUND},
      {dir_ / "no-folder/b.bmk", STG_E_PATHNOTFOUND, STG_E_PATHNOTFOUND},
      {dir_ / "good.bmk/b.bmk", STG_E_PATHNOTFOUND, STG_E_PATHNOTFOUND},
      {dir_ / "folder", STG_E_ACCESSDENIED, STG_E_ACCESSDENIED},
      {"/dev/null", STG_E_ACCESSDENIED, STG_E_ACCESSDENIED},
      {dir_ / "empty.bmk", STG_E_FILEALREADYEXISTS, S_FALSE},
      {dir_ / "text.bmk", STG_E_FILEALREADYEXISTS, S_FALSE},
      {dir_ / "signature-only.bmk", STG_E_DOCFILECORRUPT, S_OK},
      {dir_ / "signature-garbage.bmk", STG_E_DOCFILECORRUPT, S_OK},
      {dir_ / "header-only.bmk", STG_E_DOCFILECORRUPT, S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    for (DWORD mode : {kBookmarkOpenMode, DWORD{STGM_SHARE_EXCLUSIVE | STGM_READWRITE}}) {
      ComPtr<IStorage> storage;
      HRESULT hr = StgOpenStorage(c.path.c_str(), nullptr, mode, nullptr, 0, storage.Put());
      EXPECT_EQ(hr, c.open) << HResultToString(hr) << " mode " << mode;
      EXPECT_FALSE(storage);
    }
    EXPECT_EQ(StgIsStorageFile(c.path.c_str()), c.isStorage);
  }
}

TEST_F(CompoundFileTest, TruncatedFileNeverGivesWrongObject) {
  // Big enough for the regular sector chain as well as the small-stream one.
  for (std::size_t size : {std::size_t{40}, std::size_t{9000}}) {
    SCOPED_TRACE(size);
    std::string good = dir_ / "good.bmk";
    ByteVec payload = Pattern(size);
    ASSERT_EQ(SaveBookmark(good, MakeCom<TestState>(payload).Get()), S_OK);
    ByteVec whole = ReadFileBytes(good);
    ASSERT_GT(whole.size(), 512u);
    std::string cutPath = dir_ / "cut.bmk";
    int failures = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += cut < 1024 ? 16 : 256) {
      WriteFileBytes(cutPath, ByteVec(whole.begin(), whole.begin() + cut));
      ComPtr<ITestState> loaded;
      HRESULT hr = LoadBookmark(cutPath, &loaded);
      if (FAILED(hr)) {
        ++failures;
        EXPECT_FALSE(loaded);
      } else {
        // Only a cut through padding may still load, and then the object is whole.
        ASSERT_TRUE(loaded) << cut;
        EXPECT_EQ(loaded->Payload(), payload) << "cut at " << cut;
      }
    }
    EXPECT_GT(failures, 0);
  }
}

TEST_F(CompoundFileTest, BadBookMarkStreamGivesFailureAndNoObject) {
  auto withClass = [](const CLSID& c, const ByteVec& rest) {
    ByteVec v(16);
    ComPtr<IStream> s;
    CreateStreamOnMemory(nullptr, 0, s.Put());
    WriteClassStm(s.Get(), c);
    s->Seek(0, STREAM_SEEK_SET, nullptr);
    s->Read(v.data(), 16, nullptr);
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
  };
  ByteVec whole = SavedForm(Bytes("payload"));
  struct Case {
    const char* name;
    ByteVec content;
    HRESULT expected;
  };
  const Case cases[] = {
      {"empty stream (an object without IPersistStream)", {}, STG_E_READFAULT},
      {"class id cut short", ByteVec(whole.begin(), whole.begin() + 9), STG_E_READFAULT},
      {"null class id", withClass(GUID_NULL, Bytes("KST1")), REGDB_E_CLASSNOTREG},
      {"foreign class id", withClass(CLSID_Foreign, Bytes("KST1")), REGDB_E_CLASSNOTREG},
      {"class without IPersistStream", withClass(CLSID_NotPersistent, {}), E_NOINTERFACE},
      {"data cut short", ByteVec(whole.begin(), whole.end() - 3), STG_E_READFAULT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir_ / "bad.bmk";
    {
      ComPtr<IStorage> storage;
      ASSERT_EQ(StgCreateDocfile(path.c_str(), kBookmarkCreateMode, 0, storage.Put()), S_OK);
      ComPtr<IStream> stream;
      ASSERT_EQ(storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put()), S_OK);
      ASSERT_EQ(stream->Write(c.content.data(), static_cast<ULONG>(c.content.size()), nullptr),
                S_OK);
    }
    ComPtr<ITestState> loaded;
    EXPECT_EQ(LoadBookmark(path, &loaded), c.expected);
    EXPECT_FALSE(loaded);
  }
}

TEST_F(CompoundFileTest, FailedSaveLeavesTheOldFile) {
  std::string path = dir_ / "bookmark.bmk";
  ASSERT_EQ(SaveBookmark(path, MakeCom<TestState>(Bytes("old")).Get()), S_OK);
  ByteVec oldBytes = ReadFileBytes(path);

  // A file size limit makes the write of a large file fail, as a full disk would.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;

  ComPtr<IStorage> storage;
  ASSERT_EQ(StgCreateDocfile(path.c_str(), kBookmarkCreateMode, 0, storage.Put()), S_OK);
  ComPtr<IStream> stream;
  ASSERT_EQ(storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put()), S_OK);
  ASSERT_EQ(OleSaveToStream(MakeCom<TestState>(Pattern(200000)).As<IPersistStream>().Get(),
                            stream.Get()),
            S_OK);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  HRESULT commit = storage->Commit(STGC_DEFAULT);
  stream = nullptr;
  storage = nullptr;  // the final release tries again, and fails again
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(commit, STG_E_MEDIUMFULL) << HResultToString(commit);
  EXPECT_EQ(ReadFileBytes(path), oldBytes);
  EXPECT_EQ(dir_.Entries(), std::set<std::string>{"bookmark.bmk"}) << "temporary file left";
  ComPtr<ITestState> loaded;
  ASSERT_EQ(LoadBookmark(path, &loaded), S_OK);
  EXPECT_EQ(loaded->Payload(), Bytes("old"));
}

TEST_F(CompoundFileTest, TransactedFileIsWrittenOnlyByCommit) {
  std::string path = dir_ / "t.bmk";
  ASSERT_EQ(SaveBookmark(path, MakeCom<TestState>(Bytes("old")).Get()), S_OK);
  ByteVec oldBytes = ReadFileBytes(path);
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "released without commit");
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), kBookmarkCreateMode | STGM_TRANSACTED, 0,
                               storage.Put()),
              S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, stream.Put()), S_OK);
    ASSERT_EQ(OleSaveToStream(MakeCom<TestState>(Bytes("new")).As<IPersistStream>().Get(),
                              stream.Get()),
              S_OK);
    if (commit) {
      EXPECT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    stream = nullptr;
    storage = nullptr;
    ComPtr<ITestState> loaded;
    ASSERT_EQ(LoadBookmark(path, &loaded), S_OK);
    EXPECT_EQ(loaded->Payload(), commit ? Bytes("new") : Bytes("old"));
    EXPECT_EQ(dir_.Entries(), std::set<std::string>{"t.bmk"});
  }
}

TEST_F(CompoundFileTest, FileCallsRejectBadArguments) {
  std::string existing = dir_ / "b.bmk";
  ASSERT_EQ(SaveBookmark(existing, MakeCom<TestState>(Bytes("x")).Get()), S_OK);
  std::filesystem::create_directory(dir_.path() / "folder");
  struct Case {
    const char* name;
    std::string path;
    DWORD mode;
    HRESULT expected;
  };
  const Case create[] = {
      {"read-only access", dir_ / "n.bmk", STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READ,
       STG_E_INVALIDFLAG},
      {"access 3", dir_ / "n.bmk", STGM_SHARE_EXCLUSIVE | 3, STG_E_INVALIDFLAG},
      {"share 0x50", dir_ / "n.bmk", STGM_WRITE | 0x50, STG_E_INVALIDFLAG},
      {"unknown bit", dir_ / "n.bmk", kBookmarkCreateMode | 0x80000000, STG_E_INVALIDFLAG},
      {"create and convert", dir_ / "n.bmk", kBookmarkCreateMode | STGM_CONVERT, STG_E_INVALIDFLAG},
      {"missing folder", dir_ / "none/n.bmk", kBookmarkCreateMode, STG_E_PATHNOTFOUND},
      {"target is a folder", dir_ / "folder", kBookmarkCreateMode, STG_E_ACCESSDENIED},
      {"empty path", "", kBookmarkCreateMode, STG_E_INVALIDNAME},
  };
  for (const Case& c : create) {
    SCOPED_TRACE(c.name);
    ComPtr<IStorage> storage;
    EXPECT_EQ(StgCreateDocfile(c.path.c_str(), c.mode, 0, storage.Put()), c.expected);
    EXPECT_FALSE(storage);
  }
  const Case open[] = {
      {"create flag", existing, kBookmarkOpenMode | STGM_CREATE, STG_E_INVALIDFLAG},
      {"priority", existing, kBookmarkOpenMode | STGM_PRIORITY, STG_E_INVALIDFLAG},
      {"access 3", existing, STGM_SHARE_EXCLUSIVE | 3, STG_E_INVALIDFLAG},
  };
  for (const Case& c : open) {
    SCOPED_TRACE(c.name);
    ComPtr<IStorage> storage;
    EXPECT_EQ(StgOpenStorage(c.path.c_str(), nullptr, c.mode, nullptr, 0, storage.Put()),
              c.expected);
    EXPECT_FALSE(storage);
  }
  EXPECT_EQ(StgCreateDocfile(existing.c_str(), kBookmarkCreateMode, 0, nullptr),
            STG_E_INVALIDPOINTER);
  EXPECT_EQ(dir_.Entries(), (std::set<std::string>{"b.bmk", "folder"}));
}

TEST_F(CompoundFileTest, ElementAccessFollowsTheStorageMode) {
  std::string path = dir_ / "b.bmk";
  ASSERT_EQ(SaveBookmark(path, MakeCom<TestState>(Bytes("x")).Get()), S_OK);
  constexpr DWORD kReadStream = STGM_SHARE_EXCLUSIVE | STGM_READ;
  constexpr DWORD kWriteStream = STGM_SHARE_EXCLUSIVE | STGM_WRITE;
  constexpr DWORD kReadWriteStream = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

  ComPtr<IStorage> reading;
  ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kBookmarkOpenMode, nullptr, 0, reading.Put()),
            S_OK);
  ComPtr<IStorage> writing;  // a new file, write-only as the bookmark save makes it
  ASSERT_EQ(StgCreateDocfile((dir_ / "w.bmk").c_str(), kBookmarkCreateMode, 0, writing.Put()), S_OK);
  ComPtr<IStream> held;
  ASSERT_EQ(writing->CreateStream("BookMark", kBookmarkCreateMode, 0, 0, held.Put()), S_OK);
  ComPtr<IStream> closedOne;
  ASSERT_EQ(writing->CreateStream("Other", kWriteStream, 0, 0, closedOne.Put()), S_OK);
  closedOne = nullptr;

  struct Case {
    const char* name;
    IStorage* storage;
    bool create;
    const char* element;
    DWORD mode;
    HRESULT expected;
  };
  const Case cases[] = {
      {"read: open the stream", reading.Get(), false, "BookMark", kReadStream, S_OK},
      {"read: names ignore case", reading.Get(), false, "bookmark", kReadStream, S_OK},
      {"read: missing stream", reading.Get(), false, "Bookmarks", kReadStream, STG_E_FILENOTFOUND},
      {"read: open for writing", reading.Get(), false, "BookMark", kReadWriteStream,
       STG_E_ACCESSDENIED},
      {"read: create", reading.Get(), true, "New", kBookmarkCreateMode, STG_E_ACCESSDENIED},
      {"read: not exclusive", reading.Get(), false, "BookMark", STGM_READ, STG_E_INVALIDFLAG},
      {"read: deny write", reading.Get(), false, "BookMark", STGM_SHARE_DENY_WRITE,
       STG_E_INVALIDFLAG},
      {"read: open with create flag", reading.Get(), false, "BookMark", kReadStream | STGM_CREATE,
       STG_E_INVALIDFLAG},
      {"read: transacted stream", reading.Get(), false, "BookMark",
       kReadStream | STGM_TRANSACTED, STG_E_INVALIDFLAG},
      {"write: create existing without flag", writing.Get(), true, "Other", kWriteStream,
       STG_E_FILEALREADYEXISTS},
      {"write: replace an open stream", writing.Get(), true, "bookmark", kBookmarkCreateMode,
       STG_E_ACCESSDENIED},
      {"write: open an open stream", writing.Get(), false, "BookMark", kWriteStream,
       STG_E_ACCESSDENIED},
      {"write: read in a write-only file", writing.Get(), false, "Other", kReadStream,
       STG_E_ACCESSDENIED},
      {"write: reopen a closed stream", writing.Get(), false, "other", kWriteStream, S_OK},
      {"write: 31 characters", writing.Get(), true, "abcdefghijklmnopqrstuvwxyz01234",
       kWriteStream, S_OK},
      {"write: 32 characters", writing.Get(), true, "abcdefghijklmnopqrstuvwxyz012345",
       kWriteStream, STG_E_INVALIDNAME},
      {"write: empty name", writing.Get(), true, "", kWriteStream, STG_E_INVALIDNAME},
      {"write: slash", writing.Get(), true, "a/b", kWriteStream, STG_E_INVALIDNAME},
      {"write: backslash", writing.Get(), true, "a\\b", kWriteStream, STG_E_INVALIDNAME},
      {"write: colon", writing.Get(), true, "a:b", kWriteStream, STG_E_INVALIDNAME},
      {"write: exclamation mark", writing.Get(), true, "a!b", kWriteStream, STG_E_INVALIDNAME},
      {"write: broken UTF-8", writing.Get(), true, "a\xC3", kWriteStream, STG_E_INVALIDNAME},
      {"write: null name", writing.Get(), true, nullptr, kWriteStream, STG_E_INVALIDNAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<IStream> stream;
    HRESULT hr = c.create ? c.storage->CreateStream(c.element, c.mode, 0, 0, stream.Put())
                          : c.storage->OpenStream(c.element, nullptr, c.mode, 0, stream.Put());
    EXPECT_EQ(hr, c.expected) << HResultToString(hr);
    EXPECT_EQ(bool(stream), SUCCEEDED(c.expected));
  }

  // Writes through anything opened for reading are refused.
  ComPtr<IStream> readStream;
  ASSERT_EQ(reading->OpenStream("BookMark", nullptr, kReadStream, 0, readStream.Put()), S_OK);
  ULONG written = 99;
  EXPECT_EQ(readStream->Write("x", 1, &written), STG_E_ACCESSDENIED);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(readStream->SetSize(0), STG_E_ACCESSDENIED);
  ComPtr<IStorage> sub;
  EXPECT_EQ(reading->CreateStorage("Sub", kBookmarkCreateMode, 0, 0, sub.Put()), STG_E_ACCESSDENIED);
  EXPECT_EQ(reading->SetClass(CLSID_TestState), STG_E_ACCESSDENIED);
  // A stream opened for writing only does not read.
  char c;
  EXPECT_EQ(held->Read(&c, 1, nullptr), STG_E_ACCESSDENIED);
  EXPECT_EQ(held->Write("abc", 3, nullptr), S_OK);
}

TEST_F(CompoundFileTest, StoragesClassesAndLargeStreamsRoundTrip) {
  constexpr CLSID kRootClass = MakeGuid(0x01234567, 0x89AB, 0xCDEF, 0x01, 0x23, 0x45, 0x67, 0x89,
                                        0xAB, 0xCD, 0xEF);
  constexpr DWORD kRW = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
  std::string path = dir_ / "tree.stg";
  ByteVec big = Pattern(150000, 3);   // regular sectors
  ByteVec small = Pattern(1000, 4);   // the small-stream area
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | kRW, 0, root.Put()), S_OK);
    ASSERT_EQ(root->SetClass(kRootClass), S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(root->CreateStream("Big", kRW, 0, 0, s.Put()), S_OK);
    ASSERT_EQ(s->Write(big.data(), static_cast<ULONG>(big.size()), nullptr), S_OK);
    ASSERT_EQ(root->CreateStream("Empty", kRW, 0, 0, s.Put()), S_OK);
    ComPtr<IStorage> sub;
    ASSERT_EQ(root->CreateStorage("Kapitel \xC3\xA4", kRW, 0, 0, sub.Put()), S_OK);
    ASSERT_EQ(sub->SetClass(CLSID_TestState), S_OK);
    ASSERT_EQ(sub->CreateStream("Small", kRW, 0, 0, s.Put()), S_OK);
    ASSERT_EQ(s->Write(small.data(), static_cast<ULONG>(small.size()), nullptr), S_OK);
    ComPtr<IStorage> empty;
    ASSERT_EQ(sub->CreateStorage("Nothing", kRW, 0, 0, empty.Put()), S_OK);
  }
  auto check = [&](IStorage* root) {
    STATSTG st;
    ASSERT_EQ(root->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.type, STGTY_STORAGE);
    EXPECT_EQ(st.clsid, kRootClass);
    ComPtr<IStream> s;
    ASSERT_EQ(root->OpenStream("Big", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, s.Put()), S_OK);
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize, big.size());
    EXPECT_EQ(ReadRest(s.Get()), big);
    ASSERT_EQ(root->OpenStream("Empty", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, s.Put()),
              S_OK);
    EXPECT_EQ(ReadRest(s.Get()), ByteVec{});
    // A storage is not a stream, and the other way round.
    EXPECT_EQ(root->OpenStream("KAPITEL \xC3\x84", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0,
                               s.Put()),
              STG_E_FILENOTFOUND);
    ComPtr<IStorage> sub;
    EXPECT_EQ(root->OpenStorage("Big", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0,
                                sub.Put()),
              STG_E_FILENOTFOUND);
    ASSERT_EQ(root->OpenStorage("KAPITEL \xC3\x84", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ,
                                nullptr, 0, sub.Put()),
              S_OK);
    ASSERT_EQ(sub->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.clsid, CLSID_TestState);
    ASSERT_EQ(sub->OpenStream("Small", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, s.Put()),
              S_OK);
    EXPECT_EQ(ReadRest(s.Get()), small);
    ComPtr<IStorage> empty;
    EXPECT_EQ(sub->OpenStorage("Nothing", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0,
                               empty.Put()),
              S_OK);
  };
  {
    SCOPED_TRACE("opened for reading");
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kBookmarkOpenMode, nullptr, 0, root.Put()), S_OK);
    check(root.Get());
  }
  {
    SCOPED_TRACE("opened for writing");
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kRW, nullptr, 0, root.Put()), S_OK);
    check(root.Get());
  }
  int status = 0;
  std::string listing = RunCommand(std::string("'") + KAVORO_GSF_TOOL + "' list '" + path + "'", &status);
  EXPECT_EQ(status, 0);
  for (const char* name : {"Big", "Empty", "Kapitel \xC3\xA4", "Small", "Nothing"})
    EXPECT_NE(listing.find(name), std::string::npos) << name << " in\n" << listing;
}

TEST_F(CompoundFileTest, FileOpenedForWritingIsUpdatedInPlaceOfTheOld) {
  std::string path = dir_ / "b.bmk";
  ASSERT_EQ(SaveBookmark(path, MakeCom<TestState>(Bytes("first")).Get()), S_OK);
  ByteVec before = ReadFileBytes(path);
  ino_t inode = Inode(path);
  constexpr DWORD kRW = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
  {
    SCOPED_TRACE("opened and released unchanged");
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kRW, nullptr, 0, root.Put()), S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(root->OpenStream("BookMark", nullptr, kRW, 0, s.Put()), S_OK);
    EXPECT_EQ(ReadRest(s.Get()), SavedForm(Bytes("first")));
  }
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_EQ(Inode(path), inode) << "an unchanged file was written again";
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kRW, nullptr, 0, root.Put()), S_OK);
    ComPtr<IStream> s;
    ASSERT_EQ(root->OpenStream("BookMark", nullptr, kRW, 0, s.Put()), S_OK);
    ASSERT_EQ(s->SetSize(0), S_OK);
    ASSERT_EQ(OleSaveToStream(MakeCom<TestState>(Bytes("second")).As<IPersistStream>().Get(),
                              s.Get()),
              S_OK);
    ASSERT_EQ(root->CreateStream("Note", kRW, 0, 0, s.Put()), S_OK);
    ASSERT_EQ(s->Write("hi", 2, nullptr), S_OK);
  }
  ComPtr<ITestState> loaded;
  ASSERT_EQ(LoadBookmark(path, &loaded), S_OK);
  EXPECT_EQ(loaded->Payload(), Bytes("second"));
  ComPtr<IStorage> root;
  ASSERT_EQ(StgOpenStorage(path.c_str(), nullptr, kBookmarkOpenMode, nullptr, 0, root.Put()), S_OK);
  ComPtr<IStream> note;
  ASSERT_EQ(root->OpenStream("Note", nullptr, kBookmarkOpenMode, 0, note.Put()), S_OK);
  EXPECT_EQ(ReadRest(note.Get()), Bytes("hi"));
  EXPECT_EQ(dir_.Entries(), std::set<std::string>{"b.bmk"});
}

}  // namespace
}  // namespace kavoro::test
