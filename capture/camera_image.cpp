#include "capture/camera_image.h"

#include <algorithm>

#include <opencv2/imgproc.hpp>

namespace veltranix {

std::string CropToCameraFrame(const cv::Mat& picture, cv::Mat& frame) {
    const std::string size = std::to_string(picture.cols) + " x " + std::to_string(picture.rows);
    if (picture.empty()) {
        return "the picture is empty";
    }
    if (picture.depth() != CV_8U ||
        (picture.channels() != 1 && picture.channels() != 3 && picture.channels() != 4)) {
        return "the picture of " + size + " pixels is not 8-bit grey or colour";
    }
    long width = picture.cols;
    long height = picture.rows;
    if (width * 3 > height * 4) {
        width = height * 4 / 3;
    } else {
        height = width * 3 / 4;
    }
    if (width < 1 || height < 1) {
        return "the picture of " + size + " pixels is too small to crop to 4:3";
    }
    const cv::Rect crop(static_cast<int>((picture.cols - width) / 2),
                        static_cast<int>((picture.rows - height) / 2), static_cast<int>(width),
                        static_cast<int>(height));
    cv::Mat scaled;
    if (crop.width == kFrameWidth && crop.height == kFrameHeight) {
        // Already the frame's size: no scaling, no copy.
        scaled = picture(crop);
    } else {
        cv::resize(picture(crop), scaled, cv::Size(kFrameWidth, kFrameHeight), 0, 0,
                   cv::INTER_AREA);
    }
    if (scaled.channels() == 1) {
        cv::cvtColor(scaled, frame, cv::COLOR_GRAY2BGR);
    } else if (scaled.channels() == 4) {
        cv::cvtColor(scaled, frame, cv::COLOR_BGRA2BGR);
    } else {
        frame = scaled;
    }
    return {};
}

void BgrToLayout(const cv::Mat& bgr, FrameLayout layout, std::vector<std::uint8_t>& bytes) {
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

}  // namespace veltranix
