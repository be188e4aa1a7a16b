// The graph component's life cycle, delegating query, control steps, members and listeners,
// event pump, log file and running-object registration, on fake platform objects.
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "GraphTestSupport.h"
#include "platform/media/EventCodes.h"
#include "platform/media/MediaErrors.h"

namespace kavoro::test {
namespace {

using Lines = std::vector<std::string>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "graph_test_" + std::to_string(::getpid()) + "_" + name;
}

class FilterGraphTest : public GraphTest {
 protected:
  // A member "video" and a listener "bar", attached while inactive; OnActivate is logged.
  void AttachCompanions() {
    video = MakeCom<FakeMember>("video");
    bar = MakeCom<FakeListener>("bar");
    graph->AttachMember(video.Get());
    graph->AttachListener(bar.Get());
    graph->OnActivate = [](TFilterGraph*) { Log("OnActivate"); };
  }
  void Activate(TGraphMode mode) {
    graph->SetMode(mode);
    graph->SetActive(true);
    ASSERT_TRUE(graph->Active());
    CallLog().clear();
  }
  ComPtr<FakeMember> video;
  ComPtr<FakeListener> bar;
};

struct ActivationCase {
  TGraphMode mode;
  Lines creation;  // the objects made, in order, before the common steps
};

class ActivationOrderTest : public FilterGraphTest,
                            public ::testing::WithParamInterface<ActivationCase> {};

TEST_P(ActivationOrderTest, ActivationAndDeactivationFollowTheirStepsInOrder) {
  AttachCompanions();
  graph->SetMode(GetParam().mode);
  EXPECT_TRUE(CallLog().empty()) << "setting the mode of an inactive graph only stores it";

  graph->SetActive(true);
  ASSERT_TRUE(graph->Active());
  Lines expected = GetParam().creation;
  for (const char* step : {"SetNotifyFlags 0", "SetNotifyWindow", "SetLogFile none",
                           "video msAdding 0", "video MemberName", "video MemberFilter",
                           "AddFilter video", "video msAdded 0", "OnActivate",
                           "bar gaActivation 1"}) {
    expected.push_back(step);
  }
  EXPECT_EQ(CallLog(), expected);

  FakeGraph* m = Manager();
  EXPECT_EQ(m->NotifyWindow(), graph->NotificationWindow());
  EXPECT_NE(m->NotifyWindow(), os::kNoWindow);
  EXPECT_EQ(m->NotifyMessage(), 0x8001);
  EXPECT_EQ(m->NotifyInstance(), reinterpret_cast<LONG_PTR>(static_cast<IMediaEventEx*>(m)));
  EXPECT_EQ(m->FilterNames(), Lines{"video"});

  CallLog().clear();
  graph->SetActive(false);
  EXPECT_FALSE(graph->Active());
  EXPECT_EQ(CallLog(), (Lines{"bar gaActivation 0", "video msRemoving 0", "video MemberFilter",
                              "RemoveFilter video", "video msRemoved 0", "SetNotifyFlags 1",
                              "SetLogFile none"}));
  EXPECT_TRUE(graph->HasMemberList()) << "the member list stays";
  // The component holds no reference to the platform objects any more (the fake capture
  // builder, kept by the test, holds the manager it was given).
  if (capture) capture->graph = nullptr;
  EXPECT_EQ(m->AddRef(), 2u);
  m->Release();
  if (GetParam().mode == gmCapture) {
    EXPECT_EQ(capture->AddRef(), 2u);
    capture->Release();
  }
  if (GetParam().mode == gmDVD) {
    EXPECT_EQ(dvd->AddRef(), 2u);
    dvd->Release();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ActivationOrderTest,
    ::testing::Values(
        ActivationCase{gmNormal, {"create manager"}},
        ActivationCase{gmCapture, {"create capture builder", "create manager", "SetFiltergraph"}},
        ActivationCase{gmDVD, {"create DVD builder", "create DVD manager", "GetFiltergraph"}}));

TEST_F(FilterGraphTest, SettingActiveToItsValueDoesNothing) {
  graph->SetActive(false);
  EXPECT_TRUE(CallLog().empty());
  graph->SetActive(true);
  graph->SetActive(true);
  EXPECT_EQ(LogLines("create"), Lines{"create manager"});
}

TEST_F(FilterGraphTest, ModeChangeRebuildsAnActiveGraphWithTheMembersFilters) {
  AttachCompanions();
  Activate(gmNormal);
  ComPtr<FakeGraph> first = manager;
  graph->SetMode(gmDVD);
  EXPECT_TRUE(graph->Active());
  EXPECT_EQ(graph->Mode(), gmDVD);
  EXPECT_TRUE(first->FilterNames().empty());
  EXPECT_EQ(dvd->graph->FilterNames(), Lines{"video"});
  EXPECT_EQ(LogLines("bar"), (Lines{"bar gaActivation 0", "bar gaActivation 1"}));

  // The same mode again changes nothing.
  CallLog().clear();
  graph->SetMode(gmDVD);
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(FilterGraphTest, ActivationThatCannotCreateItsObjectsLeavesTheGraphInactive) {
  for (auto [mode, missing] : {std::pair{gmNormal, "manager"}, std::pair{gmCapture, "capture"},
                               std::pair{gmCapture, "manager"}, std::pair{gmDVD, "dvd"}}) {
    SCOPED_TRACE(missing);
    AttachCompanions();
    unavailable = {missing};
    graph->SetMode(mode);
    CallLog().clear();
    graph->SetActive(true);
    EXPECT_FALSE(graph->Active());
    EXPECT_TRUE(LogLines("bar").empty());
    EXPECT_TRUE(LogLines("OnActivate").empty());
    EXPECT_TRUE(LogLines("video").empty());
    EXPECT_FALSE(graph->Query<IProbe>());
    EXPECT_FALSE(graph->Play());
    graph->DetachMember(video.Get());
    graph->DetachListener(bar.Get());
  }
}

struct QueryCase {
  const char* name;
  TGraphMode mode;
  bool managerProbe, captureProbe, builderProbe, navigator;
  const char* answeredBy;  // null: nobody answers
};

class DelegatingQueryTest : public FilterGraphTest,
                            public ::testing::WithParamInterface<QueryCase> {};

TEST_P(DelegatingQueryTest, AsksTheBuildersOfItsModeInTurn) {
  const QueryCase& c = GetParam();
  graphScript.probe = c.managerProbe;
  dvdScript.graph.probe = c.managerProbe;
  captureProbe = c.captureProbe;
  dvdScript.probe = c.builderProbe;
  dvdScript.navigator = c.navigator;
  void* raw = reinterpret_cast<void*>(1);
  EXPECT_EQ(graph->QueryInterface(IProbe::kIID, &raw), E_NOINTERFACE) << "inactive";
  EXPECT_EQ(raw, nullptr);

  Activate(c.mode);
  ComPtr<IProbe> probe;
  HRESULT hr = graph->QueryInterface(IProbe::kIID, probe.PutVoid());
  if (c.answeredBy) {
    EXPECT_EQ(hr, S_OK);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->Who(), c.answeredBy);
  } else {
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_FALSE(probe);
  }
  EXPECT_EQ(graph->QueryInterface(IProbe::kIID, nullptr), E_POINTER);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DelegatingQueryTest,
    ::testing::Values(
        QueryCase{"NormalManager", gmNormal, true, true, true, true, "manager"},
        QueryCase{"NormalNobody", gmNormal, false, true, true, true, nullptr},
        QueryCase{"CaptureBuilderFirst", gmCapture, true, true, true, true, "capture builder"},
        QueryCase{"CaptureThenManager", gmCapture, true, false, true, true, "manager"},
        QueryCase{"DvdBuilderFirst", gmDVD, true, true, true, true, "DVD builder"},
        QueryCase{"DvdNavigatorSecond", gmDVD, true, true, false, true, "navigator"},
        QueryCase{"DvdManagerLast", gmDVD, true, true, false, false, "DVD manager"},
        QueryCase{"DvdNobody", gmDVD, false, true, false, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterGraphTest, DvdInformationComesFromTheNavigator) {
  Activate(gmDVD);
  auto info = graph->Query<IDvdInfo2>();
  ASSERT_TRUE(info);
  EXPECT_TRUE(IsSameObject(info.Get(), static_cast<IDvdInfo2*>(dvd->navigator.Get())));
}

struct ControlCase {
  const char* name;
  HRESULT answer;
  bool result;
};

class ControlTest : public FilterGraphTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(ControlTest, PlayPauseStopTellListenersFirstAndAreTrueOnlyOnExactlyOk) {
  graphScript.run = graphScript.pause = graphScript.stop = GetParam().answer;
  AttachCompanions();
  Activate(gmNormal);
  EXPECT_EQ(graph->Play(), GetParam().result);
  EXPECT_EQ(graph->Pause(), GetParam().result);
  EXPECT_EQ(graph->Stop(), GetParam().result);
  EXPECT_EQ(CallLog(),
            (Lines{"bar gaPlay 0", "Run", "bar gaPause 0", "Pause", "bar gaStop 0", "Stop"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, ControlTest,
                         ::testing::Values(ControlCase{"Ok", S_OK, true},
                                           ControlCase{"StillChanging", S_FALSE, false},
                                           ControlCase{"Failed", E_FAIL, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterGraphTest, ControlWithoutMediaControlIsFalseAndTellsNobody) {
  AttachCompanions();
  EXPECT_FALSE(graph->Play()) << "inactive";
  graphScript.mediaControl = false;
  Activate(gmNormal);
  EXPECT_FALSE(graph->Play());
  EXPECT_FALSE(graph->Pause());
  EXPECT_FALSE(graph->Stop());
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(FilterGraphTest, RenderFileWithoutManagerIsSFalseAndTellsNobody) {
  AttachCompanions();
  CallLog().clear();
  EXPECT_EQ(graph->RenderFile("/media/a.mpg"), S_FALSE);
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(FilterGraphTest, RenderFileEndIsSentForEverySuccessCode) {
  AttachCompanions();
  Activate(gmNormal);
  for (HRESULT hr : {S_OK, S_FALSE, VFW_S_PARTIAL_RENDER, VFW_E_CANNOT_RENDER, VFW_E_NOT_FOUND}) {
    SCOPED_TRACE(HResultToString(hr));
    CallLog().clear();
    manager->Script().renderFile = hr;
    EXPECT_EQ(graph->RenderFile("/media/a.mpg"), hr);
    Lines expected{"bar gaRenderFileBegin 0", "RenderFile /media/a.mpg"};
    if (SUCCEEDED(hr)) expected.push_back("bar gaRenderFileEnd 0");
    EXPECT_EQ(CallLog(), expected);
  }
}

TEST_F(FilterGraphTest, RenderDvdWithoutBuilderIsRenderFail) {
  AttachCompanions();
  AM_DVD_RENDERSTATUS status;
  EXPECT_EQ(graph->RenderDvd(&status, "E:\\VIDEO_TS\\VIDEO_TS.IFO", AM_DVD_HWDEC_PREFER),
            VFW_E_DVD_RENDERFAIL);
  Activate(gmNormal);
  EXPECT_EQ(graph->RenderDvd(&status, "E:\\VIDEO_TS\\VIDEO_TS.IFO", AM_DVD_HWDEC_PREFER),
            MakeHResult(0x8004027A));
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(FilterGraphTest, RenderDvdEndIsSentForOkAndSFalseOnly) {
  AttachCompanions();
  Activate(gmDVD);
  for (HRESULT hr : {S_OK, S_FALSE, VFW_E_DVD_DECNOTENOUGH, E_INVALIDARG, VFW_E_DVD_RENDERFAIL}) {
    SCOPED_TRACE(HResultToString(hr));
    CallLog().clear();
    dvd->script.render = hr;
    AM_DVD_RENDERSTATUS status;
    EXPECT_EQ(graph->RenderDvd(&status, "E:\\VIDEO_TS\\VIDEO_TS.IFO", AM_DVD_HWDEC_PREFER), hr);
    Lines expected{"bar gaRenderDvdBegin 1", "RenderDvdVideoVolume E:\\VIDEO_TS\\VIDEO_TS.IFO flags 1"};
    if (hr == S_OK || hr == S_FALSE) expected.push_back("bar gaRenderDvdEnd 1");
    EXPECT_EQ(CallLog(), expected);
    EXPECT_EQ(status.iNumStreamsFailed, hr == S_FALSE ? 1 : 0);
  }
  CallLog().clear();
  dvd->script.render = S_OK;
  EXPECT_EQ(graph->RenderDvd(nullptr, "", 4), S_OK);
  EXPECT_EQ(LogLines("Render"), Lines{"RenderDvdVideoVolume (none) flags 4"})
      << "an empty path lets the navigator find the disc";
}

TEST_F(FilterGraphTest, ClearGraphAndDisconnectAllDoNothingWhileInactive) {
  AttachCompanions();
  CallLog().clear();
  graph->ClearGraph();
  graph->DisconnectAll();
  EXPECT_TRUE(CallLog().empty());
}

TEST_F(FilterGraphTest, ClearGraphKeepsOnlyTheMembersFiltersUnconnected) {
  AttachCompanions();
  Activate(gmNormal);
  auto source = MakeCom<FakeFilter>("source", 2);
  auto decoder = MakeCom<FakeFilter>("decoder", 1);
  manager->AddFilter(source.Get(), "source");
  manager->AddFilter(decoder.Get(), "decoder");
  CallLog().clear();

  graph->DisconnectAll();
  EXPECT_EQ(CallLog(), (Lines{"Disconnect video.pin0", "Disconnect source.pin0",
                              "Disconnect source.pin1", "Disconnect decoder.pin0"}));
  EXPECT_EQ(manager->FilterNames(), (Lines{"video", "source", "decoder"}));

  CallLog().clear();
  graph->ClearGraph();
  EXPECT_EQ(CallLog(), (Lines{"bar gaStop 0", "Stop", "Disconnect video.pin0",
                              "Disconnect source.pin0", "Disconnect source.pin1",
                              "Disconnect decoder.pin0", "video MemberFilter",
                              "RemoveFilter source", "RemoveFilter decoder"}));
  EXPECT_EQ(manager->FilterNames(), Lines{"video"});
}

TEST_F(FilterGraphTest, MembersJoinAndLeaveAnActiveGraphAtOnce) {
  Activate(gmNormal);
  auto a = MakeCom<FakeMember>("a");
  graph->AttachMember(a.Get());
  EXPECT_EQ(CallLog(), (Lines{"a msAdding 0", "a MemberName", "a MemberFilter", "AddFilter a",
                              "a msAdded 0"}));
  CallLog().clear();
  graph->DetachMember(a.Get());
  EXPECT_EQ(CallLog(),
            (Lines{"a msRemoving 0", "a MemberFilter", "RemoveFilter a", "a msRemoved 0"}));
  EXPECT_FALSE(graph->HasMemberList());
  EXPECT_EQ(a->AddRef(), 2u) << "the component let go of the member";
  a->Release();
}

TEST_F(FilterGraphTest, MemberAttachedWhileInactiveIsAddedAtTheNextActivation) {
  auto a = MakeCom<FakeMember>("a");
  auto b = MakeCom<FakeMember>("b");
  graph->AttachMember(a.Get());
  graph->AttachMember(b.Get());
  EXPECT_TRUE(CallLog().empty());
  graph->SetActive(true);
  EXPECT_EQ(LogLines("AddFilter"), (Lines{"AddFilter a", "AddFilter b"}));
  EXPECT_EQ(manager->FilterNames(), (Lines{"a", "b"}));
}

TEST_F(FilterGraphTest, ListsAreDroppedWithTheirLastEntryAndMadeAgain) {
  EXPECT_FALSE(graph->HasMemberList());
  EXPECT_FALSE(graph->HasListenerList());
  auto m = MakeCom<FakeMember>("m");
  auto l1 = MakeCom<FakeListener>("l1");
  auto l2 = MakeCom<FakeListener>("l2");
  graph->AttachMember(m.Get());
  graph->AttachListener(l1.Get());
  graph->AttachListener(l2.Get());
  EXPECT_TRUE(graph->HasMemberList());
  graph->DetachMember(m.Get());
  EXPECT_FALSE(graph->HasMemberList());
  graph->DetachListener(l1.Get());
  EXPECT_TRUE(graph->HasListenerList());
  graph->DetachListener(l2.Get());
  EXPECT_FALSE(graph->HasListenerList());
  graph->AttachListener(l2.Get());
  graph->AttachMember(m.Get());
  EXPECT_TRUE(graph->HasListenerList());
  EXPECT_TRUE(graph->HasMemberList());
  Activate(gmNormal);
  graph->Play();
  EXPECT_EQ(LogLines("l"), Lines{"l2 gaPlay 0"});
}

TEST_F(FilterGraphTest, ListenersHearInAttachOrderAndMayDetachThemselvesWhileTold) {
  auto first = ComPtr<FakeListener>::Attach(new FakeListener("first"));
  auto second = MakeCom<FakeListener>("second");
  FakeListener* raw = first.Get();
  TFilterGraph* g = graph.get();
  raw->onNotify = [g, raw] { g->DetachListener(raw); };
  graph->AttachListener(first.Get());
  graph->AttachListener(second.Get());
  first = nullptr;  // the component's reference is now the only one
  graph->SetActive(true);
  EXPECT_EQ(LogLines("first"), Lines{"first gaActivation 1"});
  EXPECT_EQ(LogLines("second"), Lines{"second gaActivation 1"});
  CallLog().clear();
  graph->Play();
  EXPECT_EQ(LogLines("first"), Lines{});
  EXPECT_EQ(LogLines("second"), Lines{"second gaPlay 0"});
}

TEST_F(FilterGraphTest, EventPumpTakesEveryWaitingEventAndFreesItsParameters) {
  AttachCompanions();
  Activate(gmNormal);
  Lines raised;
  graph->OnGraphPaused = [&](TFilterGraph* sender, HRESULT hr) {
    EXPECT_EQ(sender, graph.get());
    raised.push_back("paused " + std::to_string(hr));
  };
  manager->QueueEvent(EC_PAUSED, 0, 0);
  manager->QueueEvent(EC_PAUSED, 1, 0);
  EXPECT_TRUE(raised.empty()) << "events wait for the GUI thread";
  Pump();
  EXPECT_EQ(raised, (Lines{"paused 0", "paused 1"}));
  EXPECT_EQ(CallLog(), (Lines{"bar event 0xE 0 0", "FreeEventParams 0xE", "bar event 0xE 1 0",
                              "FreeEventParams 0xE"}));
  EXPECT_EQ(manager->QueuedEvents(), 0u);
}

TEST_F(FilterGraphTest, HandlerExceptionEndsTheBatchAndGoesToTheErrorReport) {
  Activate(gmNormal);
  Lines raised;
  graph->OnDVDTitleChange = [&](TFilterGraph*, int title) {
    raised.push_back("title " + std::to_string(title));
    if (title == 2) throw std::runtime_error("title two refused");
  };
  manager->QueueEvent(EC_DVD_TITLE_CHANGE, 1, 0, false);
  manager->QueueEvent(EC_DVD_TITLE_CHANGE, 2, 0, false);
  manager->QueueEvent(EC_DVD_TITLE_CHANGE, 3, 0);  // one notification for the three
  Pump();
  EXPECT_EQ(raised, (Lines{"title 1", "title 2"}));
  EXPECT_EQ(LogLines("Free").size(), 2u) << "the event whose handler threw is freed too";
  auto boxes = os::Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("title two refused"), std::string::npos);
  EXPECT_EQ(manager->QueuedEvents(), 1u);
  EXPECT_TRUE(graph->Active());

  manager->QueueEvent(EC_DVD_TITLE_CHANGE, 4, 0);
  Pump();
  EXPECT_EQ(raised, (Lines{"title 1", "title 2", "title 3", "title 4"}));
}

TEST_F(FilterGraphTest, EventsAfterDeactivationDoNothing) {
  AttachCompanions();
  Activate(gmNormal);
  Lines raised;
  graph->OnDSEvent = [&](TFilterGraph*, LONG code, LONG_PTR, LONG_PTR) {
    raised.push_back(std::to_string(code));
  };
  manager->QueueEvent(EC_COMPLETE, 0, 0);
  graph->SetActive(false);
  // The old queue keeps posting to the window, as a late platform thread would.
  manager->SetNotifyFlags(0);
  manager->QueueEvent(EC_COMPLETE, 0, 0);
  CallLog().clear();
  Pump();
  EXPECT_TRUE(raised.empty());
  EXPECT_TRUE(CallLog().empty());
  EXPECT_EQ(manager->QueuedEvents(), 1u) << "the component no longer takes events";
}

TEST_F(FilterGraphTest, HandlerThatDeactivatesTheGraphEndsTheBatchSafely) {
  Activate(gmNormal);
  int completes = 0;
  graph->OnGraphComplete = [&](TFilterGraph* g, HRESULT, IBaseFilter*) {
    ++completes;
    g->Stop();
    g->SetActive(false);
    g->ClearGraph();
  };
  manager->QueueEvent(EC_COMPLETE, 0, 0);
  manager->QueueEvent(EC_COMPLETE, 0, 0);
  manager = nullptr;  // the component's reference is now the only one: deactivation frees it
  Pump();
  EXPECT_EQ(completes, 1);
  EXPECT_FALSE(graph->Active());
  EXPECT_EQ(LogLines("Free"), Lines{"FreeEventParams 0x1"});
}

TEST_F(FilterGraphTest, DestructionDeactivates) {
  AttachCompanions();
  Activate(gmNormal);
  graph.reset();
  EXPECT_EQ(LogLines("bar"), Lines{"bar gaActivation 0"});
  EXPECT_EQ(LogLines("RemoveFilter"), Lines{"RemoveFilter video"});
}

TEST_F(FilterGraphTest, AutoCreateActivatesWhenLoadingHasFinished) {
  graph->Loaded();
  EXPECT_FALSE(graph->Active());
  graph->SetAutoCreate(true);
  graph->Loaded();
  EXPECT_TRUE(graph->Active());
}

TEST_F(FilterGraphTest, LogFileIsCreatedAnewForEachActiveGraph) {
  std::string path = TempPath("graph.log");
  { std::ofstream(path) << "old content that must go\n"; }
  graph->SetLogFile(path);
  EXPECT_EQ(graph->LogFile(), path);
  EXPECT_EQ(ReadFile(path), "old content that must go\n") << "an inactive graph only stores";

  graph->SetActive(true);
  EXPECT_EQ(LogLines("SetLogFile"), (Lines{"SetLogFile none", "SetLogFile handle"}));
  EXPECT_EQ(ReadFile(path), "graph log\n");

  CallLog().clear();
  graph->SetActive(false);
  EXPECT_EQ(LogLines("SetLogFile"), Lines{"SetLogFile none"});
  EXPECT_EQ(graph->LogFile(), path) << "deactivation keeps the name";

  { std::ofstream(path) << "stale\n"; }
  graph->SetActive(true);
  EXPECT_EQ(ReadFile(path), "graph log\n");

  // An empty name stops logging.
  CallLog().clear();
  graph->SetLogFile("");
  EXPECT_EQ(LogLines("SetLogFile"), Lines{"SetLogFile none"});
  EXPECT_EQ(graph->LogFile(), "");
  std::remove(path.c_str());
}

TEST_F(FilterGraphTest, LogFileThatCannotBeCreatedKeepsTheOldNameAndLoggingOff) {
  std::string good = TempPath("good.log");
  graph->SetLogFile(good);
  graph->SetActive(true);
  CallLog().clear();
  std::string bad = TempPath("no-such-folder") + "/graph.log";
  EXPECT_NO_THROW(graph->SetLogFile(bad));
  EXPECT_EQ(graph->LogFile(), good);
  EXPECT_EQ(LogLines("SetLogFile"), (Lines{"SetLogFile none", "SetLogFile none"}));
  EXPECT_EQ(manager->LogHandle(), 0u);
  EXPECT_TRUE(os::Sim().Dialogs().MessageBoxes().empty());
  std::remove(good.c_str());
}

TEST_F(FilterGraphTest, GraphEditRegistersTheActiveGraphInTheRunningObjectTable) {
  auto& table = os::Sim().RunningObjectTable();
  graph->SetGraphEdit(true);
  EXPECT_TRUE(graph->GraphEdit());
  EXPECT_TRUE(table.List().empty()) << "an inactive graph only stores the flag";

  graph->SetActive(true);
  auto entries = table.List();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(std::regex_match(entries[0].name, std::regex("!FilterGraph [0-9A-F]+ pid 1000")))
      << entries[0].name;
  EXPECT_EQ(entries[0].process, 0x1000u);

  graph->SetGraphEdit(true);
  EXPECT_EQ(table.List().size(), 1u) << "registered once";

  graph->SetActive(false);
  EXPECT_TRUE(table.List().empty());
  EXPECT_TRUE(graph->GraphEdit()) << "deactivation keeps the flag";
  graph->SetActive(true);
  EXPECT_EQ(table.List().size(), 1u);

  graph->SetGraphEdit(false);
  EXPECT_TRUE(table.List().empty());
  EXPECT_FALSE(graph->GraphEdit());
}

TEST_F(FilterGraphTest, GraphEditThatCannotRegisterLeavesTheGraphWorking) {
  os::Sim().RunningObjectTable().SetFailing(true);
  graph->SetGraphEdit(true);
  graph->SetActive(true);
  EXPECT_TRUE(graph->Active());
  EXPECT_TRUE(os::Sim().RunningObjectTable().List().empty());
  graph->SetActive(false);
  EXPECT_TRUE(graph->GraphEdit());
}

}  // namespace
}  // namespace kavoro::test
