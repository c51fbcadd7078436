#include "capture/frame_preview.h"

#include <gtest/gtest.h>

#include <vector>

#include "capture/frame_drawing.h"

namespace veltranix {
namespace {

// Studio-range BT.601 samples of the colours a webcam sends for white,
// black and full red.
TEST(FramePreview, YuvSamplesBecomeTheirScreenColours) {
    struct Case {
        std::uint8_t y, u, v;
        std::uint32_t argb;
    };
    const Case cases[] = {
        {235, 128, 128, 0xFFFFFFFFu},
        {16, 128, 128, 0xFF000000u},
        {81, 90, 240, 0xFFFF0000u},
        {0, 128, 128, 0xFF000000u},  // below black clamps
    };
    for (const Case& c : cases) {
        EXPECT_EQ(YuvToArgb(c.y, c.u, c.v), c.argb)
            << int(c.y) << " " << int(c.u) << " " << int(c.v);
    }
}

// One marked pixel in the top-left and bottom-right corners of the picture,
// in each layout: the preview shows them in the same corners, top row first.
TEST(FramePreview, CornersLandWhereThePictureHasThem) {
    for (FrameLayout layout : {FrameLayout::Rgb24BottomUp, FrameLayout::I420, FrameLayout::Yuy2}) {
        std::vector<std::uint8_t> bytes(FrameBufferBytes(layout));
        CaptureFrame frame{bytes, layout};
        const FrameColour black =
            layout == FrameLayout::Rgb24BottomUp ? FrameColour{0, 0, 0} : FrameColour{16, 128, 128};
        const FrameColour white = layout == FrameLayout::Rgb24BottomUp ? FrameColour{255, 255, 255}
                                                                       : FrameColour{235, 128, 128};
        FillFrameRect(frame, 0, 0, 639, 479, black);
        FillFrameRect(frame, 0, 0, 3, 3, white);
        FillFrameRect(frame, 636, 476, 639, 479, white);
        std::vector<std::uint32_t> pixels(160 * 120);
        RenderFramePreview(frame, 160, 120, pixels);
        EXPECT_EQ(pixels.front(), 0xFFFFFFFFu) << static_cast<std::uint32_t>(layout);
        EXPECT_EQ(pixels.back(), 0xFFFFFFFFu) << static_cast<std::uint32_t>(layout);
        EXPECT_EQ(pixels[60 * 160 + 80], 0xFF000000u) << static_cast<std::uint32_t>(layout);
        EXPECT_EQ(pixels[159], 0xFF000000u) << "top-right stays black";
    }
}

TEST(FramePreview, AShortBufferIsLeftAlone) {
    std::vector<std::uint8_t> bytes(100);
    CaptureFrame frame{bytes, FrameLayout::Yuy2};
    std::vector<std::uint32_t> pixels(4, 7u);
    RenderFramePreview(frame, 2, 2, pixels);
    EXPECT_EQ(pixels, std::vector<std::uint32_t>(4, 7u));
}

}  // namespace
}  // namespace veltranix
