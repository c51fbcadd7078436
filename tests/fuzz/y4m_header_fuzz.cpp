// libFuzzer target: the start of a YUV4MPEG2 file, its header line and the
// line of its first frame. An accepted header has an even size within
// bounds, ends at its '\n' and reads back the same when written plainly; an
// accepted frame line starts with FRAME.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "capture/y4m_reader.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltranix;
    using fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Y4mHeaderParse parse = ParseY4mHeader(bytes);
    Require(parse.header.has_value() != !parse.error.empty(), "a header or a reason, not both");
    Require(parse.error.find('\n') == std::string::npos, "a reason is one line");
    if (!parse.header) {
        return 0;
    }
    const Y4mHeader& header = *parse.header;
    Require(header.width >= 2 && header.width <= kY4mLargestSide && header.width % 2 == 0 &&
                header.height >= 2 && header.height <= kY4mLargestSide && header.height % 2 == 0,
            "an accepted size is even and within bounds");
    Require(header.lineBytes <= size && header.lineBytes <= kY4mLongestHeaderLine &&
                bytes[header.lineBytes - 1] == '\n' &&
                bytes.substr(0, header.lineBytes - 1).find('\n') == std::string_view::npos,
            "the header ends at its first line break");
    const std::string plain = "YUV4MPEG2 W" + std::to_string(header.width) + " H" +
                              std::to_string(header.height) + " C420jpeg\n";
    const Y4mHeaderParse again = ParseY4mHeader(plain);
    Require(again.header && again.header->width == header.width &&
                again.header->height == header.height && again.header->lineBytes == plain.size(),
            "the size written plainly reads back the same");

    std::string_view rest = bytes.substr(header.lineBytes);
    const std::string_view line = rest.substr(0, rest.find('\n'));
    if (IsY4mFrameLine(line)) {
        Require(line.starts_with("FRAME") && (line.size() == 5 || line[5] == ' '),
                "a frame line is FRAME, alone or with parameters");
    }
    return 0;
}
