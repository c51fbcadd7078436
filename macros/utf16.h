#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veltranix {

// UTF-8 to UTF-16. Malformed sequences (overlong forms, surrogates, bytes
// that start nothing, sequences cut short) become U+FFFD each.
std::u16string Utf8ToUtf16(std::string_view bytes);

// UTF-16 to UTF-8. A surrogate that is not part of a pair becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The C library's wide atoi: leading white space, an optional sign, decimal
// digits up to the first other character; no digits give 0; clamped to 32 bits.
std::int32_t ParseLeadingInteger16(std::u16string_view text);

inline bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace veltranix
