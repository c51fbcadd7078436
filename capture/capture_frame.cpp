#include "capture/capture_frame.h"

#include <utility>

namespace veltranix {

std::optional<FrameLayout> FrameLayoutFromCode(std::uint32_t compressionCode) {
    switch (compressionCode) {
        case static_cast<std::uint32_t>(FrameLayout::Rgb24BottomUp):
            return FrameLayout::Rgb24BottomUp;
        case static_cast<std::uint32_t>(FrameLayout::I420):
            return FrameLayout::I420;
        case static_cast<std::uint32_t>(FrameLayout::Yuy2):
            return FrameLayout::Yuy2;
        default:
            return std::nullopt;
    }
}

std::size_t FrameBufferBytes(FrameLayout layout) {
    switch (layout) {
        case FrameLayout::Rgb24BottomUp:
            return static_cast<std::size_t>(kFramePixels) * 3;
        case FrameLayout::I420:
            return static_cast<std::size_t>(kFramePixels) * 3 / 2;
        case FrameLayout::Yuy2:
            return static_cast<std::size_t>(kFramePixels) * 2;
    }
    return 0;
}

std::uint32_t IntensityOffset(FrameLayout layout, int x, int y) {
    const auto ux = static_cast<std::uint32_t>(x);
    const auto uy = static_cast<std::uint32_t>(y);
    switch (layout) {
        case FrameLayout::Rgb24BottomUp:
            return 3 * ((kFrameHeight - 1 - uy) * kFrameWidth + ux) + 2;
        case FrameLayout::I420:
            return uy * kFrameWidth + ux;
        case FrameLayout::Yuy2:
            return 2 * (uy * kFrameWidth + ux);
    }
    return 0;
}

std::optional<PixelOffsetTable> PixelOffsetTable::Build(std::uint32_t compressionCode) {
    const std::optional<FrameLayout> layout = FrameLayoutFromCode(compressionCode);
    if (!layout) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> offsets(kFramePixels);
    for (int x = 0; x < kFrameWidth; ++x) {
        for (int y = 0; y < kFrameHeight; ++y) {
            offsets[static_cast<std::size_t>(x * kFrameHeight + y)] =
                IntensityOffset(*layout, x, y);
        }
    }
    return PixelOffsetTable(*layout, std::move(offsets));
}

}  // namespace veltranix
