#include "capture/y4m_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

struct HeaderCase {
    const char* name;
    std::string text;
    int width;  // 0: refused, with `error` in the message
    int height;
    std::size_t lineBytes;
    const char* error;
};

TEST(ParseY4mHeader, ReadsTheSizeAndRefusesWhatCannotBePlayed) {
    const std::string longLine = "YUV4MPEG2 W4 H4 X" + std::string(5000, 'a') + "\n";
    const HeaderCase cases[] = {
        {"demo", "YUV4MPEG2 W320 H240 F25:1 Ip A1:1 C420jpeg\nFRAME\n", 320, 240, 43, ""},
        {"no colour space", "YUV4MPEG2 W640 H480\n", 640, 480, 20, ""},
        {"other tokens and spaces", "YUV4MPEG2 H6  W4 C420mpeg2 XYSCSS=420MPEG2 F30000:1001 Ib\n",
         4, 6, 58, ""},
        {"largest, paldv", "YUV4MPEG2 W2 H8192 C420paldv\n", 2, 8192, 29, ""},
        {"plain 420", "YUV4MPEG2 W2 H2 C420\n", 2, 2, 21, ""},
        {"not y4m", "RIFF\x10\0\0\0AVI LIST", 0, 0, 0, "not a YUV4MPEG2 video"},
        {"magic without space", "YUV4MPEG2\n", 0, 0, 0, "not a YUV4MPEG2 video"},
        {"no width", "YUV4MPEG2 H240\n", 0, 0, 0, "gives no width (W)"},
        {"no height", "YUV4MPEG2 W320 C420\n", 0, 0, 0, "gives no height (H)"},
        {"odd width", "YUV4MPEG2 W321 H240\n", 0, 0, 0,
         "the YUV4MPEG2 width 321 is not an even number from 2 to 8192"},
        {"zero height", "YUV4MPEG2 W320 H0\n", 0, 0, 0, "height 0 is not"},
        {"huge", "YUV4MPEG2 W8194 H240\n", 0, 0, 0, "width 8194 is not"},
        {"overflow", "YUV4MPEG2 W320 H99999999999999\n", 0, 0, 0, "height 99999999999999 is"},
        {"garbage number", "YUV4MPEG2 W32x H240\n", 0, 0, 0, "width 32x is not"},
        {"empty number", "YUV4MPEG2 W H240\n", 0, 0, 0, "width  is not"},
        {"4:2:2", "YUV4MPEG2 W320 H240 C422\n", 0, 0, 0,
         "the YUV4MPEG2 colour space C422 is not 8-bit 4:2:0"},
        {"4:4:4", "YUV4MPEG2 W320 H240 C444alpha\n", 0, 0, 0, "colour space C444alpha is"},
        {"10 bits", "YUV4MPEG2 W320 H240 C420p10\n", 0, 0, 0, "colour space C420p10 is"},
        {"cut short", "YUV4MPEG2 W320 H240", 0, 0, 0, "header line is cut short"},
        {"endless line", longLine, 0, 0, 0, "header line is longer than 4096 bytes"},
    };
    for (const HeaderCase& c : cases) {
        const Y4mHeaderParse parse = ParseY4mHeader(c.text);
        if (c.width == 0) {
            EXPECT_FALSE(parse.header) << c.name;
            EXPECT_NE(parse.error.find(c.error), std::string::npos)
                << c.name << ": " << parse.error;
            continue;
        }
        ASSERT_TRUE(parse.header) << c.name << ": " << parse.error;
        EXPECT_EQ(parse.header->width, c.width) << c.name;
        EXPECT_EQ(parse.header->height, c.height) << c.name;
        EXPECT_EQ(parse.header->lineBytes, c.lineBytes) << c.name;
    }
}

struct ReadCase {
    const char* name;
    std::string frames;              // the file after its header
    std::vector<std::string> reads;  // each read: the frame's 12 bytes, or !error
};

// Frames of 4 x 2 pixels: 8 bytes of Y, 2 of U, 2 of V.
TEST(Y4mReader, ReadsFramesInTurnAndStartsAgainAtTheEnd) {
    const std::string a = "AAAAAAAAuuvv";
    const std::string b = std::string("\0\1\2\3\4\5\6\7\n\nFR", 12);
    const ReadCase cases[] = {
        {"two frames", "FRAME\n" + a + "FRAME\n" + b, {a, b, a, b}},
        {"frame parameters", "FRAME Ip XFOO=1\n" + a + "FRAME\n" + b, {a, b, a}},
        {"truncated frame", "FRAME\n" + a + "FRAME\n" + b + "FRAME\nAAAA", {a, b, a}},
        {"truncated frame line", "FRAME\n" + a + "FRA", {a, a}},
        {"no frame", "", {"!holds no complete frame"}},
        {"only a truncated frame", "FRAME\nAAAAA", {"!holds no complete frame"}},
        {"damaged frame line", "FRAME\n" + a + "FRAMES\n" + b, {a, "!frame 2 does not start"}},
        {"endless frame line", "FRAME" + std::string(2000, ' '), {"!is longer than 1024 bytes"}},
    };
    testing::TemporaryFolder folder;
    for (const ReadCase& c : cases) {
        const std::filesystem::path file = folder.path() / "video.y4m";
        testing::WriteFile(file, "YUV4MPEG2 W4 H2 F25:1 C420jpeg\n" + c.frames);
        std::string error;
        std::optional<Y4mReader> reader = Y4mReader::Open(file, error);
        ASSERT_TRUE(reader) << c.name << ": " << error;
        std::vector<std::uint8_t> frame;
        for (std::size_t read = 0; read < c.reads.size(); ++read) {
            const std::string& expected = c.reads[read];
            const std::string problem = reader->readFrame(frame);
            if (expected.starts_with('!')) {
                EXPECT_NE(problem.find(expected.substr(1)), std::string::npos)
                    << c.name << ", read " << read << ": " << problem;
            } else {
                EXPECT_EQ(problem, "") << c.name << ", read " << read;
                EXPECT_EQ(std::string(frame.begin(), frame.end()), expected)
                    << c.name << ", read " << read;
            }
        }
    }
}

TEST(Y4mReader, AMissingFileIsNamedAsSuch) {
    testing::TemporaryFolder folder;
    std::string error;
    EXPECT_FALSE(Y4mReader::Open(folder.path() / "none.y4m", error));
    EXPECT_EQ(error, "cannot be opened (No such file or directory)");
}

}  // namespace
}  // namespace veltranix
