#include "tracking/tracking_loop.h"

#include <gtest/gtest.h>

#include "core/timing.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::Away;
using testing::LoopHarness;

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

class CalibrationInEveryLayout : public ::testing::TestWithParam<FrameLayout> {};

TEST_P(CalibrationInEveryLayout, WarmUpThenOneSecondSettleThenThreeSecondsSteady) {
    LoopHarness harness(GetParam());
    int settleStart = -1;
    int calibrated = -1;
    while (calibrated < 0 && harness.frameNumber < 150) {
        const FrameReport& report = harness.StepStill();
        EXPECT_EQ(report.processed, harness.frameNumber >= 22) << "21 warm-up frames";
        if (settleStart < 0 && report.facePlaced.value_or(false) && *report.faceMotion <= 8.0) {
            settleStart = harness.frameNumber;
        }
        calibrated = report.calibration ? harness.frameNumber : -1;
    }
    ASSERT_GT(settleStart, 22) << "the first detections average with empty slots";
    // The settle second starts at the first steady, placed frame; the steady
    // count at the first frame more than 1 s later; calibration more than 3 s
    // after that.
    const int steadyStart = FirstFrameMoreThan(harness, settleStart, 1.0f, 200);
    EXPECT_EQ(calibrated, FirstFrameMoreThan(harness, steadyStart, 3.0f, 200));
    const Calibration& calibration = *harness.loop.lastFrame().calibration;
    EXPECT_EQ(harness.settingsActions.savedLevels,
              (std::vector<std::pair<std::int32_t, std::int32_t>>{
                  {calibration.nivellUll, calibration.nivellBoca}}));
    EXPECT_FALSE(harness.windows.loadingBarOpen);
    // The eye line lands on the photographed eyes.
    const EyeLine& eyes = harness.loop.eyeLine();
    EXPECT_NEAR(eyes.leftX, harness.faces.leftEye({}).x, 8.0);
    EXPECT_NEAR(eyes.rightX, harness.faces.rightEye({}).x, 8.0);
    EXPECT_NEAR(eyes.leftY, (harness.faces.leftEye({}).y + harness.faces.rightEye({}).y) / 2, 8.0);

    // StartTracking: pointer centred, start announced; then Track.
    harness.StepStill();
    EXPECT_EQ(harness.desktop.pointer, (ScreenPoint{640, 512}));
    EXPECT_EQ(harness.companion.broadcasts, 1);
    EXPECT_LT(*harness.StepStill().matchCost, 10.0f);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, CalibrationInEveryLayout,
                         ::testing::Values(FrameLayout::Rgb24BottomUp, FrameLayout::I420,
                                           FrameLayout::Yuy2));

TEST(TrackingLoop, FollowsTheHeadAndResetsWhenTheFaceIsGone) {
    LoopHarness harness(FrameLayout::I420);
    ASSERT_NO_FATAL_FAILURE(harness.TrackStill());
    const FrameReport home = harness.StepStill();
    std::uint32_t seed = 500;
    const std::pair<double, double> path[] = {{8.0, 0.0}, {45.0, 18.0}, {-15.0, -45.0}};
    for (const auto& [dx, dy] : path) {
        const FrameReport& report = harness.Step({dx, dy, 1.5, seed++});
        ASSERT_EQ(harness.State(), TrackingState::Track);
        EXPECT_NEAR(*report.trackedX - *home.trackedX, dx, 2.0);
        EXPECT_NEAR(*report.trackedY - *home.trackedY, dy, 2.0);
    }
    EXPECT_GE(*harness.Step(Away(900)).matchCost, 35.0f);
    EXPECT_EQ(harness.State(), TrackingState::Reset);
    harness.Step(Away(901));
    EXPECT_EQ(harness.State(), TrackingState::Restart);
    EXPECT_EQ(harness.settingsActions.webcamApplies, 1);
    EXPECT_EQ(harness.windows.popupCloses, 1);
    // The warm-up runs again after the reset, then Restart lays the windows out.
    for (int frame = 0; frame < 21; ++frame) {
        EXPECT_FALSE(harness.Step(Away(902)).processed) << frame;
    }
    EXPECT_EQ(harness.Step(Away(903)).state, TrackingState::Restart);
    EXPECT_TRUE(harness.windows.startupForm);
    EXPECT_EQ(harness.windows.mainWindow, Visibility::Hidden);
    // The windows show on the first frame at least 500 ms later (13 frames of
    // 40 ms); the frame callback never sleeps for it.
    const long long before = harness.clock.nowMs();
    int waited = 0;
    while (harness.State() == TrackingState::Restart && waited++ < 30) {
        harness.Step(Away(904));
    }
    EXPECT_EQ(waited, 13);
    EXPECT_EQ(harness.clock.nowMs() - before, 13 * 40) << "no sleep on the clock";
    EXPECT_EQ(harness.State(), TrackingState::Detect);
    EXPECT_EQ(harness.windows.mainWindow, Visibility::Shown);
}

// The loop follows the click-type menu every frame, even while warming up
// (the distance rule itself: the menu's own tests).
TEST(TrackingLoop, ClickMenuHidesOnceThePointerGoesFarFromIt) {
    LoopHarness harness;
    ASSERT_TRUE(harness.engine.actions.menu.Open({600, 500}));
    harness.desktop.pointer = {1200, 100};
    harness.StepStill();
    EXPECT_FALSE(harness.engine.actions.menu.visible());
    EXPECT_EQ(harness.engine.menuWindow.hides, 1);
}

// Runs the still face until the 3 s countdown shows progress; returns the
// frame that started it.
int UntilTheCountdownRuns(LoopHarness& harness) {
    while (harness.shared.steadyProgress.load() == 0 && harness.frameNumber < 150) {
        harness.StepStill();
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
            ASSERT_FALSE(harness.StepStill().calibration);
        }
        harness.shared.calibrationHold.store(false);
        EXPECT_TRUE(harness.StepStill().calibration.has_value());
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
        restart = !steady ? -1 : (disturbed && restart < 0 ? harness.frameNumber : restart);
        calibrated = report.calibration ? harness.frameNumber : -1;
    }
    ASSERT_GT(restart, 0);
    EXPECT_EQ(calibrated, FirstFrameMoreThan(harness, restart, 3.0f, 300));
}

// Far faces are looked for a part of the picture at a time: the back-off
// waits until every part has been searched, within a fraction of a second.
TEST(TrackingLoop, NoFaceBacksOffForMoreThanFourSecondsAfterTheRetry) {
    LoopHarness harness;
    for (int frame = 1; frame <= 21; ++frame) {
        harness.Step(Away(1));
    }
    const FrameReport& failed = harness.Step(Away(1));  // frame 22
    ASSERT_TRUE(failed.processed);
    EXPECT_EQ(failed.faceStatus, FaceStatus::NoFace);
    EXPECT_EQ(harness.shared.faceStatus.load(), 100);
    int retry = 22;
    while (harness.Step(Away(1)).processed && harness.frameNumber < 60) {
        retry = harness.frameNumber;
    }
    EXPECT_LT(retry, 22 + 20) << "one more detection right after the search";
    int nextProcessed = -1;
    while (nextProcessed < 0 && harness.frameNumber < 200) {
        nextProcessed = harness.Step(Away(1)).processed ? harness.frameNumber : -1;
    }
    EXPECT_EQ(nextProcessed, FirstFrameMoreThan(harness, retry, 4.0f, 200));
}

// Nobody in view for more than ten seconds: a frame is looked at twice a
// second (the frames between are skipped); a face that comes back is found
// within a second and then every frame is detected again.
TEST(TrackingLoop, NobodyInViewIsLookedForTwiceASecond) {
    LoopHarness harness;
    int lastProcessed = 0;
    while (harness.frameNumber < 21 + 15 * 25) {
        const bool nobodyBefore = harness.loop.nobodyHere();
        if (harness.Step(Away(static_cast<std::uint32_t>(harness.frameNumber))).processed) {
            if (nobodyBefore) {
                ASSERT_EQ(harness.frameNumber - lastProcessed, 13) << harness.frameNumber;
            }
            lastProcessed = harness.frameNumber;
        }
    }
    ASSERT_TRUE(harness.loop.nobodyHere());
    const int back = harness.frameNumber;
    while (harness.StepStill().faceStatus.value_or(FaceStatus::NoFace) == FaceStatus::NoFace &&
           harness.frameNumber <= back + 25) {
    }
    EXPECT_LE(harness.frameNumber - back, 25) << "found within a second";
    EXPECT_FALSE(harness.loop.nobodyHere());
    EXPECT_TRUE(harness.StepStill().processed);
    EXPECT_TRUE(harness.StepStill().processed);
}

TEST(TrackingLoop, AMisplacedFaceOrAMissingDetectorNeverCalibrates) {
    LoopHarness harness;
    for (int frame = 1; frame <= 140; ++frame) {
        const FrameReport& report =
            harness.Step({-175.0, 0.0, 1.5, static_cast<std::uint32_t>(frame)});
        ASSERT_FALSE(report.calibration.has_value());
        ASSERT_TRUE(frame < 40 || report.faceStatus == FaceStatus::TooFarLeft) << frame;
    }
    EXPECT_TRUE(harness.settingsActions.savedLevels.empty());

    LoopHarness missing(FrameLayout::Rgb24BottomUp, "/nonexistent/faceDetector.xml");
    for (int frame = 1; frame <= 30; ++frame) {
        EXPECT_FALSE(missing.StepStill().faceStatus.has_value());
    }
    ASSERT_EQ(missing.userInterface.messages.size(), 1u);
    EXPECT_NE(missing.userInterface.messages[0].text.find("/nonexistent/faceDetector.xml"),
              std::string::npos);
    EXPECT_EQ(missing.userInterface.shutdownRequests, 1);
    EXPECT_TRUE(missing.loop.detectorFailed());
}

// Track or HeadPause set by a window while the loop detects (or right after a
// reset): there is no template to follow.
TEST(TrackingLoop, TrackingStateWithoutATemplateResets) {
    for (const TrackingState state : {TrackingState::Track, TrackingState::HeadPause}) {
        LoopHarness harness;
        harness.StepStill(22);
        harness.shared.state.store(state);
        EXPECT_TRUE(harness.StepStill().processed);
        EXPECT_EQ(harness.State(), TrackingState::Reset) << TrackingStateName(state);
    }
}

TEST(TrackingLoop, FramesOfAnotherLayoutOrSizeAreSkippedAndReportedOnce) {
    LoopHarness harness;
    harness.StepStill(22);
    std::vector<std::uint8_t> yuy2(FrameBufferBytes(FrameLayout::Yuy2));
    std::vector<std::uint8_t> tooFew(1000);
    CaptureFrame otherLayout{yuy2, FrameLayout::Yuy2};
    CaptureFrame tooShort{tooFew, FrameLayout::Rgb24BottomUp};
    for (CaptureFrame* frame : {&otherLayout, &tooShort, &otherLayout}) {
        harness.engine.OnFrame(*frame, harness.table);
        EXPECT_FALSE(harness.loop.lastFrame().processed);
    }
    EXPECT_EQ(harness.userInterface.messages.size(), 1u);
    EXPECT_TRUE(harness.StepStill().processed);
}

TEST(TrackingLoop, TrackingMarksSwitchTheManualEyeGuidesOff) {
    LoopHarness harness;
    harness.StepStill(21);
    harness.windows.manualEyeView = true;
    harness.loop.startWithEyes({272, 217, 359, 217});
    harness.StepStill();  // StartTracking
    EXPECT_TRUE(harness.windows.manualEyeView);
    EXPECT_EQ(harness.StepStill().state, TrackingState::Track);
    EXPECT_FALSE(harness.windows.manualEyeView);
}

TEST(TrackingLoop, ScreenChangeInBothSizesResetsAndTheMouseTakesOver) {
    LoopHarness harness(FrameLayout::I420);
    ASSERT_NO_FATAL_FAILURE(harness.TrackStill());
    // Only the height changes, or a size no screen can have is reported:
    // tracking goes on with the old size.
    for (const ScreenSize reported : {ScreenSize{1280, 800}, ScreenSize{999999999, 999999999}}) {
        harness.desktop.screen = reported;
        harness.StepStill();
        EXPECT_EQ(harness.State(), TrackingState::Track);
        EXPECT_EQ(harness.loop.screenSize(), (ScreenSize{1280, 1024}));
    }
    // The user moves the physical mouse on three (not necessarily
    // consecutive) frames.
    for (int move = 0; move < 3; ++move) {
        harness.desktop.pointer.x += 50;
        harness.desktop.pointer.y += 50;
        harness.StepStill();
        if (move < 2) {
            EXPECT_EQ(harness.State(), TrackingState::Track);
            harness.StepStill();
        }
    }
    EXPECT_EQ(harness.State(), TrackingState::ManualMouse);
    // Moving along one axis only keeps the countdown going; more than 3 s later it ends.
    harness.StepStill();
    const int start = harness.frameNumber;
    int back = -1;
    while (back < 0 && harness.frameNumber < start + 90) {
        harness.desktop.pointer.x += 1;
        harness.StepStill();
        back = harness.State() == TrackingState::Track ? harness.frameNumber : -1;
    }
    EXPECT_EQ(back, FirstFrameMoreThan(harness, start, 3.0f, start + 90));

    harness.desktop.screen = {1920, 1080};
    harness.StepStill();
    EXPECT_EQ(harness.State(), TrackingState::Reset);
    EXPECT_EQ(harness.loop.screenSize(), (ScreenSize{1920, 1080}));
    EXPECT_EQ(harness.loop.pointerRange().bounds, (ScreenRect{0, 0, 1920, 1080}));
}

// The docked window at the bottom-right of a 1280 x 1024 screen whose work
// area ends at 984: it turns into the button menu while the pointer is
// strictly inside it and no popup is open, and docks again outside it.
TEST(Docking, TheMenuFormFollowsThePointerOverTheDockedWindow) {
    struct Case {
        const char* what;
        ScreenPoint pointer;
        bool popupOpen;
        TrackingState state;
        int menuForms;
        int docks;
    };
    const Case cases[] = {
        {"inside", {1200, 900}, false, TrackingState::Detect, 1, 0},
        {"on the left edge", {1120, 900}, false, TrackingState::Detect, 0, 1},
        {"on the top edge", {1200, 862}, false, TrackingState::Detect, 0, 1},
        {"below the work area", {1200, 984}, false, TrackingState::Detect, 0, 1},
        {"inside with a popup open", {1200, 900}, true, TrackingState::Detect, 0, 1},
        {"outside while resetting", {600, 500}, false, TrackingState::Reset, 0, 0},
        {"outside", {600, 500}, false, TrackingState::Detect, 0, 1},
    };
    for (const Case& c : cases) {
        LoopHarness harness;
        harness.windows.startupForm = false;
        harness.windows.mainTopLeft = {1120, 862};
        harness.windows.popupOpen = c.popupOpen;
        harness.shared.state.store(c.state);
        harness.desktop.pointer = c.pointer;
        harness.StepStill();
        EXPECT_EQ(harness.windows.menuForms, c.menuForms) << c.what;
        EXPECT_EQ(harness.windows.docks, c.docks) << c.what;
        if (c.menuForms > 0) {
            EXPECT_EQ(harness.windows.cameraView, Visibility::Hidden) << c.what;
        }
    }
}

// Hidden by its button, the window comes back only when the pointer, having
// left the bottom-right quarter of the screen, enters the band that starts a
// twelfth of the screen width left of the docked window.
TEST(Docking, AHiddenWindowComesBackAfterThePointerLeftTheCorner) {
    LoopHarness harness;
    harness.windows.startupForm = false;
    harness.windows.mainTopLeft = {1120, 862};
    harness.windows.hiddenByUser = true;
    const ScreenPoint band{1120 - 1280 / 12 + 1, 900};
    harness.desktop.pointer = band;
    harness.StepStill();
    EXPECT_TRUE(harness.windows.hiddenByUser) << "the pointer never left the corner";
    harness.desktop.pointer = {600, 600};  // left of the middle
    harness.StepStill();
    harness.desktop.pointer = {1120 - 1280 / 12, 900};
    harness.StepStill();
    EXPECT_TRUE(harness.windows.hiddenByUser) << "on the band's left edge";
    harness.desktop.pointer = band;
    harness.StepStill();
    EXPECT_FALSE(harness.windows.hiddenByUser);
    EXPECT_EQ(harness.windows.docks, 1);
}

}  // namespace
}  // namespace veltranix
