#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>

#include "capture/capture_frame.h"

namespace veltranix::testing {

// Where the photographed face sits in one generated frame.
struct FaceScene {
    double offsetX = 0.0;  // pixels the face is moved from its home position
    double offsetY = 0.0;
    double noiseSigma = 1.5;  // camera noise, grey levels
    std::uint32_t noiseSeed = 1;
    bool faceVisible = true;  // false: the user has left, the camera sees a plain wall
};

// Builds 640 x 480 frames from the astronaut photograph (a real frontal face,
// see testdata/README.md) scaled by 2.2, moved along known paths. At offset
// (0, 0) the face box centre is at the frame centre.
class FaceSequence {
  public:
    static constexpr double kScale = 2.2;

    // Loads the photograph; aborts the test program when it is missing.
    FaceSequence();

    // The frame as blue-green-red, top row first.
    cv::Mat renderBgr(const FaceScene& scene) const;

    // The frame in a capture layout, written into `bytes` (resized as needed).
    static void ToLayout(const cv::Mat& bgr, FrameLayout layout, std::vector<std::uint8_t>& bytes);

    // Ground truth in frame pixels for the scene.
    cv::Point2d leftEye(const FaceScene& scene) const;   // on the image's left
    cv::Point2d rightEye(const FaceScene& scene) const;  // on the image's right
    cv::Point2d toFrame(cv::Point2d photoPoint, const FaceScene& scene) const;

  private:
    cv::Mat photo_;
};

}  // namespace veltranix::testing
