#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>

#include "capture/camera_image.h"
#include "capture/capture_frame.h"

namespace veltranix {

// Where the photographed face sits in one generated frame.
struct FaceScene {
    double offsetX = 0.0;  // pixels the face is moved from its home position
    double offsetY = 0.0;
    double noiseSigma = 1.5;  // camera noise, grey levels
    std::uint32_t noiseSeed = 1;
    bool faceVisible = true;  // false: the user has left, the camera sees a plain wall
    // Eyelids: how far each upper lid has come down over the eye, in frame
    // pixels (0 open; 15 closed). The lid slides down with its skin texture.
    int firstLidDown = 0;   // the eye on the image's left
    int secondLidDown = 0;  // the eye on the image's right
    // How far the jaw has dropped below the lips, in frame pixels; the gap
    // between the lips is dark.
    int mouthOpening = 0;
};

// Frame-by-frame paths of the gestures, as scenes around a resting face.
// Each starts and ends on the open, resting face.
std::vector<FaceScene> BlinkScenes(int framesDown, std::uint32_t firstSeed);
std::vector<FaceScene> WinkScenes(int framesDown, std::uint32_t firstSeed);
std::vector<FaceScene> BlinkWhileTalkingScenes(std::uint32_t firstSeed);
std::vector<FaceScene> MouthOpeningScenes(std::uint32_t firstSeed);
// Left and right of the rest position by `amplitude` pixels, each side held
// `framesPerSide` frames, `swings` sides in all (starting to the image's right).
std::vector<FaceScene> HeadShakeScenes(double amplitude, int framesPerSide, int swings,
                                       std::uint32_t firstSeed);
// The face sliding sideways from `fromX` to `toX` (offsets) by at most
// `pixelsPerFrame`, then resting there for `restFrames`.
std::vector<FaceScene> DriftScenes(double fromX, double toX, double pixelsPerFrame, int restFrames,
                                   std::uint32_t firstSeed);

// Builds 640 x 480 frames from the astronaut photograph (a real frontal face,
// see testdata/README.md) scaled by 2.2, moved along known paths. At offset
// (0, 0) the face box centre is at the frame centre. The landmarks below are
// that photograph's; another photograph gives wrong ground truth.
class SyntheticFace {
  public:
    static constexpr double kScale = 2.2;

    // Reads the photograph; none when it cannot be read.
    static std::optional<SyntheticFace> Load(const std::filesystem::path& photograph);
    explicit SyntheticFace(cv::Mat photograph) : photo_(std::move(photograph)) {}

    // The frame as blue-green-red, top row first.
    cv::Mat renderBgr(const FaceScene& scene) const;

    // The frame in a capture layout, written into `bytes` (resized as needed).
    static void ToLayout(const cv::Mat& bgr, FrameLayout layout, std::vector<std::uint8_t>& bytes) {
        BgrToLayout(bgr, layout, bytes);
    }

    // Ground truth in frame pixels for the scene.
    cv::Point2d leftEye(const FaceScene& scene) const;   // on the image's left
    cv::Point2d rightEye(const FaceScene& scene) const;  // on the image's right
    cv::Point2d toFrame(cv::Point2d photoPoint, const FaceScene& scene) const;
    cv::Point2d mouth(const FaceScene& scene) const;

  private:
    void lowerLid(cv::Mat& frame, cv::Point2d eye, int down) const;
    void openMouth(cv::Mat& frame, cv::Point2d lips, int opening) const;
    cv::Mat photo_;
};

}  // namespace veltranix
