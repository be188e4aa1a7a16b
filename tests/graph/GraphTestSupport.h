#pragma once
// The fixture of the graph component's tests: a fresh sim world, an empty call log and fake
// classes registered under the graph managers' and builders' class identifiers, so the
// component creates fakes. The objects it created are kept for inspection.
#include <gtest/gtest.h>

#include <set>

#include "GraphFakes.h"
#include "media/FilterGraph.h"
#include "platform/com/ClassRegistry.h"
#include "platform/media/MediaClasses.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::test {

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    CallLog().clear();
    auto& reg = ClassRegistry::Instance();
    reg.RegisterClass(CLSID_FilterGraph, "fake graph", [this](REFIID riid, void** ppv) {
      if (unavailable.count("manager")) return REGDB_E_CLASSNOTREG;
      manager = ComPtr<FakeGraph>::Attach(new FakeGraph(graphScript));
      return manager->QueryInterface(riid, ppv);
    });
    reg.RegisterClass(CLSID_CaptureGraphBuilder2, "fake capture builder",
                      [this](REFIID riid, void** ppv) {
                        if (unavailable.count("capture")) return REGDB_E_CLASSNOTREG;
                        Log("create capture builder");
                        capture = MakeCom<FakeCaptureBuilder>(captureProbe);
                        return capture->QueryInterface(riid, ppv);
                      });
    reg.RegisterClass(CLSID_DvdGraphBuilder, "fake DVD builder", [this](REFIID riid, void** ppv) {
      if (unavailable.count("dvd")) return REGDB_E_CLASSNOTREG;
      dvd = MakeCom<FakeDvdBuilder>(dvdScript);
      return dvd->QueryInterface(riid, ppv);
    });
    graph = std::make_unique<TFilterGraph>();
  }
  void TearDown() override {
    graph.reset();
    auto& reg = ClassRegistry::Instance();
    reg.UnregisterClass(CLSID_FilterGraph);
    reg.UnregisterClass(CLSID_CaptureGraphBuilder2);
    reg.UnregisterClass(CLSID_DvdGraphBuilder);
  }

  // Pumps the GUI thread's messages until none wait.
  static void Pump() {
    while (os::Sim().ProcessMessages(0)) {
    }
  }

  // The manager the component works on in its current mode.
  FakeGraph* Manager() { return graph->Mode() == gmDVD ? dvd->graph.Get() : manager.Get(); }

  GraphScript graphScript;
  DvdScript dvdScript;
  bool captureProbe = true;
  std::set<std::string> unavailable;  // "manager", "capture", "dvd": creation fails
  ComPtr<FakeGraph> manager;
  ComPtr<FakeCaptureBuilder> capture;
  ComPtr<FakeDvdBuilder> dvd;
  std::unique_ptr<TFilterGraph> graph;
};

}  // namespace kavoro::test
