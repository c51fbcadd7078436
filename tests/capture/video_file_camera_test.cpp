#include "capture/video_file_camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <opencv2/videoio.hpp>

#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

// A 1280 x 720 video of flat grey pictures, `levels` in turn; the parts
// outside the centred 4:3 part are white.
void WriteBandedVideo(const std::filesystem::path& file, const std::vector<int>& levels) {
    cv::VideoWriter writer(file.string(), cv::CAP_FFMPEG,
                           cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25.0, cv::Size(1280, 720));
    ASSERT_TRUE(writer.isOpened());
    for (const int level : levels) {
        cv::Mat picture(720, 1280, CV_8UC3, cv::Scalar(255, 255, 255));
        picture(cv::Rect(160, 0, 960, 720)).setTo(cv::Scalar(level, level, level));
        writer.write(picture);
    }
}

// A YUV4MPEG2 video of `width` x `height` flat grey frames, luma `levels`
// in turn.
void WriteY4mVideo(const std::filesystem::path& file, int width, int height,
                   const std::vector<int>& levels) {
    std::string video = "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) +
                        " F25:1 Ip A1:1 C420jpeg\n";
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    for (const int level : levels) {
        video += "FRAME\n" + std::string(pixels, static_cast<char>(level)) +
                 std::string(pixels / 2, static_cast<char>(128));
    }
    testing::WriteFile(file, video);
}

// Waits for the next frame the camera's thread decodes.
std::vector<std::uint8_t> NextFrame(CameraSource& camera,
                                    FrameLayout expected = FrameLayout::Rgb24BottomUp) {
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
    if (!testing::WaitFor([&] { return camera.takeNewestFrame(bytes, layout); }, 20)) {
        ADD_FAILURE() << "no frame";
        return {};
    }
    EXPECT_EQ(layout, expected);
    EXPECT_EQ(bytes.size(), FrameBufferBytes(expected));
    return bytes;
}

// The grey level of the frame if every byte is within 6 of the first, else -1.
int FlatLevel(const std::vector<std::uint8_t>& bytes) {
    const bool flat = !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [&](int byte) {
        return std::abs(byte - bytes.front()) <= 6;
    });
    return flat ? bytes.front() : -1;
}

TEST(VideoFileCamera, EveryPictureOncePerTakeCroppedAndLooping) {
    testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "bands.avi";
    WriteBandedVideo(file, {40, 120, 200});
    OpenedCamera opened = VideoFileCamera::Open(file);
    ASSERT_NE(opened.source, nullptr) << opened.error.step;
    EXPECT_EQ(opened.source->status().health, CameraHealth::Streaming);
    const int expected[] = {40, 120, 200, 40, 120};
    for (int take = 0; take < 5; ++take) {
        EXPECT_NEAR(FlatLevel(NextFrame(*opened.source)), expected[take], 6) << "take " << take;
    }
}

// Raw video is handed over without decoding: at the camera's size or half
// of it as I420 (luma as written, chroma neutral), other sizes as other
// videos. Luma 16 and 235 are black and white.
TEST(VideoFileCamera, PlaysYuv4mpegFramesInTurn) {
    struct Case {
        int width;
        int height;
        FrameLayout layout;
        std::vector<int> levels;  // of the frames taken
    };
    const Case cases[] = {
        {320, 240, FrameLayout::I420, {16, 235, 16}},
        {640, 480, FrameLayout::I420, {16, 235, 16}},
        {800, 600, FrameLayout::Rgb24BottomUp, {0, 255, 0}},
    };
    testing::TemporaryFolder folder;
    for (const Case& c : cases) {
        const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
        const std::filesystem::path file = folder.path() / (std::to_string(c.width) + ".y4m");
        WriteY4mVideo(file, c.width, c.height, {16, 235});
        OpenedCamera opened = VideoFileCamera::Open(file);
        ASSERT_NE(opened.source, nullptr) << opened.error.step;
        EXPECT_EQ(opened.source->description(),
                  file.string() + " (video file) " + size + " as 640 x 480");
        for (std::size_t take = 0; take < c.levels.size(); ++take) {
            std::vector<std::uint8_t> bytes = NextFrame(*opened.source, c.layout);
            if (c.layout == FrameLayout::I420 && bytes.size() == 460800u) {
                const std::vector<std::uint8_t> chroma(bytes.begin() + 307200, bytes.end());
                bytes.resize(307200);
                EXPECT_EQ(FlatLevel(chroma), 128) << size << ", take " << take;
            }
            EXPECT_NEAR(FlatLevel(bytes), c.levels[take], 2) << size << ", take " << take;
        }
    }
}

// A phone's portrait clip is stored sideways with a rotation flag in its track
// header (a quarter turn clockwise to show it, as phones write it).
TEST(VideoFileCamera, TurnsAFlaggedVideoUpright) {
    testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "turned.mp4";
    {
        cv::VideoWriter writer(file.string(), cv::CAP_FFMPEG,
                               cv::VideoWriter::fourcc('m', 'p', '4', 'v'), 25.0, {640, 480});
        cv::Mat picture(480, 640, CV_8UC3, cv::Scalar(0, 0, 0));
        picture.rowRange(0, 240).setTo(cv::Scalar(255, 255, 255));  // the stored top half
        writer.write(picture);
    }
    std::string video = testing::ReadFile(file);
    video.replace(video.find("tkhd") + 44, 16,
                  std::string("\0\0\0\0\0\1\0\0\0\0\0\0\xff\xff\0\0", 16));
    testing::WriteFile(file, video);
    OpenedCamera opened = VideoFileCamera::Open(file);
    ASSERT_NE(opened.source, nullptr) << opened.error.step;
    const std::vector<std::uint8_t> frame = NextFrame(*opened.source);  // bottom row first
    ASSERT_FALSE(frame.empty());
    EXPECT_GT(frame[240 * 1920 + 540 * 3], 200);  // the stored top shown on the right
    EXPECT_LT(frame[240 * 1920 + 100 * 3], 50);
}

TEST(VideoFileCamera, RefusesAVideoTooNarrowToCrop) {
    testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "thin.avi";
    {
        cv::VideoWriter writer(file.string(), cv::CAP_OPENCV_MJPEG,
                               cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25.0, cv::Size(1, 480));
        ASSERT_TRUE(writer.isOpened());
        writer.write(cv::Mat(480, 1, CV_8UC3, cv::Scalar(9, 9, 9)));
    }
    const OpenedCamera opened = VideoFileCamera::Open(file);
    EXPECT_EQ(opened.source, nullptr);
    EXPECT_EQ(opened.error.failure, CameraFailure::StepFailed);
    EXPECT_EQ(opened.error.step,
              file.string() + ": the picture of 1 x 480 pixels is too small to crop to 4:3");

    const OpenedCamera missing = VideoFileCamera::Open(folder.path() / "none.avi");
    EXPECT_EQ(missing.source, nullptr);
    EXPECT_EQ(missing.error.failure, CameraFailure::StepFailed);

    const std::filesystem::path mono = folder.path() / "mono.y4m";
    testing::WriteFile(mono, "YUV4MPEG2 W640 H480 Cmono\n");
    const OpenedCamera raw = VideoFileCamera::Open(mono);
    EXPECT_EQ(raw.source, nullptr);
    EXPECT_EQ(raw.error.step.rfind(mono.string() + ": the YUV4MPEG2 colour space Cmono", 0), 0u)
        << raw.error.step;
}

}  // namespace
}  // namespace veltranix
