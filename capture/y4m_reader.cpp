#include "capture/y4m_reader.h"

#include <cerrno>
#include <charconv>
#include <system_error>
#include <utility>

namespace veltranix {

namespace {

// A token as a message may quote it: at most 16 characters, unprintable
// ones as '?'.
std::string Shown(std::string_view token) {
    std::string shown;
    for (const char c : token.substr(0, 16)) {
        shown += c >= 0x20 && c < 0x7f ? c : '?';
    }
    return token.size() > 16 ? shown + "..." : shown;
}

std::optional<int> EvenSide(std::string_view digits) {
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, failure] = std::from_chars(digits.data(), end, value);
    if (failure != std::errc() || stop != end || value < 2 || value > kY4mLargestSide ||
        value % 2 != 0) {
        return std::nullopt;
    }
    return value;
}

// 4:2:0 with 8-bit samples: C420, C420jpeg, C420paldv, C420mpeg2 and other
// 420 forms, but not the deeper C420p10, C420p12...
bool EightBit420(std::string_view colourSpace) {
    if (!colourSpace.starts_with("420")) {
        return false;
    }
    return !(colourSpace.size() > 4 && colourSpace[3] == 'p' && colourSpace[4] >= '0' &&
             colourSpace[4] <= '9');
}

Y4mHeaderParse Refused(std::string error) {
    return {std::nullopt, std::move(error)};
}

std::string ErrnoText() {
    return std::error_code(errno, std::generic_category()).message();
}

}  // namespace

Y4mHeaderParse ParseY4mHeader(std::string_view bytes) {
    if (!bytes.starts_with(kY4mMagic)) {
        return Refused("not a YUV4MPEG2 video");
    }
    const std::size_t end = bytes.substr(0, kY4mLongestHeaderLine).find('\n');
    if (end == std::string_view::npos) {
        return Refused(bytes.size() < kY4mLongestHeaderLine
                           ? "the YUV4MPEG2 header line is cut short"
                           : "the YUV4MPEG2 header line is longer than " +
                                 std::to_string(kY4mLongestHeaderLine) + " bytes");
    }
    Y4mHeader header;
    header.lineBytes = end + 1;
    std::string_view rest = bytes.substr(kY4mMagic.size(), end - kY4mMagic.size());
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        const std::string_view token = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        if (token.empty()) {
            continue;
        }
        const std::string_view value = token.substr(1);
        if (token[0] == 'W' || token[0] == 'H') {
            const std::optional<int> side = EvenSide(value);
            if (!side) {
                return Refused(std::string("the YUV4MPEG2 ") +
                               (token[0] == 'W' ? "width " : "height ") + Shown(value) +
                               " is not an even number from 2 to " +
                               std::to_string(kY4mLargestSide));
            }
            (token[0] == 'W' ? header.width : header.height) = *side;
        } else if (token[0] == 'C' && !EightBit420(value)) {
            return Refused("the YUV4MPEG2 colour space C" + Shown(value) +
                           " is not 8-bit 4:2:0 (C420, C420jpeg, C420paldv, C420mpeg2)");
        }
        // F, I, A and X (frame rate, interlacing, aspect, extensions) do not
        // change how the frames are read.
    }
    if (header.width == 0) {
        return Refused("the YUV4MPEG2 header gives no width (W)");
    }
    if (header.height == 0) {
        return Refused("the YUV4MPEG2 header gives no height (H)");
    }
    return {header, {}};
}

bool IsY4mFrameLine(std::string_view line) {
    return line == "FRAME" || line.starts_with("FRAME ");
}

std::optional<Y4mReader> Y4mReader::Open(const std::filesystem::path& file, std::string& error) {
    std::unique_ptr<std::FILE, Closer> handle(std::fopen(file.c_str(), "rb"));
    if (!handle) {
        error = "cannot be opened (" + ErrnoText() + ")";
        return std::nullopt;
    }
    std::string line;
    int c = 0;
    while (line.size() < kY4mLongestHeaderLine && (c = std::getc(handle.get())) != EOF) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    if (std::ferror(handle.get())) {
        error = "cannot be read (" + ErrnoText() + ")";
        return std::nullopt;
    }
    Y4mHeaderParse parse = ParseY4mHeader(line);
    if (!parse.header) {
        error = std::move(parse.error);
        return std::nullopt;
    }
    return Y4mReader(std::move(handle), *parse.header);
}

std::string Y4mReader::readFrame(std::vector<std::uint8_t>& frame) {
    std::string error;
    switch (readOneFrame(frame, error)) {
        case FrameRead::Read:
            return {};
        case FrameRead::Damaged:
            return error;
        case FrameRead::End:
            break;
    }
    if (framesSinceStart_ > 0) {
        if (std::fseek(file_.get(), static_cast<long>(header_.lineBytes), SEEK_SET) != 0) {
            return "cannot go back to the first frame (" + ErrnoText() + ")";
        }
        std::clearerr(file_.get());
        framesSinceStart_ = 0;
        if (readOneFrame(frame, error) == FrameRead::Read) {
            return {};
        }
    }
    return error.empty() ? "holds no complete frame" : error;
}

Y4mReader::FrameRead Y4mReader::readOneFrame(std::vector<std::uint8_t>& frame, std::string& error) {
    std::FILE* file = file_.get();
    line_.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        if (line_.size() == kY4mLongestFrameLine) {
            error = "the line of frame " + std::to_string(framesSinceStart_ + 1) +
                    " is longer than " + std::to_string(kY4mLongestFrameLine) + " bytes";
            return FrameRead::Damaged;
        }
        line_.push_back(static_cast<char>(c));
    }
    if (c == EOF) {
        if (std::ferror(file)) {
            error = "cannot be read (" + ErrnoText() + ")";
            return FrameRead::Damaged;
        }
        return FrameRead::End;  // nothing more, or a cut line
    }
    if (!IsY4mFrameLine(line_)) {
        error = "frame " + std::to_string(framesSinceStart_ + 1) + " does not start with FRAME";
        return FrameRead::Damaged;
    }
    frame.resize(header_.frameBytes());
    if (std::fread(frame.data(), 1, frame.size(), file) != frame.size()) {
        if (std::ferror(file)) {
            error = "cannot be read (" + ErrnoText() + ")";
            return FrameRead::Damaged;
        }
        return FrameRead::End;  // a truncated last frame
    }
    ++framesSinceStart_;
    return FrameRead::Read;
}

}  // namespace veltranix
