#include "capture/frame_preview.h"

#include <algorithm>
#include <vector>

namespace veltranix {
namespace {

std::uint32_t Argb(int red, int green, int blue) {
    return 0xFF000000u | static_cast<std::uint32_t>(std::clamp(red, 0, 255)) << 16 |
           static_cast<std::uint32_t>(std::clamp(green, 0, 255)) << 8 |
           static_cast<std::uint32_t>(std::clamp(blue, 0, 255));
}

}  // namespace

std::uint32_t YuvToArgb(std::uint8_t luma, std::uint8_t u, std::uint8_t v) {
    // Fixed point with 8 fractional bits of the BT.601 studio-range matrix.
    const int c = 298 * (luma - 16);
    const int d = u - 128;
    const int e = v - 128;
    return Argb((c + 409 * e + 128) >> 8, (c - 100 * d - 208 * e + 128) >> 8,
                (c + 516 * d + 128) >> 8);
}

void RenderFramePreview(const CaptureFrame& frame, int widthPixels, int heightPixels,
                        std::span<std::uint32_t> pixels) {
    if (widthPixels <= 0 || heightPixels <= 0 ||
        pixels.size() < static_cast<std::size_t>(widthPixels) * heightPixels ||
        frame.bytes.size() < FrameBufferBytes(frame.layout)) {
        return;
    }
    std::vector<int> sourceColumn(widthPixels);
    for (int x = 0; x < widthPixels; ++x) {
        sourceColumn[x] = x * kFrameWidth / widthPixels;
    }
    const std::uint8_t* bytes = frame.bytes.data();
    for (int y = 0; y < heightPixels; ++y) {
        const int row = y * kFrameHeight / heightPixels;
        std::uint32_t* out = pixels.data() + static_cast<std::size_t>(y) * widthPixels;
        switch (frame.layout) {
            case FrameLayout::Rgb24BottomUp: {
                const std::uint8_t* line = bytes + (kFrameHeight - 1 - row) * kFrameWidth * 3;
                for (int x = 0; x < widthPixels; ++x) {
                    const std::uint8_t* pixel = line + sourceColumn[x] * 3;
                    out[x] = Argb(pixel[2], pixel[1], pixel[0]);
                }
                break;
            }
            case FrameLayout::I420: {
                const std::uint8_t* lumaLine = bytes + row * kFrameWidth;
                const std::uint8_t* uPlane = bytes + kFramePixels;
                const std::uint8_t* vPlane = uPlane + kFramePixels / 4;
                const int chromaRow = (row / 2) * (kFrameWidth / 2);
                for (int x = 0; x < widthPixels; ++x) {
                    const int column = sourceColumn[x];
                    out[x] = YuvToArgb(lumaLine[column], uPlane[chromaRow + column / 2],
                                       vPlane[chromaRow + column / 2]);
                }
                break;
            }
            case FrameLayout::Yuy2: {
                const std::uint8_t* line = bytes + row * kFrameWidth * 2;
                for (int x = 0; x < widthPixels; ++x) {
                    const int column = sourceColumn[x];
                    const std::uint8_t* pair = line + (column / 2) * 4;
                    out[x] = YuvToArgb(pair[(column % 2) * 2], pair[1], pair[3]);
                }
                break;
            }
        }
    }
}

}  // namespace veltranix
