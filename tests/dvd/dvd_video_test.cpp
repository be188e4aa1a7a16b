// The DVD graph's video path on the fixture disc, through the default renderer and through
// the Overlay Mixer into the classic renderer: the display shape they report, the menu
// highlight over a paused picture, and activation told to the subpicture side.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "dvd/DvdTestSupport.h"
#include "platform/com/ComPtr.h"
#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/ISubpictureNavigation.h"
#include "support/WaitFor.h"

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

// Takes the navigator's subpicture units in place of the decoder and keeps the button
// states the navigator tells it through the side channel.
class NavigationRecorder final : public media::BaseFilter {
 public:
  struct Told {
    ULONG button;
    bool action;
  };
  NavigationRecorder() : BaseFilter(GUID_NULL) { in_ = MakePin<In>(*this); }
  IPin* Input() { return in_; }
  std::vector<Told> Buttons() {
    std::lock_guard g(lock_);
    return told_;
  }

 private:
  class In final : public media::AddInterfaces<media::BaseInputPin, ISubpictureNavigation> {
   public:
    explicit In(NavigationRecorder& r) : AddInterfaces(r, "In"), r_(r) {}
    HRESULT SetPalette(const DvdPalette&) override { return S_OK; }
    HRESULT SetHighlight(REFERENCE_TIME, REFERENCE_TIME, const DvdHighlightInfo&) override {
      return S_OK;
    }
    HRESULT SetSelectedButton(ULONG button, BOOL action) override {
      std::lock_guard g(r_.lock_);
      r_.told_.push_back({button, action != 0});
      return S_OK;
    }
    HRESULT SetSubpictureShown(BOOL) override { return S_OK; }
    HRESULT DropUnits() override { return S_OK; }
    HRESULT GetShownButtons(DvdHighlightInfo*) override { return S_FALSE; }

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
      return t.majortype == MEDIATYPE_Subpicture ? S_OK : S_FALSE;
    }
    HRESULT OnReceive(IMediaSample*) override { return S_OK; }

   private:
    NavigationRecorder& r_;
  };
  In* in_;
  std::mutex lock_;
  std::vector<Told> told_;  // guarded by lock_
};

class DvdVideoTest : public DvdBuilderTest {
 protected:
  // Renders the disc (into `renderer` when one is given), runs to the title menu's still and
  // pauses there.
  void RenderAndPause(const CLSID* renderer) {
    if (renderer) {
      ComPtr<IBaseFilter> r = CreateInstance<IBaseFilter>(*renderer);
      ASSERT_TRUE(r);
      ASSERT_EQ(graph->AddFilter(r.Get(), "Video Renderer"), S_OK);
    }
    AM_DVD_RENDERSTATUS status;
    ASSERT_TRUE(SUCCEEDED(
        builder->RenderDvdVideoVolume(Disc().string().c_str(), AM_DVD_HWDEC_PREFER, &status)));
    // Paused from running: the menus bring no sound, so a pause from stopped would wait on
    // the audio renderer.
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    std::vector<Event> seen;
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen));
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    OAFilterState s;
    ASSERT_EQ(control->GetState(10000, &s), S_OK);
    ASSERT_EQ(s, State_Paused);
  }
  // The picture the renderer of class `clsid` shows now.
  PresentedImage Shown(const CLSID& clsid) {
    PresentedImage image;
    ComPtr<IBaseFilter> r = FilterOfClass(graph.Get(), clsid);
    if (r) r.As<IVideoPresentation>()->GetPresentedImage(&image);
    return image;
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

// A paused renderer holds its picture; a new selection is drawn over it at once, not at Run.
TEST_F(DvdVideoTest, APausedMenuShowsTheNewSelectionAtOnce) {
  for (const CLSID* renderer : {static_cast<const CLSID*>(nullptr), &CLSID_VideoRenderer}) {
    SCOPED_TRACE(renderer ? "classic renderer behind the mixer" : "default renderer");
    const CLSID shownBy = renderer ? *renderer : CLSID_VideoMixingRenderer;
    RenderAndPause(renderer);
    ComPtr<IDvdControl2> dvd;
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);
    ASSERT_TRUE(WaitFor([&] { return LitPixels(Shown(shownBy), 1) > 20; },
                        std::chrono::seconds(5)));
    ASSERT_EQ(dvd->SelectButton(3), S_OK);
    PresentedImage image;
    EXPECT_TRUE(WaitFor(
        [&] {
          image = Shown(shownBy);
          return LitPixels(image, 3) > 20 && LitPixels(image, 1) == 0;
        },
        std::chrono::seconds(5)))
        << LitPixels(image, 1) << " " << LitPixels(image, 3);
    OAFilterState s;
    EXPECT_EQ(control->GetState(0, &s), S_OK);
    EXPECT_EQ(s, State_Paused);
    TearDown();
    SetUp();
  }
}

// An activated button is drawn in its action colours until the navigation moves on: the
// navigator tells the subpicture side so, for activation of the selection and at a position.
TEST_F(DvdVideoTest, ActivationIsToldToTheSubpictureSide) {
  struct Case {
    const char* name;
    std::function<HRESULT(IDvdControl2*)> activate;
    ULONG button;
  } cases[] = {
      {"the selection (button 1, \"Play movie\")", [](IDvdControl2* d) { return d->ActivateButton(); },
       1},
      {"at a position (button 3, the root menu)",
       [](IDvdControl2* d) { return d->ActivateAtPosition({360, 455}); }, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AM_DVD_RENDERSTATUS status;
    ASSERT_EQ(
        builder->RenderDvdVideoVolume(Disc().string().c_str(), AM_DVD_HWDEC_PREFER, &status),
        S_OK);
    ComPtr<IBaseFilter> navigator = FilterOfClass(graph.Get(), CLSID_KavoroDvdNavigator);
    ASSERT_TRUE(navigator);
    ComPtr<IPin> units, decoder;
    ASSERT_EQ(navigator->FindPin("SubPicture", units.Put()), S_OK);
    ASSERT_EQ(units->ConnectedTo(decoder.Put()), S_OK);
    ASSERT_EQ(graph->Disconnect(units.Get()), S_OK);
    ASSERT_EQ(graph->Disconnect(decoder.Get()), S_OK);
    ComPtr<NavigationRecorder> recorder = MakeCom<NavigationRecorder>();
    ASSERT_EQ(graph->AddFilter(recorder.Get(), "Recorder"), S_OK);
    ASSERT_EQ(graph->ConnectDirect(units.Get(), recorder->Input(), nullptr), S_OK);
    ComPtr<IDvdControl2> dvd;
    ASSERT_EQ(builder->GetDvdInterface(IIDOf<IDvdControl2>(), dvd.PutVoid()), S_OK);

    ASSERT_TRUE(SUCCEEDED(control->Run()));
    std::vector<Event> seen;
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_STILL_ON, std::nullopt, seen));
    auto activations = [&] {
      std::vector<ULONG> a;
      for (const auto& t : recorder->Buttons())
        if (t.action) a.push_back(t.button);
      return a;
    };
    EXPECT_TRUE(activations().empty());  // selection alone is not activation
    ASSERT_EQ(c.activate(dvd.Get()), S_OK);
    ASSERT_TRUE(WaitForDvdEvent(events.Get(), EC_DVD_DOMAIN_CHANGE, std::nullopt, seen));
    EXPECT_EQ(activations(), std::vector<ULONG>{c.button});
    // Where the jump leads, the selection is told again without the action state.
    EXPECT_TRUE(
        WaitFor([&] { return !recorder->Buttons().back().action; }, std::chrono::seconds(5)));
    TearDown();
    SetUp();
  }
}

}  // namespace
}  // namespace kavoro::testing
