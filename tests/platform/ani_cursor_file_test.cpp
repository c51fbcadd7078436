#include "platform/linux/ani_cursor_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>

#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

std::filesystem::path ClockCursorFile(int seconds) {
    return std::filesystem::path(VELTRANIX_SOURCE_PROGRAM_FOLDER) / "cursors" /
           ("cur" + std::to_string(seconds) + ".ani");
}

TEST(AnimatedCursorFile, EachClockFillsItsFaceInItsOwnNumberOfSeconds) {
    for (int seconds = 2; seconds <= 8; ++seconds) {
        AnimatedCursor cursor;
        std::string error;
        ASSERT_TRUE(ReadAnimatedCursorFile(ClockCursorFile(seconds), &cursor, &error)) << error;
        EXPECT_EQ(cursor.durationMs(), seconds * 1000) << seconds;
        ASSERT_EQ(cursor.images.size(), 20u);
        ASSERT_EQ(cursor.steps.size(), 20u);
        for (std::size_t index = 0; index < cursor.steps.size(); ++index) {
            EXPECT_EQ(cursor.steps[index].imageIndex, index);
        }
        const CursorImage& first = cursor.images.front();
        EXPECT_EQ(std::tie(first.width, first.height, first.hotspotX, first.hotspotY),
                  std::tuple(32, 32, 16, 16));
        EXPECT_EQ(first.argbPixels[0] >> 24, 0u) << "the corners are transparent";
        EXPECT_EQ(first.argbPixels[16 * 32 + 16] >> 24, 255u) << "the face is opaque";
        EXPECT_NE(first.argbPixels, cursor.images.back().argbPixels) << "the face fills";
    }
}

std::string ClockBytes() {
    return testing::ReadFile(ClockCursorFile(2));
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

TEST(AnimatedCursorFile, MalformedFilesAreRefusedSafely) {
    // Offsets in the clock files: the "anih" fields from 20, the first
    // frame's icon file from 76 and its bitmap header from 98.
    const struct {
        const char* name;
        std::function<void(std::string&)> corrupt;
    } cases[] = {
        {"not RIFF", [](std::string& b) { b[0] = 'X'; }},
        {"not ACON", [](std::string& b) { b[8] = 'X'; }},
        {"RIFF size beyond the file", [](std::string& b) { PutU32(b, 4, 0x7FFFFFF0); }},
        {"chunk size beyond the file", [](std::string& b) { PutU32(b, 60, 0xFFFFFFF0); }},
        {"header missing", [](std::string& b) { b[12] = 'x'; }},
        {"header short", [](std::string& b) { PutU32(b, 16, 8); }},
        {"frame count larger", [](std::string& b) { PutU32(b, 24, 21); }},
        {"raw frames", [](std::string& b) { PutU32(b, 52, 0); }},
        {"icon type wrong", [](std::string& b) { b[78] = 7; }},
        {"image offset beyond the frame", [](std::string& b) { PutU32(b, 94, 0x7FFFFFFF); }},
        {"image size beyond the frame", [](std::string& b) { PutU32(b, 90, 0xFFFFFFFF); }},
        {"bitmap header too large", [](std::string& b) { PutU32(b, 98, 0x00FFFFFF); }},
        {"width huge", [](std::string& b) { PutU32(b, 102, 100000); }},
        {"width negative", [](std::string& b) { PutU32(b, 102, 0xFFFFFFE0); }},
        {"height zero", [](std::string& b) { PutU32(b, 106, 0); }},
        {"compressed", [](std::string& b) { PutU32(b, 114, 1); }},
        {"8-bit frame", [](std::string& b) { b[112] = 8; }},
        {"PNG frame", [](std::string& b) { std::memcpy(b.data() + 98, "\x89PNG", 4); }},
    };
    for (const auto& one : cases) {
        std::string bytes = ClockBytes();
        one.corrupt(bytes);
        AnimatedCursor cursor;
        cursor.images.resize(3);
        std::string error;
        EXPECT_FALSE(ParseAnimatedCursor(bytes, &cursor, &error)) << one.name;
        EXPECT_FALSE(error.empty()) << one.name;
        EXPECT_EQ(cursor.images.size(), 3u) << one.name << ": the output is untouched";
    }
}

TEST(AnimatedCursorFile, EveryTruncationIsRefused) {
    const std::string bytes = ClockBytes();
    for (std::size_t length = 0; length < bytes.size(); length += length < 200 ? 1 : 1499) {
        AnimatedCursor cursor;
        std::string error;
        EXPECT_FALSE(
            ParseAnimatedCursor(std::string_view(bytes).substr(0, length), &cursor, &error))
            << length;
    }
}

TEST(AnimatedCursorFile, SequenceAndRateChunksOrderTheSteps) {
    std::string bytes = ClockBytes();
    // Three steps showing frames 19, 0, 19 for 6, 12 and 18 jiffies.
    for (const auto& [id, values] : {std::pair{"seq ", std::array{19u, 0u, 19u}},
                                     std::pair{"rate", std::array{6u, 12u, 18u}}}) {
        bytes.append(id).append("\x0c\0\0\0", 4);
        for (const std::uint32_t value : values) {
            bytes.append(reinterpret_cast<const char*>(&value), 4);
        }
    }
    PutU32(bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
    PutU32(bytes, 28, 3);
    PutU32(bytes, 52, 3);
    AnimatedCursor cursor;
    std::string error;
    ASSERT_TRUE(ParseAnimatedCursor(bytes, &cursor, &error)) << error;
    ASSERT_EQ(cursor.steps.size(), 3u);
    EXPECT_EQ(cursor.steps[0].imageIndex, 19u);
    EXPECT_EQ(cursor.steps[1].imageIndex, 0u);
    EXPECT_EQ(cursor.steps[2].delayMs, 300);
    EXPECT_EQ(cursor.durationMs(), 600);

    PutU32(bytes, bytes.size() - 28 + 4, 20);  // a step that names frame 20 of 0..19
    EXPECT_FALSE(ParseAnimatedCursor(bytes, &cursor, &error));
}

TEST(AnimatedCursorFile, MissingFileIsReported) {
    AnimatedCursor cursor;
    std::string error;
    EXPECT_FALSE(ReadAnimatedCursorFile("/nonexistent/cur5.ani", &cursor, &error));
    EXPECT_NE(error.find("cur5.ani"), std::string::npos);
}

TEST(AnimatedCursorFile, TheCacheReadsAFileAgainOnlyWhenItChanges) {
    testing::TemporaryFolder folder;
    const auto file = folder.path() / "clock.ani";
    std::filesystem::copy_file(ClockCursorFile(2), file);
    AnimatedCursorCache cache;
    ASSERT_NE(cache.load(file, nullptr), nullptr);
    ASSERT_NE(cache.load(file, nullptr), nullptr);
    EXPECT_EQ(cache.reads(), 1);
    std::filesystem::copy_file(ClockCursorFile(3), file,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(
        file, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    const AnimatedCursor* changed = cache.load(file, nullptr);
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->durationMs(), 3000);
    std::filesystem::remove(file);
    EXPECT_EQ(cache.load(file, nullptr), nullptr);
}

}  // namespace
}  // namespace veltranix
