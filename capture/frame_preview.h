#pragma once

#include <cstdint>
#include <span>

#include "capture/capture_frame.h"

namespace veltranix {

// The picture of a frame as the screen shows it: 0xFFRRGGBB words, top row
// first, `widthPixels` x `heightPixels`, each output pixel taken from the
// nearest frame pixel (the preview is small; no filtering is worth its cost
// at 25 frames a second). `pixels` holds at least width x height words.
// Called on the GUI thread once per shown frame.
void RenderFramePreview(const CaptureFrame& frame, int widthPixels, int heightPixels,
                        std::span<std::uint32_t> pixels);

namespace preview_detail {

inline std::uint32_t Channel(int value) {
    return static_cast<std::uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

inline std::uint32_t Argb(int red, int green, int blue) {
    return 0xFF000000u | Channel(red) << 16 | Channel(green) << 8 | Channel(blue);
}

}  // namespace preview_detail

// One YUV sample (BT.601, studio range, as webcams send it) as 0xFFRRGGBB;
// inline, as the preview converts every shown pixel of every frame.
inline std::uint32_t YuvToArgb(std::uint8_t luma, std::uint8_t u, std::uint8_t v) {
    // Fixed point with 8 fractional bits of the BT.601 studio-range matrix.
    const int c = 298 * (luma - 16);
    const int d = u - 128;
    const int e = v - 128;
    return preview_detail::Argb((c + 409 * e + 128) >> 8, (c - 100 * d - 208 * e + 128) >> 8,
                                (c + 516 * d + 128) >> 8);
}

}  // namespace veltranix
