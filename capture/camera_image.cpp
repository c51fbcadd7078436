#include "capture/camera_image.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace veltranix {

PictureTurn TakeOverPictureTurn(cv::VideoCapture& video) {
    if (!video.set(cv::CAP_PROP_ORIENTATION_AUTO, 0)) {
        return PictureTurn::Upright;
    }
    // The flag is the anticlockwise angle, in degrees, that shows the stored
    // picture upright.
    switch (static_cast<int>(std::lround(video.get(cv::CAP_PROP_ORIENTATION_META))) % 360) {
        case 90:
        case -270:
            return PictureTurn::QuarterAnticlockwise;
        case 180:
        case -180:
            return PictureTurn::HalfTurn;
        case 270:
        case -90:
            return PictureTurn::QuarterClockwise;
        default:
            return PictureTurn::Upright;
    }
}

void TurnPicture(const cv::Mat& stored, cv::Mat& turned, PictureTurn turn) {
    switch (turn) {
        case PictureTurn::Upright:
            turned = stored;
            return;
        case PictureTurn::QuarterClockwise:
            cv::rotate(stored, turned, cv::ROTATE_90_CLOCKWISE);
            return;
        case PictureTurn::HalfTurn:
            cv::rotate(stored, turned, cv::ROTATE_180);
            return;
        case PictureTurn::QuarterAnticlockwise:
            cv::rotate(stored, turned, cv::ROTATE_90_COUNTERCLOCKWISE);
            return;
    }
}

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

namespace {

// Doubles every byte of a row of `count` bytes into `row`, 16 at a time.
void DoubleBytes(const std::uint8_t* source, std::ptrdiff_t count, std::uint8_t* row) {
    std::ptrdiff_t x = 0;
#if defined(__x86_64__)
    for (; x + 16 <= count; x += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 2 * x), _mm_unpacklo_epi8(in, in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 2 * x + 16), _mm_unpackhi_epi8(in, in));
    }
#endif
    std::uint8_t* out = row + 2 * x;
    for (const std::uint8_t* in = source + x; in < source + count; ++in) {
        *out++ = *in;
        *out++ = *in;
    }
}

// Doubles a plane of `width` x `height` bytes both ways into `out`.
void DoublePlane(const std::uint8_t* plane, int width, int height, std::uint8_t* out) {
    const std::ptrdiff_t outWidth = 2 * width;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* upper = out + 2 * y * outWidth;
        DoubleBytes(plane + static_cast<std::ptrdiff_t>(y) * width, width, upper);
        std::copy(upper, upper + outWidth, upper + outWidth);
    }
}

}  // namespace

void DoubleHalfSizeI420(const std::uint8_t* half, std::vector<std::uint8_t>& bytes) {
    constexpr int kHalfWidth = kFrameWidth / 2;
    constexpr int kHalfHeight = kFrameHeight / 2;
    bytes.resize(FrameBufferBytes(FrameLayout::I420));
    const std::uint8_t* u = half + kHalfWidth * kHalfHeight;
    const std::uint8_t* v = u + kHalfWidth * kHalfHeight / 4;
    std::uint8_t* out = bytes.data();
    DoublePlane(half, kHalfWidth, kHalfHeight, out);
    DoublePlane(u, kHalfWidth / 2, kHalfHeight / 2, out + kFramePixels);
    DoublePlane(v, kHalfWidth / 2, kHalfHeight / 2, out + kFramePixels + kFramePixels / 4);
}

void HalfSizeBgrToI420(const cv::Mat& bgr, cv::Mat& planar, std::vector<std::uint8_t>& bytes) {
    cv::cvtColor(bgr, planar, cv::COLOR_BGR2YUV_I420);
    DoubleHalfSizeI420(planar.ptr<std::uint8_t>(0), bytes);
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
