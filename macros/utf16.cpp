#include "macros/utf16.h"

#include <algorithm>
#include <limits>

#include "core/text_codec.h"

namespace veltranix {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

bool IsWhiteSpace(char16_t unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[index]);
        std::size_t length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++index;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++index;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && index + taken < bytes.size() &&
               (static_cast<unsigned char>(bytes[index + taken]) & 0xC0) == 0x80) {
            codePoint =
                (codePoint << 6) | (static_cast<unsigned char>(bytes[index + taken]) & 0x3F);
            ++taken;
        }
        index += taken;
        if (taken < length || codePoint < smallest || codePoint > 0x10FFFF ||
            IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) {
            out.push_back(kReplacement);
        } else {
            AppendUtf16(out, codePoint);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char32_t unit = text[index];
        if (IsHighSurrogate(unit) && index + 1 < text.size() && IsLowSurrogate(text[index + 1])) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[index + 1] - 0xDC00));
            ++index;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::int32_t ParseLeadingInteger16(std::u16string_view text) {
    std::size_t index = 0;
    while (index < text.size() && IsWhiteSpace(text[index])) {
        ++index;
    }
    bool negative = false;
    if (index < text.size() && (text[index] == u'+' || text[index] == u'-')) {
        negative = text[index] == u'-';
        ++index;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (index < text.size() && text[index] >= u'0' && text[index] <= u'9') {
        value = std::min<std::int64_t>(value * 10 + (text[index] - u'0'), kLimit);
        ++index;
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace veltranix
