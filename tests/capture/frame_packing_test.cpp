#include "capture/frame_packing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace veltranix {
namespace {

// A 24-bit picture, rows top first, `padding` bytes after each row; pixel
// (x, y) is red x % 256, green y % 256, blue 7.
std::vector<std::uint8_t> RgbPicture(CameraPixels pixels, std::size_t padding) {
    const std::size_t stride = 640 * 3 + padding;
    std::vector<std::uint8_t> picture(stride * 480, 0xEE);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            std::uint8_t* pixel = picture.data() + y * stride + 3 * x;
            const std::uint8_t red = static_cast<std::uint8_t>(x % 256);
            const std::uint8_t green = static_cast<std::uint8_t>(y % 256);
            pixel[0] = pixels == CameraPixels::Rgb24 ? red : 7;
            pixel[1] = green;
            pixel[2] = pixels == CameraPixels::Rgb24 ? 7 : red;
        }
    }
    return picture;
}

// The bottom-up layout's intensity byte of (0, 0) is 3 x 479 x 640 + 2, of
// (639, 479) 3 x 639 + 2 = 1919: the red of each pixel, blue two before it.
TEST(FramePacking, RgbBecomesBottomUpBlueGreenRed) {
    for (const auto& [pixels, padding] : {std::pair{CameraPixels::Rgb24, 0},
                                          {CameraPixels::Bgr24, 0},
                                          {CameraPixels::Rgb24, 128}}) {
        std::vector<std::uint8_t> frame;
        ASSERT_TRUE(PackCameraFrame(RgbPicture(pixels, padding), pixels, 640 * 3 + padding, frame));
        ASSERT_EQ(frame.size(), 921600u);
        EXPECT_EQ(LayoutForCameraPixels(pixels), FrameLayout::Rgb24BottomUp);
        struct Pixel {
            int x, y;
            std::size_t red;
        };
        for (const Pixel& p : {Pixel{0, 0, 3 * 479 * 640 + 2}, Pixel{639, 479, 1919},
                               Pixel{260, 3, 3 * (476 * 640 + 260) + 2}}) {
            const std::string where = std::to_string(p.x) + "," + std::to_string(p.y) +
                                      " with padding " + std::to_string(padding);
            EXPECT_EQ(frame[p.red], p.x % 256) << where;
            EXPECT_EQ(frame[p.red - 1], p.y % 256) << where;
            EXPECT_EQ(frame[p.red - 2], 7) << where;
        }
    }
}

TEST(FramePacking, PaddedYuvRowsAreJoined) {
    // YUYV with 32 bytes of padding per row; luma is x % 200 + 1.
    const std::size_t yuyvStride = 1280 + 32;
    std::vector<std::uint8_t> yuyv(yuyvStride * 480, 0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            yuyv[y * yuyvStride + 2 * x] = static_cast<std::uint8_t>(x % 200 + 1);
        }
    }
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(PackCameraFrame(yuyv, CameraPixels::Yuyv, yuyvStride, frame));
    ASSERT_EQ(frame.size(), 614400u);
    EXPECT_EQ(frame[2570], 6);     // (5, 2): 2 x (2 x 640 + 5)
    EXPECT_EQ(frame[614398], 40);  // (639, 479)

    // YU12 with a luma stride of 672 (chroma 336); each plane its own value.
    const std::size_t stride = 672;
    std::vector<std::uint8_t> planar(stride * 480 + 2 * (stride / 2) * 240, 0xEE);
    for (int y = 0; y < 480; ++y) {
        std::fill_n(planar.begin() + y * stride, 640, std::uint8_t{50});
    }
    for (int row = 0; row < 480; ++row) {  // 240 rows of U then 240 of V
        std::fill_n(planar.begin() + stride * 480 + row * (stride / 2), 320,
                    static_cast<std::uint8_t>(row < 240 ? 100 : 150));
    }
    ASSERT_TRUE(PackCameraFrame(planar, CameraPixels::Yu12, stride, frame));
    ASSERT_EQ(frame.size(), 460800u);
    EXPECT_EQ(frame[1285], 50);  // (5, 2): 2 x 640 + 5
    EXPECT_EQ(frame[307199], 50);
    EXPECT_EQ(frame[307200], 100);
    EXPECT_EQ(frame[307200 + 76799], 100);
    EXPECT_EQ(frame[384000], 150);
    EXPECT_EQ(frame[460799], 150);
}

TEST(FramePacking, ShortBuffersAreRefused) {
    std::vector<std::uint8_t> frame;
    EXPECT_FALSE(
        PackCameraFrame(std::vector<std::uint8_t>(614399), CameraPixels::Yuyv, 1280, frame));
    EXPECT_FALSE(
        PackCameraFrame(std::vector<std::uint8_t>(614400), CameraPixels::Yuyv, 1000, frame));
    EXPECT_FALSE(
        PackCameraFrame(std::vector<std::uint8_t>(460799), CameraPixels::Yu12, 640, frame));
    EXPECT_TRUE(PackCameraFrame(std::vector<std::uint8_t>(460800), CameraPixels::Yu12, 640, frame));
}

}  // namespace
}  // namespace veltranix
