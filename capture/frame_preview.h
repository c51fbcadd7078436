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

// One YUV sample (BT.601, studio range, as webcams send it) as 0xFFRRGGBB.
std::uint32_t YuvToArgb(std::uint8_t luma, std::uint8_t u, std::uint8_t v);

}  // namespace veltranix
