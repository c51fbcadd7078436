// libFuzzer target: a companion message as another program posts it, the
// name and the two payloads as text on separate lines. Accepted names and
// payloads written back read back equal, and a keyboard rectangle's halves
// give back the payloads they came from.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/companion_messages.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string_view NextLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

std::uint32_t Halves(int low, int high) {
    return static_cast<std::uint16_t>(low) |
           static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltranix;
    using fuzz::Require;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view name = NextLine(rest);
    const std::string_view wText = NextLine(rest);
    const std::string_view lText = NextLine(rest);

    if (const auto kind = ParseCompanionMessageName(name)) {
        Require(ParseCompanionMessageName(CompanionMessageName(*kind)) == kind,
                "a message name reads back as the same message");
    }
    const auto wParam = ParseCompanionPayload(wText);
    const auto lParam = ParseCompanionPayload(lText);
    for (const auto& payload : {wParam, lParam}) {
        if (!payload) {
            continue;
        }
        char decimal[16];
        char hexadecimal[16];
        std::snprintf(decimal, sizeof decimal, "%u", static_cast<unsigned>(*payload));
        std::snprintf(hexadecimal, sizeof hexadecimal, "0x%X", static_cast<unsigned>(*payload));
        Require(ParseCompanionPayload(decimal) == payload, "a payload reads back in decimal");
        Require(ParseCompanionPayload(hexadecimal) == payload, "a payload reads back in hex");
    }
    if (wParam && lParam) {
        const KeyboardRectangleUpdate update = DecodeKeyboardRectangle(*wParam, *lParam);
        const ScreenRect& r = update.rectangle;
        Require(Halves(r.left, r.top) == *wParam && Halves(r.right, r.bottom) == *lParam,
                "the rectangle's halves give back the payloads");
        Require(update.plainClickRequested != (update.presence != KeyboardPresence::Unchanged),
                "a plain-click request and a presence change exclude each other");
        Require((update.presence == KeyboardPresence::Absent) == (*wParam == 0 && *lParam == 0),
                "only an all-zero rectangle says the keyboard is gone");
    }
    return 0;
}
