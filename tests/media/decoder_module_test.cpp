// The decoder modules as the player gets them: installed from the program folder's
// KAVORO.dll into the system folder, registered by the registration program (a separate
// process) in the registry store, then picked by graph building over the built-in decoders
// and played to the end.
#include <dlfcn.h>

#include <algorithm>

#include "MediaTestSupport.h"
#include "platform/com/FilterRegistration.h"
#include "platform/media/Enumerators.h"
#include "platform/media/modules/DecoderModuleClasses.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "support/WaitFor.h"
#include "system/DecoderInstall.h"

namespace kavoro::testing {
namespace {

using namespace media::modules;

constexpr int kPlayTimeoutMs = 15000;

struct ModuleFile {
  CLSID clsid;
  const char* file;
};
constexpr ModuleFile kModules[] = {
    {CLSID_KavoroMpegVideoModule, "MPEGV.ax"},
    {CLSID_KavoroMpegAudioModule, "MPEGA.ax"},
    {CLSID_KavoroMpgAudioModule, "MPGAudio.ax"},
};

std::string SystemPath(const char* file) {
  return os::Os().Processes().SystemFolder() + "/" + file;
}

// The shared object that holds the code of `object`, found through its virtual table.
std::string CodeFileOf(IUnknown* object) {
  Dl_info info{};
  void* vtable = *reinterpret_cast<void**>(object);
  if (dladdr(vtable, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

struct Decoder {
  ComPtr<IBaseFilter> filter;
  GUID major;  // of its input's connection
};

// The decoders of a rendered graph: the filters with a connected input and an output.
std::vector<Decoder> Decoders(IFilterGraph* graph) {
  std::vector<Decoder> out;
  for (auto& f : FiltersOf(graph)) {
    ComPtr<IPin> in;
    bool hasOutput = false;
    for (auto& p : media::PinsOf(f.Get())) {
      if (media::IsOutput(p.Get())) hasOutput = true;
      else in = p;
    }
    AM_MEDIA_TYPE type;
    if (in && hasOutput && SUCCEEDED(in->ConnectionMediaType(&type)))
      out.push_back({f, type.majortype});
  }
  return out;
}

CLSID ClassOf(IBaseFilter* f) {
  CLSID c = GUID_NULL;
  f->GetClassID(&c);
  return c;
}

class DecoderModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The build's program folder, which holds the KAVORO.dll made at build time.
    os::SetApplicationFolder(KAVORO_PROGRAM_DIR);
    // Registrations of an earlier run would satisfy the wait below before this run's
    // registration processes are done rewriting them.
    for (const ModuleFile& m : kModules) {
      const ModuleClass cls = {m.clsid, "", 0, CLSID_LegacyAmFilterCategory, nullptr, 0};
      EraseModuleClasses({kModuleRegistrationVersion, &cls, 1});
    }
    InstallDecoders();
    // The registration processes run on their own; a filter entry is listed once it is
    // complete.
    ASSERT_TRUE(WaitFor([] {
      const auto listed = ListRegisteredFilters(CLSID_LegacyAmFilterCategory);
      for (const ModuleFile& m : kModules) {
        const bool found = std::any_of(listed.begin(), listed.end(),
                                       [&](const RegisteredFilter& f) { return f.clsid == m.clsid; });
        if (!found || RegisteredModulePath(m.clsid) != SystemPath(m.file)) return false;
      }
      return true;
    })) << "the decoder modules were not registered from the system folder";
  }
};

TEST_F(DecoderModuleTest, InstalledFilesAreTheModulesOfTheResourceLibrary) {
  for (const ModuleFile& m : kModules) {
    SCOPED_TRACE(m.file);
    const std::string built = std::string(KAVORO_MODULE_DIR) + "/" + m.file;
    EXPECT_EQ(ReadFile(SystemPath(m.file)), ReadFile(built));
  }
  const auto listed = ListRegisteredFilters(CLSID_LegacyAmFilterCategory);
  for (const ModuleFile& m : kModules) {
    auto it = std::find_if(listed.begin(), listed.end(),
                           [&](const RegisteredFilter& f) { return f.clsid == m.clsid; });
    ASSERT_NE(it, listed.end()) << m.file;
    EXPECT_GT(it->merit, MERIT_NORMAL) << m.file << " must outrank the built-in decoders";
    ASSERT_EQ(it->pins.size(), 2u);
    EXPECT_FALSE(it->pins[0].types.empty());
  }
}

// Which decoder each stream of a file must get: a module's file name, or "" for the built-in
// decoder (streams no module lists); nullptr where the file has no such stream.
struct PlayCase {
  const char* fixture;
  const char* video;
  const char* audio;
};

TEST_F(DecoderModuleTest, GraphBuildingPicksTheModulesAndTheyPlayToTheEnd) {
  const PlayCase cases[] = {
      {"format.vob", "MPEGV.ax", "MPEGA.ax"},   // MPEG-2 video, MPEG audio layer II
      {"ac3.vob", "MPEGV.ax", "MPEGA.ax"},      // MPEG-2 video, AC-3
      {"format.mpg", "MPEGV.ax", "MPEGA.ax"},   // MPEG-1 video, layer II
      {"format.mp3", nullptr, "MPGAudio.ax"},   // layer III
      {"format.avi", "", "MPGAudio.ax"},        // MPEG-4 video (built-in), layer III
      {"tone.wav", nullptr, ""},                // PCM (built-in)
  };
  for (const PlayCase& c : cases) {
    SCOPED_TRACE(c.fixture);
    Graph g = MakeGraph();
    ASSERT_TRUE(SUCCEEDED(g.builder->RenderFile(Fixture(c.fixture), {})));
    int videos = 0, audios = 0;
    for (const Decoder& d : Decoders(g.builder.Get())) {
      const bool video = d.major == MEDIATYPE_Video;
      const char* expected = video ? c.video : c.audio;
      (video ? videos : audios)++;
      ASSERT_NE(expected, nullptr);
      std::string vendor;
      const HRESULT hr = d.filter->QueryVendorInfo(&vendor);
      if (*expected == '\0') {
        EXPECT_EQ(hr, E_NOTIMPL) << "a built-in decoder has no vendor text";
        EXPECT_EQ(ClassOf(d.filter.Get()),
                  video ? CLSID_KavoroVideoDecoder : CLSID_KavoroAudioDecoder);
        continue;
      }
      const std::string path = SystemPath(expected);
      EXPECT_EQ(CodeFileOf(d.filter.Get()), path) << "the decoder's code must come from the module";
      ASSERT_EQ(hr, S_OK);
      EXPECT_EQ(vendor.rfind(kDecoderModuleVendor, 0), 0u) << vendor;
      EXPECT_NE(vendor.find(path), std::string::npos) << vendor;
      EXPECT_EQ(RegisteredModulePath(ClassOf(d.filter.Get())), path);
    }
    EXPECT_EQ(videos, c.video ? 1 : 0);
    EXPECT_EQ(audios, c.audio ? 1 : 0);

    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, kPlayTimeoutMs));
    g.control->Stop();
    ClearGraph(g.builder.Get());
  }
}

// Registrations outlive the files (they stay after exit), so graph building meets classes
// whose module is gone: it goes on with the next candidate.
TEST_F(DecoderModuleTest, AClassWhoseModuleIsGoneIsPassedOver) {
  constexpr CLSID kGone = MakeGuid(0x4B56F1FF, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F,
                                   0x21, 0xC5, 0xFF);
  // The same input types as the video module, at a higher merit.
  const auto listed = ListRegisteredFilters(CLSID_LegacyAmFilterCategory);
  auto video = std::find_if(listed.begin(), listed.end(), [](const RegisteredFilter& f) {
    return f.clsid == CLSID_KavoroMpegVideoModule;
  });
  ASSERT_NE(video, listed.end());
  const std::vector<ModuleMediaType>& types = video->pins.at(0).types;
  const ModulePin pins[] = {{"In", 0, 0, types.data(), static_cast<std::int32_t>(types.size())},
                            {"Out", 1, 0, types.data(), static_cast<std::int32_t>(types.size())}};
  const ModuleClass cls = {kGone, "Gone Decoder", MERIT_PREFERRED + 1,
                           CLSID_LegacyAmFilterCategory, pins, 2};
  const ModuleRegistration reg = {kModuleRegistrationVersion, &cls, 1};
  const std::string missing = os::Os().Processes().SystemFolder() + "/Gone.ax";
  ASSERT_TRUE(RecordModuleClasses(reg, missing));

  Graph g = MakeGraph();
  EXPECT_EQ(g.builder->RenderFile(Fixture("format.vob"), {}), S_OK);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), kGone).size(), 0u);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), CLSID_KavoroMpegVideoModule).size(), 1u);
  ClearGraph(g.builder.Get());
  EXPECT_TRUE(EraseModuleClasses(reg));
}

}  // namespace
}  // namespace kavoro::testing
