// The Linux platform through Os(): the registration program as a separate process, window
// class claims, and message windows on a running Qt event loop. CTest gives the process a
// home of its own, so nothing here touches the user's settings.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "TestModuleApi.h"
#include "support/WaitFor.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/FilterRegistration.h"
#include "platform/os/Platform.h"

namespace kavoro::os {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using kavoro::testing::WaitFor;

TEST(LinuxProcessesTest, TheRegistrationProgramRecordsAndErasesAModulesClasses) {
  const std::string sys = Os().Processes().SystemFolder();
  EXPECT_EQ(sys, std::string(std::getenv("XDG_DATA_HOME")) + "/kavoro/system");
  const std::string program = sys + "/" + kRegistrationProgram;
  ASSERT_TRUE(fs::exists(program));
  const std::string module = sys + "/Greeter.ax";
  fs::copy_file(KAVORO_TEST_MODULE, module, fs::copy_options::overwrite_existing);

  StartupInfo hidden;
  hidden.hidden = true;
  ASSERT_TRUE(Os().Processes().CreateProcess(program, " /s \"" + module + "\"", hidden));
  ASSERT_TRUE(WaitFor([&] { return RegisteredModulePath(testing::CLSID_TestGreeter) == module; }));
  auto greeter = CreateInstance<testing::ITestGreeter>(testing::CLSID_TestGreeter);
  ASSERT_TRUE(greeter);
  EXPECT_EQ(greeter->Answer(), testing::kTestAnswer);

  ASSERT_TRUE(Os().Processes().CreateProcess(program, " /s /u \"" + module + "\"", hidden));
  ASSERT_TRUE(WaitFor([] { return !RegisteredModulePath(testing::CLSID_TestGreeter); }));
  EXPECT_TRUE(ListRegisteredFilters(testing::kTestFilterCategory).empty());

  EXPECT_FALSE(Os().Processes().CreateProcess(sys + "/NoSuchProgram.exe", "", hidden));
}

TEST(LinuxProcessesTest, ANonModuleOrMissingFileRegistersNothing) {
  const std::string sys = Os().Processes().SystemFolder();
  const std::string junk = sys + "/Junk.ax";
  { std::FILE* f = std::fopen(junk.c_str(), "w"); std::fputs("not a module", f); std::fclose(f); }
  const std::string program = sys + "/" + kRegistrationProgram;
  for (const std::string& target : {junk, sys + "/Missing.ax"}) {
    const std::string cmd = "\"" + program + "\" /s \"" + target + "\"";
    EXPECT_NE(std::system(cmd.c_str()), 0) << target;
  }
}

TEST(LinuxWindowClassesTest, AClaimIsSeenUntilItIsReleased) {
  auto& classes = Os().WindowClasses();
  EXPECT_FALSE(classes.FindWindowByClass("KAVORO_TestClass"));
  {
    auto claim = classes.ClaimClass("KAVORO_TestClass");
    ASSERT_TRUE(claim);
    EXPECT_TRUE(classes.FindWindowByClass("KAVORO_TestClass"));
    EXPECT_FALSE(classes.ClaimClass("KAVORO_TestClass")) << "one holder at a time";
    EXPECT_FALSE(classes.FindWindowByClass("KAVORO_OtherClass"));
    // Another process sees it too.
    const std::string cmd = "flock -n \"" + std::string(std::getenv("XDG_RUNTIME_DIR")) +
                            "/kavoro/KAVORO_TestClass.lock\" true";
    EXPECT_NE(std::system(cmd.c_str()), 0);
  }
  EXPECT_FALSE(classes.FindWindowByClass("KAVORO_TestClass"));
}

TEST(LinuxMessageWindowsTest, PostsFromWorkersAndTimersArriveOnTheRunningEventLoop) {
  int argc = 1;
  char name[] = "platform_linux_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  std::vector<WPARAM> posted;
  int timerTicks = 0;
  std::thread::id handlerThread;
  MessageWindow window([&](UINT m, WPARAM w, LPARAM) {
    handlerThread = std::this_thread::get_id();
    if (m == WM_TIMER) {
      if (++timerTicks == 3) window.KillTimer(7);
    } else {
      posted.push_back(w);
    }
    if (posted.size() == 50 && timerTicks >= 3) app.quit();
  });
  ASSERT_TRUE(window.SetTimer(7, 5));
  std::thread worker([&] {
    for (WPARAM i = 0; i < 50; ++i) window.Post(WM_APP, i, 0);
    int synced = 0;
    Os().GuiThread().Synchronize([&] { synced = 1; });
    EXPECT_EQ(synced, 1);
  });
  QTimer::singleShot(10000, &app, &QCoreApplication::quit);
  app.exec();
  worker.join();
  ASSERT_EQ(posted.size(), 50u);
  for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(posted[i], i);
  EXPECT_EQ(timerTicks, 3);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

}  // namespace
}  // namespace kavoro::os
