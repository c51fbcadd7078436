#include "platform/linux/v4l2_camera.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/fakes/fake_camera_clock.h"
#include "tests/platform/fake_v4l2_device.h"
#include "tests/support/real_time.h"

namespace veltranix {
namespace {

using std::chrono::milliseconds;
using testing::FakeCameraClock;
using testing::FakeNode;
using testing::FakeV4l2;
using Format = testing::FakeFormat;

constexpr std::uint32_t kYuyv = V4L2_PIX_FMT_YUYV;
constexpr std::uint32_t kI420 = V4L2_PIX_FMT_YUV420;
constexpr std::uint32_t kMetadataCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;

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

// The first usable format in the driver's order; none usable: NoFormat.
TEST(V4l2Camera, ChoosesTheFirstUsableFormatInDriverOrder) {
    const struct {
        const char* name;
        std::vector<Format> formats;
        std::optional<FrameLayout> layout;  // none: NoFormat
        const char* describedAs;
    } cases[] = {
        {"RGB before I420",
         {Format{V4L2_PIX_FMT_RGB24}, Format{kI420}},
         FrameLayout::Rgb24BottomUp,
         "/dev/video0 (Fake Camera) RGB3 640 x 480"},
        {"MJPG with converted YUYV",
         {Format{V4L2_PIX_FMT_MJPEG}, Format{kYuyv, V4L2_FMT_FLAG_EMULATED}},
         FrameLayout::Yuy2,
         "/dev/video0 (Fake Camera) YUYV (converted) 640 x 480"},
        {"MJPG only", {Format{V4L2_PIX_FMT_MJPEG}}, std::nullopt, ""},
        {"YUYV without 640 x 480",
         {Format{kYuyv, 0, {{1280, 720}, {320, 240}}}, Format{kI420}},
         FrameLayout::I420,
         "/dev/video0 (Fake Camera) YU12 640 x 480"},
        {"stepwise sizes",
         {Format{V4L2_PIX_FMT_BGR24, 0, {}, v4l2_frmsize_stepwise{160, 1280, 16, 120, 960, 8}}},
         FrameLayout::Rgb24BottomUp,
         "/dev/video0 (Fake Camera) BGR3 640 x 480"},
        {"YUYV refused, I420 next",
         {Format{kYuyv, 0, {{640, 480}}, std::nullopt, EINVAL}, Format{kI420}},
         FrameLayout::I420,
         "/dev/video0 (Fake Camera) YU12 640 x 480"},
        {"stepwise sizes missing 640",
         {Format{kYuyv, 0, {}, v4l2_frmsize_stepwise{160, 1280, 100, 120, 960, 8}}},
         std::nullopt,
         ""},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.device.addNode({"/dev/video0", c.formats});
        const std::optional<CameraOpenError> error = rig.Start();
        if (!c.layout) {
            ASSERT_TRUE(error.has_value()) << c.name;
            EXPECT_EQ(error->failure, CameraFailure::NoFormat) << c.name;
            EXPECT_EQ(rig.device.openDescriptors(), 0) << c.name;
            continue;
        }
        ASSERT_FALSE(error.has_value()) << c.name << ": " << error->step;
        EXPECT_EQ(rig.capture->description(), c.describedAs);
        ASSERT_TRUE(rig.StepToFrame()) << c.name;
        EXPECT_EQ(rig.layout, *c.layout) << c.name;
        EXPECT_EQ(rig.bytes.size(), FrameBufferBytes(*c.layout)) << c.name;
    }
}

// The driver's row padding is passed over (the packing's own tests check
// every layout), and 25 frames a second are asked for.
TEST(V4l2Camera, PaddedRgbRowsArriveWholeAtTwentyFiveFramesASecond) {
    Rig rig;
    FakeNode node{"/dev/video0", {Format{V4L2_PIX_FMT_RGB24}}};
    node.rowPadding = 64;
    rig.device.addNode(node);
    ASSERT_FALSE(rig.Start().has_value());
    ASSERT_TRUE(rig.StepToFrame());
    ASSERT_EQ(rig.bytes.size(), 921600u);
    // The intensity byte of (300, 10) in the bottom-up layout: its red.
    EXPECT_EQ(rig.bytes[3 * (469 * 640 + 300) + 2], testing::FakePixel(300, 10).red);
    ASSERT_TRUE(rig.device.requestedFrameInterval().has_value());
    EXPECT_EQ(rig.device.requestedFrameInterval()->denominator, 25u);
}

// A failed start names the device, the call and the reason, and leaves
// nothing open or mapped.
TEST(V4l2Camera, AFailedStartNamesTheDeviceTheCallAndTheReason) {
    const struct {
        int openErrno;
        unsigned long failingCall;
        int callErrno;
        const char* step;
    } cases[] = {
        {0, VIDIOC_S_FMT, EBUSY, "/dev/video0: VIDIOC_S_FMT: Device or resource busy"},
        {0, VIDIOC_STREAMON, EBUSY, "/dev/video0: VIDIOC_STREAMON: Device or resource busy"},
        {0, VIDIOC_REQBUFS, ENOMEM, "/dev/video0: VIDIOC_REQBUFS: Cannot allocate memory"},
        {EACCES, 0, 0, "/dev/video0: open: Permission denied"},
    };
    for (const auto& c : cases) {
        Rig rig;
        FakeNode node{"/dev/video0", {Format{kYuyv}}};
        node.openErrno = c.openErrno;
        node.failingCalls[c.failingCall] = c.callErrno;
        rig.device.addNode(node);
        const std::optional<CameraOpenError> error = rig.Start();
        ASSERT_TRUE(error.has_value()) << c.step;
        EXPECT_EQ(error->failure, CameraFailure::StepFailed);
        EXPECT_EQ(error->step, c.step);
        EXPECT_EQ(rig.device.openDescriptors(), 0) << c.step;
        EXPECT_EQ(rig.device.mappedBuffers(), 0) << c.step;
    }
}

TEST(V4l2Camera, NoCaptureNodeIsNoDevice) {
    Rig rig;
    EXPECT_EQ(rig.Start()->failure, CameraFailure::NoDevice);
    FakeNode metadata{"/dev/video1", {}};
    metadata.deviceCaps = kMetadataCaps;
    rig.device.addNode(metadata);
    EXPECT_EQ(rig.Start()->failure, CameraFailure::NoDevice);
    EXPECT_EQ(rig.Start("/dev/video7")->failure, CameraFailure::NoDevice);
    EXPECT_EQ(rig.device.openDescriptors(), 0);
}

TEST(V4l2Camera, UnpluggedCameraIsLostThenReopenedEveryTwoSeconds) {
    Rig rig;
    rig.device.addNode({"/dev/video0", {Format{kYuyv}}});
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
    const std::vector<milliseconds> opens = rig.device.openTimes("/dev/video0");
    EXPECT_EQ(std::vector(opens.begin() + 1, opens.end()),
              (std::vector{lostAt, lostAt + milliseconds(2000), lostAt + milliseconds(4000)}));
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
    rig.device.addNode({"/dev/video0", {Format{kI420}}});
    ASSERT_FALSE(rig.Start("/dev/video0").has_value());
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

// Started while the camera is unplugged, the source waits for it.
TEST(V4l2Camera, ThreadDeliversFramesAndStopsWhenDestroyed) {
    auto clock = std::make_shared<FakeCameraClock>();
    auto device = std::make_shared<FakeV4l2>(*clock);
    device->addNode({"/dev/video3", {Format{kYuyv}}});
    device->setPresent("/dev/video3", false);
    EXPECT_EQ(V4l2Camera::Open(device, clock, "/dev/video3").source, nullptr);
    OpenedCamera opened = V4l2Camera::Open(device, clock, "/dev/video3", CameraStart::KeepTrying);
    ASSERT_NE(opened.source, nullptr);
    EXPECT_TRUE(opened.waiting);
    EXPECT_EQ(opened.error.step, "/dev/video3: open: No such file or directory");
    EXPECT_EQ(opened.source->status().health, CameraHealth::Lost);
    device->setPresent("/dev/video3", true);
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
    ASSERT_TRUE(
        testing::WaitFor([&] { return opened.source->takeNewestFrame(bytes, layout); }, 10));
    EXPECT_EQ(layout, FrameLayout::Yuy2);
    opened.source.reset();
    EXPECT_EQ(device->openDescriptors(), 0);
    EXPECT_EQ(device->mappedBuffers(), 0);
}

}  // namespace
}  // namespace veltranix
