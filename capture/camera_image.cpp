#include "capture/camera_image.h"

#include <algorithm>

#include <opencv2/imgproc.hpp>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

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

namespace {

// Doubles every pixel of a 320-pixel row of 3-byte pixels into 640 pixels.
void DoubleRowScalar(const std::uint8_t* source, std::uint8_t* row) {
    for (int x = 0; x < kFrameWidth / 2; ++x) {
        std::uint8_t* out = row + x * 6;
        out[0] = out[3] = source[x * 3];
        out[1] = out[4] = source[x * 3 + 1];
        out[2] = out[5] = source[x * 3 + 2];
    }
}

#if defined(__x86_64__)
// The same, 8 source pixels (48 bytes out) per step: three overlapping loads,
// each shuffled into 16 bytes of doubled pixels.
__attribute__((target("ssse3"))) void DoubleRowShuffled(const std::uint8_t* source,
                                                        std::uint8_t* row) {
    const __m128i first = _mm_setr_epi8(0, 1, 2, 0, 1, 2, 3, 4, 5, 3, 4, 5, 6, 7, 8, 6);
    const __m128i second = _mm_setr_epi8(3, 4, 5, 6, 7, 5, 6, 7, 8, 9, 10, 8, 9, 10, 11, 12);
    const __m128i third = _mm_setr_epi8(9, 7, 8, 9, 10, 11, 12, 10, 11, 12, 13, 14, 15, 13, 14, 15);
    for (int x = 0; x < kFrameWidth / 2; x += 8) {
        const std::uint8_t* in = source + x * 3;
        std::uint8_t* out = row + x * 6;
        const auto load = [in](int offset) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + offset));
        };
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(load(0), first));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_shuffle_epi8(load(4), second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), _mm_shuffle_epi8(load(8), third));
    }
}
#endif

}  // namespace

void HalfSizeBgrToBottomUp(const cv::Mat& bgr, std::vector<std::uint8_t>& bytes) {
    constexpr std::ptrdiff_t kRowBytes = kFrameWidth * 3;
    bytes.resize(FrameBufferBytes(FrameLayout::Rgb24BottomUp));
#if defined(__x86_64__)
    static const bool shuffled = __builtin_cpu_supports("ssse3");
#endif
    for (int y = 0; y < kFrameHeight / 2; ++y) {
        const std::uint8_t* source = bgr.ptr<std::uint8_t>(y);
        // Source row y becomes frame rows 2y and 2y + 1, stored bottom-up.
        std::uint8_t* upper = bytes.data() + (kFrameHeight - 1 - 2 * y) * kRowBytes;
#if defined(__x86_64__)
        if (shuffled) {
            DoubleRowShuffled(source, upper);
        } else {
            DoubleRowScalar(source, upper);
        }
#else
        DoubleRowScalar(source, upper);
#endif
        std::copy(upper, upper + kRowBytes, upper - kRowBytes);
    }
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
