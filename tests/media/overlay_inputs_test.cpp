// Overlay inputs of the mixing renderer and the overlay mixer: pictures blended by time and
// z-order, a free input appearing as one gets connected and going away on disconnection.
#include <array>
#include <chrono>
#include <optional>
#include <thread>

#include "MediaTestSupport.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/MemAllocator.h"
#include "platform/media/OverlayCompositor.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

using media::OverlayCompositor;

constexpr LONG kOverlaySide = 8;
constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// An ARGB32 picture of kOverlaySide square: `fill` inside `box` (in overlay pixels), clear
// elsewhere.
std::vector<std::uint32_t> Picture(std::uint32_t fill, RECT box = {0, 0, kOverlaySide, kOverlaySide}) {
  std::vector<std::uint32_t> p(kOverlaySide * kOverlaySide, kClear);
  for (LONG y = box.top; y < box.bottom; ++y)
    for (LONG x = box.left; x < box.right; ++x) p[y * kOverlaySide + x] = fill;
  return p;
}

// Copies a top-down picture into a sample as the bottom-up rows the type says.
void FillBottomUp(IMediaSample* s, const std::vector<std::uint32_t>& top) {
  BYTE* data = nullptr;
  s->GetPointer(&data);
  auto* rows = reinterpret_cast<std::uint32_t*>(data);
  for (LONG y = 0; y < kOverlaySide; ++y)
    for (LONG x = 0; x < kOverlaySide; ++x)
      rows[(kOverlaySide - 1 - y) * kOverlaySide + x] = top[y * kOverlaySide + x];
  s->SetActualDataLength(kOverlaySide * kOverlaySide * 4);
}

void SetTimes(IMediaSample* s, std::optional<REFERENCE_TIME> start, std::optional<REFERENCE_TIME> end) {
  REFERENCE_TIME a = start.value_or(0), b = end.value_or(0);
  s->SetTime(start ? &a : nullptr, end ? &b : nullptr);
}

// A source of overlay pictures that the test pushes one at a time.
class OverlaySource final : public media::BaseFilter {
 public:
  OverlaySource() : BaseFilter(GUID_NULL) { out_ = MakePin<Out>(*this); }

  HRESULT Send(const std::vector<std::uint32_t>& picture, std::optional<REFERENCE_TIME> start = {},
               std::optional<REFERENCE_TIME> end = {}) {
    ComPtr<IMediaSample> s;
    HRESULT hr = out_->GetDeliveryBuffer(s.Put());
    if (FAILED(hr)) return hr;
    FillBottomUp(s.Get(), picture);
    SetTimes(s.Get(), start, end);
    return out_->Deliver(s.Get());
  }
  IPin* Output() { return out_; }

 private:
  class Out final : public media::BaseOutputPin {
   public:
    explicit Out(BaseFilter& f) : BaseOutputPin(f, "Overlay") {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
      return t.subtype == MEDIASUBTYPE_ARGB32 ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int i, AM_MEDIA_TYPE* t) override {
      if (i) return S_FALSE;
      *t = media::MakeOverlayType(kOverlaySide, kOverlaySide);
      return S_OK;
    }
    HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* p) override {
      p->cBuffers = 2;
      p->cbBuffer = kOverlaySide * kOverlaySide * 4;
      return S_OK;
    }
  };
  Out* out_;
};

std::vector<std::string> PinNames(IBaseFilter* f) {
  std::vector<std::string> names;
  for (auto& p : media::PinsOf(f)) {
    std::string id;
    p->QueryId(&id);
    names.push_back(id);
  }
  return names;
}

int Red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int Green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(std::uint32_t p) { return p & 0xFF; }

// The compositor on its own, over a small grey I420 picture.
class CompositorTest : public ::testing::Test {
 protected:
  static constexpr LONG kSide = 16;
  void SetUp() override {
    ALLOCATOR_PROPERTIES want{4, kOverlaySide * kOverlaySide * 4, 1, 0}, got;
    ASSERT_EQ(allocator->SetProperties(&want, &got), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    format.width = format.height = kSide;
  }
  void Give(std::size_t slot, const std::vector<std::uint32_t>& picture,
            std::optional<REFERENCE_TIME> start, std::optional<REFERENCE_TIME> end = {}) {
    ComPtr<IMediaSample> s;
    ASSERT_EQ(allocator->GetBuffer(s.Put(), nullptr, nullptr, 0), S_OK);
    FillBottomUp(s.Get(), picture);
    SetTimes(s.Get(), start, end);
    overlays.Receive(slot, s.Get(), type);
  }
  // Luma of the picture at (x, y) after blending at `time`.
  int LumaAt(std::optional<REFERENCE_TIME> time, LONG x, LONG y) {
    std::vector<std::uint8_t> i420(media::I420Size(kSide, kSide), 128);
    overlays.BlendInto(i420.data(), format, time);
    return i420[y * kSide + x];
  }
  ComPtr<media::MemAllocator> allocator = MakeCom<media::MemAllocator>();
  OverlayCompositor overlays{3};
  AM_MEDIA_TYPE type = media::MakeOverlayType(kOverlaySide, kOverlaySide);
  media::PictureFormat format;
};

TEST_F(CompositorTest, PicturesShowFromTheirStartUntilReplacedEndedOrErased) {
  constexpr int kGrey = 128, kWhiteLuma = 235;
  Give(0, Picture(kWhite), 10, 20);              // shown in [10, 20)
  Give(0, Picture(kClear), 30);                  // an erase at 30
  Give(0, Picture(kWhite), 40);                  // shown from 40 on
  struct Case {
    REFERENCE_TIME at;
    int luma;
  } cases[] = {{5, kGrey}, {10, kWhiteLuma}, {19, kWhiteLuma}, {20, kGrey},
               {35, kGrey}, {40, kWhiteLuma}, {1000, kWhiteLuma}};
  for (const Case& c : cases) EXPECT_EQ(LumaAt(c.at, 3, 3), c.luma) << "at " << c.at;
  EXPECT_TRUE(overlays.HasPictures());
  overlays.Clear(0);
  EXPECT_EQ(LumaAt(1000, 3, 3), kGrey);
}

TEST_F(CompositorTest, SlotsStackByZOrderInTheirPlaces) {
  Give(0, Picture(kWhite), std::nullopt);
  Give(1, Picture(kBlue), std::nullopt);
  // Slot 1 lies over slot 0 by default; a lower z puts it under.
  const int blueOverWhite = LumaAt(0, 3, 3);
  overlays.SetZOrder(1, 0);
  overlays.SetZOrder(0, 5);
  EXPECT_GT(LumaAt(0, 3, 3), blueOverWhite + 100);
  // Slot 0 moved into the right half: the left half shows slot 1 only.
  overlays.SetPlace(0, RECT{5000, 0, 10000, 10000});
  EXPECT_EQ(LumaAt(0, 3, 3), blueOverWhite);
  EXPECT_GT(LumaAt(0, 12, 3), blueOverWhite + 100);
  // Half blending: white halfway over the blue.
  overlays.SetBlend(0, 128);
  const int half = LumaAt(0, 12, 3);
  EXPECT_GT(half, blueOverWhite + 60);
  EXPECT_LT(half, 235 - 60);
  overlays.SetBlend(0, 0);
  overlays.SetBlend(1, 0);
  EXPECT_EQ(LumaAt(0, 12, 3), 128);
}

TEST_F(CompositorTest, ReceiveTellsWhetherAStillPictureNeedsBlendingAgain) {
  ComPtr<IMediaSample> s;
  ASSERT_EQ(allocator->GetBuffer(s.Put(), nullptr, nullptr, 0), S_OK);
  FillBottomUp(s.Get(), Picture(kWhite));
  SetTimes(s.Get(), 100, std::nullopt);
  EXPECT_FALSE(overlays.Receive(0, s.Get(), type));  // nothing blended yet
  LumaAt(100, 0, 0);
  SetTimes(s.Get(), 200, std::nullopt);
  EXPECT_FALSE(overlays.Receive(0, s.Get(), type));  // for a later picture
  SetTimes(s.Get(), 50, std::nullopt);
  EXPECT_TRUE(overlays.Receive(0, s.Get(), type));
  SetTimes(s.Get(), std::nullopt, std::nullopt);
  EXPECT_TRUE(overlays.Receive(0, s.Get(), type));  // untimed: at once
  // A wrong size or type is refused.
  s->SetActualDataLength(4);
  EXPECT_FALSE(overlays.Receive(0, s.Get(), type));
  EXPECT_FALSE(overlays.Receive(7, s.Get(), type));
}

// The filters: pins come and go, and the pictures land on the presented video.
class OverlayInputsTest : public ::testing::Test {
 protected:
  void SetUp() override { os::Sim().Reset(); }
  void TearDown() override { g.control->Stop(); }

  // Renders colors.mpg (red first) into `renderer`, through the mixer when `mixer` is set.
  void Build(const CLSID& rendererClass, bool throughMixer) {
    renderer = CreateInstance<IBaseFilter>(rendererClass);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(g.builder->AddFilter(renderer.Get(), "Renderer"), S_OK);
    ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
    target = renderer;
    if (!throughMixer) return;
    mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
    ASSERT_EQ(g.builder->AddFilter(mixer.Get(), "Overlay Mixer"), S_OK);
    PutMixerInFront(g, mixer.Get(), renderer.Get());
    if (HasFatalFailure()) return;
    target = mixer;
  }
  ComPtr<OverlaySource> AddSource(const char* name) {
    ComPtr<OverlaySource> s = MakeCom<OverlaySource>();
    EXPECT_EQ(g.builder->AddFilter(s.Get(), name), S_OK);
    return s;
  }
  PresentedImage Shown() {
    PresentedImage image;
    EXPECT_EQ(renderer.As<IVideoPresentation>()->GetPresentedImage(&image), S_OK);
    return image;
  }
  // Whether the quarters show A (white, left half) under B (green, top half) over the red
  // video.
  static bool ShowsBothOverlays(const PresentedImage& image) {
    if (image.pixels.empty()) return false;
    const LONG w = image.width, h = image.height;
    const std::uint32_t topLeft = image.Pixel(w / 4, h / 4), topRight = image.Pixel(3 * w / 4, h / 4),
                        bottomLeft = image.Pixel(w / 4, 3 * h / 4),
                        bottomRight = image.Pixel(3 * w / 4, 3 * h / 4);
    return Green(topLeft) > 200 && Red(topLeft) < 60 && Green(topRight) > 200 &&
           Red(bottomLeft) > 220 && Blue(bottomLeft) > 220 && Red(bottomRight) > 180 &&
           Green(bottomRight) < 80;
  }
  // Checks the pins listed and the pictures of two overlay sources on the video.
  void CheckTwoOverlays(const std::vector<std::string>& before,
                        const std::vector<std::string>& withTwo,
                        const std::vector<std::string>& withOne) {
    EXPECT_EQ(PinNames(target.Get()), before);
    ComPtr<OverlaySource> a = AddSource("A"), b = AddSource("B");
    ASSERT_EQ(g.builder->Connect(a->Output(), FirstFreeInput(target.Get()).Get()), S_OK);
    ASSERT_EQ(g.builder->Connect(b->Output(), FirstFreeInput(target.Get()).Get()), S_OK);
    EXPECT_EQ(PinNames(target.Get()), withTwo);

    PauseAndWait(g);
    const auto white = Picture(kWhite, {0, 0, kOverlaySide / 2, kOverlaySide});
    ASSERT_EQ(a->Send(white), S_OK);
    ASSERT_EQ(b->Send(Picture(kGreen, {0, 0, kOverlaySide, kOverlaySide / 2})), S_OK);
    if (mixer) {
      // The mixer's still picture went downstream before the overlays came: while paused it
      // mixes it again for the renderer to show in place of the one it holds (even with the
      // next picture waiting at the paused renderer), and every picture after it carries them.
      EXPECT_TRUE(ShowsBothOverlays(Shown()));
      g.control->Run();
      ASSERT_EQ(a->Send(white), S_OK);
      for (int i = 0; i < 40 && !ShowsBothOverlays(Shown()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      g.control->Pause();
    }
    const PresentedImage image = Shown();
    EXPECT_TRUE(ShowsBothOverlays(image)) << std::hex << image.Pixel(image.width / 4, image.height / 4);

    g.control->Stop();
    ComPtr<IPin> bIn = media::PeerOf(b->Output());
    b->Output()->Disconnect();
    bIn->Disconnect();
    EXPECT_EQ(PinNames(target.Get()), withOne);
    ComPtr<IPin> aIn = media::PeerOf(a->Output());
    a->Output()->Disconnect();
    aIn->Disconnect();
    EXPECT_EQ(PinNames(target.Get()), before);
  }

  Graph g = MakeGraph();
  ComPtr<IBaseFilter> renderer, mixer, target;
};

TEST_F(OverlayInputsTest, MixingRendererBlendsItsOverlayInputs) {
  Build(CLSID_VideoMixingRenderer, false);
  CheckTwoOverlays({"Input", "Input1"}, {"Input", "Input1", "Input2", "Input3"},
                   {"Input", "Input1", "Input2"});
}

TEST_F(OverlayInputsTest, OverlayMixerBlendsItsOverlayInputs) {
  Build(CLSID_VideoRenderer, true);
  CheckTwoOverlays({"Input0", "Input1", "Output"},
                   {"Input0", "Input1", "Input2", "Input3", "Output"},
                   {"Input0", "Input1", "Input2", "Output"});
}

TEST_F(OverlayInputsTest, EveryMixerInputAnswersItsPinConfiguration) {
  Build(CLSID_VideoRenderer, true);
  ComPtr<OverlaySource> a = AddSource("A");
  ASSERT_EQ(g.builder->Connect(a->Output(), FirstFreeInput(mixer.Get()).Get()), S_OK);
  COLORKEY key{CK_INDEX | CK_RGB, 0, 0x00203040, 0x00203040};
  for (const char* name : {"Input0", "Input1", "Input2"}) {
    SCOPED_TRACE(name);
    ComPtr<IPin> pin;
    ASSERT_EQ(mixer->FindPin(name, pin.Put()), S_OK);
    ComPtr<IMixerPinConfig2> config = pin.As<IMixerPinConfig2>();
    ASSERT_TRUE(config);
    AM_ASPECT_RATIO_MODE mode{};
    ASSERT_EQ(config->GetAspectRatioMode(&mode), S_OK);
    EXPECT_EQ(mode, AM_ARMODE_LETTER_BOX);
    EXPECT_EQ(config->SetAspectRatioMode(AM_ARMODE_CROP), S_OK);
    config->GetAspectRatioMode(&mode);
    EXPECT_EQ(mode, AM_ARMODE_CROP);
    EXPECT_EQ(config->SetAspectRatioMode(static_cast<AM_ASPECT_RATIO_MODE>(4)), E_INVALIDARG);
    config->GetAspectRatioMode(&mode);
    EXPECT_EQ(mode, AM_ARMODE_CROP);

    DWORD l = 1, t = 1, r = 0, b = 0;
    ASSERT_EQ(config->GetRelativePosition(&l, &t, &r, &b), S_OK);
    EXPECT_EQ((std::array<DWORD, 4>{l, t, r, b}), (std::array<DWORD, 4>{0, 0, 10000, 10000}));
    struct Bad {
      DWORD l, t, r, b;
    } bad[] = {{5000, 0, 5000, 10000}, {0, 6000, 10000, 5000}, {0, 0, 10001, 10000}};
    for (const Bad& x : bad) EXPECT_EQ(config->SetRelativePosition(x.l, x.t, x.r, x.b), E_INVALIDARG);
    EXPECT_EQ(config->SetRelativePosition(5000, 0, 10000, 10000), S_OK);
    config->GetRelativePosition(&l, &t, &r, &b);
    EXPECT_EQ((std::array<DWORD, 4>{l, t, r, b}), (std::array<DWORD, 4>{5000, 0, 10000, 10000}));
    // One colour key for the whole mixer, whichever input sets or reads it.
    ASSERT_EQ(config->SetColorKey(&key), S_OK);
    ++key.HighColorValue;
  }
  COLORKEY got;
  DWORD color = 0;
  PinNamed(mixer.Get(), "Input0").As<IMixerPinConfig2>()->GetColorKey(&got, &color);
  EXPECT_EQ(color, key.HighColorValue - 1);
  // Input1's overlay now lies in the right half of the picture only.
  PauseAndWait(g);
  g.control->Run();
  auto rightWhite = [](const PresentedImage& image) {
    return !image.pixels.empty() && Blue(image.Pixel(3 * image.width / 4, image.height / 2)) > 220 &&
           Blue(image.Pixel(image.width / 4, image.height / 2)) < 80;
  };
  for (int i = 0; i < 40 && !rightWhite(Shown()); ++i) {
    ASSERT_EQ(a->Send(Picture(kWhite)), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(rightWhite(Shown()));
}

TEST_F(OverlayInputsTest, InputsStopAtTheLimit) {
  Build(CLSID_VideoMixingRenderer, false);
  std::vector<ComPtr<OverlaySource>> sources;
  for (std::size_t i = 0; i < media::kMaxOverlayInputs; ++i) {
    sources.push_back(AddSource(("S" + std::to_string(i)).c_str()));
    ComPtr<IPin> free = FirstFreeInput(renderer.Get());
    ASSERT_TRUE(free) << i;
    ASSERT_EQ(g.builder->Connect(sources.back()->Output(), free.Get()), S_OK);
  }
  EXPECT_FALSE(FirstFreeInput(renderer.Get()));
  const auto names = PinNames(renderer.Get());
  ASSERT_EQ(names.size(), media::kMaxOverlayInputs + 1);
  EXPECT_EQ(names.back(), "Input" + std::to_string(media::kMaxOverlayInputs));
}

TEST_F(OverlayInputsTest, ClassicRendererHasOneInput) {
  Build(CLSID_VideoRenderer, false);
  EXPECT_EQ(PinNames(renderer.Get()), std::vector<std::string>{"Input"});
}

}  // namespace
}  // namespace kavoro::testing
