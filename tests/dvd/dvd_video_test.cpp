// The DVD graph's video path on the fixture disc: the display shape the renderers and the
// Overlay Mixer report.
#include <gtest/gtest.h>

#include "dvd/DvdTestSupport.h"
#include "platform/com/ComPtr.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/MediaClasses.h"

namespace kavoro::testing {
namespace {

ComPtr<IBaseFilter> FilterOfClass(IGraphBuilder* graph, const CLSID& clsid) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(filters.Put()))) return {};
  IBaseFilter* f = nullptr;
  while (filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::Attach(f);
    CLSID c;
    if (SUCCEEDED(f->GetClassID(&c)) && c == clsid) return held;
  }
  return {};
}

class DvdVideoTest : public DvdBuilderTest {
 protected:
  // Renders the disc (into `renderer` when one is given) and pauses on the first picture.
  void RenderAndPause(const CLSID* renderer) {
    if (renderer) {
      ComPtr<IBaseFilter> r = CreateInstance<IBaseFilter>(*renderer);
      ASSERT_TRUE(r);
      ASSERT_EQ(graph->AddFilter(r.Get(), "Video Renderer"), S_OK);
    }
    AM_DVD_RENDERSTATUS status;
    ASSERT_TRUE(SUCCEEDED(
        builder->RenderDvdVideoVolume(Disc().string().c_str(), AM_DVD_HWDEC_PREFER, &status)));
    // Paused from running: the menus have no sound for the audio renderer to preroll on.
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    std::vector<Event> seen;
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen));
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    OAFilterState s;
    ASSERT_EQ(control->GetState(10000, &s), S_OK);
    ASSERT_EQ(s, State_Paused);
  }
};

// The disc is 720 x 576 shown 4:3 (pixels 16:15), not the 5:4 of its pixel count.
TEST_F(DvdVideoTest, TheRenderersAndTheMixerGiveTheDiscsDisplayShape) {
  for (const CLSID* renderer : {static_cast<const CLSID*>(nullptr), &CLSID_VideoRenderer}) {
    SCOPED_TRACE(renderer ? "classic renderer behind the mixer" : "default renderer");
    RenderAndPause(renderer);
    ComPtr<IBaseFilter> r =
        FilterOfClass(graph.Get(), renderer ? *renderer : CLSID_VideoMixingRenderer);
    ASSERT_TRUE(r);
    LONG x = 0, y = 0;
    ASSERT_EQ(r.As<IBasicVideo2>()->GetPreferredAspectRatio(&x, &y), S_OK);
    EXPECT_EQ(x * 3, y * 4) << x << ":" << y;
    if (renderer) {
      ComPtr<IBaseFilter> mixer = FilterOfClass(graph.Get(), CLSID_OverlayMixer);
      ASSERT_TRUE(mixer);
      DWORD w = 0, h = 0, ax = 0, ay = 0;
      ASSERT_EQ(mixer.As<IDDrawExclModeVideo>()->GetNativeVideoProps(&w, &h, &ax, &ay), S_OK);
      EXPECT_EQ(w, 720u);
      EXPECT_EQ(h, 576u);
      EXPECT_EQ(ax * 3, ay * 4) << ax << ":" << ay;
    }
    TearDown();
    SetUp();
  }
}

}  // namespace
}  // namespace kavoro::testing
