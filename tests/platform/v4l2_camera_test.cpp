#include "platform/linux/v4l2_camera.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/fake_camera_clock.h"
#include "tests/platform/fake_v4l2_device.h"

namespace veltranix {
namespace {

using std::chrono::milliseconds;
using testing::FakeCameraClock;
using testing::FakeFormat;
using testing::FakeNode;
using testing::FakeV4l2;

constexpr std::uint32_t kMjpg = V4L2_PIX_FMT_MJPEG;
constexpr std::uint32_t kEmulated = V4L2_FMT_FLAG_EMULATED;

FakeFormat Format(std::uint32_t pixelFormat, std::uint32_t flags = 0) {
    FakeFormat format;
    format.pixelFormat = pixelFormat;
    format.flags = flags;
    return format;
}

FakeFormat Sized(std::uint32_t pixelFormat,
                 std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes) {
    FakeFormat format = Format(pixelFormat);
    format.sizes = std::move(sizes);
    return format;
}

FakeFormat Stepwise(std::uint32_t pixelFormat, v4l2_frmsize_stepwise range) {
    FakeFormat format = Format(pixelFormat);
    format.stepwise = range;
    return format;
}

FakeNode Camera(std::string path, std::vector<FakeFormat> formats) {
    FakeNode node;
    node.path = std::move(path);
    node.formats = std::move(formats);
    return node;
}

struct Rig {
    FakeCameraClock clock;
    FakeV4l2 device{clock};
    std::optional<V4l2Capture> capture;

    std::optional<CameraOpenError> Start(const std::string& path = {}) {
        capture.emplace(device, clock, path);
        return capture->start();
    }
    // Steps until a frame is published and takes it into `bytes` and
    // `layout`; false after `steps` without one.
    bool StepToFrame(int steps = 200) {
        for (int step = 0; step < steps; ++step) {
            capture->step();
            if (capture->mailbox().take(bytes, layout)) {
                return true;
            }
        }
        return false;
    }
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
};

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& tested) {
    return tested.param.name;
}

struct FormatCase {
    const char* name;
    std::vector<FakeFormat> formats;
    std::optional<FrameLayout> layout;  // none: NoFormat
    const char* describedAs;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

class FormatChoice : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatChoice, FirstUsableFormatInDriverOrder) {
    const FormatCase& c = GetParam();
    Rig rig;
    rig.device.addNode(Camera("/dev/video0", c.formats));
    const std::optional<CameraOpenError> error = rig.Start();
    if (!c.layout) {
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->failure, CameraFailure::NoFormat);
        EXPECT_EQ(rig.device.openDescriptors(), 0);
        return;
    }
    ASSERT_FALSE(error.has_value()) << error->step;
    EXPECT_EQ(rig.capture->description(), c.describedAs);
    ASSERT_TRUE(rig.StepToFrame());
    EXPECT_EQ(rig.layout, *c.layout);
    EXPECT_EQ(rig.bytes.size(), FrameBufferBytes(*c.layout));
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, FormatChoice,
    ::testing::Values(FormatCase{"RgbBeforeI420",
                                 {Format(V4L2_PIX_FMT_RGB24), Format(V4L2_PIX_FMT_YUV420)},
                                 FrameLayout::Rgb24BottomUp,
                                 "/dev/video0 (Fake Camera) RGB3 640 x 480"},
                      FormatCase{"MjpgWithConvertedYuyv",
                                 {Format(kMjpg), Format(V4L2_PIX_FMT_YUYV, kEmulated)},
                                 FrameLayout::Yuy2,
                                 "/dev/video0 (Fake Camera) YUYV (converted) 640 x 480"},
                      FormatCase{"MjpgOnly", {Format(kMjpg)}, std::nullopt, ""},
                      FormatCase{"YuyvWithout640x480",
                                 {Sized(V4L2_PIX_FMT_YUYV, {{1280, 720}, {320, 240}}),
                                  Format(V4L2_PIX_FMT_YUV420)},
                                 FrameLayout::I420,
                                 "/dev/video0 (Fake Camera) YU12 640 x 480"},
                      FormatCase{"StepwiseSizes",
                                 {Stepwise(V4L2_PIX_FMT_BGR24, {160, 1280, 16, 120, 960, 8})},
                                 FrameLayout::Rgb24BottomUp,
                                 "/dev/video0 (Fake Camera) BGR3 640 x 480"},
                      FormatCase{"StepwiseMissing640",
                                 {Stepwise(V4L2_PIX_FMT_YUYV, {160, 1280, 100, 120, 960, 8})},
                                 std::nullopt,
                                 ""}),
    CaseName<FormatCase>);

TEST(V4l2Camera, RgbPicturesArriveBottomUpBlueGreenRed) {
    Rig rig;
    FakeNode node = Camera("/dev/video0", {Format(V4L2_PIX_FMT_RGB24)});
    node.rowPadding = 64;
    rig.device.addNode(node);
    ASSERT_FALSE(rig.Start().has_value());
    ASSERT_TRUE(rig.StepToFrame());
    const std::vector<std::uint8_t>& bytes = rig.bytes;
    ASSERT_EQ(bytes.size(), 921600u);
    struct Pixel {
        int x, y;
        std::size_t redOffset;  // the intensity byte of the bottom-up layout
    };
    for (const Pixel& pixel : {Pixel{0, 0, 3 * 479 * 640 + 2}, Pixel{639, 479, 1919},
                               Pixel{300, 10, 3 * (469 * 640 + 300) + 2}}) {
        const testing::FakeColour colour = testing::FakePixel(pixel.x, pixel.y);
        EXPECT_EQ(bytes[pixel.redOffset], colour.red) << pixel.x << "," << pixel.y;
        EXPECT_EQ(bytes[pixel.redOffset - 1], colour.green) << pixel.x << "," << pixel.y;
        EXPECT_EQ(bytes[pixel.redOffset - 2], colour.blue) << pixel.x << "," << pixel.y;
    }
    ASSERT_TRUE(rig.device.requestedFrameInterval().has_value());
    EXPECT_EQ(rig.device.requestedFrameInterval()->denominator, 25u);
}

struct FailureCase {
    const char* name;
    int openErrno;
    unsigned long failingCall;
    int callErrno;
    CameraFailure failure;
    const char* step;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class StartFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(StartFailure, NamesTheDeviceTheCallAndTheReason) {
    const FailureCase& c = GetParam();
    Rig rig;
    FakeNode node = Camera("/dev/video0", {Format(V4L2_PIX_FMT_YUYV)});
    node.openErrno = c.openErrno;
    if (c.failingCall != 0) {
        node.failingCalls[c.failingCall] = c.callErrno;
    }
    rig.device.addNode(node);
    const std::optional<CameraOpenError> error = rig.Start();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->failure, c.failure);
    EXPECT_EQ(error->step, c.step);
    EXPECT_EQ(rig.device.openDescriptors(), 0);
    EXPECT_EQ(rig.device.mappedBuffers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, StartFailure,
    ::testing::Values(FailureCase{"BusyFormat", 0, VIDIOC_S_FMT, EBUSY, CameraFailure::StepFailed,
                                  "/dev/video0: VIDIOC_S_FMT: Device or resource busy"},
                      FailureCase{"BusyStreaming", 0, VIDIOC_STREAMON, EBUSY,
                                  CameraFailure::StepFailed,
                                  "/dev/video0: VIDIOC_STREAMON: Device or resource busy"},
                      FailureCase{"NoBuffers", 0, VIDIOC_REQBUFS, ENOMEM, CameraFailure::StepFailed,
                                  "/dev/video0: VIDIOC_REQBUFS: Cannot allocate memory"},
                      FailureCase{"Refused", EACCES, 0, 0, CameraFailure::StepFailed,
                                  "/dev/video0: open: Permission denied"}),
    CaseName<FailureCase>);

TEST(V4l2Camera, NoCaptureNodeIsNoDevice) {
    Rig rig;
    EXPECT_EQ(rig.Start()->failure, CameraFailure::NoDevice);
    FakeNode metadata = Camera("/dev/video1", {});
    metadata.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    rig.device.addNode(metadata);
    EXPECT_EQ(rig.Start()->failure, CameraFailure::NoDevice);
    EXPECT_EQ(rig.Start("/dev/video7")->failure, CameraFailure::NoDevice);
    EXPECT_EQ(rig.device.openDescriptors(), 0);
}

TEST(V4l2Camera, MetadataNodeIsSkippedForTheNextCaptureNode) {
    Rig rig;
    FakeNode metadata = Camera("/dev/video0", {Format(V4L2_PIX_FMT_YUYV)});
    metadata.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    rig.device.addNode(metadata);
    rig.device.addNode(Camera("/dev/video1", {Format(V4L2_PIX_FMT_YUYV)}));
    ASSERT_FALSE(rig.Start().has_value());
    EXPECT_EQ(rig.capture->description(), "/dev/video1 (Fake Camera) YUYV 640 x 480");
    const std::vector<CaptureDevice> listed = ListCaptureDevices(rig.device);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].path, "/dev/video1");
    EXPECT_EQ(listed[0].card, "Fake Camera");
}

TEST(V4l2Camera, UnpluggedCameraIsLostThenReopenedEveryTwoSeconds) {
    Rig rig;
    rig.device.addNode(Camera("/dev/video0", {Format(V4L2_PIX_FMT_YUYV)}));
    ASSERT_FALSE(rig.Start("/dev/video0").has_value());
    ASSERT_TRUE(rig.StepToFrame());

    rig.device.setPresent("/dev/video0", false);
    rig.capture->step();
    EXPECT_EQ(rig.capture->status().health, CameraHealth::Lost);
    EXPECT_FALSE(rig.capture->deviceOpen());
    const milliseconds lostAt = rig.clock.now();
    while (rig.clock.now() < lostAt + milliseconds(5000)) {
        rig.capture->step();
    }
    // Opened at start, then at the loss and every 2 s after it.
    std::vector<milliseconds> opens = rig.device.openTimes("/dev/video0");
    ASSERT_EQ(opens.size(), 4u);
    EXPECT_EQ(opens[1] - lostAt, milliseconds(0));
    EXPECT_EQ(opens[2] - lostAt, milliseconds(2000));
    EXPECT_EQ(opens[3] - lostAt, milliseconds(4000));
    EXPECT_EQ(rig.capture->status().health, CameraHealth::Lost);

    rig.device.setPresent("/dev/video0", true);
    ASSERT_TRUE(rig.StepToFrame(100));
    EXPECT_EQ(rig.capture->status().health, CameraHealth::Streaming);
    EXPECT_EQ(rig.capture->status().recoveries, 1u);
    EXPECT_EQ(rig.device.openDescriptors(), 1);
    EXPECT_EQ(rig.device.mappedBuffers(), 4);
}

TEST(V4l2Camera, SilentCameraIsFrozenAfterTwoSecondsAndReopened) {
    Rig rig;
    rig.device.addNode(Camera("/dev/video0", {Format(V4L2_PIX_FMT_YUV420)}));
    ASSERT_FALSE(rig.Start().has_value());
    ASSERT_TRUE(rig.StepToFrame());

    rig.device.setDelivering("/dev/video0", false);
    const milliseconds silentFrom = rig.clock.now();
    while (rig.capture->status().health == CameraHealth::Streaming) {
        ASSERT_LT(rig.clock.now() - silentFrom, milliseconds(2200));
        rig.capture->step();
    }
    EXPECT_EQ(rig.capture->status().health, CameraHealth::Frozen);
    EXPECT_GE(rig.clock.now() - silentFrom, milliseconds(2000));
    EXPECT_FALSE(rig.capture->deviceOpen());
    rig.capture->step();
    EXPECT_TRUE(rig.capture->deviceOpen());
    EXPECT_EQ(rig.device.openTimes("/dev/video0").size(), 2u);

    rig.device.setDelivering("/dev/video0", true);
    ASSERT_TRUE(rig.StepToFrame());
    EXPECT_EQ(rig.capture->status().health, CameraHealth::Streaming);
    EXPECT_EQ(rig.capture->status().recoveries, 1u);
}

TEST(V4l2Camera, ThreadDeliversFramesAndStopsWhenDestroyed) {
    auto clock = std::make_shared<FakeCameraClock>();
    auto device = std::make_shared<FakeV4l2>(*clock);
    device->addNode(Camera("/dev/video3", {Format(V4L2_PIX_FMT_YUYV)}));
    OpenedCamera opened = V4l2Camera::Open(device, clock, "/dev/video3");
    ASSERT_NE(opened.source, nullptr) << opened.error.step;
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!opened.source->takeNewestFrame(bytes, layout)) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::yield();
    }
    EXPECT_EQ(layout, FrameLayout::Yuy2);
    opened.source.reset();
    EXPECT_EQ(device->openDescriptors(), 0);
    EXPECT_EQ(device->mappedBuffers(), 0);
}

}  // namespace
}  // namespace veltranix
