#include "capture/frame_preview.h"

#include <algorithm>
#include <vector>

namespace veltranix {
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
                    out[x] = preview_detail::Argb(pixel[2], pixel[1], pixel[0]);
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
