#include "platform/os/linux/LinuxWaveOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace kavoro::os {
namespace {

// An in-memory store: exact key paths, optional refusal of writes, thread-safe.
class FakeRegistry : public IRegistry {
 public:
  bool KeyExists(RootKey, std::string_view) override { return false; }
  bool CreateKey(RootKey, std::string_view) override { return !refuseWrites; }
  bool DeleteKey(RootKey, std::string_view) override { return false; }
  std::optional<RegValue> ReadValue(RootKey root, std::string_view path,
                                    std::string_view name) override {
    std::lock_guard lock(lock_);
    const auto it = values_.find({root, std::string(path), std::string(name)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  bool WriteValue(RootKey root, std::string_view path, std::string_view name,
                  const RegValue& value) override {
    if (refuseWrites) return false;
    // A real store takes a while to make a write durable; the pause lets overlapping
    // writers interleave as they would there.
    if (slowWrites) std::this_thread::sleep_for(kSlowWrite);
    std::lock_guard lock(lock_);
    values_[{root, std::string(path), std::string(name)}] = value;
    ++writes;
    return true;
  }
  bool DeleteValue(RootKey, std::string_view, std::string_view) override { return false; }
  std::vector<std::string> ValueNames(RootKey, std::string_view) override { return {}; }
  std::vector<std::string> SubKeyNames(RootKey, std::string_view) override { return {}; }

  std::optional<RegValue> Stored() {
    return ReadValue(HKEY_CURRENT_USER, "Software\\Kavoro\\Platform\\Audio", "WaveOutVolume");
  }
  void Store(const RegValue& v) {
    WriteValue(HKEY_CURRENT_USER, "Software\\Kavoro\\Platform\\Audio", "WaveOutVolume", v);
  }

  static constexpr auto kSlowWrite = std::chrono::microseconds(20);
  std::atomic<bool> refuseWrites{false};
  std::atomic<bool> slowWrites{false};
  std::atomic<int> writes{0};

 private:
  std::mutex lock_;
  std::map<std::tuple<RootKey, std::string, std::string>, RegValue> values_;
};

std::uint32_t Level(IWaveOut& out) {
  std::uint32_t v = 0;
  EXPECT_EQ(out.GetVolume(0, &v), MMSYSERR_NOERROR);
  return v;
}

TEST(LinuxWaveOut, StartsAtTheStoredLevelOrFullVolume) {
  FakeRegistry store;
  const auto startLevel = [&] {
    LinuxWaveOut out(store);
    return Level(out);
  };
  EXPECT_EQ(startLevel(), kFullVolume);

  store.Store(std::string("loud"));
  EXPECT_EQ(startLevel(), kFullVolume);

  store.Store(std::uint32_t{0x77770000});
  EXPECT_EQ(startLevel(), 0x77770000u);
}

TEST(LinuxWaveOut, EveryChangeIsStoredAndReadByTheNextStart) {
  FakeRegistry store;
  {
    LinuxWaveOut out(store);
    ASSERT_EQ(out.SetVolume(0, PackVolume(0xFFFF, 0)), MMSYSERR_NOERROR);
    EXPECT_EQ(store.Stored(), RegValue{std::uint32_t{0x0000FFFF}});
    ASSERT_EQ(out.SetVolume(0, 0x11111111), MMSYSERR_NOERROR);
    EXPECT_EQ(Level(out), 0x11111111u);
  }
  EXPECT_EQ(store.Stored(), RegValue{std::uint32_t{0x11111111}});
  LinuxWaveOut next(store);
  EXPECT_EQ(Level(next), 0x11111111u);
}

TEST(LinuxWaveOut, OtherDevicesAndBadArgumentsAreRefusedWithoutChange) {
  FakeRegistry store;
  LinuxWaveOut out(store);
  std::uint32_t v = 0;
  EXPECT_EQ(out.GetVolume(1, &v), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(out.SetVolume(1, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(out.GetVolume(0, nullptr), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Level(out), kFullVolume);
  EXPECT_EQ(store.writes, 0);
}

TEST(LinuxWaveOut, LevelTakesEffectWhenTheStoreRefusesWrites) {
  FakeRegistry store;
  store.Store(std::uint32_t{0x22222222});
  store.refuseWrites = true;
  LinuxWaveOut out(store);
  EXPECT_EQ(out.SetVolume(0, 0x33333333), MMSYSERR_NOERROR);
  EXPECT_EQ(Level(out), 0x33333333u);
  EXPECT_EQ(store.Stored(), RegValue{std::uint32_t{0x22222222}});
}

// Setters racing each other must leave the store holding the level that is in effect; each
// round starts two setters together and then compares.
TEST(LinuxWaveOut, RacingSettersLeaveStoreAndLevelAgreeing) {
  FakeRegistry store;
  store.slowWrites = true;
  LinuxWaveOut out(store);
  constexpr int kRounds = 200;
  for (int round = 0; round < kRounds; ++round) {
    std::latch start(2);
    const auto set = [&](std::uint16_t half) {
      start.arrive_and_wait();
      out.SetVolume(0, PackVolume(half, half));
    };
    std::thread a(set, static_cast<std::uint16_t>(2 * round));
    std::thread b(set, static_cast<std::uint16_t>(2 * round + 1));
    a.join();
    b.join();
    ASSERT_EQ(store.Stored(), RegValue{Level(out)}) << "round " << round;
  }
}

}  // namespace
}  // namespace kavoro::os
