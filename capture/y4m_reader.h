#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltranix {

// YUV4MPEG2: a header line, then per frame a line starting with "FRAME" and
// the Y, U and V planes of one 4:2:0 picture, 8 bits a sample, uncompressed.
inline constexpr std::string_view kY4mMagic = "YUV4MPEG2 ";
inline constexpr int kY4mLargestSide = 8192;
// Frame and header lines longer than these are taken as damage.
inline constexpr std::size_t kY4mLongestHeaderLine = 4096;
inline constexpr std::size_t kY4mLongestFrameLine = 1024;

struct Y4mHeader {
    int width = 0;
    int height = 0;
    std::size_t lineBytes = 0;  // the header line with its '\n'

    // Y, then U and V of a quarter of that each.
    std::size_t frameBytes() const { return static_cast<std::size_t>(width) * height * 3 / 2; }
};

struct Y4mHeaderParse {
    std::optional<Y4mHeader> header;
    std::string error;  // one line, when there is no header
};

// Reads the header line at the start of `bytes`. It needs even W and H from
// 2 to kY4mLargestSide and a 4:2:0 colour space (C absent or C420...); the
// frame rate, interlacing, aspect and extension tokens are ignored.
Y4mHeaderParse ParseY4mHeader(std::string_view bytes);

// Whether `line` (without its '\n') starts a frame: "FRAME", alone or
// followed by a space and parameters, which are ignored.
bool IsY4mFrameLine(std::string_view line);

// Reads the frames of a YUV4MPEG2 file one after another, through one
// reused buffer of the caller's, so only a frame at a time is in memory.
// After the last complete frame (a truncated one counts as the end) it starts
// again from the first. Used by one thread at a time.
class Y4mReader {
  public:
    // Opens the file and reads its header; none, with the reason in `error`.
    static std::optional<Y4mReader> Open(const std::filesystem::path& file, std::string& error);

    const Y4mHeader& header() const { return header_; }

    // Reads the next frame's planes into `frame`, resized to
    // header().frameBytes(). Empty, or why no frame could be read.
    std::string readFrame(std::vector<std::uint8_t>& frame);

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    enum class FrameRead { Read, End, Damaged };

    Y4mReader(std::unique_ptr<std::FILE, Closer> file, Y4mHeader header)
        : file_(std::move(file)), header_(header) {}
    FrameRead readOneFrame(std::vector<std::uint8_t>& frame, std::string& error);

    std::unique_ptr<std::FILE, Closer> file_;
    Y4mHeader header_;
    std::string line_;
    std::uint64_t framesSinceStart_ = 0;
};

}  // namespace veltranix
