#include "platform/linux/camera_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/platform/fake_v4l2_device.h"
#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

TEST(CameraArgument, NamesTheKindOfCamera) {
    testing::TemporaryFolder folder;
    const std::filesystem::path video = folder.path() / "face.avi";
    testing::WriteFile(video, "not really a video");
    struct Case {
        std::string argument;
        CameraKind kind;
        std::string path;
    };
    for (const Case& c : std::vector<Case>{
             {"", CameraKind::AutoDevice, ""},
             {"/dev/video2", CameraKind::Device, "/dev/video2"},
             {"steered:/tmp/face.control", CameraKind::Unrecognised, "steered:/tmp/face.control"},
             {video.string(), CameraKind::VideoFile, video.string()},
             {folder.path().string(), CameraKind::Unrecognised, folder.path().string()},
             {(folder.path() / "missing.avi").string(), CameraKind::Unrecognised,
              (folder.path() / "missing.avi").string()},
         }) {
        const CameraRequest request = ParseCameraArgument(c.argument);
        EXPECT_EQ(request.kind, c.kind) << c.argument;
        EXPECT_EQ(request.path, c.path) << c.argument;
    }
}

TEST(CameraFactory, ReportsWhatCannotBeACamera) {
    testing::TemporaryFolder folder;
    const OpenedCamera missing =
        OpenCamera((folder.path() / "missing.avi").string(), folder.path());
    EXPECT_EQ(missing.source, nullptr);
    EXPECT_EQ(missing.error.failure, CameraFailure::StepFailed);
    EXPECT_NE(missing.error.step.find("missing.avi"), std::string::npos);

    const OpenedCamera noDevice = OpenCamera("/dev/veltranix-no-such-camera", folder.path());
    EXPECT_EQ(noDevice.source, nullptr);
    EXPECT_EQ(noDevice.error.failure, CameraFailure::NoDevice);

    testing::WriteFile(folder.path() / "text.avi", "no video in here");
    const OpenedCamera notVideo = OpenCamera((folder.path() / "text.avi").string(), folder.path());
    EXPECT_EQ(notVideo.source, nullptr);
    EXPECT_EQ(notVideo.error.failure, CameraFailure::StepFailed);
}

// The first camera passes over nodes without a colour picture of their own
// (taking the first capture node when none has one); a stored camera is
// opened while it is plugged in; --camera overrides it.
TEST(CameraFactory, FirstCameraSkipsInfraredAndDepthAndTheStoredOneIsOpened) {
    using testing::FakeFormat;
    using testing::FakeNode;
    constexpr const char* kUsb = "/dev/v4l/by-id/usb-Acme_HD_Webcam-video-index0";
    const FakeNode infrared{
        "/dev/video0",
        {FakeFormat{V4L2_PIX_FMT_GREY}, FakeFormat{V4L2_PIX_FMT_YUYV, V4L2_FMT_FLAG_EMULATED}}};
    const FakeNode depth{"/dev/video0",
                         {FakeFormat{V4L2_PIX_FMT_Z16}, FakeFormat{V4L2_PIX_FMT_Y16}}};
    const FakeNode metadata{"/dev/video0", {FakeFormat{}}, V4L2_CAP_META_CAPTURE};
    FakeNode colour{"/dev/video1", {FakeFormat{V4L2_PIX_FMT_MJPEG}, FakeFormat{}}};
    colour.stablePath = kUsb;
    const struct {
        std::vector<FakeNode> nodes;
        const char* stored;
        const char* commandLine;
        const char* opened;
    } cases[] = {
        {{infrared, colour}, "", "", "/dev/video1"},
        {{depth, colour}, "", "", "/dev/video1"},
        {{metadata, colour}, "", "", "/dev/video1"},
        {{infrared}, "", "", "/dev/video0"},
        {{infrared, colour}, kUsb, "", kUsb},
        {{infrared, colour}, "/dev/v4l/by-id/usb-Unplugged-video-index0", "", "/dev/video1"},
        {{infrared, colour}, kUsb, "/dev/video0", "/dev/video0"},
    };
    for (const auto& c : cases) {
        testing::FakeCameraClock clock;
        testing::FakeV4l2 device(clock);
        for (const FakeNode& node : c.nodes) {
            device.addNode(node);
        }
        const std::vector<CaptureDevice> devices = ListCaptureDevices(device);
        ASSERT_EQ(ChoosableCameras(devices).size(), 1u) << c.opened;
        EXPECT_EQ(ChoosableCameras(devices)[0].card, "Fake Camera");
        V4l2Capture capture(device, clock, CameraToOpen(c.commandLine, c.stored, devices));
        const std::optional<CameraOpenError> error = capture.start();
        ASSERT_FALSE(error.has_value()) << error->step;
        EXPECT_EQ(capture.description().rfind(c.opened, 0), 0u) << capture.description();
    }
}

}  // namespace
}  // namespace veltranix
