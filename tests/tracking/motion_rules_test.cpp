// The exact rules of head motion, gesture blocks and the statistics log.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/face_sequence.h"
#include "tests/support/temporary_folder.h"
#include "tests/tracking/loop_harness.h"
#include "tracking/auto_adjust.h"
#include "tracking/gestures.h"
#include "tracking/head_motion.h"
#include "tracking/manual_clock.h"
#include "tracking/stats_log.h"

namespace veltranix {
namespace {

// Widths truncate(gain x 65), heights truncate(gain x 35) around (320, 240);
// halves round to the lower integer.
TEST(HeadBox, FollowsTheSpeedGainAndHalvesRoundDown) {
    for (const auto& [gain, box] : {std::pair{0.7, HeadBox{297, 228, 342, 252, {319, 240}}},
                                    {0.6, HeadBox{300, 229, 339, 250, {319, 239}}},
                                    {0.5, HeadBox{304, 231, 336, 248, {320, 239}}}}) {
        EXPECT_EQ(ApplyHeadBox(gain, {320, 240}), box) << gain;
    }
}

// moveCara 2 on a 1280 x 1024 screen: dead zone 100, largest step 170, limit
// the screen height. A 4096 x 960 screen with moveCara 3: the dead zone (960)
// reaches the limit; its edge is still inside it.
TEST(RelativeStep, WorkedFiguresOfA1280By1024Screen) {
    const std::tuple<int, int, int, int, int> cases[] = {
        {150, 100, 170, 1024, 0}, {500, 100, 170, 1024, 32},   {-500, 100, 170, 1024, -32},
        {99, 100, 170, 1024, 0},  {1024, 100, 170, 1024, 170}, {1025, 100, 170, 1024, 170},
        {960, 960, 544, 960, 0},  {-960, 960, 544, 960, 0}};
    for (const auto& [distance, deadZone, most, limit, step] : cases) {
        EXPECT_EQ(RelativeStep(distance, deadZone, most, limit), step) << distance;
    }
}

// A mapper on a 1280 x 1024 screen whose head box (speed 3) spans x 304..336
// and y 231..248 around (320, 239); the first frame anchors the head there.
class Mapping : public ::testing::Test {
  protected:
    Mapping() {
        settings_.speedGain = 0.5;
        settings_.moveCaraCurve = 45.0;
        settings_.moveCaraSpan = 100.0;
    }

    HeadMotion Map(double trackedX, ScreenPoint pointer = {640, 512},
                   ScreenPoint previousTarget = {640, 512}) {
        if (!started_) {
            TrackingRun run;
            run.headBoxCentre = {320, 240};
            mapper_.startRun(run, kScreen);
            mapper_.ComputePointerTarget(Input(320.0, 239.0, pointer, previousTarget));
            started_ = true;
        }
        return mapper_.ComputePointerTarget(Input(trackedX, 239.0, pointer, previousTarget));
    }

    PointerTargetInput Input(double x, double y, ScreenPoint pointer, ScreenPoint previous) {
        return {x, y, pointer, previous, 320.0, 239.0, kScreen, range_};
    }

    static constexpr ScreenSize kScreen{1280, 1024};
    Settings settings_;
    PointerRange range_{{0, 0, 1280, 1024}, {1280, 1024}};
    HeadMotionMapper mapper_{settings_};
    bool started_ = false;
};

TEST_F(Mapping, RelativeModeStepsFromThePointerOutsideTheDeadZone) {
    settings_.pointerMoveMode = 2;
    // x 316.25 maps 150 pixels right of the centre, x 307.5 500 pixels.
    EXPECT_EQ(Map(316.25).target, (ScreenPoint{640, 512}));
    EXPECT_EQ(Map(307.5).target, (ScreenPoint{672, 512}));
    EXPECT_EQ(Map(307.5, {100, 100}).target, (ScreenPoint{132, 100}));
    settings_.invertX = true;
    EXPECT_EQ(Map(307.5).target, (ScreenPoint{608, 512})) << "only x flips";
}

TEST_F(Mapping, AbsoluteModeStepsBySquaredDistanceOverTheCurve) {
    settings_.pointerMoveMode = 3;
    // x 308.75 maps to 1090: 450 = 10 x 45 pixels right of the previous target.
    EXPECT_EQ(Map(308.75).target.x, 740);
    // x 318.875 maps to 685: 45 pixels, a step of 1.
    EXPECT_EQ(Map(318.875).target.x, 641);
    settings_.invertX = true;
    EXPECT_EQ(Map(308.75).target.x, 540);
}

TEST_F(Mapping, TheTargetStaysInsideANarrowedPointerRange) {
    settings_.pointerMoveMode = 3;
    range_.bounds = {100, 200, 500, 600};
    EXPECT_EQ(Map(290.0, {640, 512}, {400, 400}).target, (ScreenPoint{500, 403}));
    EXPECT_EQ(Map(350.0, {640, 512}, {400, 400}).target, (ScreenPoint{100, 403}));
    EXPECT_EQ(Map(350.0, {640, 512}, {400, 900}).target, (ScreenPoint{100, 600}));
    settings_.pointerMoveMode = 2;
    EXPECT_EQ(Map(290.0, {120, 210}).target, (ScreenPoint{290, 210}));
    EXPECT_EQ(Map(350.0, {120, 210}).target, (ScreenPoint{100, 210}));
}

TEST_F(Mapping, HeadAngleTermsAndTheCurveOfTheScreen) {
    settings_.pointerMoveMode = 2;
    const HeadMotion motion = Map(321.0);
    EXPECT_EQ(motion.angleX, 4) << "truncate(sin(1 x 90 / 70) x 5)";
    EXPECT_EQ(motion.angleY, 0);
    EXPECT_DOUBLE_EQ(motion.trackMotion, 1.0);
    EXPECT_DOUBLE_EQ(ApplyMovementCurve(45.0, {1280, 1024}), 1.0 / 2025.0);
    EXPECT_NEAR(ApplyMovementCurve(30.0, {1920, 1080}), 0.0027809, 1e-7);
}

// A 15 x 15 patch: one interior block at rows and columns 5 to 9.
struct Patch {
    std::vector<std::int32_t> previous = std::vector<std::int32_t>(225, 0);
    std::vector<std::int32_t> current = std::vector<std::int32_t>(225, 0);
    void Set(std::vector<std::int32_t>& copy, int column, int row, int value) {
        copy[static_cast<std::size_t>(column * 15 + row)] = value;
    }
};

// A bright line at 7 becomes two at 6 and 8, between bright margins: shifts
// -1 and +1 cost the same and less than any other. Vertically -1 (tried
// first) stays; sideways the later shift wins.
TEST(BlockActivity, EqualCostsKeepTheEarlierVerticalAndTheLaterSidewaysShift) {
    for (const bool vertical : {true, false}) {
        Patch patch;
        for (int along = 0; along < 15; ++along) {
            const auto set = [&](std::vector<std::int32_t>& copy, int across) {
                vertical ? patch.Set(copy, along, across, 100)
                         : patch.Set(copy, across, along, 100);
            };
            for (const int margin : {0, 1, 2, 3, 4, 10, 11, 12, 13, 14}) {
                set(patch.previous, margin);
                set(patch.current, margin);
            }
            set(patch.previous, 7);
            set(patch.current, 6);
            set(patch.current, 8);
        }
        std::vector<BlockMotion> blocks;
        EXPECT_EQ(BlockActivity(15, 15, patch.current, patch.previous, blocks), vertical ? 1 : 0);
        ASSERT_EQ(blocks.size(), 9u);
        EXPECT_EQ(blocks[4],
                  vertical ? (BlockMotion{true, 1, 0, 0, 0}) : (BlockMotion{true, 0, 0, 0, 1}));
    }
}

TEST(BlockActivity, ChangeNeedsAMeanDifferenceAboveEightAndAShiftThatBeatsStandingStill) {
    for (const int difference : {8, 9}) {
        Patch patch;
        std::fill(patch.current.begin(), patch.current.end(), difference);
        std::vector<BlockMotion> blocks;
        // A uniform change: no shift is better than none, so nothing counts.
        EXPECT_EQ(BlockActivity(15, 15, patch.current, patch.previous, blocks), 0);
        EXPECT_EQ(blocks[4].changed, difference == 9) << difference;
    }
}

TEST(BlockActivity, ThinningKeepsOnlyBlocksSurroundedByChange) {
    // A 25 x 25 patch (5 x 5 blocks); only the centre block changes.
    std::vector<std::int32_t> previous(625, 0);
    std::vector<std::int32_t> current(625, 0);
    for (int column = 10; column < 15; ++column) {
        current[static_cast<std::size_t>(column * 25 + 12)] = 200;
    }
    std::vector<BlockMotion> blocks;
    BlockActivity(25, 25, current, previous, blocks);
    for (int blockColumn = 1; blockColumn < 4; ++blockColumn) {
        for (int blockRow = 1; blockRow < 4; ++blockRow) {
            EXPECT_EQ(blocks[static_cast<std::size_t>(blockColumn * 5 + blockRow)].changed,
                      blockColumn == 2 && blockRow == 2)
                << blockColumn << "," << blockRow;
        }
    }
}

TEST(GesturePatch, APatchReachingOutOfTheImageIsSkipped) {
    GesturePatch patch;
    patch.allocate(61, 37);
    WorkImage current(kFramePixels, 0);
    WorkImage previous(kFramePixels, 100);
    EXPECT_EQ(patch.measure(-1, 100, current, previous), 0);
    EXPECT_EQ(patch.measure(600, 100, current, previous), 0);
    EXPECT_EQ(patch.measure(100, 450, current, previous), 0);
    EXPECT_EQ(patch.measure(579, 443, current, previous), 0) << "inside, uniform change";
    EXPECT_EQ(patch.indices.back(), WorkIndex(639, 479));
}

TEST(DriftCheck, CentreOfTheChosenFaceOnMultiplesOfFour) {
    EXPECT_EQ(DriftCheckCentre({{40, 30, 20, 20}}), (ScreenPoint{200, 160}));
    EXPECT_EQ(DriftCheckCentre({{0, 0, 10, 10}, {35, 25, 21, 21}}), (ScreenPoint{180, 140}));
    EXPECT_FALSE(DriftCheckCentre({}).has_value());
}

// The drift check on the photographed face: 50.0 pixels from where
// calibration found it is kept, anything further asks for a restart.
TEST(DriftCheck, FiftyPixelsAwayIsKeptAndJustBeyondRestarts) {
    const WorkImage image = testing::GreyImage(testing::FaceSequence().renderBgr({}));
    FaceDetector detector;
    ASSERT_TRUE(detector.loadCascade(VELTRANIX_FACE_DETECTOR_FILE));
    const std::optional<ScreenPoint> found = DriftCheckCentre(detector.findFaces(image, 30));
    ASSERT_TRUE(found.has_value());
    ManualClock clock;
    DriftAutoAdjust adjust(clock, VELTRANIX_FACE_DETECTOR_FILE);
    const std::tuple<int, int, DriftVerdict> cases[] = {{0, 50, DriftVerdict::Kept},
                                                        {30, -40, DriftVerdict::Kept},
                                                        {1, 50, DriftVerdict::RestartNeeded},
                                                        {-51, 0, DriftVerdict::RestartNeeded}};
    for (const auto& [dx, dy, verdict] : cases) {
        TrackingRun run;
        run.detectedFaceCentre = {found->x + dx, found->y + dy};
        adjust.startRun(run);
        EXPECT_EQ(adjust.DriftCheck(image), verdict) << dx << "," << dy;
    }
}

TEST(StatsLogFormat, FileNameHeaderAndLine) {
    EXPECT_EQ(StatsFileName({5, 12, 2026}, {14, 7, 9, 45}), "5_12_2026__14-7-9-45.txt");
    EXPECT_EQ(FrameFormatLabel(FrameLayout::Rgb24BottomUp), "640x480 RGB");
    EXPECT_EQ(FrameFormatLabel(FrameLayout::I420), "640x480 YUV420");
    EXPECT_EQ(FrameFormatLabel(FrameLayout::Yuy2), "640x480 YUV400");
    EXPECT_EQ(StatsHeader("640x480 RGB", {"Brand CPU", 4, 7982, "Debian GNU/Linux 12"}),
              "Resoluci\xF3: 640x480 RGB\nSystema Op: Debian GNU/Linux 12\nTipo: Brand CPU\n"
              "Num Pro: 4\nMem\xF2ria RAM:  7982 MB\n\n"
              "Temps  Dist_Ulls  nUll  nBoca Ull_sum  Boca_sum  X  Y  Tclic\n");
    EXPECT_EQ(StatsLine({12.345, 87, 40, 79, 55, 0, 640, 512, 0}),
              "12.35 87 40 79 55 0 640 512 0\n");
    EXPECT_EQ(StatsLine({-0.5, 0, 0, 0, 0, 0, 0, 0, -1}), "-0.50 0 0 0 0 0 0 0 -1\n");
}

using testing::FixedCalendar;
using testing::FixedSystem;

TEST(StatsLogFile, OnlyTheExactSwitchWritesAndMidnightDoesNotGoNegative) {
    ManualClock clock(SystemTime{23, 59, 59, 0});
    FixedCalendar calendar;
    FixedSystem system;
    for (const char* debugSwitch : {"SI", "si ", ""}) {
        testing::TemporaryFolder folder;
        StatsLog log({clock, calendar, system}, debugSwitch, folder.path());
        log.WriteHeader(FrameLayout::I420);
        log.WriteLine(87, 40, 79, 1, 2, {3, 4}, -1);
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << '"' << debugSwitch << '"';
    }
    testing::TemporaryFolder folder;
    StatsLog log({clock, calendar, system}, "si", folder.path());
    log.WriteLine(1, 2, 3, 4, 5, {6, 7}, 8);  // before the header: nothing
    log.WriteHeader(FrameLayout::I420);
    ASSERT_TRUE(log.file().has_value());
    EXPECT_EQ(log.file()->filename(), "5_12_2026__23-59-59-0.txt");
    clock.advanceMs(500);
    log.WriteLine(87, 40, 79, 12, 0, {640, 512}, 2);
    clock.advanceMs(1000);
    log.WriteLine(87, 40, 79, 0, 0, {641, 512}, -1);
    const std::string text = testing::ReadFile(*log.file());
    const std::string header = StatsHeader("640x480 YUV420", system.systemInformation());
    // 23:59:59.5 is 86399.508 seconds in single precision; past midnight the
    // day is added back.
    EXPECT_EQ(text, header + "0.51 87 40 79 12 0 640 512 2\n1.50 87 40 79 0 0 641 512 -1\n");
}

TEST(StatsLogFolder, BesideTheProgramElseUnderTheUserDataFolder) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(PrepareStatsFolder({folder.path()}, {}), folder.path() / "Statas");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "Statas"));
    // A program folder where nothing can be created: a plain file stands there.
    testing::WriteFile(folder.path() / "program", "");
    EXPECT_EQ(PrepareStatsFolder({folder.path() / "program"},
                                 {(folder.path() / "data").string(), std::nullopt}),
              folder.path() / "data" / "veltranix" / "Statas");
    EXPECT_EQ(PrepareStatsFolder({folder.path() / "program"}, {"relative", std::nullopt}),
              std::nullopt);
    EXPECT_EQ(PrepareStatsFolder({folder.path() / "program"}, {std::nullopt, "relative"}),
              std::nullopt)
        << "never a folder relative to wherever the program was started";
}

}  // namespace
}  // namespace veltranix
