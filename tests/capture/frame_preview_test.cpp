#include "capture/frame_preview.h"

#include <gtest/gtest.h>

#include <utility>
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

// Every sample value, extremes included, shows as YuvToArgb gives it, at
// widths that leave a remainder after runs of eight.
TEST(FramePreview, EveryI420SampleShowsAsItsOwnColour) {
    std::vector<std::uint8_t> bytes(FrameBufferBytes(FrameLayout::I420));
    std::uint32_t seed = 3;
    for (std::uint8_t& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    const CaptureFrame frame{bytes, FrameLayout::I420};
    for (const auto& [width, height] : {std::pair{160, 120}, {243, 181}, {640, 480}}) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        RenderFramePreview(frame, width, height, pixels);
        for (int y = 0; y < height; ++y) {
            const int row = y * 480 / height;
            for (int x = 0; x < width; ++x) {
                const int column = x * 640 / width;
                const std::size_t chroma = static_cast<std::size_t>(row / 2) * 320 + column / 2;
                const std::uint32_t expected =
                    YuvToArgb(bytes[static_cast<std::size_t>(row) * 640 + column],
                              bytes[307200 + chroma], bytes[307200 + 76800 + chroma]);
                ASSERT_EQ(pixels[static_cast<std::size_t>(y) * width + x], expected)
                    << width << " wide, at " << x << "," << y;
            }
        }
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
