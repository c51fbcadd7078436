#pragma once

#include <cstdint>

#include "capture/capture_frame.h"

namespace veltranix {

// A colour as the feedback drawing gives it: red, green, blue for the RGB
// layout; luma, V (Cr), U (Cb) for the YUV layouts.
struct FrameColour {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    std::uint8_t third = 0;
    friend bool operator==(const FrameColour&, const FrameColour&) = default;
};

enum class SampleChoice {
    AllSamples,  // RGB: the three colour bytes; YUV: luma, V and U
    ChromaOnly,  // YUV: V and U only, the luma stays; RGB: as AllSamples
};

// Writes one pixel (x from the left, y from the top); pixels outside the
// frame are ignored. In the YUV layouts the chroma samples are shared with
// the neighbours (I420: 2 x 2 block, YUY2: the horizontal pixel pair).
void DrawFramePixel(CaptureFrame& frame, int x, int y, FrameColour colour,
                    SampleChoice samples = SampleChoice::AllSamples);

// Fills the rectangle from (left, top) to (right, bottom), both corners
// included, clipped to the frame.
void FillFrameRect(CaptureFrame& frame, int left, int top, int right, int bottom,
                   FrameColour colour, SampleChoice samples = SampleChoice::AllSamples);

// A dashed rectangle outline `thicknessPixels` thick inside the given edges,
// the dash pattern (drawn, skipped) running on along the outline clockwise
// from the top-left corner.
void DrawDashedOutline(CaptureFrame& frame, int left, int top, int right, int bottom,
                       int thicknessPixels, int drawnPixels, int skippedPixels, FrameColour colour,
                       SampleChoice samples);

}  // namespace veltranix
