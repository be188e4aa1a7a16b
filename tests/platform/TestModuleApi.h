#pragma once
// What the test filter module exposes, shared by the module and the tests that load it.
#include "platform/com/Unknown.h"

namespace kavoro::testing {

struct ITestGreeter : IUnknown {
  static constexpr IID kIID = MakeGuid(0x6b1f0c52, 0x3d0e, 0x4c8a, 0x9e, 0x41, 0x2a, 0x55, 0x10,
                                       0x7c, 0x9d, 0x01);
  using Base = IUnknown;
  virtual int Answer() = 0;
};

constexpr CLSID CLSID_TestGreeter = MakeGuid(0x6b1f0c52, 0x3d0e, 0x4c8a, 0x9e, 0x41, 0x2a, 0x55,
                                             0x10, 0x7c, 0x9d, 0x02);
constexpr GUID kTestFilterCategory = MakeGuid(0x6b1f0c52, 0x3d0e, 0x4c8a, 0x9e, 0x41, 0x2a, 0x55,
                                              0x10, 0x7c, 0x9d, 0x03);
constexpr GUID kTestMajorType = MakeGuid(0x6b1f0c52, 0x3d0e, 0x4c8a, 0x9e, 0x41, 0x2a, 0x55, 0x10,
                                         0x7c, 0x9d, 0x04);
constexpr GUID kTestSubtype = MakeGuid(0x6b1f0c52, 0x3d0e, 0x4c8a, 0x9e, 0x41, 0x2a, 0x55, 0x10,
                                       0x7c, 0x9d, 0x05);
constexpr std::uint32_t kTestMerit = 0x00600000;
constexpr int kTestAnswer = 42;

}  // namespace kavoro::testing
