#include "tracking/tracking_loop.h"

#include <gtest/gtest.h>

#include "core/timing.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::FaceScene;
using testing::LoopHarness;

FaceScene Still(int frame) {
    return {0.0, 0.0, 1.5, static_cast<std::uint32_t>(frame)};
}

// The first frame after `startFrame` (1-based) whose clock reading is more
// than `seconds` after that frame's.
int FirstFrameMoreThan(const LoopHarness& harness, int startFrame, float seconds, int limit) {
    for (int frame = startFrame + 1; frame <= limit; ++frame) {
        if (ElapsedMoreThan(harness.frameTimes[static_cast<std::size_t>(startFrame - 1)],
                            harness.frameTimes[static_cast<std::size_t>(frame - 1)], seconds)) {
            return frame;
        }
    }
    return -1;
}

// Runs a still face until the loop tracks; returns the frame that calibrated.
int CalibrateStill(LoopHarness& harness, int limit = 150) {
    while (harness.frameNumber < limit) {
        const FrameReport& report = harness.Step(Still(harness.frameNumber + 1));
        if (report.calibration) {
            return harness.frameNumber;
        }
    }
    return -1;
}

class CalibrationInEveryLayout : public ::testing::TestWithParam<FrameLayout> {};

TEST_P(CalibrationInEveryLayout, WarmUpThenOneSecondSettleThenThreeSecondsSteady) {
    LoopHarness harness(GetParam());
    int settleStart = -1;
    int calibrated = -1;
    for (int frame = 1; frame <= 150 && calibrated < 0; ++frame) {
        const FrameReport& report = harness.Step(Still(frame));
        EXPECT_EQ(report.processed, frame >= 22) << "21 warm-up frames, frame " << frame;
        if (settleStart < 0 && report.facePlaced.value_or(false) && *report.faceMotion <= 8.0) {
            settleStart = frame;
        }
        if (report.calibration) {
            calibrated = frame;
        }
    }
    ASSERT_GT(settleStart, 22) << "the first detections average with empty slots";
    // The settle second starts at the first steady, placed frame; the steady
    // count at the first frame more than 1 s later; calibration more than 3 s
    // after that.
    const int steadyStart = FirstFrameMoreThan(harness, settleStart, 1.0f, 200);
    EXPECT_GE(steadyStart, settleStart + 25);
    EXPECT_LE(steadyStart, settleStart + 26);
    EXPECT_EQ(calibrated, FirstFrameMoreThan(harness, steadyStart, 3.0f, 200));
    EXPECT_GE(calibrated, steadyStart + 75);
    EXPECT_LE(calibrated, steadyStart + 76);
    EXPECT_EQ(harness.State(), TrackingState::StartTracking);

    // The eye line lands on the photographed eyes.
    const FaceScene scene = Still(0);
    const EyeLine& eyes = harness.loop.eyeLine();
    EXPECT_NEAR(eyes.leftX, harness.faces.leftEye(scene).x, 8.0);
    EXPECT_NEAR(eyes.rightX, harness.faces.rightEye(scene).x, 8.0);
    EXPECT_NEAR(eyes.leftY, (harness.faces.leftEye(scene).y + harness.faces.rightEye(scene).y) / 2,
                8.0);
    ASSERT_EQ(harness.settingsActions.savedLevels.size(), 1u);
    const int distance = harness.loop.interocularDistance();
    EXPECT_EQ(harness.settingsActions.savedLevels[0].first,
              std::max(31, static_cast<int>(distance * 0.66 - 17)));
    EXPECT_FALSE(harness.windows.loadingBarOpen);

    // StartTracking: pointer centred, start announced; then Track.
    harness.Step(Still(harness.frameNumber + 1));
    EXPECT_EQ(harness.desktop.pointer, (ScreenPoint{640, 512}));
    EXPECT_EQ(harness.companion.broadcasts, 1);
    EXPECT_EQ(harness.State(), TrackingState::Track);
    const FrameReport& tracked = harness.Step(Still(harness.frameNumber + 1));
    ASSERT_TRUE(tracked.matchCost.has_value());
    EXPECT_LT(*tracked.matchCost, 10.0f);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, CalibrationInEveryLayout,
                         ::testing::Values(FrameLayout::Rgb24BottomUp, FrameLayout::I420,
                                           FrameLayout::Yuy2));

TEST(TrackingLoop, FollowsTheHeadAndResetsWhenTheFaceIsGone) {
    LoopHarness harness(FrameLayout::I420);
    ASSERT_GT(CalibrateStill(harness), 0);
    harness.Step(Still(harness.frameNumber + 1));  // StartTracking
    const FrameReport home = harness.Step(Still(harness.frameNumber + 1));
    ASSERT_TRUE(home.trackedX.has_value());
    std::uint32_t seed = 500;
    for (const auto& [dx, dy] : {std::pair{8.0, 0.0},
                                 {25.0, 6.0},
                                 {45.0, 18.0},
                                 {60.0, 30.0},
                                 {30.0, -20.0},
                                 {-15.0, -45.0},
                                 {-60.0, -10.0}}) {
        const FrameReport& report = harness.Step({dx, dy, 1.5, seed++});
        ASSERT_EQ(report.state, TrackingState::Track);
        EXPECT_NEAR(*report.trackedX - *home.trackedX, dx, 2.0);
        EXPECT_NEAR(*report.trackedY - *home.trackedY, dy, 2.0);
        EXPECT_EQ(harness.State(), TrackingState::Track);
    }
    FaceScene away = Still(900);
    away.faceVisible = false;
    const FrameReport lost = harness.Step(away);
    EXPECT_GE(*lost.matchCost, 35.0f);
    EXPECT_EQ(harness.State(), TrackingState::Reset);
    harness.Step(away);
    EXPECT_EQ(harness.State(), TrackingState::Restart);
    EXPECT_EQ(harness.settingsActions.webcamApplies, 1);
    EXPECT_EQ(harness.windows.popupCloses, 1);
    // The warm-up runs again after the reset, then Restart lays the windows out.
    for (int frame = 0; frame < 21; ++frame) {
        EXPECT_FALSE(harness.Step(away).processed) << frame;
    }
    EXPECT_EQ(harness.State(), TrackingState::Restart);
    EXPECT_EQ(harness.Step(away).state, TrackingState::Restart);
    EXPECT_TRUE(harness.windows.startupForm);
    EXPECT_EQ(harness.windows.mainWindow, Visibility::Hidden);
    // The windows show on the first frame at least 500 ms later (13 frames of
    // 40 ms); the frame callback never sleeps for it.
    const std::int64_t sleptBefore = harness.clock.nowMs();
    int waited = 0;
    while (harness.State() == TrackingState::Restart && waited < 30) {
        harness.Step(away);
        ++waited;
    }
    EXPECT_EQ(waited, 13);
    EXPECT_EQ(harness.clock.nowMs() - sleptBefore, 13 * 40) << "no sleep on the clock";
    EXPECT_EQ(harness.State(), TrackingState::Detect);
    EXPECT_EQ(harness.windows.mainWindow, Visibility::Shown);
}

// The loop follows the click-type menu every frame, even while warming up:
// a pointer more than one and a half menu widths from it hides it.
TEST(TrackingLoop, ClickMenuHidesOnceThePointerGoesFarFromIt) {
    LoopHarness harness;
    ClickTypeMenu& menu = harness.engine.actions.menu;
    harness.desktop.pointer = {600, 500};
    ASSERT_TRUE(menu.Open(harness.desktop.pointer));
    const ScreenRect shown = menu.windowRect();
    harness.desktop.pointer = {shown.left + 210, shown.top - 301};  // exactly 1.5 x 140 across
    harness.Step(Still(1));
    EXPECT_TRUE(menu.visible()) << "1.5 x the width across is still near";
    harness.desktop.pointer = {shown.left + 211, shown.top};
    harness.Step(Still(2));
    EXPECT_FALSE(menu.visible());
    EXPECT_EQ(harness.engine.menuWindow.hides, 1);
}

// Runs the still face until the 3 s countdown shows progress; returns the
// frame that started it.
int UntilTheCountdownRuns(LoopHarness& harness) {
    while (harness.shared.steadyProgress.load() == 0 && harness.frameNumber < 150) {
        harness.Step(Still(harness.frameNumber + 1));
    }
    return harness.frameNumber - 1;
}

// calibrationHold keeps the countdown from completing; a disturbance during it
// restarts only the 3 s countdown, not the settling second.
TEST(TrackingLoop, TheHoldStopsTheCountdownAndADisturbanceRestartsOnlyIt) {
    {
        LoopHarness harness;
        const int start = UntilTheCountdownRuns(harness);
        harness.shared.calibrationHold.store(true);
        const SystemTime started = harness.frameTimes[static_cast<std::size_t>(start - 1)];
        while (!ElapsedMoreThan(started, harness.clock.utcNow(), 3.5f)) {
            ASSERT_FALSE(harness.Step(Still(harness.frameNumber + 1)).calibration);
        }
        harness.shared.calibrationHold.store(false);
        EXPECT_TRUE(harness.Step(Still(harness.frameNumber + 1)).calibration.has_value());
    }
    LoopHarness harness;
    UntilTheCountdownRuns(harness);
    // The head jumps 30 pixels sideways; the averaged face follows over a few
    // frames, then is steady again.
    bool disturbed = false;
    int restart = -1;
    int calibrated = -1;
    while (calibrated < 0 && harness.frameNumber < 300) {
        const FrameReport& report =
            harness.Step({30.0, 0.0, 1.5, static_cast<std::uint32_t>(harness.frameNumber + 1)});
        const bool steady = *report.facePlaced && *report.faceMotion <= 8.0;
        disturbed = disturbed || !steady;
        if (!steady) {
            restart = -1;
        } else if (disturbed && restart < 0) {
            restart = harness.frameNumber;
        }
        if (report.calibration) {
            calibrated = harness.frameNumber;
        }
    }
    ASSERT_GT(restart, 0);
    EXPECT_EQ(calibrated, FirstFrameMoreThan(harness, restart, 3.0f, 300));
}

TEST(TrackingLoop, NoFaceBacksOffForMoreThanFourSecondsAfterTheRetry) {
    LoopHarness harness;
    FaceScene away = Still(1);
    away.faceVisible = false;
    for (int frame = 1; frame <= 21; ++frame) {
        harness.Step(away);
    }
    const FrameReport& failed = harness.Step(away);  // frame 22
    ASSERT_TRUE(failed.processed);
    EXPECT_EQ(failed.faceStatus, FaceStatus::NoFace);
    EXPECT_EQ(harness.shared.faceStatus.load(), 100);
    EXPECT_TRUE(harness.Step(away).processed) << "one more detection right after";
    const int retryFrame = 23;
    int nextProcessed = -1;
    for (int frame = 24; frame <= 140 && nextProcessed < 0; ++frame) {
        if (harness.Step(away).processed) {
            nextProcessed = frame;
        }
    }
    EXPECT_EQ(nextProcessed, FirstFrameMoreThan(harness, retryFrame, 4.0f, 140));
    EXPECT_GE(nextProcessed, retryFrame + 100);
}

TEST(TrackingLoop, MisplacedFaceGetsItsHintAndNeverCalibrates) {
    LoopHarness harness;
    for (int frame = 1; frame <= 140; ++frame) {
        const FrameReport& report =
            harness.Step({-175.0, 0.0, 1.5, static_cast<std::uint32_t>(frame)});
        ASSERT_FALSE(report.calibration.has_value());
        if (frame >= 40) {
            ASSERT_EQ(report.faceStatus, FaceStatus::TooFarLeft) << frame;
        }
    }
    EXPECT_EQ(harness.State(), TrackingState::Detect);
    EXPECT_TRUE(harness.settingsActions.savedLevels.empty());
}

TEST(TrackingLoop, MissingCascadeIsReportedOnceAndNothingIsDetected) {
    LoopHarness harness(FrameLayout::Rgb24BottomUp, "/nonexistent/faceDetector.xml");
    for (int frame = 1; frame <= 30; ++frame) {
        EXPECT_FALSE(harness.Step(Still(frame)).faceStatus.has_value());
    }
    ASSERT_EQ(harness.userInterface.messages.size(), 1u);
    EXPECT_NE(harness.userInterface.messages[0].find("/nonexistent/faceDetector.xml"),
              std::string::npos);
    EXPECT_EQ(harness.userInterface.shutdownRequests, 1);
    EXPECT_TRUE(harness.loop.detectorFailed());
}

// Track or HeadPause set by a window while the loop detects (or right after a
// reset): there is no template to follow.
TEST(TrackingLoop, TrackingStateWithoutATemplateResets) {
    for (const TrackingState state : {TrackingState::Track, TrackingState::HeadPause}) {
        LoopHarness harness;
        for (int frame = 1; frame <= 22; ++frame) {
            harness.Step(Still(frame));
        }
        harness.shared.state.store(state);
        EXPECT_TRUE(harness.Step(Still(23)).processed);
        EXPECT_EQ(harness.State(), TrackingState::Reset) << TrackingStateName(state);
    }
}

TEST(TrackingLoop, FramesOfAnotherLayoutOrSizeAreSkippedAndReportedOnce) {
    LoopHarness harness;
    for (int frame = 1; frame <= 22; ++frame) {
        harness.Step(Still(frame));
    }
    std::vector<std::uint8_t> yuy2(FrameBufferBytes(FrameLayout::Yuy2));
    std::vector<std::uint8_t> short_(1000);
    CaptureFrame otherLayout{yuy2, FrameLayout::Yuy2};
    CaptureFrame tooShort{short_, FrameLayout::Rgb24BottomUp};
    for (CaptureFrame* frame : {&otherLayout, &tooShort, &otherLayout}) {
        harness.engine.OnFrame(*frame, harness.table);
        EXPECT_FALSE(harness.loop.lastFrame().processed);
    }
    EXPECT_EQ(harness.userInterface.messages.size(), 1u);
    EXPECT_EQ(harness.State(), TrackingState::Detect);
    EXPECT_TRUE(harness.Step(Still(23)).processed);
}

TEST(TrackingLoop, TrackingMarksSwitchTheManualEyeGuidesOff) {
    LoopHarness harness;
    for (int frame = 1; frame <= 21; ++frame) {
        harness.Step(Still(frame));
    }
    harness.windows.manualEyeView = true;
    harness.loop.startWithEyes({272, 217, 359, 217});
    harness.Step(Still(22));  // StartTracking
    EXPECT_TRUE(harness.windows.manualEyeView);
    harness.Step(Still(23));
    EXPECT_EQ(harness.loop.lastFrame().state, TrackingState::Track);
    EXPECT_FALSE(harness.windows.manualEyeView);
}

// The main window's timers as the replay tool runs them: timer 11 (2 s) ends
// the head-pause cooldown at its second tick, timer 10 (1 s) counts 10 down
// to 0 and resets at its eleventh tick.
TEST(HeadlessWindowTimers, CooldownAtTheSecondTickAndTheCountdownAtTheEleventh) {
    ManualClock clock(SystemTime{10, 0, 0, 0});
    HeadlessTrackingWindows windows(clock);
    windows.startHeadPauseCooldownTimer();
    windows.startRestartCountdown();
    clock.advanceMs(3999);
    EXPECT_FALSE(windows.runTimers().headPauseCooldownEnded);
    EXPECT_EQ(windows.countdownValue(), 7);
    clock.advanceMs(1);
    EXPECT_TRUE(windows.runTimers().headPauseCooldownEnded);
    EXPECT_FALSE(windows.runTimers().headPauseCooldownEnded) << "the timer stops itself";
    clock.advanceMs(6999);
    EXPECT_EQ(windows.countdownValue(), 0);
    EXPECT_FALSE(windows.runTimers().restartCountdownEnded);
    EXPECT_TRUE(windows.restartCountdownShown());
    clock.advanceMs(1);
    EXPECT_TRUE(windows.runTimers().restartCountdownEnded);
    EXPECT_FALSE(windows.restartCountdownShown());
    EXPECT_FALSE(windows.countdownValue().has_value());
}

TEST(TrackingLoop, ScreenChangeInBothSizesResetsAndTheMouseTakesOver) {
    LoopHarness harness(FrameLayout::I420);
    ASSERT_GT(CalibrateStill(harness), 0);
    harness.Step(Still(harness.frameNumber + 1));
    harness.Step(Still(harness.frameNumber + 1));
    ASSERT_EQ(harness.State(), TrackingState::Track);

    // Only the height changes, or a size no screen can have is reported:
    // tracking goes on with the old size.
    for (const ScreenSize reported : {ScreenSize{1280, 800}, ScreenSize{999999999, 999999999}}) {
        harness.desktop.screen = reported;
        harness.Step(Still(harness.frameNumber + 1));
        EXPECT_EQ(harness.State(), TrackingState::Track);
        EXPECT_EQ(harness.loop.screenSize(), (ScreenSize{1280, 1024}));
    }

    // The user moves the physical mouse on three (not necessarily
    // consecutive) frames.
    for (int move = 0; move < 3; ++move) {
        harness.desktop.pointer.x += 50;
        harness.desktop.pointer.y += 50;
        harness.Step(Still(harness.frameNumber + 1));
        if (move < 2) {
            EXPECT_EQ(harness.State(), TrackingState::Track);
            harness.Step(Still(harness.frameNumber + 1));
        }
    }
    EXPECT_EQ(harness.State(), TrackingState::ManualMouse);
    // Moving along one axis only keeps the countdown going; more than 3 s later it ends.
    const int start = harness.frameNumber + 1;
    harness.Step(Still(start));
    int back = -1;
    for (int frame = start + 1; frame <= start + 90 && back < 0; ++frame) {
        harness.desktop.pointer.x += 1;
        harness.Step(Still(frame));
        if (harness.State() == TrackingState::Track) {
            back = frame;
        }
    }
    EXPECT_EQ(back, FirstFrameMoreThan(harness, start, 3.0f, start + 90));

    harness.desktop.screen = {1920, 1080};
    harness.Step(Still(harness.frameNumber + 1));
    EXPECT_EQ(harness.State(), TrackingState::Reset);
    EXPECT_EQ(harness.loop.screenSize(), (ScreenSize{1920, 1080}));
    EXPECT_EQ(harness.loop.pointerRange().bounds, (ScreenRect{0, 0, 1920, 1080}));
}

}  // namespace
}  // namespace veltranix
