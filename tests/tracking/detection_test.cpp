#include "tracking/face_detector.h"

#include <filesystem>
#include <tuple>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <gtest/gtest.h>

#include <vector>

#include "capture/camera_image.h"
#include "tests/support/face_sequence.h"
#include "tests/tracking/loop_harness.h"
#include "tracking/work_image.h"

namespace veltranix {
namespace {

// Width 170 puts the eye distance at 74 (in range); 160 at exactly 70 and
// 310 at 128; height 160 puts the eye line 13.4 above the centre.
TEST(PlacementCheck, StatusAndPlacedFlagAtTheLimits) {
    const struct {
        const char* name;
        int boxX;
        int boxY;
        double width;
        double height;
        FaceStatus status;
    } cases[] = {
        {"no face", 0, 0, 0.0, 0.0, FaceStatus::NoFace},
        {"centre x at 480", 395, 150, 170.0, 160.0, FaceStatus::WellPlaced},
        {"centre x at 484", 399, 150, 170.0, 160.0, FaceStatus::TooFarRight},
        {"centre x at 160", 75, 150, 170.0, 160.0, FaceStatus::WellPlaced},
        {"centre x at 152", 70, 150, 170.0, 160.0, FaceStatus::TooFarLeft},
        {"eye line at 150", 200, 84, 170.0, 160.0, FaceStatus::WellPlaced},
        {"eye line at 146", 200, 80, 170.0, 160.0, FaceStatus::TooHigh},
        {"eye line at 330", 200, 264, 170.0, 160.0, FaceStatus::WellPlaced},
        {"eye line at 334", 200, 268, 170.0, 160.0, FaceStatus::TooLow},
        {"eye distance exactly 70", 200, 150, 160.0, 160.0, FaceStatus::WellPlaced},
        {"eye distance 46", 200, 150, 100.0, 160.0, FaceStatus::TooFar},
        {"eye distance 124", 150, 150, 300.0, 160.0, FaceStatus::WellPlaced},
        {"eye distance 128", 150, 150, 310.0, 160.0, FaceStatus::TooClose},
    };
    for (const auto& c : cases) {
        const Placement placement = CheckPlacement(c.boxX, c.boxY, c.width, c.height);
        EXPECT_EQ(placement.status, c.status) << c.name;
        EXPECT_EQ(placement.placed, c.status == FaceStatus::WellPlaced) << c.name;
    }
}

TEST(NearestFace, ExactTieKeepsTheFirstAndOnlyNearerReplaces) {
    // Centres at (320 +- 40, 240) are equally far from the image centre.
    const std::vector<FaceRect> tie{{80, 50, 20, 20}, {60, 50, 20, 20}};
    EXPECT_EQ(ChooseNearestCentre(tie), 0u);
    const std::vector<FaceRect> nearerSecond{{80, 50, 20, 20}, {71, 50, 20, 20}};
    EXPECT_EQ(ChooseNearestCentre(nearerSecond), 1u);
    EXPECT_FALSE(ChooseNearestCentre({}).has_value());
    // Centres use integer halves: width 21 counts as 10.
    const std::vector<FaceRect> halves{{60, 50, 21, 20}, {80, 50, 20, 20}};
    EXPECT_EQ(ChooseNearestCentre(halves), 0u);
}

TEST(FaceAverages, FirstDetectionsAverageWithEmptySlots) {
    FaceDetector detector;
    Detection first = detector.accumulate({50, 30, 55, 55});
    EXPECT_EQ(first.face.meanX, 200 / 3);
    EXPECT_EQ(first.face.meanWidth, 220 / 3);
    EXPECT_EQ(first.placement.status, FaceStatus::TooFar);
    detector.accumulate({50, 30, 55, 55});
    const Detection third = detector.accumulate({50, 30, 55, 55});
    EXPECT_EQ(third.face.meanX, 200);
    EXPECT_EQ(third.face.meanWidth, 220);
    EXPECT_FLOAT_EQ(third.face.centreX, 310.0f);
    // The width ring still holds five empty slots: mean (3 x 220) / 8.
    EXPECT_EQ(third.placement.status, FaceStatus::TooFar);
    for (int i = 0; i < 5; ++i) {
        detector.accumulate({50, 30, 55, 55});
    }
    const Detection full = detector.accumulate({50, 30, 55, 55});
    EXPECT_EQ(full.placement.status, FaceStatus::WellPlaced);
    EXPECT_TRUE(full.placement.placed);
    EXPECT_DOUBLE_EQ(full.faceMotion, 0.0);
}

TEST(Calibration, EyeLineAndLevelsFromTheAveragedFace) {
    AveragedFace face{208, 129, 221, 221, 318.5f, 239.5f};
    const Calibration calibration = Calibrate(face);
    // Centre (316, 236), half eye distance 221 x 29 / 149 = 43.01.
    EXPECT_EQ(calibration.eyes, (EyeLine{272, 217, 359, 217}));
    EXPECT_EQ(calibration.interocularDistance, 87);
    EXPECT_EQ(calibration.nivellUll, 40);   // 87 x 0.66 - 17 = 40.42
    EXPECT_EQ(calibration.nivellBoca, 79);  // 87 x 0.97 - 5 = 79.39

    const Calibration small = Calibrate({300, 200, 100, 100, 350.0f, 250.0f});
    EXPECT_EQ(small.nivellUll, 31);
    EXPECT_EQ(small.nivellBoca, 32);  // 39 x 0.97 - 5 = 32.83
}

TEST(Cascade, MissingOrBrokenFileIsRefusedWithItsName) {
    FaceDetector detector;
    EXPECT_FALSE(detector.loadCascade("/nonexistent/faceDetector.xml"));
    EXPECT_NE(detector.loadError().find("/nonexistent/faceDetector.xml"), std::string::npos);
    EXPECT_FALSE(detector.cascadeLoaded());
    const WorkImage image(kFramePixels, 128);
    EXPECT_FALSE(detector.detect(image).has_value());

    EXPECT_FALSE(detector.loadCascade(VELTRANIX_SHARED_TESTDATA "/README.md"));
    EXPECT_NE(detector.loadError().find("README.md"), std::string::npos);
}

// The shipped cascade finds the face, and nothing else, across the frame and
// with camera noise: a second box could win the nearest-to-centre choice.
// The second look follows the face found by the first.
TEST(Cascade, FindsThePhotographedFaceWhereItIsAndNothingElse) {
    FaceDetector detector;
    ASSERT_TRUE(detector.loadCascade(VELTRANIX_FACE_DETECTOR_FILE)) << detector.loadError();
    const testing::FaceSequence faces;
    const std::tuple<double, double, double> places[] = {
        {-100.0, -40.0, 1.5}, {-60.0, 10.0, 1.5}, {0.0, 10.0, 6.0},    {45.0, 10.0, 1.5},
        {100.0, 50.0, 6.0},   {0.0, -40.0, 6.0},  {-100.0, 50.0, 6.0}, {100.0, -40.0, 1.5}};
    for (const auto& [offsetX, offsetY, noiseSigma] : places) {
        const testing::FaceScene scene{offsetX, offsetY, noiseSigma, 3};
        const WorkImage image = testing::GreyImage(faces.renderBgr(scene));
        for (int look = 0; look < 2; ++look) {
            ASSERT_TRUE(detector.detect(image).has_value()) << offsetX << ", " << offsetY;
            ASSERT_EQ(detector.lastRects().size(), 1u) << offsetX << ", " << offsetY;
            const FaceRect& rect = detector.lastRects()[0];
            // The photograph's face box is 97 pixels wide, 213 in the frame.
            const cv::Point2d centre = faces.toFrame({225.5, 114.5}, scene);
            EXPECT_NEAR((rect.x + rect.width / 2.0) * 4, centre.x, 12.0) << offsetX;
            EXPECT_NEAR((rect.y + rect.height / 2.0) * 4, centre.y, 12.0) << offsetX;
            EXPECT_NEAR(rect.width * 4, 213.0, 25.0) << offsetX;
        }
    }
}

// A face too far to be placed (the frame halved on the empty wall) is found,
// and said too far, within a fraction of a second (20 frames).
TEST(Cascade, AFarFaceIsFoundSoon) {
    const testing::FaceSequence faces;
    testing::FaceScene wall{0.0, 0.0, 1.5, 4};
    wall.faceVisible = false;
    cv::Mat far = faces.renderBgr(wall);
    cv::resize(faces.renderBgr({0.0, 0.0, 1.5, 4}), far(cv::Rect(160, 120, 320, 240)), {320, 240});
    FaceDetector detector;
    ASSERT_TRUE(detector.loadCascade(VELTRANIX_FACE_DETECTOR_FILE));
    const WorkImage image = testing::GreyImage(far);
    std::optional<Detection> found;
    for (int look = 0; look < 20; ++look) {
        found = detector.detect(image);
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->placement.status, FaceStatus::TooFar);
    const FaceRect rect = detector.lastRects()[0];
    EXPECT_NEAR((rect.x + rect.width / 2.0) * 4, 320.0, 16.0);
    EXPECT_NEAR(rect.width * 4, 106.0, 25.0);
}

struct FollowCase {
    const char* name;
    FaceScene (*sceneOf)(int frame);  // none: the real clip `clip`
    const char* clip = nullptr;
};

const std::filesystem::path kRealFaces = VELTRANIX_SHARED_TESTDATA "/realfaces";

class FollowedFace : public ::testing::TestWithParam<FollowCase> {};

// A still face is followed cheaply, yet calibrates on the same frame with
// the same box as when every frame searches at every size.
TEST_P(FollowedFace, CalibratesAsTheSearchAtEverySize) {
    const FollowCase& c = GetParam();
    if (c.clip && !std::filesystem::exists(kRealFaces)) {
        GTEST_SKIP() << kRealFaces << " is absent";
    }
    std::optional<std::pair<int, FaceRect>> calibrated[2];
    int followed = 0;
    for (const FaceSearch search : {FaceSearch::EverySize, FaceSearch::Follow}) {
        testing::LoopHarness harness;
        harness.loop.setStillFaceSearch(search);
        cv::VideoCapture video;
        cv::Mat picture, bgr;
        while (harness.frameNumber < 250) {
            if (c.clip) {
                ASSERT_TRUE((video.isOpened() || video.open(kRealFaces / c.clip)) &&
                            video.read(picture));
                ASSERT_EQ(CropToCameraFrame(picture, bgr), "");
            } else {
                bgr = harness.faces.renderBgr(c.sceneOf(harness.frameNumber));
            }
            const FrameReport& report = harness.StepFrame(bgr);
            followed += report.faceSearch == FaceSearch::Follow ? 1 : 0;
            if (report.calibration) {
                calibrated[static_cast<int>(search)] = {harness.frameNumber, *report.face};
                break;
            }
        }
    }
    ASSERT_TRUE(calibrated[0].has_value());
    EXPECT_EQ(calibrated[1], calibrated[0]);
    EXPECT_GT(followed, calibrated[0]->first / 3) << "the face was hardly followed";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, FollowedFace,
    ::testing::Values(
        FollowCase{"Still",
                   [](int n) {
                       return FaceScene{0.0, 0.0, 1.5, n + 7u};
                   }},
        FollowCase{"DriftsInThenRests",
                   [](int n) { return DriftScenes(-150.0, 20.0, 2.5, 200, 3)[n]; }},
        FollowCase{"MovesDuringTheCountdown",
                   [](int n) {
                       return FaceScene{n < 90 ? 0.0 : 24.0, n < 110 ? 0.0 : 6.0, 1.5, 5u + n};
                   }},
        FollowCase{"ClipTalking", nullptr, "01_webcam_talking_mouth_open_head_turns.mp4"}),
    [](const ::testing::TestParamInfo<FollowCase>& caseInfo) { return caseInfo.param.name; });

}  // namespace
}  // namespace veltranix
