// The video renderer's picture: a known frame's pixels, the source rectangle (digital zoom)
// and destination size, and the application's own renderer being used by RenderFile.
#include <cstring>

#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/IVideoWindow.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

bool IsRed(std::uint32_t p) { return ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 80 && (p & 0xFF) < 80; }
bool IsBlue(std::uint32_t p) { return (p & 0xFF) > 180 && ((p >> 16) & 0xFF) < 80 && ((p >> 8) & 0xFF) < 80; }

class VideoRendererTest : public ::testing::Test {
 protected:
  void SetUp() override { os::Sim().Reset(); }
  void TearDown() override {
    if (g.control) g.control->Stop();
  }
  Graph g = MakeGraph();
};

TEST_F(VideoRendererTest, CurrentImageIsTheDecodedFrame) {
  ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  auto basic = FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).front().As<IBasicVideo2>();
  LONG size = 0;
  EXPECT_EQ(basic->GetCurrentImage(&size, nullptr), E_UNEXPECTED);
  PauseAndWait(g);
  ASSERT_EQ(basic->GetCurrentImage(&size, nullptr), S_OK);
  std::vector<LONG> dib(static_cast<std::size_t>(size + 3) / 4);
  ASSERT_EQ(basic->GetCurrentImage(&size, dib.data()), S_OK);
  BITMAPINFOHEADER h;
  std::memcpy(static_cast<void*>(&h), dib.data(), sizeof h);
  EXPECT_EQ(h.biWidth, 64);
  EXPECT_EQ(h.biHeight, 48);
  EXPECT_EQ(h.biBitCount, 32);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(
      reinterpret_cast<const BYTE*>(dib.data()) + sizeof h);
  const LONG row = 24;  // bottom-up rows: the same from either end at mid-height
  EXPECT_TRUE(IsRed(pixels[row * 64 + 8]));
  EXPECT_TRUE(IsBlue(pixels[row * 64 + 56]));
}

TEST_F(VideoRendererTest, SourceRectangleCropsAndDestinationScales) {
  ASSERT_EQ(g.builder->RenderFile(Fixture("split.avi"), {}), S_OK);
  auto renderer = FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).front();
  auto basic = renderer.As<IBasicVideo2>();
  auto presentation = renderer.As<IVideoPresentation>();
  PauseAndWait(g);
  PresentedImage image;
  ASSERT_EQ(presentation->GetPresentedImage(&image), S_OK);
  ASSERT_EQ(image.width, 64);
  EXPECT_TRUE(IsRed(image.Pixel(4, 24)));
  EXPECT_TRUE(IsBlue(image.Pixel(60, 24)));
  EXPECT_EQ(basic->IsUsingDefaultSource(), S_OK);

  struct Case {
    LONG left;
    bool red;
  };
  for (const Case& c : {Case{0, true}, Case{32, false}}) {
    ASSERT_EQ(basic->SetSourcePosition(c.left, 8, 32, 32), S_OK);
    ASSERT_EQ(presentation->GetPresentedImage(&image), S_OK);
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 32);
    for (LONG x : {1, 16, 30}) EXPECT_EQ(IsRed(image.Pixel(x, 16)), c.red) << c.left << "," << x;
    for (LONG x : {1, 16, 30}) EXPECT_EQ(IsBlue(image.Pixel(x, 16)), !c.red) << c.left << "," << x;
  }
  EXPECT_EQ(basic->IsUsingDefaultSource(), S_FALSE);
  // A rectangle reaching outside the picture is refused and changes nothing.
  EXPECT_EQ(basic->SetSourcePosition(40, 0, 32, 48), E_INVALIDARG);
  LONG l, t, w, h;
  basic->GetSourcePosition(&l, &t, &w, &h);
  EXPECT_EQ(l, 32);
  EXPECT_EQ(w, 32);

  ASSERT_EQ(basic->SetDestinationPosition(0, 0, 128, 96), S_OK);
  ASSERT_EQ(presentation->GetPresentedImage(&image), S_OK);
  EXPECT_EQ(image.width, 128);
  EXPECT_EQ(image.height, 96);
  ASSERT_EQ(basic->SetDefaultSourcePosition(), S_OK);
  ASSERT_EQ(presentation->GetPresentedImage(&image), S_OK);
  EXPECT_TRUE(IsRed(image.Pixel(10, 48)));
  EXPECT_TRUE(IsBlue(image.Pixel(118, 48)));
}

// The shape the picture is shown at, not the one its pixel count gives.
TEST_F(VideoRendererTest, PreferredAspectRatioIsTheStreamsDisplayShape) {
  struct Case {
    const char* file;
    LONG x, y;
  };
  for (const Case& c : {Case{"wide.mpg", 16, 9}, Case{"colors.mpg", 4, 3}}) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(g.builder->RenderFile(Fixture(c.file), {}), S_OK);
    auto basic =
        FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).front().As<IBasicVideo2>();
    LONG x = 0, y = 0;
    ASSERT_EQ(basic->GetPreferredAspectRatio(&x, &y), S_OK);  // from the connection
    EXPECT_EQ(x * c.y, y * c.x) << x << ":" << y;
    PauseAndWait(g);
    ASSERT_EQ(basic->GetPreferredAspectRatio(&x, &y), S_OK);  // from the picture shown
    EXPECT_EQ(x * c.y, y * c.x) << x << ":" << y;
    g.control->Stop();
    ClearGraph(g.builder.Get());
  }
}

TEST_F(VideoRendererTest, RenderFileUsesTheRendererAlreadyInTheGraph) {
  ComPtr<IBaseFilter> mine;
  ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                             IIDOf<IBaseFilter>(), mine.PutVoid()),
            S_OK);
  ASSERT_EQ(g.builder->AddFilter(mine.Get(), "VideoWindowEx"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(Fixture("colors.mpg"), {}), S_OK);
  EXPECT_TRUE(FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).empty());
  EXPECT_TRUE(media::PeerOf(media::PinsOf(mine.Get()).front().Get()));
  auto window = mine.As<IVideoWindow>();
  ASSERT_TRUE(window);
  LONG w = 0, h = 0;
  EXPECT_EQ(mine.As<IBasicVideo2>()->GetVideoSize(&w, &h), S_OK);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
}

}  // namespace
}  // namespace kavoro::testing
