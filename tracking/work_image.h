#pragma once

#include <cstdint>
#include <vector>

#include "capture/capture_frame.h"

namespace veltranix {

// 640 x 480 grey values 0..255, column-major: pixel (x, y) is element x * 480 + y.
using WorkImage = std::vector<std::uint8_t>;

inline constexpr int WorkIndex(int x, int y) {
    return x * kFrameHeight + y;
}

// Reads one intensity byte per pixel through the table into `image`, which
// holds kFramePixels elements. The frame must be in the table's layout.
void FillWorkImage(const CaptureFrame& frame, const PixelOffsetTable& table, WorkImage& image);

// The same result as FillWorkImage, reading the intensity bytes in the order
// of the layout instead of through the table; the loop's per-frame path.
void FillWorkImageByLayout(const CaptureFrame& frame, WorkImage& image);

}  // namespace veltranix
