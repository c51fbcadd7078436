#include "capture/frame_packing.h"

#include <algorithm>

namespace veltranix {

namespace {

constexpr std::size_t kWidth = kFrameWidth;
constexpr std::size_t kHeight = kFrameHeight;

std::size_t RowBytes(CameraPixels pixels) {
    switch (pixels) {
        case CameraPixels::Yuyv:
            return kWidth * 2;
        case CameraPixels::Yu12:
            return kWidth;
        case CameraPixels::Rgb24:
        case CameraPixels::Bgr24:
            return kWidth * 3;
    }
    return 0;
}

// Copies `rows` rows of `rowBytes` bytes, `stride` apart in the source.
const std::uint8_t* CopyRows(const std::uint8_t* from, std::size_t stride, std::size_t rowBytes,
                             std::size_t rows, std::uint8_t* to) {
    for (std::size_t row = 0; row < rows; ++row) {
        std::copy_n(from + row * stride, rowBytes, to + row * rowBytes);
    }
    return from + rows * stride;
}

}  // namespace

FrameLayout LayoutForCameraPixels(CameraPixels pixels) {
    switch (pixels) {
        case CameraPixels::Yuyv:
            return FrameLayout::Yuy2;
        case CameraPixels::Yu12:
            return FrameLayout::I420;
        case CameraPixels::Rgb24:
        case CameraPixels::Bgr24:
            return FrameLayout::Rgb24BottomUp;
    }
    return FrameLayout::Rgb24BottomUp;
}

std::size_t CameraBufferBytes(CameraPixels pixels, std::size_t bytesPerLine) {
    if (pixels == CameraPixels::Yu12) {
        // The chroma planes' rows are half the luma stride, as the camera drivers lay them.
        return bytesPerLine * kHeight + 2 * (bytesPerLine / 2) * (kHeight / 2);
    }
    return bytesPerLine * kHeight;
}

bool PackCameraFrame(std::span<const std::uint8_t> source, CameraPixels pixels,
                     std::size_t bytesPerLine, std::vector<std::uint8_t>& frame) {
    const std::size_t rowBytes = RowBytes(pixels);
    if (bytesPerLine < rowBytes || source.size() < CameraBufferBytes(pixels, bytesPerLine)) {
        return false;
    }
    frame.resize(FrameBufferBytes(LayoutForCameraPixels(pixels)));
    const std::uint8_t* from = source.data();
    std::uint8_t* to = frame.data();
    switch (pixels) {
        case CameraPixels::Yuyv:
            CopyRows(from, bytesPerLine, rowBytes, kHeight, to);
            return true;
        case CameraPixels::Yu12:
            from = CopyRows(from, bytesPerLine, kWidth, kHeight, to);
            from = CopyRows(from, bytesPerLine / 2, kWidth / 2, kHeight / 2, to + kWidth * kHeight);
            CopyRows(from, bytesPerLine / 2, kWidth / 2, kHeight / 2,
                     to + kWidth * kHeight + kWidth * kHeight / 4);
            return true;
        case CameraPixels::Bgr24:
            for (std::size_t row = 0; row < kHeight; ++row) {
                std::copy_n(from + row * bytesPerLine, rowBytes,
                            to + (kHeight - 1 - row) * rowBytes);
            }
            return true;
        case CameraPixels::Rgb24:
            for (std::size_t row = 0; row < kHeight; ++row) {
                const std::uint8_t* in = from + row * bytesPerLine;
                std::uint8_t* out = to + (kHeight - 1 - row) * rowBytes;
                for (std::size_t x = 0; x < kWidth; ++x) {
                    out[3 * x] = in[3 * x + 2];
                    out[3 * x + 1] = in[3 * x + 1];
                    out[3 * x + 2] = in[3 * x];
                }
            }
            return true;
    }
    return false;
}

}  // namespace veltranix
