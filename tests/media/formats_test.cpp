// Every kind of file the player's open dialog offers renders, prerolls and plays to its end.
#include <cstdlib>

#include "MediaTestSupport.h"
#include "platform/media/IAudioTap.h"
#include "platform/media/IRendererScheduling.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

struct Format {
  const char* file;
  bool video;
};

class FormatsTest : public ::testing::TestWithParam<Format> {
 protected:
  void SetUp() override { os::Sim().Reset(); }
};

TEST_P(FormatsTest, RendersAndPlaysToTheEnd) {
  const Format& f = GetParam();
  Graph g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(Fixture(f.file), {}), S_OK);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), CLSID_AudioRender).size(), 1u);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).size(), f.video ? 1u : 0u);
  LONGLONG duration = 0;
  ASSERT_EQ(g.seeking->GetDuration(&duration), S_OK);
  EXPECT_NEAR(static_cast<double>(duration), static_cast<double>(kSecond), kSecond / 5);
  for (auto& filter : FiltersOf(g.builder.Get()))
    if (auto s = filter.As<IRendererScheduling>()) s->SetClockScheduling(0);
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  EXPECT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
  if (f.video) {
    auto video = FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).front()
                     .As<IVideoPresentation>();
    LONGLONG presented = 0, dropped = 0;
    video->GetFrameCounts(&presented, &dropped);
    EXPECT_GE(presented, 20);
    EXPECT_EQ(dropped, 0);
  }
  g.control->Stop();
}

INSTANTIATE_TEST_SUITE_P(Dialog, FormatsTest,
                         ::testing::Values(Format{"format.vob", true}, Format{"format.avi", true},
                                           Format{"format.mpg", true}, Format{"format.dat", true},
                                           Format{"cdxa.dat", true}, Format{"format.wmv", true},
                                           Format{"format.asf", true}, Format{"format.mov", true},
                                           Format{"format.mp3", false}, Format{"format.wav", false}),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           std::string n = info.param.file;
                           for (char& c : n)
                             if (c == '.') c = '_';
                           return n;
                         });

TEST(MidiTest, TheSynthesizerPlaysTheTune) {
  os::Sim().Reset();
  Graph g = MakeGraph();
  ASSERT_EQ(g.builder->RenderFile(Fixture("tune.mid"), {}), S_OK);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), CLSID_KavoroMidiSource).size(), 1u);
  auto renderer = FiltersOfClass(g.builder.Get(), CLSID_AudioRender);
  ASSERT_EQ(renderer.size(), 1u);
  LONGLONG duration = 0;
  ASSERT_EQ(g.seeking->GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 2 * kSecond);  // the note, and the time it takes to die away
  std::size_t frames = 0;
  int peak = 0;
  renderer.front().As<IAudioTap>()->SetTap([&](const std::int16_t* s, std::size_t n, int ch, int) {
    frames += n;
    for (std::size_t i = 0; i < n * static_cast<std::size_t>(ch); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  });
  renderer.front().As<IRendererScheduling>()->SetClockScheduling(0);
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  EXPECT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
  g.control->Stop();
  EXPECT_NEAR(static_cast<double>(frames), 2 * 44100.0, 1024.0);
  EXPECT_GT(peak, 500);
}

}  // namespace
}  // namespace kavoro::testing
