#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/os/Application.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::os {
namespace {

class MessageWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { Sim().Reset(); }
};

struct Received {
  UINT message;
  WPARAM w;
  LPARAM l;
  bool operator==(const Received&) const = default;
};

TEST_F(MessageWindowsTest, PostedMessagesArriveOnTheGuiThreadInPostingOrder) {
  std::vector<Received> got;
  std::thread::id handlerThread;
  MessageWindow window([&](UINT m, WPARAM w, LPARAM l) {
    got.push_back({m, w, l});
    handlerThread = std::this_thread::get_id();
  });
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(window.Post(WM_APP + 1, i, -i));
  });
  worker.join();
  EXPECT_TRUE(got.empty()) << "nothing runs until the GUI thread takes its messages";
  while (Sim().ProcessMessages(0)) {
  }
  ASSERT_EQ(got.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(got[i], (Received{WM_APP + 1, WPARAM(i), LPARAM(-i)}));
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST_F(MessageWindowsTest, AWindowThatIsGoneTakesNothingAndDropsWhatWaited) {
  int calls = 0;
  HWND handle;
  {
    MessageWindow window([&](UINT, WPARAM, LPARAM) { ++calls; });
    handle = window.Handle();
    EXPECT_TRUE(window.Post(WM_APP));
  }
  EXPECT_FALSE(Sim().MessageWindows().PostMessage(handle, WM_APP, 0, 0));
  EXPECT_FALSE(Sim().MessageWindows().IsWindow(handle));
  Sim().ProcessMessages(0);
  EXPECT_EQ(calls, 0);
}

TEST_F(MessageWindowsTest, SynchronizeRunsOnTheGuiThreadWaitsAndCarriesExceptionsBack) {
  std::atomic<bool> done{false};
  std::thread::id ranOn;
  std::string caught;
  std::thread worker([&] {
    Sim().GuiThread().Synchronize([&] { ranOn = std::this_thread::get_id(); });
    try {
      Sim().GuiThread().Synchronize([] { throw std::runtime_error("tick failed"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    done = true;
  });
  while (!done) Sim().GuiThread().CheckSynchronize(10);
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(caught, "tick failed");
  EXPECT_TRUE(Sim().Dialogs().MessageBoxes().empty()) << "the caller got the exception, not the report";
}

TEST_F(MessageWindowsTest, TimersFireOnTheSimClockAndAHandlerExceptionGoesToTheErrorReport) {
  SetApplicationTitle("Kavoro Player V2.14");
  std::vector<std::uint32_t> ticks;
  MessageWindow window([&](UINT m, WPARAM id, LPARAM) {
    ASSERT_EQ(m, WM_TIMER);
    ticks.push_back(Sim().MessageWindows().Now());
    if (id == 2) throw std::runtime_error("Timer went wrong");
  });
  ASSERT_TRUE(window.SetTimer(1, 100));
  Sim().AdvanceTime(350);
  EXPECT_EQ(ticks, (std::vector<std::uint32_t>{100, 200, 300}));
  ASSERT_TRUE(window.SetTimer(1, 30));  // restarting moves the next tick
  Sim().AdvanceTime(60);
  EXPECT_EQ(ticks.back(), 410u);
  EXPECT_TRUE(window.KillTimer(1));
  Sim().AdvanceTime(1000);
  EXPECT_EQ(ticks.size(), 5u);

  ASSERT_TRUE(window.SetTimer(2, 10));
  Sim().AdvanceTime(10);
  auto boxes = Sim().Dialogs().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Timer went wrong");
  EXPECT_EQ(boxes[0].caption, "Kavoro Player V2.14");
  EXPECT_EQ(boxes[0].flags, MB_OK | MB_ICONERROR);
}

}  // namespace
}  // namespace kavoro::os
