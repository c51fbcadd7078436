#include "capture/steered_face_camera.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/face_sequence.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using std::chrono::milliseconds;

auto Fields(const SteeredControl& c) {
    return std::tuple(c.scene.offsetX, c.scene.offsetY, c.scene.firstLidDown, c.scene.secondLidDown,
                      c.scene.mouthOpening, c.scene.faceVisible, c.scene.noiseSigma, c.layout,
                      c.present, c.frozen);
}

TEST(SteeredControl, AppliesKnownNamesAndKeepsTheRest) {
    SteeredControl control;
    ApplyControlText(
        "offsetX=12.5\noffsetY = -7\nfirstLidDown=9\nsecondLidDown=4\nmouthOpening=16\n"
        "faceVisible=0\nnoiseSigma=0\nlayout=i420\npresent=0\nfrozen=1\ncolour=blue\n",
        control);
    EXPECT_EQ(Fields(control),
              std::tuple(12.5, -7.0, 9, 4, 16, false, 0.0, FrameLayout::I420, false, true));
    // Bad values, malformed lines and Windows line ends.
    ApplyControlText(
        "offsetX=abc\noffsetY=nan\nfirstLidDown=-1\nsecondLidDown=2.5\nmouthOpening=1000\n"
        "faceVisible=2\nnoiseSigma=-1\nlayout=mjpg\npresent=yes\nfrozen=\noffsetX\n=3\n"
        "layout=rgb\r\n",
        control);
    EXPECT_EQ(Fields(control), std::tuple(12.5, -7.0, 9, 4, 16, false, 0.0,
                                          FrameLayout::Rgb24BottomUp, false, true));
}

// The steered face stepped by hand, 40 ms a frame, its control file written
// the way the system test writes it: beside, then renamed over.
struct SteeredRig {
    SteeredRig()
        : face(testing::FaceSequence(), folder.path() / "control", now),
          faces(testing::FaceSequence()) {}

    void Steer(const std::string& text) {
        const std::filesystem::path next = folder.path() / "control.next";
        testing::WriteFile(next, text);
        std::filesystem::rename(next, folder.path() / "control");
    }
    // One frame period; true when a frame came.
    bool Frame() {
        face.produceFrame(now, mailbox);
        now += milliseconds(40);
        return mailbox.take(bytes, layout).has_value();
    }

    testing::TemporaryFolder folder;
    milliseconds now{1000};
    SteeredFace face;
    testing::FaceSequence faces;
    FrameMailbox mailbox;
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
};

TEST(SteeredFace, RendersTheSceneTheControlFileDescribes) {
    SteeredRig rig;
    ASSERT_TRUE(rig.Frame());  // no control file yet: the resting face in YUY2
    EXPECT_EQ(rig.layout, FrameLayout::Yuy2);

    rig.Steer("offsetX=30\noffsetY=-12\nmouthOpening=8\nnoiseSigma=0\nlayout=rgb\n");
    ASSERT_TRUE(rig.Frame());
    EXPECT_EQ(rig.layout, FrameLayout::Rgb24BottomUp);
    FaceScene scene{30, -12, 0};
    scene.mouthOpening = 8;
    std::vector<std::uint8_t> expected;
    testing::FaceSequence::ToLayout(rig.faces.renderBgr(scene), FrameLayout::Rgb24BottomUp,
                                    expected);
    EXPECT_TRUE(rig.bytes == expected);

    // A bad value keeps the previous one; the other lines apply.
    rig.Steer("offsetX=far\noffsetY=-12\nmouthOpening=0\nnoiseSigma=0\nlayout=i420\n");
    ASSERT_TRUE(rig.Frame());
    scene.mouthOpening = 0;
    testing::FaceSequence::ToLayout(rig.faces.renderBgr(scene), FrameLayout::I420, expected);
    EXPECT_EQ(rig.layout, FrameLayout::I420);
    EXPECT_TRUE(rig.bytes == expected);
}

TEST(SteeredFace, AbsentCameraIsLostUntilItComesBack) {
    SteeredRig rig;
    ASSERT_TRUE(rig.Frame());
    rig.Steer("present=0\n");
    EXPECT_FALSE(rig.Frame());
    EXPECT_FALSE(rig.Frame());
    EXPECT_EQ(rig.face.status().health, CameraHealth::Lost);
    rig.Steer("present=1\n");
    EXPECT_TRUE(rig.Frame());
    EXPECT_EQ(rig.face.status().health, CameraHealth::Streaming);
    EXPECT_EQ(rig.face.status().recoveries, 1u);
}

TEST(SteeredFace, FrozenCameraIsFrozenAfterTwoSeconds) {
    SteeredRig rig;
    ASSERT_TRUE(rig.Frame());
    const milliseconds lastFrame = rig.now - milliseconds(40);
    rig.Steer("frozen=1\n");
    while (rig.now - lastFrame < milliseconds(2000)) {
        EXPECT_FALSE(rig.Frame());
        EXPECT_EQ(rig.face.status().health, CameraHealth::Streaming);
    }
    EXPECT_FALSE(rig.Frame());
    EXPECT_EQ(rig.face.status().health, CameraHealth::Frozen);
    rig.Steer("frozen=0\n");
    EXPECT_TRUE(rig.Frame());
    EXPECT_EQ(rig.face.status().health, CameraHealth::Streaming);
    EXPECT_EQ(rig.face.status().recoveries, 1u);
}

TEST(SteeredFace, ReplacementOfTheSameSizeIsReadWithinASecond) {
    SteeredRig rig;
    rig.Steer("layout=i420\n");
    ASSERT_TRUE(rig.Frame());
    ASSERT_EQ(rig.layout, FrameLayout::I420);
    // Same size, possibly the same file time: found by the once-a-second read.
    rig.Steer("layout=yuy2\n");
    int frames = 0;
    while (rig.Frame() && rig.layout != FrameLayout::Yuy2) {
        ASSERT_LT(++frames, 26);
    }
    EXPECT_EQ(rig.layout, FrameLayout::Yuy2);
}

}  // namespace
}  // namespace veltranix
