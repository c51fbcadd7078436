// The whole path from camera frames to clicks on generated sequences of the
// photographed face: blinks, a wink, talking, a mouth opening, a still head
// for the dwell clock, a head shake and a drifting face.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "core/timing.h"
#include "pointer/click_codes.h"
#include "tests/support/temporary_folder.h"
#include "tests/tracking/loop_harness.h"

namespace veltranix {
namespace {

using testing::FaceScene;
using testing::LoopHarness;

// One real calibration on the still face, shared by the cases: the eye line
// and the gesture levels it found.
struct CalibratedFace {
    EyeLine eyes;
    std::int32_t nivellUll = 0;
    std::int32_t nivellBoca = 0;
};

const CalibratedFace& Calibrated() {
    static const CalibratedFace face = [] {
        LoopHarness harness;
        for (int frame = 1; frame <= 150; ++frame) {
            const FrameReport& report = harness.Step({0.0, 0.0, 1.5, std::uint32_t(frame)});
            if (report.calibration) {
                return CalibratedFace{report.calibration->eyes, report.calibration->nivellUll,
                                      report.calibration->nivellBoca};
            }
        }
        ADD_FAILURE() << "the still face was never calibrated";
        return CalibratedFace{};
    }();
    return face;
}

// A loop tracking the calibrated face, with the trigger bound to a click kind.
class TrackedFace {
  public:
    TrackedFace() : harness_(std::make_unique<LoopHarness>()) {
        const CalibratedFace& face = Calibrated();
        Settings& settings = harness_->settings;
        settings.nivellUll = face.nivellUll;
        settings.nivellBoca = face.nivellBoca;
        settings.eyeThreshold = face.nivellUll + settings.OffSetRefUll;
        settings.mouthThreshold = face.nivellBoca + settings.OffSetRefBoca;
        // The gesture fires on the frame its movement is seen, unless a case holds it.
        settings.gestureHoldMs = 0;
        // The warm-up frames are skipped unread: one picture serves them all.
        static const cv::Mat still = LoopHarness::Faces().renderBgr(FaceScene{});
        for (int frame = 0; frame < 21; ++frame) {
            harness_->StepFrame(still);
        }
        harness_->loop.startWithEyes(face.eyes);
        harness_->StepFrame(still);
        EXPECT_EQ(harness_->State(), TrackingState::Track);
    }

    LoopHarness& harness() { return *harness_; }

    void Bind(GestureRow row, int clickKind) {
        harness_->settings.gestureClickMatrix[static_cast<std::size_t>(row)][clickKind] = 1;
    }

    // Steps the scenes; returns the click requests issued, and notes the
    // largest activities seen.
    std::vector<int> Play(const std::vector<FaceScene>& scenes) {
        std::vector<int> requests;
        for (const FaceScene& scene : scenes) {
            const FrameReport& report = harness_->Step(scene);
            maxFirstEye = std::max(maxFirstEye, report.eyeActivity1.value_or(0.0));
            maxSecondEye = std::max(maxSecondEye, report.eyeActivity2.value_or(0.0));
            maxMouth = std::max(maxMouth, report.mouthActivity.value_or(0.0));
            if (report.clickRequest) {
                requests.push_back(*report.clickRequest);
            }
        }
        return requests;
    }

    std::vector<int> PlayStill(int frames, std::uint32_t firstSeed) {
        std::vector<FaceScene> scenes;
        for (int frame = 0; frame < frames; ++frame) {
            scenes.push_back({0.0, 0.0, 1.5, firstSeed + std::uint32_t(frame)});
        }
        return Play(scenes);
    }

    std::string Activities() const {
        return "largest activities " + std::to_string(maxFirstEye) + " " +
               std::to_string(maxSecondEye) + " " + std::to_string(maxMouth);
    }

    double maxFirstEye = 0.0;
    double maxSecondEye = 0.0;
    double maxMouth = 0.0;

  private:
    std::unique_ptr<LoopHarness> harness_;
};

// A wink and a blink while talking click nothing, though the closing eye or
// the mouth moves past the eye level as in a blink.
TEST(GestureSequences, ABlinkOrAMouthOpeningClicksTheBoundKindOnceAWinkOrTalkingNever) {
    const struct {
        GestureRow row;
        int kind;
        std::vector<FaceScene> scenes;
        std::optional<int> request;
        std::size_t buttonEvents;
    } cases[] = {
        {GestureRow::Eye, click_kind::kLeft, testing::BlinkScenes(2, 200), click_request::kLeft, 2},
        {GestureRow::Eye, click_kind::kLeft, testing::BlinkScenes(4, 200), click_request::kLeft, 2},
        {GestureRow::Mouth, click_kind::kDouble, testing::MouthOpeningScenes(200),
         click_request::kDouble, 4},
        {GestureRow::Eye, click_kind::kLeft, testing::WinkScenes(3, 200), std::nullopt, 0},
        {GestureRow::Eye, click_kind::kLeft, testing::BlinkWhileTalkingScenes(200), std::nullopt,
         0},
    };
    for (const auto& c : cases) {
        TrackedFace face;
        face.Bind(c.row, c.kind);
        face.PlayStill(3, 100);
        EXPECT_EQ(face.Play(c.scenes), c.request ? std::vector{*c.request} : std::vector<int>{})
            << face.Activities();
        EXPECT_TRUE(face.PlayStill(20, 300).empty());
        EXPECT_EQ(face.harness().input.Buttons().size(), c.buttonEvents);
        EXPECT_GT(std::max(face.maxSecondEye, face.maxMouth), face.harness().settings.eyeThreshold);
    }
}

// Held gestures: the eyes stay closed or the mouth open for the hold before
// the click, once per hold; a blink or talking never gets there. Meanwhile
// the pointer stays where it was when the gesture began, even with the head
// drifting, and with no hold too.
TEST(GestureSequences, HeldGesturesClickOncePastTheHoldWithThePointerStill) {
    const auto hold = [](FaceScene closed, int frames, double driftPx) {
        std::vector<FaceScene> scenes = testing::BlinkScenes(3, 200);
        for (int frame = 0; frame < frames; ++frame) {
            closed.noiseSeed = 300 + std::uint32_t(frame);
            closed.offsetX = driftPx * frame;
            scenes.insert(scenes.begin() + 3 + frame, closed);
        }
        return scenes;
    };
    FaceScene shut;
    shut.firstLidDown = shut.secondLidDown = 18;
    FaceScene open;
    open.mouthOpening = 16;
    std::vector<FaceScene> talking;
    std::vector<FaceScene> narrowed;  // eyes half shut: past half the level, never closed
    for (int frame = 0; frame < 75; ++frame) {
        talking.push_back({0.0, 0.0, 1.5, 400 + std::uint32_t(frame)});
        talking.back().mouthOpening = std::array{4, 8, 12, 8, 4, 0}[frame % 6];
        narrowed.push_back({0.3 * frame, 0.0, 1.5, 400 + std::uint32_t(frame)});
        narrowed.back().firstLidDown = narrowed.back().secondLidDown = 10;
    }
    talking.resize(36);
    // Tracking starts on an open mouth; then a closed mouth, opened briefly
    // each second (never changed for long at a stretch), then held open.
    std::vector<FaceScene> mended;
    for (int frame = 0; frame < 120; ++frame) {
        mended.push_back({0.0, 0.0, 1.5, 500 + std::uint32_t(frame)});
        mended.back().mouthOpening = frame % 25 < 4 || frame >= 100 ? 16 : 0;
    }
    const struct {
        const char* what;
        GestureRow row;
        std::int32_t holdMs;
        std::vector<FaceScene> scenes;
        std::size_t clicks;
        int mouthOpeningAtStart;
    } cases[] = {
        {"a blink of 4 frames, held", GestureRow::Eye, 500, testing::BlinkScenes(4, 200), 0, 0},
        {"a blink of 4 frames, no hold", GestureRow::Eye, 0, testing::BlinkScenes(4, 200), 1, 0},
        {"eyes closed for 0.8 s", GestureRow::Eye, 500, hold(shut, 20, 0.0), 1, 0},
        {"eyes closed for 2 s", GestureRow::Eye, 500, hold(shut, 50, 0.0), 1, 0},
        {"eyes closed, the head drifting", GestureRow::Eye, 500, hold(shut, 20, 0.3), 1, 0},
        {"talking", GestureRow::Mouth, 500, talking, 0, 0},
        {"the mouth open for 0.8 s", GestureRow::Mouth, 500, hold(open, 20, 0.0), 1, 0},
        {"eyes half shut for 3 s, the head drifting", GestureRow::Eye, 500, narrowed, 0, 0},
        {"the mouth open after a start on an open mouth", GestureRow::Mouth, 500, mended, 1, 16},
    };
    for (const auto& c : cases) {
        TrackedFace face;
        LoopHarness& harness = face.harness();
        harness.settings.gestureHoldMs = c.holdMs;
        harness.settings.pointerMoveMode = 3;
        face.Bind(c.row, click_kind::kLeft);
        std::vector<FaceScene> start(3);
        for (std::uint32_t frame = 0; frame < 3; ++frame) {
            start[frame].noiseSeed = 100 + frame;
            start[frame].mouthOpening = c.mouthOpeningAtStart;
        }
        face.Play(start);
        std::optional<ScreenPoint> held;
        std::size_t clicks = 0;
        bool built = false;
        int stillFrames = 0;
        for (const FaceScene& scene : c.scenes) {
            const FrameReport& report = harness.Step(scene);
            if (report.gestureBuilding && held) {
                EXPECT_EQ(harness.desktop.pointer, *held) << c.what;
            }
            held = report.gestureBuilding ? std::optional(harness.desktop.pointer) : std::nullopt;
            built = built || report.gestureBuilding;
            stillFrames = report.gestureBuilding ? stillFrames + 1 : 0;
            EXPECT_LE(stillFrames * harness.frameMs, c.holdMs + 1540) << c.what << ": held on";
            clicks += report.clickRequest ? 1 : 0;
        }
        EXPECT_EQ(clicks, c.clicks) << c.what << "; " << face.Activities();
        EXPECT_TRUE(built || c.clicks == 0) << c.what;
    }
}

TEST(GestureSequences, AStillHeadDwellsIntoOneRightClickUntilThePointerMoves) {
    TrackedFace face;
    face.Bind(GestureRow::Dwell, click_kind::kRight);
    LoopHarness& harness = face.harness();
    // The statistics log gets one line per tracking frame.
    testing::TemporaryFolder logFolder;
    testing::FixedCalendar calendar;
    testing::FixedSystem system;
    StatsLog log({harness.clock, calendar, system}, "si", logFolder.path());
    log.WriteHeader(FrameLayout::Rgb24BottomUp);
    harness.engine.stages.setStatsLog(&log);
    const int firstLogged = harness.frameNumber + 1;
    // The first tracked frame is the reference; the clock starts on the next.
    const std::vector<int> first = face.PlayStill(2, 100);
    ASSERT_TRUE(first.empty());
    EXPECT_TRUE(harness.engine.actions.dwellClock.clockRunning());
    const SystemTime clockStart = harness.frameTimes.back();
    EXPECT_EQ(harness.cursors.installedFiles.size(), 1u)
        << "the clock cursor shows the dwell time running";

    std::optional<int> clickFrame;
    for (int frame = 0; frame < 110 && !clickFrame; ++frame) {
        if (!face.PlayStill(1, 200 + std::uint32_t(frame)).empty()) {
            clickFrame = harness.frameNumber;
        }
    }
    ASSERT_TRUE(clickFrame.has_value()) << "no dwell click";
    EXPECT_TRUE(ElapsedAtLeast(clockStart, harness.frameTimes.back(), 3.0f));
    EXPECT_FALSE(ElapsedAtLeast(clockStart, harness.frameTimes.end()[-2], 3.0f));
    ASSERT_EQ(harness.input.Buttons().size(), 2u);
    EXPECT_EQ(harness.input.Buttons()[0], "press Right");
    // Temps Dist_Ulls nUll nBoca Ull_sum Boca_sum X Y Tclic: the click frame's
    // Tclic is 2 (dwell), every other frame's -1.
    std::istringstream lines(testing::ReadFile(*log.file()));
    std::vector<std::string> data;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
            data.push_back(line);
        }
    }
    ASSERT_EQ(data.size(), static_cast<std::size_t>(*clickFrame - firstLogged + 1));
    const std::string distance = " " + std::to_string(harness.loop.interocularDistance()) + " ";
    for (std::size_t line = 0; line < data.size(); ++line) {
        EXPECT_NE(data[line].find(distance), std::string::npos) << data[line];
        EXPECT_TRUE(data[line].ends_with(line + 1 == data.size() ? " 2" : " -1")) << data[line];
    }
    harness.engine.stages.setStatsLog(nullptr);
    // A head movement moves the pointer; still again, the clock counts anew.
    face.Play({{14.0, 0.0, 1.5, 600}, {14.0, 0.0, 1.5, 601}, {0.0, 0.0, 1.5, 602}});
    EXPECT_EQ(face.PlayStill(100, 700), std::vector<int>{click_request::kRight});
}

TEST(GestureSequences, ATimedPressHoldsTheButtonWhileNoFrameIsProcessed) {
    TrackedFace face;
    LoopHarness& harness = face.harness();
    face.PlayStill(2, 100);
    harness.engine.actions.clicks.ExecuteClick(click_request::kTimedPress);
    EXPECT_EQ(harness.settings.pointerMoveMode, 0);
    const cv::Mat still = LoopHarness::Faces().renderBgr(FaceScene{});
    int heldFrames = 0;
    while (harness.engine.actions.clicks.timedPressHeld() && heldFrames < 200) {
        EXPECT_FALSE(harness.StepFrame(still).processed);
        ++heldFrames;
    }
    // 3 s at 40 ms a frame; the frame that releases is not processed either.
    EXPECT_EQ(heldFrames, 76);
    EXPECT_EQ(harness.settings.pointerMoveMode, 2);
    ASSERT_EQ(harness.input.Buttons().size(), 2u);
    EXPECT_TRUE(harness.input.Buttons()[1].starts_with("release"));
    EXPECT_TRUE(harness.StepFrame(still).processed);
    EXPECT_EQ(harness.State(), TrackingState::Track);
}

// A head shake pauses; the cooldown timer's second tick (4 s later) lets a
// second shake resume, to Track or, with trasPausa, to a fresh detection. A
// face lost while paused resets.
TEST(GestureSequences, AHeadShakePausesTrackingAndASecondShakeResumesIt) {
    struct Case {
        bool trasPausa;
        bool faceLeaves;
        TrackingState after;
    };
    for (const Case& c :
         {Case{false, false, TrackingState::Track}, Case{true, false, TrackingState::Reset},
          Case{false, true, TrackingState::Reset}}) {
        TrackedFace face;
        LoopHarness& harness = face.harness();
        harness.settings.autoPause = 1;
        harness.settings.trasPausa = c.trasPausa;
        face.PlayStill(3, 100);
        face.Play(testing::HeadShakeScenes(9.0, 2, 12, 200));
        ASSERT_EQ(harness.State(), TrackingState::HeadPause);
        EXPECT_TRUE(harness.shared.headPaused.load());
        EXPECT_EQ(harness.windows.cooldownTimers, 1);
        const ScreenPoint frozen = harness.desktop.pointer;
        // The head moves while paused: the pointer stays.
        face.Play({{20.0, 0.0, 1.5, 300}, {20.0, 0.0, 1.5, 301}});
        EXPECT_EQ(harness.desktop.pointer, frozen);
        if (c.faceLeaves) {
            face.Play({testing::Away(302)});
            EXPECT_EQ(harness.State(), TrackingState::Reset);
            continue;
        }
        // Until the cooldown timer's second tick no shake is looked for.
        face.Play(testing::HeadShakeScenes(9.0, 2, 12, 400));
        EXPECT_EQ(harness.State(), TrackingState::HeadPause);
        EXPECT_TRUE(harness.loop.headPauseCooldown());
        harness.frameMs = 500;
        face.PlayStill(6, 450);
        harness.frameMs = 40;
        EXPECT_FALSE(harness.loop.headPauseCooldown());
        EXPECT_EQ(harness.loop.lastPointer(), (ScreenPoint{640, 512}))
            << "a paused frame records the pointer at the screen centre";
        for (const FaceScene& scene : testing::HeadShakeScenes(9.0, 2, 12, 500)) {
            if (harness.State() != TrackingState::HeadPause) {
                break;
            }
            face.Play({scene});
        }
        EXPECT_EQ(harness.State(), c.after) << c.trasPausa;
        EXPECT_FALSE(harness.shared.headPaused.load());
        EXPECT_EQ(harness.windows.cooldownTimers, 2);
    }
}

// The mouse options' live test: with nothing bound to a gesture, its switch
// alone has it measured against its level, and it never clicks.
TEST(GestureSequences, ATestSwitchMeasuresAnUnboundGestureWithoutClicking) {
    for (const GestureRow row : {GestureRow::Eye, GestureRow::Mouth}) {
        for (const bool on : {false, true}) {
            TrackedFace face;
            LoopHarness& harness = face.harness();
            harness.settings.gestureClickMatrix = {};
            GestureTestSwitches& switches = harness.engine.stages.gestures().testSwitches();
            (row == GestureRow::Eye ? switches.eyeTest : switches.mouthTest) = on;
            face.PlayStill(3, 100);
            const bool eye = row == GestureRow::Eye;
            EXPECT_TRUE(
                face.Play(eye ? testing::BlinkScenes(3, 200) : testing::MouthOpeningScenes(200))
                    .empty());
            const double level =
                eye ? harness.settings.eyeThreshold : harness.settings.mouthThreshold;
            EXPECT_EQ((eye ? face.maxFirstEye : face.maxMouth) > level, on)
                << static_cast<int>(row) << " " << on << "; " << face.Activities();
            EXPECT_TRUE(harness.input.Buttons().empty());
        }
    }
}

// The same shake leaves tracking running where the pause is off or would
// strand the user: a popup or the restart countdown in front, or a pointer
// mode in which the head does not move the pointer.
TEST(GestureSequences, AHeadShakeDoesNotPauseWhereThePauseIsOffOrInTheWay) {
    const struct {
        const char* why;
        std::int32_t autoPause;
        bool popupOpen;
        bool countdown;
        std::int32_t pointerMoveMode;
    } cases[] = {
        {"automatic pause off", 0, false, false, 2},
        {"a popup open", 1, true, false, 2},
        {"the restart countdown shown", 1, false, true, 2},
        {"pointer mode 1", 1, false, false, 1},
    };
    for (const auto& c : cases) {
        TrackedFace face;
        LoopHarness& harness = face.harness();
        harness.settings.autoPause = c.autoPause;
        harness.settings.pointerMoveMode = c.pointerMoveMode;
        harness.windows.popupOpen = c.popupOpen;
        if (c.countdown) {
            harness.windows.startRestartCountdown();
        }
        face.PlayStill(3, 100);
        face.Play(testing::HeadShakeScenes(9.0, 2, 12, 200));
        EXPECT_EQ(harness.State(), TrackingState::Track) << c.why;
        EXPECT_FALSE(harness.shared.headPaused.load()) << c.why;
        EXPECT_EQ(harness.windows.cooldownTimers, 0) << c.why;
    }
}

// Suspended by the windows: the head moves the pointer no more and no
// gesture clicks; back in Detect the face is found and calibrated afresh.
TEST(GestureSequences, SuspendedTrackingHoldsThePointerAndClicksNothingUntilItDetectsAfresh) {
    TrackedFace face;
    LoopHarness& harness = face.harness();
    face.Bind(GestureRow::Eye, click_kind::kLeft);
    face.Bind(GestureRow::Mouth, click_kind::kLeft);
    face.PlayStill(3, 100);
    harness.shared.state.store(TrackingState::Suspended);
    const ScreenPoint held = harness.desktop.pointer;
    std::vector<FaceScene> scenes = testing::DriftScenes(0.0, 30.0, 1.5, 10, 200);
    for (const auto& gesture : {testing::BlinkScenes(3, 300), testing::MouthOpeningScenes(400)}) {
        scenes.insert(scenes.end(), gesture.begin(), gesture.end());
    }
    EXPECT_TRUE(face.Play(scenes).empty());
    EXPECT_EQ(harness.desktop.pointer, held);
    EXPECT_TRUE(harness.input.Buttons().empty());
    EXPECT_EQ(harness.State(), TrackingState::Suspended);

    harness.shared.state.store(TrackingState::Detect);
    bool calibrated = false;
    for (std::uint32_t frame = 0; frame < 200 && !calibrated; ++frame) {
        calibrated = harness.Step({30.0, 0.0, 1.5, 500 + frame}).calibration.has_value();
    }
    EXPECT_TRUE(calibrated) << "no fresh calibration after the suspension";
}

TEST(GestureSequences, AFaceDriftingMoreThanFiftyPixelsAsksForARestartOnlyWithAutoAjuste) {
    // Drifting across two 30 s intervals, a second of camera time per frame:
    // 30 pixels by the first check (kept), 70 by the second (restart).
    const std::vector<FaceScene> firstLeg = testing::DriftScenes(0.0, -30.0, 1.5, 14, 100);
    const std::vector<FaceScene> secondLeg = testing::DriftScenes(-30.0, -70.0, 1.5, 10, 200);
    {
        LoopHarness harness;
        harness.settings.autoAjuste = true;
        ASSERT_NO_FATAL_FAILURE(harness.TrackStill());
        harness.frameMs = 1000;
        for (const FaceScene& scene : firstLeg) {
            harness.Step(scene);
        }
        const DriftAutoAdjust& adjust = harness.engine.stages.autoAdjust();
        ASSERT_TRUE(adjust.lastDriftPixels().has_value()) << "the first check ran";
        EXPECT_NEAR(*adjust.lastDriftPixels(), 30.0, 8.0);
        EXPECT_EQ(harness.windows.restartCountdowns, 0);
        for (const FaceScene& scene : secondLeg) {
            harness.Step(scene);
        }
        EXPECT_GT(*adjust.lastDriftPixels(), 50.0);
        EXPECT_EQ(harness.windows.restartCountdowns, 1);
        EXPECT_EQ(harness.State(), TrackingState::Track) << "tracking goes on during the countdown";
        // The countdown's eleventh one-second tick hides the window and resets.
        ASSERT_TRUE(harness.windows.countdownValue().has_value());
        int frames = 0;
        while (harness.Step({-70.0, 0.0, 1.5, std::uint32_t(300 + frames)}).state ==
                   TrackingState::Track &&
               frames < 20) {
            ++frames;
        }
        EXPECT_EQ(harness.loop.lastFrame().state, TrackingState::Reset);
        EXPECT_FALSE(harness.windows.restartCountdownShown());
        EXPECT_EQ(harness.windows.mainWindow, Visibility::Hidden);
    }
    {
        TrackedFace face;
        LoopHarness& harness = face.harness();
        harness.settings.autoAjuste = false;
        harness.frameMs = 1000;
        face.Play(firstLeg);
        face.Play(secondLeg);
        EXPECT_EQ(harness.State(), TrackingState::Track);
        EXPECT_FALSE(harness.engine.stages.autoAdjust().lastDriftPixels().has_value());
        EXPECT_EQ(harness.windows.restartCountdowns, 0);
    }
}

}  // namespace
}  // namespace veltranix
