// The overlay mixer between the decoder and the classic renderer: the picture passes through,
// the colour controls change it, the colour key and picture size reach the callback.
#include <array>

#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IDDrawExclModeVideo.h"
#include "platform/media/IMixerPinConfig.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

class Callback final : public ComObject<IDDrawExclModeVideoCallback> {
 public:
  HRESULT OnUpdateOverlay(BOOL, DWORD, BOOL, const RECT*, const RECT*, BOOL, const RECT*,
                          const RECT*) override {
    return S_OK;
  }
  HRESULT OnUpdateColorKey(const COLORKEY* key, DWORD color) override {
    keys.push_back(*key);
    colors.push_back(color);
    return S_OK;
  }
  HRESULT OnUpdateSize(DWORD w, DWORD h, DWORD ax, DWORD ay) override {
    sizes.push_back({w, h, ax, ay});
    return S_OK;
  }
  std::vector<COLORKEY> keys;
  std::vector<DWORD> colors;
  std::vector<std::array<DWORD, 4>> sizes;
};

class OverlayMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::Sim().Reset();
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                               IIDOf<IBaseFilter>(), renderer.PutVoid()),
              S_OK);
    g.builder->AddFilter(renderer.Get(), "Renderer");
    ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER,
                               IIDOf<IBaseFilter>(), mixer.PutVoid()),
              S_OK);
    ASSERT_EQ(g.builder->AddFilter(mixer.Get(), "Overlay Mixer"), S_OK);
    excl = mixer.As<IDDrawExclModeVideo>();
    excl->SetCallbackInterface(callback.Get(), 0);
    PutMixerInFront(g, mixer.Get(), renderer.Get());
    if (HasFatalFailure()) return;
    config = PinNamed(mixer.Get(), "Input0").As<IMixerPinConfig2>();
    ASSERT_TRUE(config);
  }
  void TearDown() override { g.control->Stop(); }
  std::uint32_t ShownAfterSeek(REFERENCE_TIME at) {
    LONGLONG t = at;
    g.seeking->SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    OAFilterState s;
    EXPECT_EQ(g.control->GetState(5000, &s), S_OK);
    PresentedImage image;
    EXPECT_EQ(renderer.As<IVideoPresentation>()->GetPresentedImage(&image), S_OK);
    return image.pixels.empty() ? 0 : image.Pixel(image.width / 2, image.height / 2);
  }
  Graph g = MakeGraph();
  ComPtr<IBaseFilter> renderer, mixer;
  ComPtr<IDDrawExclModeVideo> excl;
  ComPtr<IMixerPinConfig2> config;
  ComPtr<Callback> callback = MakeCom<Callback>();
};

int Red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int Green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(std::uint32_t p) { return p & 0xFF; }

TEST_F(OverlayMixerTest, ColourControlsChangeThePicture) {
  DDCOLORCONTROL c;
  ASSERT_EQ(config->GetOverlaySurfaceColorControls(&c), S_OK);
  EXPECT_EQ(c.dwFlags, 0x7Fu);
  EXPECT_EQ(c.lBrightness, 750);
  EXPECT_EQ(c.lContrast, 10000);
  EXPECT_EQ(c.lSaturation, 10000);
  EXPECT_EQ(c.lColorEnable, 1);

  PauseAndWait(g);
  const std::uint32_t plain = ShownAfterSeek(kSecond / 5);
  EXPECT_GT(Red(plain), 180);
  EXPECT_LT(Green(plain), 80);

  c.dwFlags = DDCOLOR_COLORENABLE;
  c.lColorEnable = 0;
  ASSERT_EQ(config->SetOverlaySurfaceColorControls(&c), S_OK);
  const std::uint32_t grey = ShownAfterSeek(kSecond / 4);
  EXPECT_NEAR(Red(grey), Green(grey), 4);
  EXPECT_NEAR(Green(grey), Blue(grey), 4);

  c.dwFlags = DDCOLOR_COLORENABLE | DDCOLOR_BRIGHTNESS;
  c.lColorEnable = 1;
  c.lBrightness = 5000;
  ASSERT_EQ(config->SetOverlaySurfaceColorControls(&c), S_OK);
  const std::uint32_t bright = ShownAfterSeek(kSecond / 3);
  EXPECT_GT(Green(bright), Green(plain) + 40);

  // Out of range: refused, nothing changes.
  c.dwFlags = DDCOLOR_HUE;
  c.lHue = 181;
  EXPECT_EQ(config->SetOverlaySurfaceColorControls(&c), E_INVALIDARG);
  c.dwSize = 20;
  c.lHue = 0;
  EXPECT_EQ(config->SetOverlaySurfaceColorControls(&c), E_INVALIDARG);
  DDCOLORCONTROL now;
  config->GetOverlaySurfaceColorControls(&now);
  EXPECT_EQ(now.lBrightness, 5000);
  EXPECT_EQ(now.lHue, 0);
}

TEST_F(OverlayMixerTest, KeyAndSizeReachTheCallback) {
  DWORD w = 0, h = 0, ax = 0, ay = 0;
  ASSERT_EQ(excl->GetNativeVideoProps(&w, &h, &ax, &ay), S_OK);
  EXPECT_EQ(w, 64u);
  EXPECT_EQ(h, 48u);
  EXPECT_EQ(ax * 3, ay * 4);

  COLORKEY key{CK_INDEX | CK_RGB, 0, 0x000F000F, 0x000F000F};
  DWORD color = 0;
  ASSERT_EQ(config->GetColorKey(&key, &color), S_OK);
  EXPECT_EQ(key.KeyType, CK_INDEX | CK_RGB);
  EXPECT_EQ(color, key.HighColorValue);
  key.HighColorValue = key.LowColorValue = 0x00FF00FF;
  ASSERT_EQ(config->SetColorKey(&key), S_OK);
  ASSERT_EQ(callback->colors.size(), 1u);
  EXPECT_EQ(callback->colors.back(), 0x00FF00FFu);

  os::Sim().ProcessMessages();  // sizes come over the GUI thread
  ASSERT_FALSE(callback->sizes.empty());
  EXPECT_EQ(callback->sizes.back()[0], 64u);

  EXPECT_EQ(config->SetAspectRatioMode(AM_ARMODE_CROP), S_OK);
  AM_ASPECT_RATIO_MODE mode;
  config->GetAspectRatioMode(&mode);
  EXPECT_EQ(mode, AM_ARMODE_CROP);
  EXPECT_EQ(excl->SetCallbackInterface(nullptr, 1), E_INVALIDARG);
  EXPECT_EQ(excl->SetCallbackInterface(nullptr, 0), S_OK);
}

}  // namespace
}  // namespace kavoro::testing
