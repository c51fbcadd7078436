#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltranix {

// Appends one code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Windows-1252 bytes to UTF-8. The five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// Number of code points in well-formed UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// The longest prefix of UTF-8 text holding at most `maxCodePoints` code points.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxCodePoints);

// Lower-cases ASCII letters; other bytes stay as they are.
std::string AsciiLower(std::string_view text);

}  // namespace veltranix
