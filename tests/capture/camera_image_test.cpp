#include "capture/camera_image.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <string>

namespace veltranix {
namespace {

// A picture whose centred 4:3 part is green and the rest red.
cv::Mat Banded(int width, int height, cv::Rect fourByThree) {
    cv::Mat picture(height, width, CV_8UC3, cv::Scalar(0, 0, 255));
    picture(fourByThree).setTo(cv::Scalar(0, 255, 0));
    return picture;
}

TEST(CropToCameraFrame, KeepsTheCentredFourByThreePart) {
    struct Case {
        cv::Mat picture;
        const char* name;
    };
    for (const Case& c : {Case{Banded(1280, 720, {160, 0, 960, 720}), "wide 1280 x 720"},
                          Case{Banded(480, 960, {0, 300, 480, 360}), "tall 480 x 960"},
                          Case{Banded(320, 240, {0, 0, 320, 240}), "already 4:3"}}) {
        cv::Mat frame;
        ASSERT_EQ(CropToCameraFrame(c.picture, frame), "") << c.name;
        ASSERT_EQ(frame.size(), cv::Size(640, 480)) << c.name;
        ASSERT_EQ(frame.type(), CV_8UC3) << c.name;
        cv::Mat notGreen;
        cv::inRange(frame, cv::Scalar(0, 250, 0), cv::Scalar(5, 255, 5), notGreen);
        EXPECT_EQ(cv::countNonZero(notGreen), 640 * 480) << c.name;
    }
}

TEST(CropToCameraFrame, GreyAndFourChannelPicturesBecomeColour) {
    cv::Mat frame;
    ASSERT_EQ(CropToCameraFrame(cv::Mat(300, 400, CV_8UC1, cv::Scalar(90)), frame), "");
    EXPECT_EQ(frame.type(), CV_8UC3);
    EXPECT_EQ(frame.at<cv::Vec3b>(10, 10), cv::Vec3b(90, 90, 90));
    ASSERT_EQ(CropToCameraFrame(cv::Mat(300, 400, CV_8UC4, cv::Scalar(1, 2, 3, 4)), frame), "");
    EXPECT_EQ(frame.at<cv::Vec3b>(479, 639), cv::Vec3b(1, 2, 3));
}

TEST(CropToCameraFrame, RefusesWhatCannotBeCropped) {
    cv::Mat frame;
    const std::string thin = CropToCameraFrame(cv::Mat(480, 1, CV_8UC3), frame);
    EXPECT_EQ(thin, "the picture of 1 x 480 pixels is too small to crop to 4:3");
    EXPECT_NE(CropToCameraFrame(cv::Mat(), frame), "");
    EXPECT_NE(CropToCameraFrame(cv::Mat(480, 640, CV_16UC3), frame), "");
    // Two pixels by one hold a 4:3 part of one pixel.
    EXPECT_EQ(CropToCameraFrame(cv::Mat(1, 2, CV_8UC3, cv::Scalar(9, 9, 9)), frame), "");
    EXPECT_EQ(frame.size(), cv::Size(640, 480));
}

// A half-size picture of uniform 2 x 2 blocks, doubled, is the full-size
// picture converted as a whole: luma per pixel, chroma per 2 x 2 block.
TEST(HalfSizeBgrToI420, EqualsTheConversionOfThePictureDoubled) {
    cv::Mat half(240, 320, CV_8UC3);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            half.at<cv::Vec3b>(y, x) = {static_cast<std::uint8_t>((x / 2) * 3 % 256),
                                        static_cast<std::uint8_t>(y / 2 * 2),
                                        static_cast<std::uint8_t>(255 - x / 2)};
        }
    }
    cv::Mat full;
    cv::resize(half, full, cv::Size(640, 480), 0, 0, cv::INTER_NEAREST);
    std::vector<std::uint8_t> expected;
    BgrToLayout(full, FrameLayout::I420, expected);
    cv::Mat scratch;
    std::vector<std::uint8_t> bytes;
    HalfSizeBgrToI420(half, scratch, bytes);
    EXPECT_EQ(bytes, expected);
}

}  // namespace
}  // namespace veltranix
