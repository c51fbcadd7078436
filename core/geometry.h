#pragma once

namespace veltranix {

// Screen coordinates in pixels, x to the right, y down.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

// The X protocol's coordinates are signed 16-bit: no screen is wider or
// taller. The pointer arithmetic relies on it.
inline constexpr int kMaxScreenPixels = 32767;

inline bool ScreenSizeWithinLimits(ScreenSize size) {
    return size.width >= 1 && size.width <= kMaxScreenPixels && size.height >= 1 &&
           size.height <= kMaxScreenPixels;
}

// A reported size brought within 1..32767 on each side.
inline ScreenSize WithinScreenLimits(ScreenSize size) {
    const auto limit = [](int pixels) {
        return pixels < 1 ? 1 : pixels > kMaxScreenPixels ? kMaxScreenPixels : pixels;
    };
    return {limit(size.width), limit(size.height)};
}

// Edges are inclusive where the users say so; this is only the four numbers.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace veltranix
