#include "tracking/work_image.h"

#include <cstddef>

namespace veltranix {

void FillWorkImage(const CaptureFrame& frame, const PixelOffsetTable& table, WorkImage& image) {
    const std::uint8_t* bytes = frame.bytes.data();
    const std::uint32_t* offsets = table.data();
    std::int32_t* out = image.data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(kFramePixels); ++i) {
        out[i] = bytes[offsets[i]];
    }
}

namespace {

// Copies a row-major intensity grid (stride and step in bytes) into the
// column-major image, in 8 x 8 tiles so that both sides stay in cache.
void TransposeIntensities(const std::uint8_t* first, std::ptrdiff_t rowStride,
                          std::ptrdiff_t pixelStep, std::int32_t* out) {
    constexpr int kTile = 8;
    for (int y0 = 0; y0 < kFrameHeight; y0 += kTile) {
        for (int x0 = 0; x0 < kFrameWidth; x0 += kTile) {
            for (int x = x0; x < x0 + kTile; ++x) {
                std::int32_t* column = out + static_cast<std::ptrdiff_t>(x) * kFrameHeight;
                const std::uint8_t* source = first + x * pixelStep;
                for (int y = y0; y < y0 + kTile; ++y) {
                    column[y] = source[y * rowStride];
                }
            }
        }
    }
}

}  // namespace

void FillWorkImageByLayout(const CaptureFrame& frame, WorkImage& image) {
    const std::uint8_t* bytes = frame.bytes.data();
    switch (frame.layout) {
        case FrameLayout::Rgb24BottomUp:
            // Row y of the image is row 479 - y in memory; the red byte is third.
            TransposeIntensities(bytes + static_cast<std::ptrdiff_t>(kFrameHeight - 1) * 1920 + 2,
                                 -1920, 3, image.data());
            return;
        case FrameLayout::I420:
            TransposeIntensities(bytes, kFrameWidth, 1, image.data());
            return;
        case FrameLayout::Yuy2:
            TransposeIntensities(bytes, kFrameWidth * 2, 2, image.data());
            return;
    }
}

}  // namespace veltranix
