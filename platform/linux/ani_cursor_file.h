#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veltranix {

// One image of an animated cursor: premultiplied-free ARGB pixels, rows top
// down, with the hot spot.
struct CursorImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    std::vector<std::uint32_t> argbPixels;
};

// One step of the animation: which image shows, for how long.
struct CursorStep {
    std::size_t imageIndex = 0;
    int delayMs = 0;
};

struct AnimatedCursor {
    std::vector<CursorImage> images;
    std::vector<CursorStep> steps;

    int durationMs() const;
    // The step that stands for `part` (0..1) of the animation; requires steps.
    std::size_t stepAt(double part) const;
};

// Reads a Windows animated cursor (RIFF "ACON": "anih" header, optional
// "rate" and "seq " chunks, a "fram" list of "icon" chunks, each an icon or
// cursor file with a 32- or 24-bit image and its AND mask). Anything
// malformed, truncated or out of bounds is refused with a reason in `error`;
// the reader never reads outside the data.
bool ParseAnimatedCursor(std::string_view bytes, AnimatedCursor* cursor, std::string* error);
bool ReadAnimatedCursorFile(const std::filesystem::path& path, AnimatedCursor* cursor,
                            std::string* error);

}  // namespace veltranix
