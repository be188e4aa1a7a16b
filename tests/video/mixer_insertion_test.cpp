// The overlay mixer insertion on fake filters and a fake graph manager: the control joins a
// real graph component, which adds the control's renderer; the test builds the rendered
// graph's connections in the fake and then asks for the insertion. Outcomes are
// compared as whole snapshots of the connections ("out->in") and of the graph's filters.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "InsertionFakes.h"
#include "media/FilterGraph.h"
#include "platform/media/MediaErrors.h"
#include "platform/os/sim/SimPlatform.h"
#include "video/ColorControl.h"
#include "video/DSVideoWindowEx2.h"

namespace kavoro::test {
namespace {

using Lines = std::vector<std::string>;
using video::TDSVideoWindowEx2;
using enum FilterKind;

bool Same(IUnknown* a, IUnknown* b) { return IsSameObject(a, b); }
IUnknown* U(FakeFilter* f) { return f ? static_cast<IBaseFilter*>(f) : nullptr; }

Lines Without(Lines lines, const std::string& label) {
  std::erase(lines, label);
  return lines;
}

class InsertionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    World().Reset();
    RegisterInsertionFakes();
  }
  void TearDown() override {
    control.reset();
    graph.reset();
    World().Reset();
    UnregisterInsertionFakes();
  }

  // A graph component of `mode` joined by the control and activated: the control's own
  // renderer ("renderer") is the graph's only filter.
  void Start(TGraphMode mode = gmNormal) {
    graph = std::make_unique<TFilterGraph>();
    graph->SetMode(mode);
    control = std::make_unique<TDSVideoWindowEx2>();
    control->SetName("VideoWindowEx");
    control->SetFilterGraph(graph.get());
    graph->SetActive(true);
    ASSERT_TRUE(graph->Active());
    manager = World().manager.Get();
    own = World().Find("renderer");
    ASSERT_NE(manager, nullptr);
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(manager->Labels(), Lines{"renderer"});
    ASSERT_TRUE(Same(control->RendererFilter(), U(own)));
    ASSERT_TRUE(Same(control->VideoWindow(), U(own)));
  }

  // A filter put into the graph as the graph building would have.
  FakeFilter* Add(FilterKind kind, const std::string& label) {
    FakeFilter* filter = World().Make(kind, label);
    manager->Put(filter);
    return filter;
  }
  static void Link(FakeFilter* from, const char* output, FakeFilter* to, const char* input) {
    ASSERT_EQ(from->Pin(output)->Connect(to->Pin(input), nullptr), S_OK)
        << from->Label() << "." << output << " -> " << to->Label() << "." << input;
  }

  // What graph building gives with a VMR: the decoder's video, its captions through a Line 21
  // Decoder 2 and its subpictures on the VMR's inputs; the control's renderer stays free.
  void BuildVmrGraph() {
    decoder = Add(Decoder, "decoder");
    line21v2 = Add(Line21Decoder2, "line21 v2");
    vmr = Add(Vmr, "vmr");
    Link(decoder, "Video", vmr, "Input0");
    Link(decoder, "CC", line21v2, "Input");
    Link(line21v2, "Output", vmr, "Input1");
    Link(decoder, "Subpicture", vmr, "Input2");
    ASSERT_EQ(World().Connections(),
              (Lines{"decoder.CC->line21 v2.Input", "decoder.Subpicture->vmr.Input2",
                     "decoder.Video->vmr.Input0", "line21 v2.Output->vmr.Input1"}));
  }

  // What graph building gives with the classic renderer: the decoder feeds it directly.
  void BuildClassicGraph() {
    decoder = Add(Decoder, "decoder");
    Link(decoder, "Video", own, "Input");
  }

  // The state a failed insertion in a VMR graph ends in: the connections as they were, the
  // filters added taken out again, the control's own renderer out, the VMR and its window in use.
  void ExpectVmrFallBack(const Lines& connections, const Lines& labels) {
    EXPECT_EQ(World().Connections(), connections);
    EXPECT_EQ(manager->Labels(), Without(labels, "renderer"));
    EXPECT_EQ(control->MixerFilter(), nullptr);
    EXPECT_EQ(control->ExclModeVideo(), nullptr);
    EXPECT_TRUE(Same(control->GraphRenderer(), U(vmr)));
    EXPECT_TRUE(Same(control->VideoWindow(), U(vmr)));
  }

  std::unique_ptr<TFilterGraph> graph;
  std::unique_ptr<TDSVideoWindowEx2> control;
  FakeGraphManager* manager = nullptr;
  FakeFilter* own = nullptr;
  FakeFilter* decoder = nullptr;
  FakeFilter* line21v2 = nullptr;
  FakeFilter* vmr = nullptr;
};

// ---- A classic renderer fed directly.

TEST_F(InsertionTest, DecoderFeedingTheRendererMovesToTheMixersFirstFreeInput) {
  Start();
  BuildClassicGraph();
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), S_OK);

  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.Video->mixer.Input0", "mixer.Output->renderer.Input"}));
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder", "mixer"}));
  EXPECT_EQ(manager->NameOf("mixer"), "Overlay Mixer");
  // Broken (input side first), made, made; then the callback.
  EXPECT_EQ(World().calls, (Lines{"AddFilter mixer as 'Overlay Mixer'",
                                  "Disconnect renderer.Input", "Disconnect decoder.Video",
                                  "Connect decoder.Video -> mixer.Input0",
                                  "Connect mixer.Output -> renderer.Input",
                                  "SetCallbackInterface sink flags 0"}));
  FakeFilter* mixer = World().Find("mixer");
  ASSERT_NE(mixer, nullptr);
  EXPECT_TRUE(Same(control->MixerFilter(), U(mixer)));
  EXPECT_TRUE(Same(control->ExclModeVideo(), U(mixer)));
  EXPECT_NE(mixer->Callback(), nullptr);
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
}

TEST_F(InsertionTest, TheClassicCaseLogsBrokenMadeMadeAndAFailureUndoesThemInReverse) {
  Start();
  BuildClassicGraph();
  const Lines before = World().Connections();
  World().setCallbackResult = E_UNEXPECTED;
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), E_UNEXPECTED);

  EXPECT_EQ(World().calls,
            (Lines{"AddFilter mixer as 'Overlay Mixer'", "Disconnect renderer.Input",
                   "Disconnect decoder.Video", "Connect decoder.Video -> mixer.Input0",
                   "Connect mixer.Output -> renderer.Input",
                   "SetCallbackInterface sink flags 0 FAILS",
                   // made (mixer output, renderer input): both pins disconnected
                   "Disconnect mixer.Output", "Disconnect renderer.Input",
                   // made (decoder, mixer input)
                   "Disconnect decoder.Video", "Disconnect mixer.Input0",
                   // broken (decoder, renderer input): connected again
                   "Connect decoder.Video -> renderer.Input", "RemoveFilter mixer"}));
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder"}));
  EXPECT_EQ(control->MixerFilter(), nullptr);
  EXPECT_EQ(control->ExclModeVideo(), nullptr);
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
}

TEST_F(InsertionTest, RenderingAFileInsertsTheMixerAndSetsOverlayActive) {
  Start();
  BuildClassicGraph();
  control->NotifyControl(gaRenderFileEnd, 0);
  EXPECT_TRUE(control->OverlayActive());
  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.Video->mixer.Input0", "mixer.Output->renderer.Input"}));
}

TEST_F(InsertionTest, ARendererWithNothingConnectedFailsAndLeavesTheGraphAsItWas) {
  Start();
  Add(Decoder, "decoder");  // an audio-only file: the video renderer stays free
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), VFW_E_NOT_CONNECTED);
  EXPECT_TRUE(World().Connections().empty());
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder"}));
  EXPECT_EQ(World().calls, (Lines{"AddFilter mixer as 'Overlay Mixer'", "RemoveFilter mixer"}));
  EXPECT_EQ(control->MixerFilter(), nullptr);
}

// ---- A VMR with a Line 21 Decoder 2.

TEST_F(InsertionTest, VmrInputsMoveToTheMixerAndTheLine21Decoder2IsReplaced) {
  Start();
  BuildVmrGraph();
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), S_OK);

  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.CC->line21.Input", "decoder.Subpicture->mixer.Input2",
                   "decoder.Video->mixer.Input0", "line21.Output->mixer.Input1",
                   "mixer.Output->renderer.Input"}));
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder", "mixer", "line21"}));
  EXPECT_EQ(manager->NameOf("line21"), "Line21 Decoder");
  EXPECT_EQ(World().calls,
            (Lines{"AddFilter mixer as 'Overlay Mixer'",
                   // the VMR's inputs by index, output side first
                   "Disconnect decoder.Video", "Disconnect vmr.Input0",
                   "Disconnect line21 v2.Output", "Disconnect vmr.Input1",
                   "Disconnect decoder.Subpicture", "Disconnect vmr.Input2",
                   "Connect decoder.Video -> mixer.Input0",
                   // the Line 21 Decoder 2 swapped: its input side first
                   "Disconnect line21 v2.Input", "Disconnect decoder.CC",
                   "AddFilter line21 as 'Line21 Decoder'", "Connect decoder.CC -> line21.Input",
                   "Connect line21.Output -> mixer.Input1",
                   "Connect decoder.Subpicture -> mixer.Input2",
                   "Connect mixer.Output -> renderer.Input", "SetCallbackInterface sink flags 0",
                   "RemoveFilter line21 v2", "RemoveFilter vmr"}));
  EXPECT_TRUE(Same(control->MixerFilter(), U(World().Find("mixer"))));
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
  EXPECT_NE(control->ExclModeVideo(), nullptr);
}

TEST_F(InsertionTest, NoFreeMixerInputForAMovedPinFailsAndRestoresEverything) {
  Start();
  BuildVmrGraph();
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  World().mixerInputs = 2;  // video and captions fit, the subpictures do not

  EXPECT_EQ(control->InsertOverlayMixer(), E_FAIL);
  ExpectVmrFallBack(before, labels);
  EXPECT_EQ(World().Find("line21#2"), nullptr) << "one Line 21 Decoder was made";
  EXPECT_FALSE(manager->Holds(World().Find("line21")));
  EXPECT_FALSE(manager->Holds(World().Find("mixer")));
}

TEST_F(InsertionTest, AMixerWithoutInputsFailsInTheClassicCaseAndRestoresEverything) {
  Start();
  BuildClassicGraph();
  const Lines before = World().Connections();
  World().mixerInputs = 0;

  EXPECT_EQ(control->InsertOverlayMixer(), E_FAIL);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder"}));
  EXPECT_EQ(control->MixerFilter(), nullptr);
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
}

// A failure at one point of the insertion into a VMR graph.
struct FailurePoint {
  const char* name;
  GraphOp op;          // the manager's operation that fails...
  int call;            // ...on this call (0: none)
  FilterKind refused;  // a class CoCreateInstance refuses (Decoder: none)
  bool noExclMode;     // the mixer does not answer IDDrawExclModeVideo
  bool callbackFails;  // SetCallbackInterface fails
  HRESULT result;      // what InsertOverlayMixer returns
  bool fallBack;       // a connection may have changed: roll back to the VMR
};

void PrintTo(const FailurePoint& p, std::ostream* os) { *os << p.name; }

constexpr HRESULT kRefused = E_ACCESSDENIED;

class VmrFailureTest : public InsertionTest, public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(VmrFailureTest, LeavesTheConnectionsAsBeforeAndFallsBackOnTheVmr) {
  const FailurePoint& p = GetParam();
  Start();
  BuildVmrGraph();
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  if (p.call > 0) World().FailOn(p.op, p.call, kRefused);
  if (p.refused != Decoder) World().uncreatable[p.refused] = REGDB_E_CLASSNOTREG;
  World().exclModeVideo = !p.noExclMode;
  if (p.callbackFails) World().setCallbackResult = E_UNEXPECTED;

  EXPECT_EQ(control->InsertOverlayMixer(), p.result);

  if (p.fallBack) {
    ExpectVmrFallBack(before, labels);
  } else {
    EXPECT_EQ(World().Connections(), before);
    EXPECT_EQ(manager->Labels(), labels);
    EXPECT_EQ(control->MixerFilter(), nullptr);
    EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
    EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
  }
  for (const char* added : {"mixer", "line21"}) {
    EXPECT_FALSE(manager->Holds(World().Find(added))) << added << " left in the graph";
  }
  if (FakeFilter* mixer = World().Find("mixer")) {
    EXPECT_EQ(mixer->Callback(), nullptr);
  }
}

// Disconnections in order: 1 decoder.Video, 2 vmr.Input0, 3 line21 v2.Output, 4 vmr.Input1,
// 5 decoder.Subpicture, 6 vmr.Input2, 7 line21 v2.Input, 8 decoder.CC. Connections: 1 video to
// the mixer, 2 captions to the new Line 21 Decoder, 3 its output to the mixer, 4 subpictures to
// the mixer, 5 the mixer to the renderer. Filters added: 1 the mixer, 2 the Line 21 Decoder.
INSTANTIATE_TEST_SUITE_P(
    Points, VmrFailureTest,
    ::testing::Values(
        FailurePoint{"MixerNotMade", GraphOp::Connect, 0, Mixer, false, false,
                     REGDB_E_CLASSNOTREG, false},
        FailurePoint{"MixerNotAdded", GraphOp::AddFilter, 1, Decoder, false, false, kRefused,
                     false},
        FailurePoint{"FirstDisconnection", GraphOp::Disconnect, 1, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"VmrSideOfTheFirstInput", GraphOp::Disconnect, 2, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"VmrSideOfTheSecondInput", GraphOp::Disconnect, 4, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"Line21Decoder2Input", GraphOp::Disconnect, 7, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"OutputFeedingTheLine21Decoder2", GraphOp::Disconnect, 8, Decoder, false,
                     false, kRefused, true},
        FailurePoint{"VideoToTheMixer", GraphOp::Connect, 1, Decoder, false, false, kRefused,
                     true},
        FailurePoint{"Line21DecoderNotMade", GraphOp::Connect, 0, Line21Decoder, false, false,
                     REGDB_E_CLASSNOTREG, true},
        FailurePoint{"Line21DecoderNotAdded", GraphOp::AddFilter, 2, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"CaptionsToTheLine21Decoder", GraphOp::Connect, 2, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"Line21DecoderToTheMixer", GraphOp::Connect, 3, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"SubpicturesToTheMixer", GraphOp::Connect, 4, Decoder, false, false,
                     kRefused, true},
        FailurePoint{"MixerToTheRenderer", GraphOp::Connect, 5, Decoder, false, false, kRefused,
                     true},
        FailurePoint{"NoExclusiveModeVideo", GraphOp::Connect, 0, Decoder, true, false,
                     E_NOINTERFACE, true},
        FailurePoint{"CallbackRefused", GraphOp::Connect, 0, Decoder, false, true, E_UNEXPECTED,
                     true}),
    [](const ::testing::TestParamInfo<FailurePoint>& info) { return info.param.name; });

TEST_F(InsertionTest, AMixerThatCannotBeRemovedInTheRollBackGivesTheRemovalsCode) {
  Start();
  BuildVmrGraph();
  const Lines before = World().Connections();
  World().setCallbackResult = E_UNEXPECTED;
  World().FailOn(GraphOp::RemoveFilter, 2, kRefused);  // 1: the Line 21 Decoder, 2: the mixer

  EXPECT_EQ(control->InsertOverlayMixer(), kRefused);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder", "line21 v2", "vmr", "mixer"}));
  EXPECT_TRUE(Same(control->MixerFilter(), U(World().Find("mixer"))));
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
}

TEST_F(InsertionTest, WithoutAClassicRendererTheMixerIsTakenOutAgain) {
  Start();
  manager->Take(own);  // a graph without the control's renderer
  BuildVmrGraph();
  const Lines before = World().Connections();
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), E_FAIL);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), (Lines{"decoder", "line21 v2", "vmr"}));
  EXPECT_EQ(World().calls, (Lines{"AddFilter mixer as 'Overlay Mixer'", "RemoveFilter mixer"}));
  EXPECT_EQ(control->MixerFilter(), nullptr);
}

TEST_F(InsertionTest, WithoutAGraphTheBuildersQueryResultIsReturned) {
  control = std::make_unique<TDSVideoWindowEx2>();
  EXPECT_EQ(control->InsertOverlayMixer(), E_NOINTERFACE);
  TFilterGraph inactive;
  control->SetFilterGraph(&inactive);
  EXPECT_EQ(control->InsertOverlayMixer(), E_NOINTERFACE);
  control->SetFilterGraph(nullptr);
}

// ---- A mixer already in the graph.

TEST_F(InsertionTest, AMixerFeedingTheRendererIsUsedAsItIs) {
  Start();
  decoder = Add(Decoder, "decoder");
  FakeFilter* mixer = Add(Mixer, "mixer");
  Link(decoder, "Video", mixer, "Input0");
  Link(mixer, "Output", own, "Input");
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), S_OK);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), labels);
  EXPECT_EQ(World().calls, Lines{"SetCallbackInterface sink flags 0"});
  EXPECT_TRUE(Same(control->MixerFilter(), U(mixer)));
  EXPECT_TRUE(Same(control->ExclModeVideo(), U(mixer)));
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
}

TEST_F(InsertionTest, AUsableMixerThatRefusesTheCallbackIsLeftAsItIs) {
  Start();
  decoder = Add(Decoder, "decoder");
  FakeFilter* mixer = Add(Mixer, "mixer");
  Link(decoder, "Video", mixer, "Input0");
  Link(mixer, "Output", own, "Input");
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  World().setCallbackResult = E_UNEXPECTED;

  EXPECT_EQ(control->InsertOverlayMixer(), E_UNEXPECTED);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), labels);
  EXPECT_EQ(control->ExclModeVideo(), nullptr);
}

struct UnusableMixer {
  const char* name;
  bool inputFed;        // decoder.Video -> mixer.Input0
  bool feedsRenderer;   // mixer.Output -> renderer.Input
  bool laterRenderer;   // a second classic renderer after the control's (the last one wins)
};

void PrintTo(const UnusableMixer& p, std::ostream* os) { *os << p.name; }

class UnusableMixerTest : public InsertionTest,
                          public ::testing::WithParamInterface<UnusableMixer> {};

TEST_P(UnusableMixerTest, FailsWithEFailAndLeavesTheGraphUntouched) {
  const UnusableMixer& p = GetParam();
  Start();
  decoder = Add(Decoder, "decoder");
  FakeFilter* mixer = Add(Mixer, "mixer");
  if (p.inputFed) Link(decoder, "Video", mixer, "Input0");
  if (p.feedsRenderer) Link(mixer, "Output", own, "Input");
  FakeFilter* later = p.laterRenderer ? Add(Renderer, "later renderer") : nullptr;
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  World().calls.clear();

  EXPECT_EQ(control->InsertOverlayMixer(), E_FAIL);
  EXPECT_EQ(World().Connections(), before);
  EXPECT_EQ(manager->Labels(), labels);
  EXPECT_TRUE(World().calls.empty());
  EXPECT_EQ(control->ExclModeVideo(), nullptr);
  EXPECT_TRUE(Same(control->GraphRenderer(), later ? U(later) : U(own)));
}

INSTANTIATE_TEST_SUITE_P(
    Mixers, UnusableMixerTest,
    ::testing::Values(UnusableMixer{"OutputFree", true, false, false},
                      UnusableMixer{"NoInputFed", false, true, false},
                      UnusableMixer{"FeedsAnEarlierRenderer", true, true, true}),
    [](const ::testing::TestParamInfo<UnusableMixer>& info) { return info.param.name; });

// ---- The renderer the DVD builder chose.

class AdoptDvdRendererTest : public InsertionTest {
 protected:
  void SetUp() override {
    InsertionTest::SetUp();
    World().colorRecord.dwFlags = video::kAllColorControls;
    World().colorRecord.lBrightness = 1234;
    World().colorRecord.lContrast = 5678;
  }
};

TEST_F(AdoptDvdRendererTest, AClassicRendererFirstBecomesTheControlsRenderer) {
  Start(gmDVD);
  manager->Take(own);  // the DVD builder rendered with a renderer of its own
  decoder = Add(Decoder, "decoder");
  FakeFilter* dvdRenderer = Add(Renderer, "dvd renderer");
  Link(decoder, "Video", dvdRenderer, "Input");
  World().calls.clear();

  control->NotifyControl(gaRenderDvdEnd, 0);

  EXPECT_TRUE(control->OverlayActive());
  EXPECT_TRUE(Same(control->RendererFilter(), U(dvdRenderer)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(dvdRenderer)));
  EXPECT_TRUE(Same(control->GraphRenderer(), U(dvdRenderer)));
  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.Video->mixer.Input0", "mixer.Output->dvd renderer.Input"}));
  EXPECT_EQ(manager->Labels(), (Lines{"decoder", "dvd renderer", "mixer"}));
  // The hardware's record is read, then the control's settings are written.
  ASSERT_FALSE(World().colorCalls.empty());
  EXPECT_EQ(World().colorCalls.front(), "Get mixer.Input0");
  EXPECT_EQ(World().colorCalls.back(), "Set mixer.Input0");
  EXPECT_EQ(control->ColorControl()->HardwareSettings().lBrightness, 1234);
  EXPECT_EQ(control->ColorControl()->HardwareSettings().lContrast, 5678);
}

TEST_F(AdoptDvdRendererTest, TheControlsRendererFirstIsKeptAndTheVmrGraphRewired) {
  Start(gmDVD);
  BuildVmrGraph();  // the control's renderer stays first in the list

  control->AdoptDvdRenderer();

  EXPECT_TRUE(control->OverlayActive());
  EXPECT_TRUE(Same(control->RendererFilter(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
  EXPECT_EQ(manager->Labels(), (Lines{"renderer", "decoder", "mixer", "line21"}));
  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.CC->line21.Input", "decoder.Subpicture->mixer.Input2",
                   "decoder.Video->mixer.Input0", "line21.Output->mixer.Input1",
                   "mixer.Output->renderer.Input"}));
}

TEST_F(AdoptDvdRendererTest, AVmrFirstBringsTheControlsRendererBackAndRewires) {
  Start(gmDVD);
  manager->Take(own);  // the DVD builder rendered with a VMR alone
  BuildVmrGraph();
  World().calls.clear();

  control->NotifyControl(gaRenderDvdEnd, 0);

  ASSERT_FALSE(World().calls.empty());
  EXPECT_EQ(World().calls.front(), "AddFilter renderer as 'VideoWindowEx'");
  EXPECT_TRUE(control->OverlayActive());
  EXPECT_TRUE(Same(control->RendererFilter(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
  EXPECT_TRUE(Same(control->GraphRenderer(), U(own)));
  EXPECT_EQ(manager->Labels(), (Lines{"decoder", "renderer", "mixer", "line21"}));
  EXPECT_EQ(World().Connections(),
            (Lines{"decoder.CC->line21.Input", "decoder.Subpicture->mixer.Input2",
                   "decoder.Video->mixer.Input0", "line21.Output->mixer.Input1",
                   "mixer.Output->renderer.Input"}));
  EXPECT_EQ(control->ColorControl()->HardwareSettings().lBrightness, 1234);
}

TEST_F(AdoptDvdRendererTest, AVmrFirstWhoseInsertionFailsShowsTheVmrsWindow) {
  Start(gmDVD);
  manager->Take(own);
  BuildVmrGraph();
  const Lines before = World().Connections();
  const Lines labels = manager->Labels();
  World().FailOn(GraphOp::Connect, 5, kRefused);  // the mixer to the renderer
  const LONG defaultBrightness = control->ColorControl()->HardwareSettings().lBrightness;

  control->AdoptDvdRenderer();

  EXPECT_FALSE(control->OverlayActive());
  ExpectVmrFallBack(before, labels);
  EXPECT_FALSE(manager->Holds(own));
  EXPECT_TRUE(World().colorCalls.empty());
  EXPECT_EQ(control->ColorControl()->HardwareSettings().lBrightness, defaultBrightness);
}

TEST_F(AdoptDvdRendererTest, NeitherKindOfRendererChangesNothing) {
  Start(gmDVD);
  manager->Take(own);
  decoder = Add(Decoder, "decoder");
  World().calls.clear();

  control->NotifyControl(gaRenderDvdEnd, 0);

  EXPECT_FALSE(control->OverlayActive());
  EXPECT_TRUE(World().calls.empty());
  EXPECT_TRUE(Same(control->RendererFilter(), U(own)));
  EXPECT_TRUE(Same(control->VideoWindow(), U(own)));
  EXPECT_EQ(control->MixerFilter(), nullptr);
  EXPECT_EQ(manager->Labels(), Lines{"decoder"});
}

}  // namespace
}  // namespace kavoro::test
