// libFuzzer target: any bytes as an animated cursor file. What the reader
// accepts is a complete animation within the reader's bounds; what it refuses
// comes with a reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/ani_cursor_file.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltranix;
    using fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AnimatedCursor cursor;
    std::string error;
    if (!ParseAnimatedCursor(bytes, &cursor, &error)) {
        Require(!error.empty(), "a refused file says why");
        return 0;
    }
    Require(!cursor.images.empty() && cursor.images.size() <= 1024, "1 to 1024 images");
    Require(!cursor.steps.empty() && cursor.steps.size() <= 4096, "1 to 4096 steps");
    for (const CursorImage& image : cursor.images) {
        Require(image.width >= 1 && image.width <= 256 && image.height >= 1 && image.height <= 256,
                "image sides from 1 to 256 pixels");
        Require(image.argbPixels.size() ==
                    static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height),
                "one pixel per point of the image");
        Require(image.hotspotX >= 0 && image.hotspotX < image.width && image.hotspotY >= 0 &&
                    image.hotspotY < image.height,
                "the hot spot lies on the image");
    }
    long long totalMs = 0;
    for (const CursorStep& step : cursor.steps) {
        Require(step.imageIndex < cursor.images.size(), "every step shows an image that exists");
        Require(step.delayMs >= 0, "no step lasts less than nothing");
        totalMs += step.delayMs;
    }
    Require(totalMs == cursor.durationMs(), "the duration is the sum of the steps");
    return 0;
}
