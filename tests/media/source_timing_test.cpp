// The times the file source gives to what it delivers: from the start of a file every picture
// reaches the renderer, in the order they are shown, each with a later time than the one
// before, also where the file leaves out the presentation time of reordered pictures.
#include <mutex>

#include "MediaTestSupport.h"
#include "platform/media/BaseRenderer.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

constexpr CLSID CLSID_TimeRecorder = MakeGuid(0x7E57F0A1, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);

// A video renderer that notes the start time of every picture, presenting as they come.
class TimeRecorder final : public media::BaseRenderer {
 public:
  TimeRecorder() : BaseRenderer(CLSID_TimeRecorder, "Input") { SetScheduling(false); }

  std::vector<REFERENCE_TIME> Starts() {
    std::lock_guard g(lock_);
    return starts_;
  }

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    return t.majortype == MEDIATYPE_Video && t.subtype == MEDIASUBTYPE_I420 ? S_OK : S_FALSE;
  }
  HRESULT Render(IMediaSample* sample, REFERENCE_TIME) override {
    REFERENCE_TIME start = 0, end = 0;
    EXPECT_TRUE(SUCCEEDED(sample->GetTime(&start, &end)));
    std::lock_guard g(lock_);
    starts_.push_back(start);
    return S_OK;
  }

 private:
  std::mutex lock_;
  std::vector<REFERENCE_TIME> starts_;  // guarded by lock_
};

TEST(SourceTimingTest, ReorderedPicturesWithoutPresentationTimeArriveInOrder) {
  os::Sim().Reset();
  Graph g = MakeGraph();
  ComPtr<TimeRecorder> recorder = MakeCom<TimeRecorder>();
  ASSERT_EQ(g.builder->AddFilter(recorder.Get(), "Recorder"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(Fixture("bframes.mpg"), {}), S_OK);
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  ASSERT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
  g.control->Stop();

  const std::vector<REFERENCE_TIME> starts = recorder->Starts();
  constexpr int kPictures = 50;  // 2 s at 25 fps
  EXPECT_EQ(starts.size(), static_cast<std::size_t>(kPictures))
      << "from the start, the first key frame's group is played too";
  ASSERT_FALSE(starts.empty());
  EXPECT_EQ(starts.front(), 0);
  for (std::size_t i = 1; i < starts.size(); ++i)
    EXPECT_GT(starts[i], starts[i - 1]) << "picture " << i << " is shown before the one before it";
  ClearGraph(g.builder.Get());
}

// A seek lands on the picture at the target, also where the file is searched by decoding
// time and the key frame before the target is further back than the packet found.
TEST(SourceTimingTest, ASeekShowsThePictureAtTheTarget) {
  os::Sim().Reset();
  Graph g = MakeGraph();
  ComPtr<TimeRecorder> recorder = MakeCom<TimeRecorder>();
  ASSERT_EQ(g.builder->AddFilter(recorder.Get(), "Recorder"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(Fixture("bframes.mpg"), {}), S_OK);
  for (const REFERENCE_TIME target : {kSecond, kSecond * 3 / 5, kSecond * 3 / 2}) {
    SCOPED_TRACE(target);
    LONGLONG at = target;
    ASSERT_EQ(g.seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning),
              S_OK);
    const std::size_t before = recorder->Starts().size();
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    ASSERT_TRUE(WaitForEvent(g.events.Get(), EC_COMPLETE, 10000));
    g.control->Stop();
    const std::vector<REFERENCE_TIME> starts = recorder->Starts();
    ASSERT_GT(starts.size(), before);
    // Stream time 0 is the target: the first picture shown is the one showing there, and
    // every picture from there to the end follows.
    constexpr REFERENCE_TIME kFrame = kSecond / 25;
    EXPECT_LE(starts[before], 0);
    EXPECT_GT(starts[before], -kFrame);
    EXPECT_EQ(static_cast<REFERENCE_TIME>(starts.size() - before),
              (2 * kSecond - target + kFrame - 1) / kFrame);
  }
  ClearGraph(g.builder.Get());
}

}  // namespace
}  // namespace kavoro::testing
