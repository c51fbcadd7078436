#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "capture/capture_frame.h"

namespace veltranix {

// How a camera lays out a 640 x 480 picture, rows top first, each row
// `bytesPerLine` bytes from the previous one (at least the row's own size).
enum class CameraPixels {
    Yuyv,   // packed 4:2:2, Y0 U Y1 V
    Yu12,   // planar 4:2:0: luma, then U, then V; chroma rows are half as long
    Rgb24,  // red, green, blue per pixel
    Bgr24,  // blue, green, red per pixel
};

// The engine layout the camera's pixels are packed into.
FrameLayout LayoutForCameraPixels(CameraPixels pixels);

// The fewest bytes a camera buffer of that arrangement holds.
std::size_t CameraBufferBytes(CameraPixels pixels, std::size_t bytesPerLine);

// Packs one camera picture into `frame` (resized) in the layout of
// `LayoutForCameraPixels`: row padding is dropped, and 24-bit RGB becomes the
// bottom-up blue-green-red layout. False when `source` is shorter than
// `CameraBufferBytes` or `bytesPerLine` shorter than a row.
bool PackCameraFrame(std::span<const std::uint8_t> source, CameraPixels pixels,
                     std::size_t bytesPerLine, std::vector<std::uint8_t>& frame);

}  // namespace veltranix
