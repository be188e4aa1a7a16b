#include "platform/os/sim/SimScreenSaver.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/os/sim/SimPlatform.h"

namespace kavoro::os {
namespace {

TEST(SimScreenSaver, CountsLiveInhibitionsAndRemembersTheLatest) {
  SimScreenSaver saver;
  EXPECT_EQ(saver.ActiveInhibitions(), 0);
  auto video = saver.Inhibit("Kavoro Player", "Playing video");
  auto disc = saver.Inhibit("Kavoro Player", "Playing a disc");
  EXPECT_EQ(saver.ActiveInhibitions(), 2);
  EXPECT_EQ(saver.LastApplication(), "Kavoro Player");
  EXPECT_EQ(saver.LastReason(), "Playing a disc");
  video.reset();
  EXPECT_EQ(saver.ActiveInhibitions(), 1);
  disc.reset();
  EXPECT_EQ(saver.ActiveInhibitions(), 0);
  EXPECT_EQ(saver.InhibitCount(), 2);
}

TEST(SimScreenSaver, AnInhibitionKeepsTheMethodItWasMadeWith) {
  SimScreenSaver saver;
  const ScreenSaverMethod methods[] = {ScreenSaverMethod::DesktopService,
                                       ScreenSaverMethod::ResetTimer, ScreenSaverMethod::None};
  std::vector<std::unique_ptr<ScreenSaverInhibition>> held;
  for (ScreenSaverMethod m : methods) {
    saver.SetMethod(m);
    held.push_back(saver.Inhibit("app", "why"));
  }
  for (std::size_t i = 0; i < held.size(); ++i) EXPECT_EQ(held[i]->Method(), methods[i]) << i;
  // Counted whatever the method: the player holds and releases alike.
  EXPECT_EQ(saver.ActiveInhibitions(), 3);
}

TEST(SimScreenSaver, InhibitionsFromBeforeAResetNoLongerCount) {
  SimScreenSaver saver;
  saver.SetMethod(ScreenSaverMethod::None);
  auto old = saver.Inhibit("app", "before");
  saver.Reset();
  EXPECT_EQ(saver.ActiveInhibitions(), 0);
  EXPECT_EQ(saver.Method(), ScreenSaverMethod::DesktopService);
  EXPECT_TRUE(saver.LastReason().empty());
  auto fresh = saver.Inhibit("app", "after");
  old.reset();
  EXPECT_EQ(saver.ActiveInhibitions(), 1);
}

TEST(SimScreenSaver, ThePlatformResetEmptiesIt) {
  SimPlatform& sim = Sim();
  sim.Reset();
  auto held = Os().ScreenSaver().Inhibit("app", "why");
  EXPECT_EQ(sim.ScreenSaver().ActiveInhibitions(), 1);
  sim.Reset();
  EXPECT_EQ(sim.ScreenSaver().ActiveInhibitions(), 0);
  EXPECT_EQ(sim.ScreenSaver().InhibitCount(), 0);
}

}  // namespace
}  // namespace kavoro::os
