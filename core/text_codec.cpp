#include "core/text_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace veltranix {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks an undefined byte.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Length of the UTF-8 sequence starting at `index`, or 0 when it is malformed.
std::size_t SequenceLength(std::string_view bytes, std::size_t index) {
    const auto lead = static_cast<unsigned char>(bytes[index]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (index + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[index + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    const auto isAscii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
    for (auto at = bytes.begin(); at != bytes.end(); ++at) {
        // ASCII as it is, a run at a time.
        const auto high = std::find_if_not(at, bytes.end(), isAscii);
        out.append(at, high);
        if (high == bytes.end()) {
            break;
        }
        at = high;
        const auto value = static_cast<unsigned char>(*high);
        if (value < 0xA0) {
            const char32_t mapped = kWindows1252High[value - 0x80];
            AppendUtf8(out, mapped != 0 ? mapped : 0xFFFD);
        } else {
            AppendUtf8(out, value);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    // Runs of ASCII, most of every file, are skipped a run at a time.
    const auto isAscii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
    for (auto at = std::find_if_not(bytes.begin(), bytes.end(), isAscii); at != bytes.end();
         at = std::find_if_not(at, bytes.end(), isAscii)) {
        const auto index = static_cast<std::size_t>(at - bytes.begin());
        const std::size_t length = SequenceLength(bytes, index);
        if (length == 0) {
            return false;
        }
        at += static_cast<std::ptrdiff_t>(length);
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxCodePoints) {
    if (text.size() <= maxCodePoints) {
        return text;  // no more code points than bytes
    }
    std::size_t count = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if ((static_cast<unsigned char>(text[index]) & 0xC0) != 0x80) {
            if (count == maxCodePoints) {
                return text.substr(0, index);
            }
            ++count;
        }
    }
    return text;
}

std::string AsciiLower(std::string_view text) {
    // A table rather than a test per byte: names are lowered in every read of
    // a settings file, and fuzzed builds trace each test.
    static constexpr std::array<char, 256> kLowerCase = [] {
        std::array<char, 256> table{};
        for (int byte = 0; byte < 256; ++byte) {
            table[static_cast<std::size_t>(byte)] =
                static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
        }
        return table;
    }();
    std::string lower(text.size(), '\0');
    std::transform(text.begin(), text.end(), lower.begin(),
                   [](char byte) { return kLowerCase[static_cast<unsigned char>(byte)]; });
    return lower;
}

}  // namespace veltranix
