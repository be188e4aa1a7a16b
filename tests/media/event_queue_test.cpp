// The graph's event queue: the completion it makes up for a run, and what a stop or a seek
// does to a completion the application has not taken yet.
#include <gtest/gtest.h>

#include <vector>

#include "platform/media/EventCodes.h"
#include "platform/media/MediaEventQueue.h"

namespace kavoro::media {
namespace {

std::vector<LONG> Drain(MediaEventQueue& queue) {
  std::vector<LONG> codes;
  LONG code;
  LONG_PTR p1, p2;
  while (queue.Get(&code, &p1, &p2, 0) == S_OK) codes.push_back(code);
  return codes;
}

// A run whose renderers all completed queues one EC_COMPLETE; when the run ends (stop) or a
// seek starts another before the application took it, it goes: taken later it would end the
// next run. Other events stay, and without default handling the renderers' own completions
// are the application's to handle.
TEST(MediaEventQueueTest, AStopOrSeekDropsTheEndedRunsCompletion) {
  const int audio = 0, video = 0;
  MediaEventQueue queue;
  queue.ExpectCompletion({&audio, &video});
  queue.RendererComplete(&audio, S_OK, 0);
  queue.Post(EC_CLOCK_CHANGED, 0, 0);
  queue.RendererComplete(&video, S_OK, 0);
  queue.CancelCompletion();
  EXPECT_EQ(Drain(queue), std::vector<LONG>{EC_CLOCK_CHANGED});

  // Taken before the stop, it is the application's as usual.
  queue.ExpectCompletion({&audio});
  queue.RendererComplete(&audio, S_OK, 0);
  EXPECT_EQ(Drain(queue), std::vector<LONG>{EC_COMPLETE});
  queue.CancelCompletion();
  EXPECT_TRUE(Drain(queue).empty());

  ASSERT_EQ(queue.SetDefaultHandling(EC_COMPLETE, false), S_OK);
  queue.RendererComplete(&audio, S_OK, 0);
  queue.CancelCompletion();
  EXPECT_EQ(Drain(queue), std::vector<LONG>{EC_COMPLETE});
}

}  // namespace
}  // namespace kavoro::media
