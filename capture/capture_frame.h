#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace veltranix {

inline constexpr int kFrameWidth = 640;
inline constexpr int kFrameHeight = 480;
inline constexpr int kFramePixels = kFrameWidth * kFrameHeight;

// The compression codes of the three layouts the engine understands.
enum class FrameLayout : std::uint32_t {
    Rgb24BottomUp = 0,  // 480 rows of 1920 bytes, bottom row first, blue-green-red
    I420 = 0x30323449,  // luma plane, then the quarter-size U and V planes
    Yuy2 = 0x32595559,  // rows of 1280 bytes, top row first, Y0 U Y1 V per pixel pair
};

// The layout for a compression code; none for any other code.
std::optional<FrameLayout> FrameLayoutFromCode(std::uint32_t compressionCode);

// Bytes of one 640 x 480 frame in the layout.
std::size_t FrameBufferBytes(FrameLayout layout);

// One camera frame, handed to the tracking loop for the duration of one call.
// The bytes belong to the capture side; the loop reads them and may draw into
// them, and keeps no pointer to them after the call.
struct CaptureFrame {
    std::span<std::uint8_t> bytes;
    FrameLayout layout = FrameLayout::Rgb24BottomUp;
};

// For every pixel, the byte offset of its intensity sample in the frame
// buffer: element x * 480 + y (column-major, y from the top). Built once per
// layout and then only read.
class PixelOffsetTable {
  public:
    // None for a compression code that is not one of the three layouts.
    static std::optional<PixelOffsetTable> Build(std::uint32_t compressionCode);

    FrameLayout layout() const { return layout_; }
    std::uint32_t operator[](std::size_t index) const { return offsets_[index]; }
    const std::uint32_t* data() const { return offsets_.data(); }
    std::size_t size() const { return offsets_.size(); }

  private:
    PixelOffsetTable(FrameLayout layout, std::vector<std::uint32_t> offsets)
        : layout_(layout), offsets_(std::move(offsets)) {}

    FrameLayout layout_;
    std::vector<std::uint32_t> offsets_;
};

// The offset of pixel (x, y)'s intensity byte in a frame of the layout.
std::uint32_t IntensityOffset(FrameLayout layout, int x, int y);

}  // namespace veltranix
