#include "capture/capture_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "capture/frame_drawing.h"
#include "tests/support/face_sequence.h"
#include "tracking/work_image.h"

namespace veltranix {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kI420 = 0x30323449;
constexpr std::uint32_t kYuy2 = 0x32595559;

// The table's entry for (x, y), at x x 480 + y, is the offset of the pixel's
// intensity byte; other compression codes build no table.
TEST(OffsetTable, EntryIsTheIntensityByte) {
    const struct {
        std::uint32_t code;
        int x, y;
        std::uint32_t offset;
    } cases[] = {{kRgb, 0, 0, 3 * 479 * 640 + 2},
                 {kRgb, 639, 479, 1919},
                 {kRgb, 639, 0, 3 * (479 * 640 + 639) + 2},
                 {kI420, 5, 2, 1285},
                 {kI420, 639, 479, 307199},
                 {kYuy2, 5, 2, 2570},
                 {kYuy2, 639, 479, 614398}};
    for (const auto& c : cases) {
        const std::optional<PixelOffsetTable> table = PixelOffsetTable::Build(c.code);
        ASSERT_TRUE(table.has_value());
        ASSERT_EQ(table->size(), 307200u);
        EXPECT_EQ((*table)[static_cast<std::size_t>(c.x * 480 + c.y)], c.offset)
            << std::hex << c.code << std::dec << " " << c.x << "," << c.y;
    }
    EXPECT_FALSE(PixelOffsetTable::Build(0x47504A4D).has_value());  // "MJPG"
    EXPECT_FALSE(PixelOffsetTable::Build(1).has_value());
}

TEST(OffsetTable, LayoutOrderedReadEqualsTheTableRead) {
    const testing::FaceSequence faces;
    for (const FrameLayout layout :
         {FrameLayout::Rgb24BottomUp, FrameLayout::I420, FrameLayout::Yuy2}) {
        std::vector<std::uint8_t> bytes;
        testing::FaceSequence::ToLayout(faces.renderBgr({10.0, -5.0, 2.0, 7}), layout, bytes);
        const CaptureFrame frame{bytes, layout};
        WorkImage byTable(kFramePixels, -1);
        WorkImage byLayout(kFramePixels, -2);
        FillWorkImage(frame, *PixelOffsetTable::Build(static_cast<std::uint32_t>(layout)), byTable);
        FillWorkImageByLayout(frame, byLayout);
        EXPECT_EQ(byTable, byLayout) << static_cast<std::uint32_t>(layout);
    }
}

TEST(FrameDrawing, RgbTripleGoesToRedGreenBlueOfTheBottomUpRow) {
    std::vector<std::uint8_t> bytes(FrameBufferBytes(FrameLayout::Rgb24BottomUp), 0);
    CaptureFrame frame{bytes, FrameLayout::Rgb24BottomUp};
    DrawFramePixel(frame, 3, 0, {10, 20, 30});
    const std::size_t pixel = 3 * (479 * 640 + 3);
    EXPECT_EQ(bytes[pixel], 30);  // blue
    EXPECT_EQ(bytes[pixel + 1], 20);
    EXPECT_EQ(bytes[pixel + 2], 10);  // red, the intensity byte
}

TEST(FrameDrawing, YuvTripleGoesToLumaVAndUSamples) {
    std::vector<std::uint8_t> i420(FrameBufferBytes(FrameLayout::I420), 0);
    CaptureFrame planar{i420, FrameLayout::I420};
    DrawFramePixel(planar, 5, 3, {10, 20, 30});
    EXPECT_EQ(i420[3 * 640 + 5], 10);
    const std::size_t chroma = 1 * 320 + 2;
    EXPECT_EQ(i420[307200 + chroma], 30);          // U plane
    EXPECT_EQ(i420[307200 + 76800 + chroma], 20);  // V plane

    std::vector<std::uint8_t> yuy2(FrameBufferBytes(FrameLayout::Yuy2), 0);
    CaptureFrame packed{yuy2, FrameLayout::Yuy2};
    DrawFramePixel(packed, 5, 3, {10, 20, 30});
    const std::size_t pair = 3 * 1280 + 2 * 4;
    EXPECT_EQ(yuy2[pair + 2], 10);  // Y1: the odd pixel of the pair
    EXPECT_EQ(yuy2[pair], 0);       // Y0 untouched
    EXPECT_EQ(yuy2[pair + 1], 30);  // U
    EXPECT_EQ(yuy2[pair + 3], 20);  // V
}

TEST(FrameDrawing, ChromaOnlyKeepsTheLumaAndClipsAtTheEdges) {
    std::vector<std::uint8_t> yuy2(FrameBufferBytes(FrameLayout::Yuy2), 7);
    CaptureFrame packed{yuy2, FrameLayout::Yuy2};
    FillFrameRect(packed, -10, -10, 1, 0, {99, 255, 85}, SampleChoice::ChromaOnly);
    EXPECT_EQ(yuy2[0], 7);
    EXPECT_EQ(yuy2[2], 7);
    EXPECT_EQ(yuy2[3], 255);
    EXPECT_EQ(yuy2[1], 85);
    EXPECT_EQ(yuy2[1280 + 3], 7);  // the next row is outside the rectangle
}

// A filled rectangle is exactly its pixels drawn one by one, odd edges and
// shared chroma samples included.
TEST(FrameDrawing, FilledRectangleEqualsItsPixels) {
    struct Rect {
        int left, top, right, bottom;
    };
    const Rect rects[] = {{3, 5, 8, 9}, {0, 0, 0, 0}, {-4, 470, 700, 490}, {101, 33, 102, 34}};
    for (const FrameLayout layout :
         {FrameLayout::Rgb24BottomUp, FrameLayout::I420, FrameLayout::Yuy2}) {
        for (const SampleChoice samples : {SampleChoice::AllSamples, SampleChoice::ChromaOnly}) {
            for (const Rect& r : rects) {
                std::vector<std::uint8_t> filled(FrameBufferBytes(layout), 7);
                std::vector<std::uint8_t> drawn = filled;
                CaptureFrame a{filled, layout};
                CaptureFrame b{drawn, layout};
                FillFrameRect(a, r.left, r.top, r.right, r.bottom, {10, 20, 30}, samples);
                for (int y = r.top; y <= r.bottom; ++y) {
                    for (int x = r.left; x <= r.right; ++x) {
                        DrawFramePixel(b, x, y, {10, 20, 30}, samples);
                    }
                }
                EXPECT_EQ(filled, drawn)
                    << static_cast<int>(layout) << " " << r.left << "," << r.top;
            }
        }
    }
}

TEST(FrameDrawing, DashedOutlineRunsFiveOnSixOff) {
    std::vector<std::uint8_t> bytes(FrameBufferBytes(FrameLayout::I420), 0);
    CaptureFrame frame{bytes, FrameLayout::I420};
    DrawDashedOutline(frame, 100, 100, 200, 200, 4, 5, 6, {200, 0, 0}, SampleChoice::AllSamples);
    auto luma = [&](int x, int y) { return bytes[static_cast<std::size_t>(y * 640 + x)]; };
    for (int x = 100; x < 122; ++x) {
        EXPECT_EQ(luma(x, 100), (x - 100) % 11 < 5 ? 200 : 0) << x;
        EXPECT_EQ(luma(x, 103), luma(x, 100)) << "4 pixels thick";
    }
    EXPECT_EQ(luma(110, 110), 0) << "the inside stays";
}

}  // namespace
}  // namespace veltranix
