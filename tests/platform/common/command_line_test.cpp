#include <gtest/gtest.h>

#include "platform/os/CommandLine.h"

namespace kavoro::os {
namespace {

TEST(CommandLineTest, SplitsThePlatformFormAndQuotesBack) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {" /s \"C:\\WINDOWS\\system32\\MPEGV.ax\"", {"/s", "C:\\WINDOWS\\system32\\MPEGV.ax"}},
      {" /s /u \"/home/me/my files/MPEGV.ax\"", {"/s", "/u", "/home/me/my files/MPEGV.ax"}},
      {"", {}},
      {"   ", {}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\"b", {"a\"b"}},
      {"\"\"", {""}},
      {"x\"\"\"y\" z", {"x\"y", "z"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
    std::string joined;
    for (const auto& a : c.args) joined += " " + QuoteArgument(a);
    EXPECT_EQ(SplitCommandLine(joined), c.args) << "quoted back: " << joined;
  }
}

}  // namespace
}  // namespace kavoro::os
