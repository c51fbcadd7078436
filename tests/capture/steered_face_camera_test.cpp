#include "tests/capture/steered_face_camera.h"

#include <gtest/gtest.h>

#include <tuple>

namespace veltranix {
namespace {

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

}  // namespace
}  // namespace veltranix
