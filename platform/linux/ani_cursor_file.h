#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
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

// The steps' delays added up.
int StepsDurationMs(std::span<const CursorStep> steps);

struct AnimatedCursor {
    std::vector<CursorImage> images;
    std::vector<CursorStep> steps;

    int durationMs() const { return StepsDurationMs(steps); }
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

// The last cursor file read, kept while the file stays as it was: a held
// gesture's progress shows one file's pictures in turn, a step at a time.
class AnimatedCursorCache {
  public:
    // The file's cursor, with at least one image and one step; null when it
    // cannot be read (`error`, when given, says why).
    const AnimatedCursor* load(const std::filesystem::path& path, std::string* error);
    // Counts the reads: a cursor's pictures change only with it.
    int reads() const { return reads_; }

  private:
    int reads_ = 0;
    std::filesystem::path path_;
    std::filesystem::file_time_type written_;
    std::optional<AnimatedCursor> cursor_;
};

}  // namespace veltranix
