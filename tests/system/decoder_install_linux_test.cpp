// The decoder path on the real platform: a resource archive holding a real module is
// installed into the system folder, the registration program (a separate process) records
// the module's class in the registry store, and the class can then be created.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TestModuleApi.h"
#include "support/WaitFor.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/FilterRegistration.h"
#include "platform/os/Application.h"
#include "platform/os/Platform.h"
#include "system/DecoderInstall.h"

namespace kavoro {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using kavoro::testing::WaitFor;

TEST(DecoderInstallLinuxTest, InstalledDecodersAreRegisteredByTheRegistrationProgramAndCreatable) {
  const fs::path app = fs::path(std::getenv("HOME")) / "app";
  fs::remove_all(app);
  fs::create_directories(app);
  os::SetApplicationFolder(app.string());
  const std::string module = KAVORO_TEST_MODULE;
  const std::string pack = std::string(KAVORO_RCPACK) + " " + (app / kResourceLibraryName).string() +
                           " RCs:res_1=" + module + " RCs:res_2=" + module + " RCs:res_3=" + module;
  ASSERT_EQ(std::system(pack.c_str()), 0);

  InstallDecoders();
  const std::string sys = os::Os().Processes().SystemFolder();
  ASSERT_TRUE(fs::exists(fs::path(sys) / os::kRegistrationProgram))
      << "the platform places its registration program in the system folder";
  for (const char* f : {"MPEGV.ax", "MPEGA.ax", "MPGAudio.ax"})
    EXPECT_EQ(fs::file_size(fs::path(sys) / f), fs::file_size(module)) << f;

  // Three registration processes run on their own; the last one to finish names its file.
  std::vector<RegisteredFilter> filters;
  ASSERT_TRUE(WaitFor([&] {
    filters = ListRegisteredFilters(testing::kTestFilterCategory);
    return filters.size() == 1 && filters[0].pins.size() == 2;
  }));
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].name, "Test Greeter");
  EXPECT_EQ(filters[0].merit, testing::kTestMerit);
  ASSERT_EQ(filters[0].pins.size(), 2u);
  EXPECT_FALSE(filters[0].pins[0].output);
  EXPECT_TRUE(filters[0].pins[1].output);
  ASSERT_EQ(filters[0].pins[0].types.size(), 1u);
  EXPECT_EQ(filters[0].pins[0].types[0].subtype, testing::kTestSubtype);

  HRESULT hr = E_FAIL;
  auto greeter = CreateInstance<testing::ITestGreeter>(testing::CLSID_TestGreeter, &hr);
  ASSERT_EQ(hr, S_OK);
  ASSERT_TRUE(greeter);
  EXPECT_EQ(greeter->Answer(), testing::kTestAnswer);

  // Give the registration processes time to finish before the files go away.
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(RemoveDecoders());
  for (const char* f : {"MPEGV.ax", "MPEGA.ax", "MPGAudio.ax"})
    EXPECT_FALSE(fs::exists(fs::path(sys) / f)) << f;
  EXPECT_TRUE(RegisteredModulePath(testing::CLSID_TestGreeter).has_value())
      << "registrations stay after the files are removed";
}

}  // namespace
}  // namespace kavoro
