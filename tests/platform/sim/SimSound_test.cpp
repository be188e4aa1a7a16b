#include "platform/os/sim/SimSound.h"

#include <gtest/gtest.h>

namespace kavoro::os {
namespace {

TEST(SimSound, RecordsPlaysAndWhatIsStillPlaying) {
  SimSound sound;
  EXPECT_TRUE(sound.PlaySound("/app/ShowM.wav", SND_ASYNC));
  EXPECT_EQ(sound.Playing(), "/app/ShowM.wav");
  EXPECT_TRUE(sound.PlaySound("/app/ShowF.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_EQ(sound.Playing(), "/app/ShowF.wav");
  EXPECT_TRUE(sound.PlaySound("/app/ShowM.wav", SND_SYNC));
  EXPECT_EQ(sound.Playing(), std::nullopt);

  const std::vector<SimSoundPlay> expected = {{"/app/ShowM.wav", SND_ASYNC},
                                              {"/app/ShowF.wav", SND_ASYNC | SND_NODEFAULT},
                                              {"/app/ShowM.wav", SND_SYNC}};
  EXPECT_EQ(sound.Played(), expected);

  ASSERT_TRUE(sound.PlaySound("/app/ShowM.wav", SND_ASYNC));
  sound.StopSound();
  EXPECT_EQ(sound.Playing(), std::nullopt);
  EXPECT_EQ(sound.StopCount(), 1);
}

TEST(SimSound, UnplayableFileIsRefusedAndLeavesThePlayingSound) {
  SimSound sound;
  sound.SetUnplayable("/app/broken.wav");
  ASSERT_TRUE(sound.PlaySound("/app/ShowM.wav", SND_ASYNC));
  EXPECT_FALSE(sound.PlaySound("/app/broken.wav", SND_ASYNC));
  EXPECT_EQ(sound.Playing(), "/app/ShowM.wav");
  EXPECT_EQ(sound.Played().size(), 1u);

  sound.Reset();
  EXPECT_TRUE(sound.Played().empty());
  EXPECT_EQ(sound.Playing(), std::nullopt);
  EXPECT_TRUE(sound.PlaySound("/app/broken.wav", SND_ASYNC));
}

}  // namespace
}  // namespace kavoro::os
