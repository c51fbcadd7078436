#include "platform/linux/camera_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/platform/fake_v4l2_device.h"
#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using testing::FakeFormat;
using testing::FakeNode;

constexpr const char* kUsbCamera = "/dev/v4l/by-id/usb-Acme_HD_Webcam-video-index0";

FakeNode Node(const char* path, std::vector<FakeFormat> formats, std::string stablePath = {}) {
    FakeNode node{path, std::move(formats)};
    node.stablePath = std::move(stablePath);
    return node;
}

// A laptop's infrared camera (greyscale only; libv4l2 offers it converted)
// beside its ordinary one.
std::vector<FakeNode> InfraredBesideColour() {
    return {Node("/dev/video0", {FakeFormat{V4L2_PIX_FMT_GREY},
                                 FakeFormat{V4L2_PIX_FMT_YUYV, V4L2_FMT_FLAG_EMULATED}}),
            Node("/dev/video1", {FakeFormat{V4L2_PIX_FMT_YUYV}}, kUsbCamera)};
}

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
             {"/dev/null", CameraKind::Device, "/dev/null"},
             {"steered:/tmp/face.control", CameraKind::SteeredFace, "/tmp/face.control"},
             {"steered:", CameraKind::Unrecognised, "steered:"},
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

    // The steered face without its photograph beside the program.
    const OpenedCamera noPhoto = OpenCamera("steered:/tmp/none", folder.path());
    EXPECT_EQ(noPhoto.source, nullptr);
    EXPECT_NE(noPhoto.error.step.find("demo/face.png"), std::string::npos);
}

TEST(CameraFactory, SteeredFaceFromTheProgramFolderStreams) {
    testing::TemporaryFolder folder;
    std::filesystem::create_directories(folder.path() / "demo");
    std::filesystem::copy_file(VELTRANIX_SHARED_TESTDATA "/astronaut.png",
                               SteeredFacePhotograph(folder.path()));
    testing::WriteFile(folder.path() / "control", "layout=i420\n");
    OpenedCamera opened =
        OpenCamera("steered:" + (folder.path() / "control").string(), folder.path());
    ASSERT_NE(opened.source, nullptr) << opened.error.step;
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
    ASSERT_TRUE(
        testing::WaitFor([&] { return opened.source->takeNewestFrame(bytes, layout); }, 10));
    EXPECT_EQ(layout, FrameLayout::I420);
    EXPECT_EQ(bytes.size(), FrameBufferBytes(FrameLayout::I420));
    EXPECT_EQ(opened.source->status().health, CameraHealth::Streaming);
}

// The first camera passes over nodes without a colour picture of their own,
// and takes the first capture node when no node has one.
TEST(CameraFactory, FirstCameraPassesOverInfraredAndDepthNodes) {
    FakeNode metadata = Node("/dev/video0", {FakeFormat{V4L2_PIX_FMT_YUYV}});
    metadata.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    const FakeNode colour =
        Node("/dev/video2", {FakeFormat{V4L2_PIX_FMT_MJPEG}, FakeFormat{V4L2_PIX_FMT_YUYV}});
    const struct {
        const char* name;
        std::vector<FakeNode> nodes;
        const char* opened;  // the device that streams; none: NoFormat
        const char* chosen;
    } cases[] = {
        {"infrared beside colour", InfraredBesideColour(), "/dev/video1", "/dev/video1"},
        {"depth and Y16",
         {Node("/dev/video0", {FakeFormat{V4L2_PIX_FMT_Z16}, FakeFormat{V4L2_PIX_FMT_Y16}}),
          colour},
         "/dev/video2",
         "/dev/video2"},
        {"metadata", {metadata, colour}, "/dev/video2", "/dev/video2"},
        {"colour first", {colour, InfraredBesideColour()[0]}, "/dev/video2", "/dev/video2"},
        {"greyscale only",
         {Node("/dev/video0", {FakeFormat{V4L2_PIX_FMT_GREY}})},
         nullptr,
         "/dev/video0"},
    };
    for (const auto& c : cases) {
        testing::FakeCameraClock clock;
        testing::FakeV4l2 device(clock);
        for (const FakeNode& node : c.nodes) {
            device.addNode(node);
        }
        const std::vector<CaptureDevice> devices = ListCaptureDevices(device);
        const CaptureDevice* first = FirstCamera(devices);
        ASSERT_NE(first, nullptr) << c.name;
        EXPECT_EQ(first->path, c.chosen) << c.name;
        V4l2Capture capture(device, clock, "");
        const std::optional<CameraOpenError> error = capture.start();
        if (c.opened == nullptr) {
            ASSERT_TRUE(error.has_value()) << c.name;
            EXPECT_EQ(error->failure, CameraFailure::NoFormat) << c.name;
            continue;
        }
        ASSERT_FALSE(error.has_value()) << c.name << ": " << error->step;
        EXPECT_EQ(capture.description().rfind(c.opened, 0), 0u) << c.name;
    }
}

// The camera a start opens: --camera for the run, else the stored one while
// it is plugged in, else the first camera; the infrared node is never offered.
TEST(CameraFactory, StoredCameraIsOpenedWhilePluggedIn) {
    testing::FakeCameraClock clock;
    testing::FakeV4l2 device(clock);
    for (const FakeNode& node : InfraredBesideColour()) {
        device.addNode(node);
    }
    const std::vector<CaptureDevice> devices = ListCaptureDevices(device);
    const std::vector<CaptureDevice> offered = ChoosableCameras(devices);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].stablePath, kUsbCamera);
    EXPECT_EQ(devices[0].stablePath, "/dev/video0") << "no link: the node itself";
    const struct {
        const char* commandLine;
        const char* stored;
        const char* opened;
    } cases[] = {
        {"", kUsbCamera, kUsbCamera},
        {"", "/dev/video1", "/dev/video1"},
        {"", "/dev/v4l/by-id/usb-Unplugged-video-index0", ""},
        {"", "", ""},
        {"steered:/tmp/face.control", kUsbCamera, "steered:/tmp/face.control"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CameraToOpen(c.commandLine, c.stored, devices), c.opened) << c.stored;
    }
    const CaptureDevice* inUse = DeviceFor(kUsbCamera, devices);
    ASSERT_NE(inUse, nullptr);
    EXPECT_EQ(inUse->path, "/dev/video1");
    EXPECT_EQ(DeviceFor("", devices), inUse) << "the first camera";
    V4l2Capture capture(device, clock, kUsbCamera);
    ASSERT_FALSE(capture.start().has_value());
    EXPECT_EQ(capture.description().rfind(kUsbCamera, 0), 0u);
}

}  // namespace
}  // namespace veltranix
