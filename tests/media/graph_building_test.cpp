// Graph building on fake filters: intelligent connect, naming, enumeration and the log.
#include <fcntl.h>
#include <unistd.h>

#include "FakeFilters.h"
#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

class GraphBuildingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    g = MakeGraph();
    RegisterFakeTransforms();
  }
  ComPtr<IPin> PinOf(IBaseFilter* f) { return media::PinsOf(f).front(); }
  Graph g;
};

TEST_F(GraphBuildingTest, ConnectInsertsATransformAndRemovesFailedCandidates) {
  auto source = MakeFakeSource(kFakeTypeA);
  auto sink = MakeFakeSink(kFakeTypeB);
  ASSERT_EQ(g.builder->AddFilter(source.Get(), "Source"), S_OK);
  ASSERT_EQ(g.builder->AddFilter(sink.Get(), "Sink"), S_OK);

  ASSERT_EQ(g.builder->Connect(PinOf(source.Get()).Get(), PinOf(sink.Get()).Get()), S_OK);
  // The A->C filter ranks higher and is tried first; it leads nowhere and is taken out.
  EXPECT_EQ(FiltersOf(g.builder.Get()).size(), 3u);
  ASSERT_EQ(FiltersOfClass(g.builder.Get(), CLSID_FakeAtoB).size(), 1u);
  EXPECT_TRUE(FiltersOfClass(g.builder.Get(), CLSID_FakeAtoC).empty());
  auto transform = FiltersOfClass(g.builder.Get(), CLSID_FakeAtoB).front();
  EXPECT_TRUE(IsSameObject(media::FilterOf(media::PeerOf(PinOf(sink.Get()).Get()).Get()).Get(),
                           transform.Get()));
}

TEST_F(GraphBuildingTest, ConnectWithoutAPathFailsAndLeavesOnlyTheEnds) {
  auto source = MakeFakeSource(kFakeTypeB);
  auto sink = MakeFakeSink(kFakeTypeC);
  g.builder->AddFilter(source.Get(), "Source");
  g.builder->AddFilter(sink.Get(), "Sink");
  EXPECT_EQ(g.builder->Connect(PinOf(source.Get()).Get(), PinOf(sink.Get()).Get()),
            VFW_E_CANNOT_CONNECT);
  EXPECT_EQ(FiltersOf(g.builder.Get()).size(), 2u);
  EXPECT_FALSE(media::PeerOf(PinOf(source.Get()).Get()));
}

TEST_F(GraphBuildingTest, NamesAreMadeUniqueAndEnumeratorsNoticeChanges) {
  auto a = MakeFakeSink(kFakeTypeA);
  auto b = MakeFakeSink(kFakeTypeA);
  ComPtr<IEnumFilters> e;
  g.builder->EnumFilters(e.Put());
  EXPECT_EQ(g.builder->AddFilter(a.Get(), "Sink"), S_OK);
  EXPECT_EQ(g.builder->AddFilter(b.Get(), "Sink"), VFW_S_DUPLICATE_NAME);
  FILTER_INFO ia, ib;
  a->QueryFilterInfo(&ia);
  b->QueryFilterInfo(&ib);
  ComPtr<IFilterGraph>::Attach(ia.pGraph);
  ComPtr<IFilterGraph>::Attach(ib.pGraph);
  EXPECT_NE(ia.achName, ib.achName);

  IBaseFilter* f = nullptr;
  EXPECT_EQ(e->Next(1, &f, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
  e->Reset();
  ULONG n = 0;
  IBaseFilter* two[2] = {};
  EXPECT_EQ(e->Next(2, two, &n), S_OK);
  for (auto* p : two) ComPtr<IBaseFilter>::Attach(p);

  EXPECT_EQ(g.builder->RemoveFilter(a.Get()), S_OK);
  EXPECT_EQ(g.builder->RemoveFilter(a.Get()), VFW_E_NOT_FOUND);
  a->QueryFilterInfo(&ia);
  EXPECT_EQ(ia.pGraph, nullptr);
}

TEST_F(GraphBuildingTest, LogFileReceivesTheBuildingSteps) {
  char path[] = "/tmp/kavoro-graph-log-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(g.builder->SetLogFile(static_cast<DWORD_PTR>(fd)), S_OK);
  ::close(fd);  // the graph writes to its own duplicate
  EXPECT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  g.builder->SetLogFile(0);
  g.builder->RenderFile(Fixture("tone.wav"), {});  // not logged any more
  const std::string log = ReadFile(path);
  ::unlink(path);
  EXPECT_NE(log.find("RenderFile '"), std::string::npos) << log;
  EXPECT_NE(log.find("split.avi"), std::string::npos);
  EXPECT_EQ(log.find("tone.wav"), std::string::npos);
}

}  // namespace
}  // namespace kavoro::testing
