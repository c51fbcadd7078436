#include "pointer/head_shake_detector.h"

#include <gtest/gtest.h>

#include <vector>

#include "tracking/headless_ports.h"

namespace veltranix {
namespace {

// Camera-image positions around the calibrated centre (320, 240); on a
// 1280 x 1024 screen a swing must pass 2 pixels sideways within 20 rows.
constexpr int kCentreX = 320;
constexpr int kCentreY = 240;
constexpr int kLeftX = 317;
constexpr int kRightX = 323;

class HeadShake : public ::testing::Test {
  protected:
    HeadShake() { settings.so = 1; }

    bool At(int x, int y = kCentreY, HeadPauseState state = HeadPauseState::Tracking) {
        return detector.Update(x, y, kCentreX, kCentreY, state);
    }

    // Starts a shake, waits, then swings right, left, right so that the last
    // swing lands on frame counter `lastSwingCounter`; returns what the frame
    // after it reports.
    bool ShakeEndingAtCounter(int lastSwingCounter) {
        EXPECT_FALSE(At(kCentreX));  // starts the shake: counter 0
        for (int counter = 1; counter <= lastSwingCounter - 3; ++counter) {
            EXPECT_FALSE(At(kCentreX));
        }
        EXPECT_FALSE(At(kRightX));
        EXPECT_FALSE(At(kLeftX));
        EXPECT_FALSE(At(kRightX));
        return At(kCentreX);
    }

    Settings settings;
    HeadlessSound sound;
    HeadShakeDetector detector{{1280, 1024}, settings, sound, ProgramFolder{"/opt/veltranix"}};
};

TEST_F(HeadShake, ThresholdsFollowTheScreenSize) {
    struct Case {
        ScreenSize screen;
        int x, y;
    };
    // A size beyond the X protocol's 32767 counts as 32767 (it overflowed).
    for (const Case& c :
         {Case{{1280, 1024}, 2, 20}, Case{{1920, 1080}, 3, 21}, Case{{800, 600}, 1, 11},
          Case{{3840, 2160}, 6, 42}, Case{{999999999, 999999999}, 51, 639}}) {
        HeadShakeDetector sized(c.screen, settings, sound, ProgramFolder{});
        EXPECT_EQ(sized.horizontalThreshold(), c.x);
        EXPECT_EQ(sized.verticalThreshold(), c.y);
    }
}

// Complete when the fourth swing comes before frame 26; swings on frames 26
// and 27 are too slow, and the next quick shake counts again.
TEST_F(HeadShake, CompleteWhenTheFourthSwingComesBeforeFrameTwentySix) {
    for (const auto& [lastSwing, complete] :
         {std::pair{3, true}, {25, true}, {26, false}, {3, true}, {27, false}, {3, true}}) {
        EXPECT_EQ(ShakeEndingAtCounter(lastSwing), complete) << lastSwing;
        EXPECT_EQ(detector.progress(), 0);
    }
}

TEST_F(HeadShake, AShakeNotDoneWithinTwentyEightFramesStartsOver) {
    EXPECT_FALSE(At(kCentreX));
    EXPECT_FALSE(At(kRightX));
    EXPECT_FALSE(At(kLeftX));
    EXPECT_EQ(detector.progress(), 3);
    for (int counter = 3; counter <= 27; ++counter) {
        EXPECT_FALSE(At(kCentreX));
    }
    EXPECT_EQ(detector.progress(), 3);
    EXPECT_FALSE(At(kRightX));  // counter 28: too late, this swing is dropped
    EXPECT_EQ(detector.progress(), 1);
    // The swings before do not count: a full new shake is needed.
    EXPECT_FALSE(At(kCentreX));
    EXPECT_FALSE(At(kLeftX));
    EXPECT_FALSE(At(kCentreX));
    EXPECT_TRUE(ShakeEndingAtCounter(3));
}

TEST_F(HeadShake, SwingsCountOnlyAtTheCentresHeightAndPastTheThreshold) {
    EXPECT_FALSE(At(kCentreX));
    EXPECT_FALSE(At(kRightX, kCentreY + 20));  // on the band's edge
    EXPECT_FALSE(At(kCentreX + 2));            // on the threshold
    EXPECT_EQ(detector.progress(), 0);
    EXPECT_FALSE(At(kRightX, kCentreY - 19));
    EXPECT_EQ(detector.progress(), 2);
    EXPECT_FALSE(At(kRightX));  // the same side again adds nothing
    EXPECT_FALSE(At(kCentreX - 2));
    EXPECT_EQ(detector.progress(), 2);
    EXPECT_FALSE(At(kLeftX, kCentreY + 19));
    EXPECT_EQ(detector.progress(), 3);
}

TEST_F(HeadShake, ResumeSoundsOnTheThirdAndFourthSwingOnlyWhilePaused) {
    const auto shake = [this](HeadPauseState state) {
        At(kCentreX, kCentreY, state);
        At(kRightX, kCentreY, state);
        At(kLeftX, kCentreY, state);
        At(kRightX, kCentreY, state);
        return At(kCentreX, kCentreY, state);
    };
    EXPECT_TRUE(shake(HeadPauseState::Tracking));
    EXPECT_TRUE(sound.played.empty());

    EXPECT_TRUE(shake(HeadPauseState::Paused));
    ASSERT_EQ(sound.played.size(), 2u);
    for (const auto& played : sound.played) {
        EXPECT_EQ(played.file, std::filesystem::path("/opt/veltranix/so/sound1.wav"));
        EXPECT_EQ(played.overlap, SoundOverlap::DoNotInterrupt);
    }

    settings.so = 0;
    EXPECT_TRUE(shake(HeadPauseState::Paused));
    EXPECT_EQ(sound.played.size(), 2u);
}

}  // namespace
}  // namespace veltranix
