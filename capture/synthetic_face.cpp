#include "capture/synthetic_face.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace veltranix {

namespace {

// The stock cascade's face box centre in the photograph.
const cv::Point2d kFaceCentre{225.5, 114.5};
const cv::Point2d kLeftEye{202.0, 101.0};
const cv::Point2d kRightEye{246.0, 104.0};
const cv::Point2d kMouth{224.0, 145.0};

// The lid: how far above the eye centre its sliding skin starts, and how wide
// it is, in frame pixels.
constexpr int kLidReach = 26;
constexpr int kLidEdgeAbove = 5;  // the open lid's edge above the eye centre
constexpr int kLidHalfWidth = 24;
// The jaw: how far below the lips and to either side it moves.
constexpr int kJawDepth = 70;
constexpr int kJawHalfWidth = 34;

}  // namespace

std::optional<SyntheticFace> SyntheticFace::Load(const std::filesystem::path& photograph) {
    cv::Mat photo = cv::imread(photograph.string(), cv::IMREAD_COLOR);
    if (photo.empty()) {
        return std::nullopt;
    }
    return SyntheticFace(std::move(photo));
}

cv::Point2d SyntheticFace::toFrame(cv::Point2d photoPoint, const FaceScene& scene) const {
    return {kScale * (photoPoint.x - kFaceCentre.x) + kFrameWidth / 2.0 + scene.offsetX,
            kScale * (photoPoint.y - kFaceCentre.y) + kFrameHeight / 2.0 + scene.offsetY};
}

cv::Point2d SyntheticFace::leftEye(const FaceScene& scene) const {
    return toFrame(kLeftEye, scene);
}

cv::Point2d SyntheticFace::rightEye(const FaceScene& scene) const {
    return toFrame(kRightEye, scene);
}

cv::Point2d SyntheticFace::mouth(const FaceScene& scene) const {
    return toFrame(kMouth, scene);
}

void SyntheticFace::lowerLid(cv::Mat& frame, cv::Point2d eye, int down) const {
    // Every row from the brow to the lid's new edge shows the row `down`
    // above it: the lid and its crease slide over the eye.
    const int centreX = cvRound(eye.x);
    const int top = cvRound(eye.y) - kLidReach;
    const int edge = cvRound(eye.y) - kLidEdgeAbove + down;
    const int left = std::max(0, centreX - kLidHalfWidth);
    const int right = std::min(frame.cols - 1, centreX + kLidHalfWidth);
    for (int y = std::min(frame.rows - 1, edge); y >= std::max(0, top + down); --y) {
        const int from = y - down;
        for (int x = left; x <= right; ++x) {
            frame.at<cv::Vec3b>(y, x) = frame.at<cv::Vec3b>(from, x);
        }
    }
}

void SyntheticFace::openMouth(cv::Mat& frame, cv::Point2d lips, int opening) const {
    // The chin and the lower lip move down; the gap between the lips is dark.
    const int lipLine = cvRound(lips.y);
    const int left = std::max(0, cvRound(lips.x) - kJawHalfWidth);
    const int right = std::min(frame.cols - 1, cvRound(lips.x) + kJawHalfWidth);
    const int bottom = std::min(frame.rows - 1, lipLine + kJawDepth);
    for (int y = bottom; y >= lipLine; --y) {
        for (int x = left; x <= right; ++x) {
            const int from = y - opening;
            const bool inGap = from < lipLine && std::abs(x - cvRound(lips.x)) < kJawHalfWidth - 8;
            frame.at<cv::Vec3b>(y, x) =
                inGap ? cv::Vec3b(24, 18, 30) : frame.at<cv::Vec3b>(std::max(from, lipLine), x);
        }
    }
}

cv::Mat SyntheticFace::renderBgr(const FaceScene& scene) const {
    const cv::Point2d origin = toFrame({0.0, 0.0}, scene);
    const cv::Matx23d transform(kScale, 0.0, origin.x, 0.0, kScale, origin.y);
    cv::Mat frame;
    if (scene.faceVisible) {
        cv::warpAffine(photo_, frame, transform, cv::Size(kFrameWidth, kFrameHeight),
                       cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    } else {
        frame = cv::Mat(kFrameHeight, kFrameWidth, CV_8UC3, cv::Scalar(40, 44, 46));
    }
    if (scene.faceVisible) {
        if (scene.firstLidDown > 0) {
            lowerLid(frame, leftEye(scene), scene.firstLidDown);
        }
        if (scene.secondLidDown > 0) {
            lowerLid(frame, rightEye(scene), scene.secondLidDown);
        }
        if (scene.mouthOpening > 0) {
            openMouth(frame, mouth(scene), scene.mouthOpening);
        }
    }
    if (scene.noiseSigma > 0.0) {
        cv::Mat noise(frame.size(), CV_16SC3);
        cv::RNG random(scene.noiseSeed);
        random.fill(noise, cv::RNG::NORMAL, 0.0, scene.noiseSigma);
        cv::Mat noisy;
        frame.convertTo(noisy, CV_16SC3);
        noisy += noise;
        noisy.convertTo(frame, CV_8UC3);
    }
    return frame;
}

namespace {

// Lid positions of a blink: down in `framesDown` steps to closed, then up.
std::vector<int> LidPath(int framesDown) {
    constexpr int kClosed = 18;
    std::vector<int> path;
    for (int step = 1; step <= framesDown; ++step) {
        path.push_back(kClosed * step / framesDown);
    }
    for (int step = framesDown - 1; step >= 0; --step) {
        path.push_back(kClosed * step / framesDown);
    }
    return path;
}

FaceScene Resting(std::uint32_t seed) {
    FaceScene scene;
    scene.noiseSeed = seed;
    return scene;
}

}  // namespace

std::vector<FaceScene> BlinkScenes(int framesDown, std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes;
    for (const int down : LidPath(framesDown)) {
        FaceScene scene = Resting(firstSeed++);
        scene.firstLidDown = down;
        scene.secondLidDown = down;
        scenes.push_back(scene);
    }
    return scenes;
}

std::vector<FaceScene> WinkScenes(int framesDown, std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes;
    for (const int down : LidPath(framesDown)) {
        FaceScene scene = Resting(firstSeed++);
        scene.secondLidDown = down;
        scenes.push_back(scene);
    }
    return scenes;
}

std::vector<FaceScene> BlinkWhileTalkingScenes(std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes = BlinkScenes(3, firstSeed);
    // The jaw opens and closes by 4 pixels a frame while the lids move.
    const int mouthPath[] = {4, 8, 12, 8, 4, 0};
    for (std::size_t frame = 0; frame < scenes.size(); ++frame) {
        scenes[frame].mouthOpening = mouthPath[frame % 6];
    }
    return scenes;
}

std::vector<FaceScene> MouthOpeningScenes(std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes;
    for (const int opening : {4, 8, 12, 16, 16, 16, 16, 12, 8, 4, 0}) {
        FaceScene scene = Resting(firstSeed++);
        scene.mouthOpening = opening;
        scenes.push_back(scene);
    }
    return scenes;
}

std::vector<FaceScene> HeadShakeScenes(double amplitude, int framesPerSide, int swings,
                                       std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes;
    for (int swing = 0; swing < swings; ++swing) {
        for (int frame = 0; frame < framesPerSide; ++frame) {
            FaceScene scene = Resting(firstSeed++);
            scene.offsetX = swing % 2 == 0 ? amplitude : -amplitude;
            scenes.push_back(scene);
        }
    }
    scenes.push_back(Resting(firstSeed));
    return scenes;
}

std::vector<FaceScene> DriftScenes(double fromX, double toX, double pixelsPerFrame, int restFrames,
                                   std::uint32_t firstSeed) {
    std::vector<FaceScene> scenes;
    const int steps =
        std::max(1, static_cast<int>(std::ceil(std::abs(toX - fromX) / pixelsPerFrame)));
    for (int step = 1; step <= steps + restFrames; ++step) {
        FaceScene scene = Resting(firstSeed++);
        scene.offsetX = fromX + (toX - fromX) * std::min(step, steps) / steps;
        scenes.push_back(scene);
    }
    return scenes;
}

}  // namespace veltranix
