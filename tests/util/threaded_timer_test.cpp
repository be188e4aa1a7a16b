// The timer's ticks cross real threads, so these tests run in real time. They check lower
// bounds (a tick never comes early) and absence of ticks, which a busy machine cannot break.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/os/Application.h"
#include "platform/os/sim/SimPlatform.h"
#include "util/ThdTimer.h"

namespace kavoro {
namespace {
using namespace std::chrono;
using os::Sim;
using Clock = steady_clock;

class ThreadedTimerTest : public ::testing::Test {
 protected:
  void SetUp() override { Sim().Reset(); }

  // Runs the GUI thread's hand-overs for `ms` milliseconds.
  static void PumpFor(int ms) {
    const auto end = Clock::now() + milliseconds(ms);
    while (Clock::now() < end) Sim().GuiThread().CheckSynchronize(2);
  }
  // Pumps until `count` ticks were recorded or the deadline passed.
  void PumpUntil(std::size_t count, int maxMs = 5000) {
    const auto end = Clock::now() + milliseconds(maxMs);
    while (ticks.size() < count && Clock::now() < end) Sim().GuiThread().CheckSynchronize(2);
  }
  void Record(TThreadedTimer& t) {
    t.OnTimer = [this, &t](TThreadedTimer* sender) {
      EXPECT_EQ(sender, &t);
      EXPECT_TRUE(Sim().GuiThread().IsGuiThread());
      ticks.push_back(Clock::now());
    };
  }
  static long Ms(Clock::duration d) { return static_cast<long>(duration_cast<milliseconds>(d).count()); }

  std::vector<Clock::time_point> ticks;
};

TEST_F(ThreadedTimerTest, StartsDisabledWithTheUsualDefaults) {
  TThreadedTimer t;
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.Interval(), 1000);
  EXPECT_EQ(t.ThreadPriority(), tpNormal);
  t.SetThreadPriority(tpLower);
  EXPECT_EQ(t.ThreadPriority(), tpLower);
}

TEST_F(ThreadedTimerTest, TheNextIntervalStartsWhenTheHandlerHasReturned) {
  TThreadedTimer t;
  t.SetInterval(10);
  t.OnTimer = [&](TThreadedTimer*) {
    ticks.push_back(Clock::now());
    std::this_thread::sleep_for(milliseconds(50));
  };
  t.SetEnabled(true);
  PumpUntil(4);
  t.SetEnabled(false);
  ASSERT_GE(ticks.size(), 4u);
  for (std::size_t i = 1; i < ticks.size(); ++i)
    EXPECT_GE(Ms(ticks[i] - ticks[i - 1]), 59) << "handler 50 ms + interval 10 ms, tick " << i;
}

TEST_F(ThreadedTimerTest, EachEnablingWaitsOneFullIntervalAndDisablingStopsTicks) {
  TThreadedTimer t;
  Record(t);
  t.SetInterval(100);
  for (int round = 0; round < 2; ++round) {
    ticks.clear();
    const auto enabled = Clock::now();
    t.SetEnabled(true);
    PumpUntil(1);
    ASSERT_EQ(ticks.size(), 1u) << "round " << round;
    EXPECT_GE(Ms(ticks[0] - enabled), 99) << "round " << round;
    t.SetEnabled(false);
    // A tick already handed over may still run; after that, nothing.
    PumpFor(20);
    const std::size_t after = ticks.size();
    PumpFor(300);
    EXPECT_EQ(ticks.size(), after) << "round " << round;
  }
}

TEST_F(ThreadedTimerTest, ChangingTheIntervalDisablesAndIntervalZeroNeverTicks) {
  TThreadedTimer t;
  Record(t);
  t.SetInterval(10);
  t.SetEnabled(true);
  PumpUntil(1);
  t.SetInterval(20);
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.Interval(), 20);
  PumpFor(20);
  const std::size_t after = ticks.size();
  PumpFor(200);
  EXPECT_EQ(ticks.size(), after);

  t.SetInterval(0);
  t.SetEnabled(true);
  EXPECT_TRUE(t.Enabled());
  PumpFor(200);
  EXPECT_EQ(ticks.size(), after);

  t.SetInterval(0);  // the same value: stays enabled
  EXPECT_TRUE(t.Enabled());
}

TEST_F(ThreadedTimerTest, DestructionEndsInEveryState) {
  { TThreadedTimer never; }
  {
    TThreadedTimer enabled;
    Record(enabled);
    enabled.SetInterval(10);
    enabled.SetEnabled(true);
    PumpUntil(2);
  }
  {
    // The worker is waiting in the hand-over when the GUI thread destroys the timer.
    TThreadedTimer blocked;
    Record(blocked);
    blocked.SetInterval(1);
    blocked.SetEnabled(true);
    std::this_thread::sleep_for(milliseconds(50));
  }
  {
    TThreadedTimer disabledAgain;
    disabledAgain.SetInterval(5);
    disabledAgain.SetEnabled(true);
    disabledAgain.SetEnabled(false);
  }
  SUCCEED();
}

TEST_F(ThreadedTimerTest, AHandlerExceptionEndsTheTicksAndReachesTheErrorReport) {
  os::SetApplicationTitle("Kavoro Player V2.14");
  {
    TThreadedTimer t;
    t.SetInterval(10);
    int calls = 0;
    t.OnTimer = [&](TThreadedTimer*) {
      ++calls;
      throw std::runtime_error("Slide failed");
    };
    t.SetEnabled(true);
    PumpFor(300);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(t.Enabled());
  }
  auto boxes = Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Slide failed");
  EXPECT_EQ(boxes[0].caption, "Kavoro Player V2.14");
}

}  // namespace
}  // namespace kavoro
