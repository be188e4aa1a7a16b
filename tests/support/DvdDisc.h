#pragma once
// The fixture maker's DVD folder, made once per test run into the fixtures folder (the maker
// does nothing when it is up to date). Define KAVORO_MAKE_DVD (the maker script) and
// KAVORO_FIXTURES_DIR before including.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kavoro::testing {

inline std::filesystem::path FixtureDisc() {
  static const bool made = [] {
    const std::string cmd = std::string("bash '") + KAVORO_MAKE_DVD + "' '" +
                            KAVORO_FIXTURES_DIR + "' >/dev/null";
    return std::system(cmd.c_str()) == 0;
  }();
  EXPECT_TRUE(made);
  return std::filesystem::path(KAVORO_FIXTURES_DIR) / "DVD";
}

}  // namespace kavoro::testing
