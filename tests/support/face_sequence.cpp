#include "tests/support/face_sequence.h"

#include <cstdio>
#include <cstdlib>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace veltranix::testing {

namespace {

// The stock cascade's face box centre in the photograph.
const cv::Point2d kFaceCentre{225.5, 114.5};
const cv::Point2d kLeftEye{202.0, 101.0};
const cv::Point2d kRightEye{246.0, 104.0};

}  // namespace

FaceSequence::FaceSequence() {
    const char* path = VELTRANIX_SHARED_TESTDATA "/astronaut.png";
    photo_ = cv::imread(path, cv::IMREAD_COLOR);
    if (photo_.empty()) {
        std::fprintf(stderr, "cannot read the test photograph %s\n", path);
        std::abort();
    }
}

cv::Point2d FaceSequence::toFrame(cv::Point2d photoPoint, const FaceScene& scene) const {
    return {kScale * (photoPoint.x - kFaceCentre.x) + kFrameWidth / 2.0 + scene.offsetX,
            kScale * (photoPoint.y - kFaceCentre.y) + kFrameHeight / 2.0 + scene.offsetY};
}

cv::Point2d FaceSequence::leftEye(const FaceScene& scene) const {
    return toFrame(kLeftEye, scene);
}

cv::Point2d FaceSequence::rightEye(const FaceScene& scene) const {
    return toFrame(kRightEye, scene);
}

cv::Mat FaceSequence::renderBgr(const FaceScene& scene) const {
    const cv::Point2d origin = toFrame({0.0, 0.0}, scene);
    const cv::Matx23d transform(kScale, 0.0, origin.x, 0.0, kScale, origin.y);
    cv::Mat frame;
    if (scene.faceVisible) {
        cv::warpAffine(photo_, frame, transform, cv::Size(kFrameWidth, kFrameHeight),
                       cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    } else {
        frame = cv::Mat(kFrameHeight, kFrameWidth, CV_8UC3, cv::Scalar(40, 44, 46));
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

void FaceSequence::ToLayout(const cv::Mat& bgr, FrameLayout layout,
                            std::vector<std::uint8_t>& bytes) {
    bytes.resize(FrameBufferBytes(layout));
    switch (layout) {
        case FrameLayout::Rgb24BottomUp:
            for (int y = 0; y < kFrameHeight; ++y) {
                const std::uint8_t* row = bgr.ptr<std::uint8_t>(y);
                std::copy(row, row + kFrameWidth * 3,
                          bytes.begin() +
                              static_cast<std::ptrdiff_t>(kFrameHeight - 1 - y) * kFrameWidth * 3);
            }
            return;
        case FrameLayout::I420:
        case FrameLayout::Yuy2: {
            cv::Mat planar;
            cv::cvtColor(bgr, planar, cv::COLOR_BGR2YUV_I420);
            const std::uint8_t* data = planar.ptr<std::uint8_t>(0);
            if (layout == FrameLayout::I420) {
                std::copy(data, data + bytes.size(), bytes.begin());
                return;
            }
            const std::uint8_t* uPlane = data + kFramePixels;
            const std::uint8_t* vPlane = uPlane + kFramePixels / 4;
            for (int y = 0; y < kFrameHeight; ++y) {
                for (int pair = 0; pair < kFrameWidth / 2; ++pair) {
                    std::uint8_t* out = bytes.data() + (y * kFrameWidth + 2 * pair) * 2;
                    const int chroma = (y / 2) * (kFrameWidth / 2) + pair;
                    out[0] = data[y * kFrameWidth + 2 * pair];
                    out[1] = uPlane[chroma];
                    out[2] = data[y * kFrameWidth + 2 * pair + 1];
                    out[3] = vPlane[chroma];
                }
            }
            return;
        }
    }
}

}  // namespace veltranix::testing
