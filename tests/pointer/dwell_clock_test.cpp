#include "pointer/dwell_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pointer/click_codes.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::PointerRig;
using Events = std::vector<std::string>;

enum class Gesture { None, EyesClosed, MouthOpen };

// Runs the pointer-action share of one tracking frame the way the tracking
// loop does, `frameMs` after the previous frame.
class DwellFrames : public ::testing::Test {
  protected:
    GestureSource Frame(ScreenPoint pointer, int frameMs = 40, double trackMotion = 0.0,
                        Gesture gesture = Gesture::None) {
        rig.clock.advanceMs(frameMs);
        rig.desktop.pointer = pointer;
        if (!rig.dwell.PostClickPauseStands()) {
            if (rig.dwell.CheckStillness(pointer, trackMotion) == PointerMotion::Still) {
                if (gesture == Gesture::EyesClosed) {
                    rig.triggers.eyesClosedGesture = true;
                    rig.triggers.clickKindIndex = eyeKind;
                } else if (gesture == Gesture::MouthOpen) {
                    rig.triggers.mouthOpenGesture = true;
                    rig.triggers.clickKindIndex = eyeKind;
                }
                if (rig.settings.pointerMoveMode != 1) {
                    rig.dwell.Advance(rig.triggers);
                }
            }
        }
        return rig.dispatcher.Dispatch(rig.triggers);
    }

    // Still frames of 40 ms for `durationMs`; returns how many clicked.
    int StillFor(ScreenPoint pointer, int durationMs) {
        int dispatched = 0;
        for (int elapsed = 0; elapsed < durationMs; elapsed += 40) {
            dispatched += Frame(pointer) != GestureSource::None ? 1 : 0;
        }
        return dispatched;
    }

    PointerRig rig;
    int eyeKind = click_kind::kLeft;
    const ScreenPoint here{640, 512};
};

TEST_F(DwellFrames, AHeldGestureShowsItsProgressInTheClockAndHoldsTheClockUntilItEnds) {
    rig.Bind(GestureRow::Dwell, click_kind::kDouble);
    Frame(here);
    Frame(here);
    rig.journal.clear();
    // The hold's picture changes a few times over its length; a moving head keeps it.
    for (int step = 1; step <= 100; ++step) {
        rig.dwell.FollowHoldProgress(step / 100.0);
        EXPECT_EQ(Frame(here, 40, step % 2 == 0 ? 5.0 : 0.0), GestureSource::None);
    }
    const auto stills = std::count(rig.journal.begin(), rig.journal.end(), "still cur3.ani");
    EXPECT_GT(stills, 4);
    EXPECT_LT(stills, 25);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "restore"), 0);
    rig.journal.clear();
    rig.dwell.FollowHoldProgress(0.0);
    Frame(here);
    EXPECT_EQ(rig.journal, (Events{"restore", "install cur3.ani"}));
    EXPECT_EQ(StillFor(here, 3000), 1);
}

TEST_F(DwellFrames, FiresOnceExactlyAfterTheDwellTimeAndNotAgainUntilThePointerMoves) {
    rig.Bind(GestureRow::Dwell, click_kind::kDouble);
    Frame(here);  // the first frame only records the reference position
    rig.journal.clear();

    Frame(here);  // first still frame: the clock starts and shows itself
    EXPECT_EQ(rig.journal, (Events{"install cur3.ani"}));
    EXPECT_TRUE(rig.dwell.clockRunning());

    EXPECT_EQ(Frame(here, 2999), GestureSource::None);
    EXPECT_EQ(Frame(here, 1), GestureSource::Dwell);
    EXPECT_EQ(rig.journal, (Events{"install cur3.ani", "restore", "press Left", "release Left",
                                   "press Left", "release Left", "sound click.wav"}));
    EXPECT_TRUE(rig.dwell.clockFired());

    // Clicking again after a move is the tracking sequences' dwell case.
    EXPECT_EQ(StillFor(here, 20000), 0);
    EXPECT_EQ(rig.clicks.clickCount(), 1);
}

TEST_F(DwellFrames, OnePixelOrFaceMotionBelowTwoKeepsTheClockTwoStopIt) {
    rig.Bind(GestureRow::Dwell, click_kind::kRight);
    Frame(here);
    Frame(here, 40, 1.99);
    ASSERT_TRUE(rig.dwell.clockRunning());
    for (int i = 1; i <= 10; ++i) {
        Frame({here.x + i, here.y - i});
        EXPECT_TRUE(rig.dwell.clockRunning());
    }
    rig.cursors.events.clear();
    Frame({here.x + 12, here.y - 10});
    EXPECT_FALSE(rig.dwell.clockRunning());
    EXPECT_EQ(rig.cursors.events, (Events{"restore"}));
    Frame(here);
    Frame(here);
    ASSERT_TRUE(rig.dwell.clockRunning());
    Frame(here, 40, 2.0);
    EXPECT_FALSE(rig.dwell.clockRunning());
}

TEST_F(DwellFrames, AnEyeTriggerCancelsTheClockAndClicksItsOwnKind) {
    rig.Bind(GestureRow::Dwell, click_kind::kDouble);
    rig.Bind(GestureRow::Eye, click_kind::kRight);
    eyeKind = click_kind::kRight;
    Frame(here);
    Frame(here);
    Frame(here, 1000);
    rig.journal.clear();

    EXPECT_EQ(Frame(here, 40, 0.0, Gesture::EyesClosed), GestureSource::Eye);
    EXPECT_FALSE(rig.dwell.clockRunning());
    EXPECT_EQ(rig.journal, (Events{"restore", "press Right", "release Right", "sound click.wav"}));
}

TEST_F(DwellFrames, PostClickPauseLastsSevenTenthsOfASecondFromItsFirstFrame) {
    rig.Bind(GestureRow::Eye, click_kind::kLeft);
    Frame(here);
    ASSERT_EQ(Frame(here, 40, 0.0, Gesture::EyesClosed), GestureSource::Eye);
    EXPECT_TRUE(rig.dwell.postClickPauseRequested());

    // The closed eyes of the following frames are not tested during the pause.
    EXPECT_EQ(Frame(here, 40, 0.0, Gesture::EyesClosed), GestureSource::None);  // timing starts
    EXPECT_EQ(Frame(here, 699, 0.0, Gesture::EyesClosed), GestureSource::None);
    EXPECT_TRUE(rig.dwell.postClickPauseRequested());
    EXPECT_EQ(Frame(here, 1, 0.0, Gesture::EyesClosed), GestureSource::Eye);
    EXPECT_EQ(rig.clicks.clickCount(), 2);
}

TEST_F(DwellFrames, EveryTriggerGetsItsOwnPauseEvenWithoutMovingInBetween) {
    // Pointer-follows-mouse mode runs no dwell clock, so nothing else would
    // re-arm the pause between two blinks.
    rig.settings.pointerMoveMode = 1;
    for (int blink = 0; blink < 3; ++blink) {
        ASSERT_EQ(Frame(here, 40, 0.0, Gesture::EyesClosed), GestureSource::Eye);
        EXPECT_EQ(Frame(here, 40, 0.0, Gesture::EyesClosed), GestureSource::None);
        EXPECT_EQ(Frame(here, 600, 0.0, Gesture::EyesClosed), GestureSource::None);
        EXPECT_EQ(Frame(here, 99, 0.0, Gesture::EyesClosed), GestureSource::None);
        Frame(here, 1);  // the pause ends, eyes open
    }
    EXPECT_EQ(rig.clicks.clickCount(), 3);
}

TEST_F(DwellFrames, OverTheProgramsWindowsTheClockRepeatsWithoutAMove) {
    rig.Bind(GestureRow::Dwell, click_kind::kRight);
    rig.openWindows.mouseOptions = true;
    Frame(here);
    // 40 ms to start, 3000 to fire, 40 + 700 of pause, 40 to restart, 3000 to fire.
    EXPECT_EQ(StillFor(here, 40 + 3000 + 740 + 40 + 3000), 2);
    // Over the options a trigger always clicks plainly.
    EXPECT_EQ(rig.input.Buttons(),
              (Events{"press Left", "release Left", "press Left", "release Left"}));

    // The restart countdown, the tray menu and the shell dialog do not repeat.
    rig.openWindows = {
        .restartCountdown = true, .notificationMenu = true, .shellCommandDialog = true};
    Frame({here.x + 5, here.y});
    EXPECT_EQ(StillFor({here.x + 5, here.y}, 15000), 1);
}

TEST_F(DwellFrames, DwellTimeOutOfRangeIsTakenAsTheNearestEnd) {
    rig.Bind(GestureRow::Dwell, click_kind::kLeft);
    rig.settings.dwellSeconds = 0;
    Frame(here);
    Frame(here, 960);  // the clock starts at a whole second
    EXPECT_EQ(Frame(here, 1999), GestureSource::None);
    EXPECT_EQ(Frame(here, 1), GestureSource::Dwell);
}

}  // namespace
}  // namespace veltranix
